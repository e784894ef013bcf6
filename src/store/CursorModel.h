#pragma once

#include "store/Cursor.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <vector>

namespace velmora {

// A table model over a cursor, for the grids of the windows: one model row
// per row of the cursor's set, one model column per visible field. The
// model's current row and the cursor's current row move together.
class CursorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // How one field shows in a view. displayWidth is in characters; 0 takes
    // the field's own width.
    struct Column {
        QString field;
        QString title;  // empty: the field name
        int displayWidth = 0;
        bool hidden = false;
        bool readOnly = false;

        Column() = default;
        Column(QString fieldName, QString caption = {}, int width = 0, bool isHidden = false, bool isReadOnly = false)
            : field(std::move(fieldName)), title(std::move(caption)), displayWidth(width), hidden(isHidden),
              readOnly(isReadOnly) {}
    };

    explicit CursorModel(Cursor *cursor, QObject *parent = nullptr);

    Cursor *cursor() const { return m_cursor; }

    // The fields of the view in order. Without a list every field of the
    // table shows; fields not named in a list do not show.
    void setColumns(const std::vector<Column> &columns);
    const std::vector<Column> &columns() const { return m_columns; }
    void setFieldHidden(const QString &field, bool hidden);
    void setFieldReadOnly(const QString &field, bool readOnly);
    void setFieldTitle(const QString &field, const QString &title);
    void setFieldDisplayWidth(const QString &field, int characters);

    // The visible model columns.
    QString fieldName(int column) const;
    int columnOfField(const QString &field) const;  // -1 when not shown
    int displayWidth(int column) const;             // characters

    // The cursor's position; -1 when it has no row.
    int currentRow() const;
    // Moves the cursor (which posts a pending edit); errors go to the message service.
    void setCurrentRow(int row);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    // The cursor moved to another row (or the set was re-read).
    void currentRowChanged(int row);
    // An edit was refused; the message has been shown. control is the
    // control the error names, if any.
    void editFailed(const QString &message, const QString &control);

private:
    struct Visible {
        int fieldIndex;
        FieldDef def;
        Column column;
    };
    void rebuild();
    void cursorRowsChanged();
    void cursorScrolled();
    const std::vector<QVariant> &rowValues(int row) const;
    QVariant cellValue(int row, int column) const;
    Column *findColumn(const QString &field);

    QPointer<Cursor> m_cursor;
    std::vector<Column> m_columns;
    std::vector<Visible> m_visible;
    int m_rowCount = 0;
    quint64 m_generation = 0;
    mutable QHash<int, std::vector<QVariant>> m_cache;
};

} // namespace velmora
