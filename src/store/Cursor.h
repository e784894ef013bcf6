#pragma once

#include "store/Database.h"

#include <QObject>
#include <QVariantList>
#include <functional>
#include <optional>

namespace velmora {

// A cursor over one table: order (fields or a named index), a range on the
// leading order fields, a filter expression, a master/detail link,
// navigation, and row editing with the system's hooks.
//
// Walking forward from first() streams the rows straight from SQLite; moving
// backwards, to the last row or to a found row switches to positions over
// the row ids of the current set. A post or delete re-reads the set.
class Cursor : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    // A post of a row that another cursor deleted meanwhile.
    static const QString kRowDeleted;
    using Hook = std::function<void(Cursor &)>;

    explicit Cursor(Database &db, const QString &table = {}, QObject *parent = nullptr);
    ~Cursor() override;

    Database &database() const { return m_db; }
    void setTableName(const QString &table);
    const QString &tableName() const { return m_table; }

    // Order by fields separated by ";" ("TableNr;Order"); empty = primary index.
    void setOrder(const QString &fields);
    void setIndexName(const QString &name);
    QStringList orderFields() const;
    // Range on the leading order fields, both ends included.
    void setRange(const QVariantList &low, const QVariantList &high);
    void clearRange();
    void setFilter(const QString &expression);
    const QString &filter() const { return m_filter; }
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }
    // Limits the rows to those whose detail fields equal the master's
    // current values; follows the master as it moves.
    void setMasterSource(Cursor *master, const QString &masterFields, const QString &detailFields);
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    // Writes the current time into a "Timestamp" column on every post.
    void setAutoTimestamp(bool on) { m_autoTimestamp = on; }
    // Text order fields sort and compare without regard to case (ASCII
    // letters), as the name indexes of the Paradox tables did; the
    // type-ahead search of the grids relies on it.
    void setCaseInsensitive(bool on);
    bool isCaseInsensitive() const { return m_caseInsensitive; }

    void open();
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    // Re-reads the set and stays on the current row when it is still there.
    void refresh();

    void first();
    void next();
    void prior();
    void last();
    // Moves to a 0-based position within the set.
    void moveTo(int position);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty();
    int recordCount();
    int recNo(); // 0-based position of the current row, -1 when none
    // The stored values of the row at a 0-based position of the set, read
    // without moving the cursor; empty when there is no such row.
    std::vector<QVariant> rowAt(int position);
    // Grows whenever the set is re-read or the cursor closed, so that views
    // holding rows by position know when they are stale.
    quint64 generation() const { return m_generation; }
    // Exact match on the leading order fields; false, without moving, when
    // no row of the set matches. A row written since the set was read is
    // found as well.
    bool findKey(const QVariantList &values);
    // First row at or after the values in the order; the last row when none.
    void findNearest(const QVariantList &values);
    bool locate(const QString &field, const QVariant &value);

    const FieldDefs &fields() const;
    int fieldIndex(const QString &name) const; // EngineError when the table lacks it
    bool hasField(const QString &name) const;
    QVariant value(int index);
    QVariant value(const QString &name) { return value(fieldIndex(name)); }
    QString asString(const QString &name);
    int asInt(const QString &name);
    double asFloat(const QString &name);
    bool asBool(const QString &name);
    QDateTime asDateTime(const QString &name);
    QDate asDate(const QString &name);
    bool isNull(const QString &name) { return value(name).isNull(); }
    void setValue(const QString &name, const QVariant &v);
    void setValue(int index, const QVariant &v);

    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    bool isModified() const { return m_modified; }
    void append();
    void insert();
    void edit();
    void post();
    void cancel();
    void deleteRow();
    qint64 rowId() const { return m_rowid; }
    // Stops reading forward through an open statement (the table is about
    // to be replaced); the cursor keeps its position by row id.
    void releaseStatement();
    // The database went away first (engine closed): nothing to detach from.
    void databaseClosed() { m_dbClosed = true; }

    Hook onNewRecord;
    Hook beforePost;
    Hook afterPost;
    Hook afterEdit;
    Hook afterScroll;

Q_SIGNALS:
    // The set was (re-)read or a row was written: views re-read everything.
    void rowsChanged();
    // The current row changed.
    void scrolled();
    // The cursor was closed: views drop their rows.
    void closed();
    // Editing began or ended without a write (append, edit, cancel, close),
    // so that bound editors show the buffer or the stored row again.
    void stateChanged();
    // A field of the edit buffer was set.
    void fieldChanged(int index);

private:
    struct Where {
        QString sql;
        std::vector<std::pair<QVariant, FieldDef>> binds;
    };
    Where buildWhere() const;
    QString orderClause() const;
    QString comparedColumn(const FieldDef &f) const;
    QString columnList() const;
    void bindWhere(Statement &st, const Where &w, int firstIndex = 1) const;
    void requireOpen() const;
    void checkBrowse();
    void requireWritable() const;
    void ensureRowids();
    void resetSet();
    void positionOnRowid(qint64 rowid, int fallback);
    bool positionOnFound(qint64 rowid);
    void loadRow();
    void scrolledTo();
    void masterMoved();
    QVariant normalize(const QVariant &v, const FieldDef &f) const;
    QVariant defaultFor(const FieldDef &f) const;

    Database &m_db;
    QString m_table;
    QString m_order;
    QString m_indexName;
    QVariantList m_rangeLow, m_rangeHigh;
    QString m_filter;
    bool m_filtered = false;
    Cursor *m_master = nullptr;
    QStringList m_masterFields, m_detailFields;
    std::vector<Cursor *> m_details;
    bool m_readOnly = false;
    bool m_autoTimestamp = true;
    bool m_dbClosed = false;
    bool m_caseInsensitive = false;
    quint64 m_generation = 0;

    State m_state = State::Inactive;
    const FieldDefs *m_fields = nullptr;
    // Own copy: the database drops its cached definitions on a rollback.
    FieldDefs m_fieldDefs;
    QStringList m_orderFields;
    QString m_rowidColumn = QStringLiteral("rowid");
    std::unique_ptr<Statement> m_stream;
    std::unique_ptr<Statement> m_rowStmt;
    bool m_streaming = false;
    bool m_rowidsValid = false;
    std::vector<qint64> m_rowids;
    int m_pos = -1;
    qint64 m_rowid = 0;
    bool m_eof = true, m_bof = true;
    bool m_rowLoaded = false;
    std::vector<QVariant> m_row;
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_changed;
    bool m_modified = false;
};

// Appends one row through a cursor, so each value is stored with its
// column's type and the table's checks apply as they do when typing.
void InsertRow(Database &db, const QString &table, const QVariantMap &values);

} // namespace velmora
