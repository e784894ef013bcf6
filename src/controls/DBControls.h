#pragma once

#include "store/Cursor.h"
#include "store/Query.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QPointer>
#include <QValidator>
#include <functional>

namespace velmora {

class TFieldLink;

// Links bound editors to one cursor: they follow its current row and its
// edit buffer, and typing into one of them puts the cursor into edit state.
class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr);
    explicit TDataSource(Cursor *cursor, QObject *parent = nullptr);
    ~TDataSource() override;

    void setDataSet(Cursor *cursor);
    Cursor *dataSet() const { return m_cursor; }
    // Typing starts editing (true by default); without it the editors refuse
    // input while the cursor is browsing.
    void setAutoEdit(bool on) { m_autoEdit = on; }
    bool autoEdit() const { return m_autoEdit; }
    // A disabled source shows empty, read-only editors, whatever row the
    // cursor stands on.
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    // True when the editors may write: an open, writable cursor.
    bool canModify() const;

    // Puts the cursor into edit state (inserting into an empty set).
    void edit();
    // Raises VelmoraError naming the first editor whose text is not yet a
    // value of its field (a half-typed date), so that nothing is posted
    // without it.
    void updateRecord();
    // Every editor shows the cursor's values again.
    void refreshEditors();

Q_SIGNALS:
    void dataChanged();

private:
    friend class TFieldLink;
    void attach(TFieldLink *link);
    void detach(TFieldLink *link);
    void cursorFieldChanged(int index);

    QPointer<Cursor> m_cursor;
    QList<TFieldLink *> m_links;
    QList<QMetaObject::Connection> m_connections;
    bool m_autoEdit = true;
    bool m_enabled = true;
};

// What every bound editor shares: its source, its field, its read-only flag.
class TFieldLink {
public:
    explicit TFieldLink(QWidget *control);
    virtual ~TFieldLink();
    TFieldLink(const TFieldLink &) = delete;
    TFieldLink &operator=(const TFieldLink &) = delete;

    void setDataSource(TDataSource *source);
    TDataSource *dataSource() const { return m_source; }
    void setDataField(const QString &field);
    const QString &dataField() const { return m_field; }
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    // Own flag, a read-only or closed cursor, a disabled source, or no field.
    bool isEffectivelyReadOnly() const;

    // The field's value on the current row (the edit buffer while editing);
    // null without a row.
    QVariant fieldValue() const;
    // Definition of the bound field; nullptr while unbound or closed.
    const FieldDef *fieldDef() const;
    int fieldIndex() const;

    // Shows the cursor's value again (also the read-only state).
    void reload();
    // Throws VelmoraError when the editor holds input that is not a value.
    virtual void checkInput() const {}

protected:
    virtual void showValue(const QVariant &value) = 0;
    virtual void applyReadOnly(bool readOnly) = 0;
    // Called when the field changes shape (another field or cursor).
    virtual void fieldBound() {}
    // Writes a value the user entered; false (and the old value shown again)
    // when the cursor cannot take it. Engine refusals are shown as messages,
    // since this runs inside the event loop.
    bool writeValue(const QVariant &value);
    // Puts the cursor into edit state for input that is not yet a value,
    // keeping the editor's text.
    bool beginEdit();
    bool isWriting() const { return m_writing; }
    QWidget *control() const { return m_control; }

private:
    friend class TDataSource;
    // Runs a write with the writing mark set; an engine refusal is shown and
    // the stored value shown again.
    bool writeGuarded(const std::function<void()> &write);

    QWidget *m_control;
    QPointer<TDataSource> m_source;
    QString m_field;
    bool m_readOnly = false;
    bool m_writing = false;
    // What fieldBound() last saw, so that opening the cursor later re-binds.
    const Cursor *m_boundCursor = nullptr;
    int m_boundIndex = -2;
};

// Accepts the typing of a value of one field type: integers in their range,
// German decimal numbers, dates as ParseGermanDate reads them, times and
// date-times.
// Half-typed input is Intermediate, so it never reaches the cursor.
class TFieldValidator : public QValidator {
    Q_OBJECT
public:
    explicit TFieldValidator(FieldType type, QObject *parent = nullptr);
    FieldType fieldType() const { return m_type; }
    State validate(QString &input, int &pos) const override;
    // The value of acceptable text; null for empty text.
    static QVariant parse(const QString &text, FieldType type);

private:
    FieldType m_type;
};

class TDBEdit : public QLineEdit, public TFieldLink {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr);
    using TFieldLink::isReadOnly;
    using TFieldLink::setReadOnly;
    void checkInput() const override;
    // The German message for text the field cannot take ("'25:99:00' ist
    // keine gültige Zeit."); empty when the text is a value or empty.
    virtual QString inputRefusal() const;

protected:
    void showValue(const QVariant &value) override;
    void applyReadOnly(bool readOnly) override;
    void fieldBound() override;
    // Leaving for another input (Tab, a click) with text the field cannot
    // take shows the refusal and keeps the focus; the text stays as typed.
    // A button gets the focus: its command checks (checkInput) or cancels.
    void focusOutEvent(QFocusEvent *event) override;
    // The type the edit validates for; a date edit forces Date.
    virtual FieldType editType() const;

private:
    void userEdited(const QString &text);
    QPointer<TFieldValidator> m_validator;
    bool m_refusing = false;
};

// A bound edit for dates in the German form dd.MM.yyyy (also d.M.yyyy and
// two-digit years, as every date edit of the program reads them).
class TDBDateEdit : public TDBEdit {
    Q_OBJECT
public:
    explicit TDBDateEdit(QWidget *parent = nullptr);

protected:
    FieldType editType() const override { return FieldType::Date; }
};

class TDBMemo : public QPlainTextEdit, public TFieldLink {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget *parent = nullptr);
    using TFieldLink::isReadOnly;
    using TFieldLink::setReadOnly;

protected:
    void showValue(const QVariant &value) override;
    void applyReadOnly(bool readOnly) override;

private:
    void userChanged();
    bool m_loading = false;
};

class TDBCheckBox : public QCheckBox, public TFieldLink {
    Q_OBJECT
public:
    explicit TDBCheckBox(const QString &caption = {}, QWidget *parent = nullptr);

protected:
    void showValue(const QVariant &value) override;
    void applyReadOnly(bool readOnly) override;
    void nextCheckState() override;

private:
    void userClicked(bool checked);
};

// Fixed items; the field stores the chosen item's text.
class TDBComboBox : public QComboBox, public TFieldLink {
    Q_OBJECT
public:
    explicit TDBComboBox(QWidget *parent = nullptr);
    void setItems(const QStringList &items);

protected:
    void showValue(const QVariant &value) override;
    void applyReadOnly(bool readOnly) override;

private:
    void userActivated(int index);
    void userTyped(const QString &text);
    bool m_loading = false;
};

// Items from another cursor or a query: shows the list fields of each row
// ("Nachname;Vorname" shows both, separated by ", ") and stores the key field.
// A list cursor is kept on the row of the chosen key.
class TDBLookupComboBox : public QComboBox, public TFieldLink {
    Q_OBJECT
public:
    explicit TDBLookupComboBox(QWidget *parent = nullptr);
    void setListSource(Cursor *list, const QString &keyField, const QString &listFields);
    void setListSource(Query *list, const QString &keyField, const QString &listFields);
    // The same with a query the box keeps for its whole life.
    void setListSource(std::unique_ptr<Query> list, const QString &keyField, const QString &listFields);
    Query *listQuery() const { return m_listQuery; }
    // Reads the list rows again.
    void refreshList();
    QVariant keyValue() const;
    // Chooses a key as the user would (writes it into the field).
    bool selectKey(const QVariant &key);

protected:
    void showValue(const QVariant &value) override;
    void applyReadOnly(bool readOnly) override;

private:
    void userActivated(int index);
    void locateList(const QVariant &key);
    QPointer<Cursor> m_listCursor;
    Query *m_listQuery = nullptr;
    std::unique_ptr<Query> m_ownedListQuery;
    QString m_keyField;
    QStringList m_listFields;
    QMetaObject::Connection m_listConnection;
    bool m_loading = false;
};

} // namespace velmora
