#pragma once

#include "store/CursorModel.h"

#include <functional>

namespace velmora {

// The rows of a field's pick list (TRuseVAL) showing, instead of the stored
// ValueNr, the value's text looked up in TRVALUE.
class AssignedValuesModel : public CursorModel {
    Q_OBJECT
public:
    using Lookup = std::function<QString(int valueNr)>;

    AssignedValuesModel(Cursor *cursor, Lookup lookup, QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    Lookup m_lookup;
};

} // namespace velmora
