#include "design/AssignedValuesModel.h"

namespace velmora {

AssignedValuesModel::AssignedValuesModel(Cursor *cursor, Lookup lookup, QObject *parent)
    : CursorModel(cursor, parent), m_lookup(std::move(lookup)) {
    setColumns({Column(QStringLiteral("ValueNr"), QStringLiteral("Value"), 24, false, true)});
}

QVariant AssignedValuesModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || fieldName(index.column()) != QLatin1String("ValueNr"))
        return CursorModel::data(index, role);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const QVariant stored = CursorModel::data(index, Qt::EditRole);
        if (stored.isNull() || !m_lookup)
            return {};
        try {
            return m_lookup(stored.toInt());
        } catch (const VelmoraError &) {
            return {};
        }
    }
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return CursorModel::data(index, role);
    }
}

} // namespace velmora
