#pragma once

#include "store/CursorModel.h"

#include <QHash>

namespace velmora {

// The diary's entry list: week, weekday, date, the author's and the person's
// names looked up in the document list, and the description. The list is
// never edited in place.
class DiaryListModel : public CursorModel {
    Q_OBJECT
public:
    static constexpr int kAuthorChars = 18;
    static constexpr int kPersonChars = 25;

    explicit DiaryListModel(Cursor *cursor, QObject *parent = nullptr);

    void setPersonNames(QHash<int, QString> names);
    // "für Person" shows only when the applied filter names several persons.
    void setPersonColumnVisible(bool visible);
    bool personColumnVisible() const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QHash<int, QString> m_names;
};

} // namespace velmora
