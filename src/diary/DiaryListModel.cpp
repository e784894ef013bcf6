#include "diary/DiaryListModel.h"

namespace velmora {

namespace {
std::vector<CursorModel::Column> listColumns(bool withPerson) {
    using C = CursorModel::Column;
    return {C(QStringLiteral("Woche"), QStringLiteral("Wo"), 2, false, true),
            C(QStringLiteral("Wochentag"), QStringLiteral("     "), 2, false, true),
            C(QStringLiteral("Datum"), QString(), 12, false, true),
            C(QStringLiteral("AutorNr"), QStringLiteral("von Autor"), 8, false, true),
            C(QStringLiteral("PersonNr"), QStringLiteral("für Person"), 8, !withPerson, true),
            C(QStringLiteral("Beschreibung"), QString(), 50, false, true)};
}
} // namespace

DiaryListModel::DiaryListModel(Cursor *cursor, QObject *parent) : CursorModel(cursor, parent) {
    setColumns(listColumns(false));
}

void DiaryListModel::setPersonNames(QHash<int, QString> names) {
    beginResetModel();
    m_names = std::move(names);
    endResetModel();
}

bool DiaryListModel::personColumnVisible() const {
    for (const Column &c : columns())
        if (c.field == QLatin1String("PersonNr"))
            return !c.hidden;
    return false;
}

void DiaryListModel::setPersonColumnVisible(bool visible) {
    if (visible != personColumnVisible())
        setFieldHidden(QStringLiteral("PersonNr"), !visible);
}

QVariant DiaryListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const QString field = fieldName(index.column());
    const bool author = field == QLatin1String("AutorNr");
    if ((author || field == QLatin1String("PersonNr")) && role == Qt::DisplayRole) {
        const QVariant key = CursorModel::data(index, Qt::EditRole);
        if (key.isNull() || !key.isValid())
            return QString();
        return m_names.value(key.toInt()).left(author ? kAuthorChars : kPersonChars);
    }
    if ((author || field == QLatin1String("PersonNr")) && role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    // The description is plain text from the cell's top left.
    if (field == QLatin1String("Beschreibung") && role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignLeft | Qt::AlignTop);
    return CursorModel::data(index, role);
}

} // namespace velmora
