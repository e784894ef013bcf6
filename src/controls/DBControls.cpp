#include "controls/DBControls.h"

#include "base/GermanInput.h"
#include "base/Messages.h"
#include "store/Query.h"
#include "store/Values.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

namespace velmora {

// ------------------------------------------------------------- TDataSource

TDataSource::TDataSource(QObject *parent) : QObject(parent) {}

TDataSource::TDataSource(Cursor *cursor, QObject *parent) : QObject(parent) {
    setDataSet(cursor);
}

TDataSource::~TDataSource() {
    for (TFieldLink *link : std::as_const(m_links))
        link->m_source = nullptr;
}

void TDataSource::setDataSet(Cursor *cursor) {
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_cursor = cursor;
    if (cursor) {
        m_connections << connect(cursor, &Cursor::scrolled, this, &TDataSource::refreshEditors)
                      << connect(cursor, &Cursor::rowsChanged, this, &TDataSource::refreshEditors)
                      << connect(cursor, &Cursor::stateChanged, this, &TDataSource::refreshEditors)
                      << connect(cursor, &Cursor::fieldChanged, this, &TDataSource::cursorFieldChanged)
                      << connect(cursor, &QObject::destroyed, this, &TDataSource::refreshEditors);
    }
    refreshEditors();
}

void TDataSource::setEnabled(bool on) {
    if (m_enabled == on)
        return;
    m_enabled = on;
    refreshEditors();
}

bool TDataSource::canModify() const {
    return m_enabled && m_cursor && m_cursor->isOpen() && !m_cursor->isReadOnly() && !m_cursor->database().isReadOnly();
}

void TDataSource::edit() {
    if (m_cursor && !m_cursor->isEditing())
        m_cursor->edit();
}

void TDataSource::updateRecord() {
    for (TFieldLink *link : std::as_const(m_links))
        link->checkInput();
}

void TDataSource::refreshEditors() {
    const QList<TFieldLink *> links = m_links;
    for (TFieldLink *link : links)
        link->reload();
    Q_EMIT dataChanged();
}

void TDataSource::cursorFieldChanged(int index) {
    const QList<TFieldLink *> links = m_links;
    for (TFieldLink *link : links)
        if (link->fieldIndex() == index)
            link->reload();
}

void TDataSource::attach(TFieldLink *link) {
    if (!m_links.contains(link))
        m_links << link;
}

void TDataSource::detach(TFieldLink *link) {
    m_links.removeAll(link);
}

// -------------------------------------------------------------- TFieldLink

TFieldLink::TFieldLink(QWidget *control) : m_control(control) {}

TFieldLink::~TFieldLink() {
    if (m_source)
        m_source->detach(this);
}

void TFieldLink::setDataSource(TDataSource *source) {
    if (m_source)
        m_source->detach(this);
    m_source = source;
    if (source)
        source->attach(this);
    reload();
}

void TFieldLink::setDataField(const QString &field) {
    m_field = field;
    m_boundIndex = -2;
    reload();
}

void TFieldLink::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    applyReadOnly(isEffectivelyReadOnly());
}

bool TFieldLink::isEffectivelyReadOnly() const {
    return m_readOnly || !m_source || !m_source->canModify() || fieldIndex() < 0;
}

int TFieldLink::fieldIndex() const {
    if (!m_source || !m_source->dataSet() || !m_source->dataSet()->isOpen() || m_field.isEmpty())
        return -1;
    Cursor *c = m_source->dataSet();
    return c->hasField(m_field) ? c->fieldIndex(m_field) : -1;
}

const FieldDef *TFieldLink::fieldDef() const {
    const int i = fieldIndex();
    return i < 0 ? nullptr : &m_source->dataSet()->fields()[size_t(i)];
}

QVariant TFieldLink::fieldValue() const {
    const int i = fieldIndex();
    if (i < 0 || !m_source->isEnabled())
        return {};
    Cursor *c = m_source->dataSet();
    if (!c->isEditing() && c->recNo() < 0)
        return {};
    return c->value(i);
}

void TFieldLink::reload() {
    if (m_writing)
        return;
    const Cursor *cursor = m_source ? m_source->dataSet() : nullptr;
    const int index = fieldIndex();
    if (cursor != m_boundCursor || index != m_boundIndex) {
        m_boundCursor = cursor;
        m_boundIndex = index;
        fieldBound();
    }
    applyReadOnly(isEffectivelyReadOnly());
    showValue(fieldValue());
}

bool TFieldLink::writeValue(const QVariant &value) {
    Cursor *c = m_source->dataSet();
    if (isEffectivelyReadOnly() || (!c->isEditing() && !m_source->autoEdit())) {
        reload();
        return false;
    }
    return writeGuarded([&] {
        if (!c->isEditing())
            c->edit();
        c->setValue(fieldIndex(), value);
    });
}

bool TFieldLink::beginEdit() {
    if (isEffectivelyReadOnly() || !m_source->autoEdit()) {
        reload();
        return false;
    }
    return writeGuarded([&] { m_source->edit(); });
}

bool TFieldLink::writeGuarded(const std::function<void()> &write) {
    m_writing = true;
    try {
        write();
    } catch (const VelmoraError &e) {
        m_writing = false;
        Messages::error(e.message());
        reload();
        return false;
    }
    m_writing = false;
    return true;
}

// ---------------------------------------------------------- TFieldValidator

namespace {
// The dates and times every other edit of the program reads as well: a
// two-digit year ("1.2.85") is a year, not half a date.
QDate parseDate(const QString &text) {
    return ParseGermanDate(text).value_or(QDate());
}

QTime parseTime(const QString &text) {
    return ParseGermanTime(text).value_or(QTime());
}
} // namespace

TFieldValidator::TFieldValidator(FieldType type, QObject *parent) : QValidator(parent), m_type(type) {}

QVariant TFieldValidator::parse(const QString &raw, FieldType type) {
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return {};
    switch (type) {
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc: {
        bool ok = false;
        const qint64 v = text.toLongLong(&ok);
        const qint64 lo = type == FieldType::Short ? -32768 : std::numeric_limits<qint32>::min();
        const qint64 hi = type == FieldType::Short ? 32767 : std::numeric_limits<qint32>::max();
        return ok && v >= lo && v <= hi ? QVariant(int(v)) : QVariant();
    }
    case FieldType::Number:
    case FieldType::Money: {
        bool ok = false;
        const double d = QLocale(QLocale::German).toDouble(text, &ok);
        return ok ? QVariant(d) : QVariant();
    }
    case FieldType::Date: {
        const QDate d = parseDate(text);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Time: {
        const QTime t = parseTime(text);
        return t.isValid() ? QVariant(t) : QVariant();
    }
    case FieldType::Timestamp: {
        const QString datePart = text.section(QLatin1Char(' '), 0, 0);
        const QString timePart = text.section(QLatin1Char(' '), 1).trimmed();
        const QDate d = parseDate(datePart);
        if (!d.isValid())
            return {};
        if (timePart.isEmpty())
            return QDateTime(d, QTime(0, 0));
        const QTime t = parseTime(timePart);
        return t.isValid() ? QVariant(QDateTime(d, t)) : QVariant();
    }
    default:
        return text;
    }
}

QValidator::State TFieldValidator::validate(QString &input, int &) const {
    static const QRegularExpression integer(QStringLiteral("^-?\\d*$"));
    static const QRegularExpression number(QStringLiteral("^-?[\\d.]*(,\\d*)?$"));
    // German "d.M.yy(yy)", or the engine's "yyyy-MM-dd" as pasted from elsewhere.
    static const QRegularExpression date(
        QStringLiteral("^(\\d{0,2}(\\.(\\d{0,2}(\\.\\d{0,4})?)?)?|\\d{3,4}(-(\\d{0,2}(-\\d{0,2})?)?)?)$"));
    static const QRegularExpression time(QStringLiteral("^\\d{0,2}(:(\\d{0,2}(:\\d{0,2})?)?)?$"));
    static const QRegularExpression dateTime(
        QStringLiteral("^\\d{0,2}(\\.(\\d{0,2}(\\.\\d{0,4}( (\\d{0,2}(:(\\d{0,2}(:\\d{0,2})?)?)?)?)?)?)?)?$"));
    if (input.trimmed().isEmpty())
        return Acceptable;
    const QRegularExpression *shape = nullptr;
    switch (m_type) {
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        shape = &integer;
        break;
    case FieldType::Number:
    case FieldType::Money:
        shape = &number;
        break;
    case FieldType::Date:
        shape = &date;
        break;
    case FieldType::Time:
        shape = &time;
        break;
    case FieldType::Timestamp:
        shape = &dateTime;
        break;
    default:
        return Acceptable;
    }
    if (!shape->match(input.trimmed()).hasMatch())
        return Invalid;
    if (!parse(input, m_type).isNull())
        return Acceptable;
    if (isIntegerType(m_type) && input.trimmed() != QLatin1String("-"))
        return Invalid; // only a number out of range gets here
    return Intermediate;
}

// ----------------------------------------------------------------- TDBEdit

TDBEdit::TDBEdit(QWidget *parent) : QLineEdit(parent), TFieldLink(this) {
    connect(this, &QLineEdit::textEdited, this, &TDBEdit::userEdited);
}

FieldType TDBEdit::editType() const {
    const FieldDef *f = fieldDef();
    return f ? f->type : FieldType::Unknown;
}

void TDBEdit::fieldBound() {
    const FieldDef *f = fieldDef();
    setMaxLength(f && f->type == FieldType::Alpha && f->size > 0 ? f->size : 32767);
    const FieldType t = editType();
    const bool typed = isIntegerType(t) ? t != FieldType::Logical : (isFloatType(t) || isDateType(t));
    if (!typed) {
        if (m_validator) {
            setValidator(nullptr);
            delete m_validator;
        }
        return;
    }
    if (!m_validator || m_validator->fieldType() != t) {
        delete m_validator;
        m_validator = new TFieldValidator(t, this);
        setValidator(m_validator);
    }
}

void TDBEdit::showValue(const QVariant &value) {
    const FieldDef *f = fieldDef();
    FieldType t = f ? f->type : FieldType::Unknown;
    QVariant v = value;
    // A date edit over a date-time column shows the day only.
    if (editType() == FieldType::Date && t == FieldType::Timestamp && !v.isNull()) {
        v = v.toDateTime().date();
        t = FieldType::Date;
    }
    const QString text = velmora::displayText(v, t);
    if (text != this->text())
        setText(text);
}

void TDBEdit::applyReadOnly(bool readOnly) {
    QLineEdit::setReadOnly(readOnly);
}

void TDBEdit::userEdited(const QString &text) {
    if (!m_validator) {
        writeValue(text.isEmpty() ? QVariant() : QVariant(text));
        return;
    }
    QString probe = text;
    int pos = 0;
    if (m_validator->validate(probe, pos) == QValidator::Acceptable) {
        QVariant v = TFieldValidator::parse(text, m_validator->fieldType());
        writeValue(v);
    } else {
        // Half-typed: the row counts as being edited, the value waits.
        beginEdit();
    }
}

namespace {
// After a refused focus change by the mouse, the press that caused it is
// dropped: the click was meant for a control the user has not reached.
// Lives until that press arrived or the event loop ran once more.
class TSwallowPress : public QObject {
public:
    explicit TSwallowPress(QWidget *window) : m_window(window) { qApp->installEventFilter(this); }
    ~TSwallowPress() override { qApp->removeEventFilter(this); }
    void expire() {
        QTimer::singleShot(0, this, [this] { deleteLater(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
            watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == m_window) {
            qApp->removeEventFilter(this);
            deleteLater();
            return true;
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
};
} // namespace

void TDBEdit::focusOutEvent(QFocusEvent *event) {
    QLineEdit::focusOutEvent(event);
    // Input the field cannot take is answered, never put back silently:
    // the user is told why and stays in the edit to correct it. Only moves
    // to another input count; a window or popup taking the focus, a button
    // ("Fertig" checks the input itself, "Abbrechen" drops it) or a command
    // moving it leave the text for the command's own check.
    const Qt::FocusReason reason = event->reason();
    if (m_refusing ||
        (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason && reason != Qt::MouseFocusReason))
        return;
    const QString why = inputRefusal();
    if (why.isEmpty() || isEffectivelyReadOnly() || !isVisible() || !isEnabled())
        return;
    const QWidget *now = QApplication::focusWidget();
    if (now &&
        (now->window() != window() || qobject_cast<const QPushButton *>(now) || qobject_cast<const QToolButton *>(now)))
        return;
    m_refusing = true;
    TSwallowPress *swallow = reason == Qt::MouseFocusReason ? new TSwallowPress(window()) : nullptr;
    setFocus(Qt::OtherFocusReason);
    selectAll();
    Messages::error(why);
    if (swallow)
        swallow->expire();
    m_refusing = false;
}

QString TDBEdit::inputRefusal() const {
    if (!m_validator)
        return {};
    QString probe = text();
    int pos = 0;
    if (m_validator->validate(probe, pos) == QValidator::Acceptable)
        return {};
    QString what;
    switch (m_validator->fieldType()) {
    case FieldType::Date:
        what = QStringLiteral("'%1' ist kein gültiges Datum.");
        break;
    case FieldType::Time:
        what = QStringLiteral("'%1' ist keine gültige Zeit.");
        break;
    case FieldType::Timestamp:
        // A day typed without a time is a date to the user.
        what = text().trimmed().contains(QLatin1Char(' ')) ? QStringLiteral("'%1' ist kein gültiger Zeitpunkt.")
                                                           : QStringLiteral("'%1' ist kein gültiges Datum.");
        break;
    default:
        what = QStringLiteral("'%1' ist keine gültige Zahl.");
        break;
    }
    return what.arg(text());
}

void TDBEdit::checkInput() const {
    const QString why = inputRefusal();
    if (!why.isEmpty())
        throw VelmoraError(why, objectName());
}

TDBDateEdit::TDBDateEdit(QWidget *parent) : TDBEdit(parent) {
    setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
}

// ----------------------------------------------------------------- TDBMemo

TDBMemo::TDBMemo(QWidget *parent) : QPlainTextEdit(parent), TFieldLink(this) {
    connect(this, &QPlainTextEdit::textChanged, this, &TDBMemo::userChanged);
}

void TDBMemo::showValue(const QVariant &value) {
    const QString text = value.toString();
    if (text == toPlainText())
        return;
    m_loading = true;
    setPlainText(text);
    m_loading = false;
}

void TDBMemo::applyReadOnly(bool readOnly) {
    QPlainTextEdit::setReadOnly(readOnly);
}

void TDBMemo::userChanged() {
    if (m_loading)
        return;
    const QString text = toPlainText();
    writeValue(text.isEmpty() ? QVariant() : QVariant(text));
}

// ------------------------------------------------------------- TDBCheckBox

TDBCheckBox::TDBCheckBox(const QString &caption, QWidget *parent) : QCheckBox(caption, parent), TFieldLink(this) {
    connect(this, &QCheckBox::clicked, this, &TDBCheckBox::userClicked);
}

void TDBCheckBox::showValue(const QVariant &value) {
    setChecked(!value.isNull() && value.toBool());
}

// A read-only box keeps its look but refuses to change.
void TDBCheckBox::applyReadOnly(bool) {}

void TDBCheckBox::nextCheckState() {
    if (!isEffectivelyReadOnly())
        QCheckBox::nextCheckState();
}

void TDBCheckBox::userClicked(bool checked) {
    if (!isEffectivelyReadOnly())
        writeValue(checked);
}

// ------------------------------------------------------------- TDBComboBox

TDBComboBox::TDBComboBox(QWidget *parent) : QComboBox(parent), TFieldLink(this) {
    connect(this, &QComboBox::activated, this, &TDBComboBox::userActivated);
}

void TDBComboBox::setItems(const QStringList &items) {
    m_loading = true;
    clear();
    addItems(items);
    m_loading = false;
    reload();
    if (isEditable() && lineEdit())
        connect(lineEdit(), &QLineEdit::textEdited, this, &TDBComboBox::userTyped, Qt::UniqueConnection);
}

void TDBComboBox::showValue(const QVariant &value) {
    const QString text = value.toString();
    m_loading = true;
    const int index = findText(text);
    if (isEditable()) {
        if (index >= 0)
            setCurrentIndex(index);
        setEditText(text);
    } else {
        setCurrentIndex(value.isNull() ? -1 : index);
    }
    m_loading = false;
}

void TDBComboBox::applyReadOnly(bool readOnly) {
    setEnabled(!readOnly);
}

void TDBComboBox::userActivated(int index) {
    if (!m_loading && index >= 0)
        writeValue(itemText(index));
}

void TDBComboBox::userTyped(const QString &text) {
    if (!m_loading)
        writeValue(text.isEmpty() ? QVariant() : QVariant(text));
}

// ------------------------------------------------------- TDBLookupComboBox

TDBLookupComboBox::TDBLookupComboBox(QWidget *parent) : QComboBox(parent), TFieldLink(this) {
    connect(this, &QComboBox::activated, this, &TDBLookupComboBox::userActivated);
}

void TDBLookupComboBox::setListSource(Cursor *list, const QString &keyField, const QString &listFields) {
    disconnect(m_listConnection);
    m_listCursor = list;
    m_listQuery = nullptr;
    m_keyField = keyField;
    m_listFields = listFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (list)
        m_listConnection = connect(list, &Cursor::rowsChanged, this, &TDBLookupComboBox::refreshList);
    refreshList();
}

void TDBLookupComboBox::setListSource(Query *list, const QString &keyField, const QString &listFields) {
    disconnect(m_listConnection);
    m_listCursor = nullptr;
    m_listQuery = list;
    m_keyField = keyField;
    m_listFields = listFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    refreshList();
}

void TDBLookupComboBox::setListSource(std::unique_ptr<Query> list, const QString &keyField, const QString &listFields) {
    Query *raw = list.get();
    setListSource(raw, keyField, listFields);
    m_ownedListQuery = std::move(list);
}

void TDBLookupComboBox::refreshList() {
    m_loading = true;
    clear();
    try {
        if (m_listCursor && m_listCursor->isOpen()) {
            // Walking the list moves it; the chosen key puts it back below.
            for (m_listCursor->first(); !m_listCursor->eof(); m_listCursor->next()) {
                QStringList parts;
                for (const QString &f : std::as_const(m_listFields))
                    parts << m_listCursor->asString(f.trimmed());
                addItem(parts.join(QLatin1String(", ")), m_listCursor->value(m_keyField));
            }
        } else if (m_listQuery && m_listQuery->isOpen()) {
            for (int r = 0; r < m_listQuery->recordCount(); ++r) {
                m_listQuery->moveTo(r);
                QStringList parts;
                for (const QString &f : std::as_const(m_listFields))
                    parts << m_listQuery->asString(f.trimmed());
                addItem(parts.join(QLatin1String(", ")), m_listQuery->value(m_keyField));
            }
        }
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    m_loading = false;
    reload();
}

QVariant TDBLookupComboBox::keyValue() const {
    return currentIndex() >= 0 ? currentData() : QVariant();
}

bool TDBLookupComboBox::selectKey(const QVariant &key) {
    for (int i = 0; i < count(); ++i)
        if (!key.isNull() && itemData(i).toLongLong() == key.toLongLong()) {
            setCurrentIndex(i);
            userActivated(i);
            return currentIndex() == i;
        }
    return false;
}

void TDBLookupComboBox::showValue(const QVariant &value) {
    m_loading = true;
    int index = -1;
    if (!value.isNull())
        for (int i = 0; i < count(); ++i)
            if (itemData(i).toLongLong() == value.toLongLong()) {
                index = i;
                break;
            }
    setCurrentIndex(index);
    m_loading = false;
    locateList(value);
}

void TDBLookupComboBox::applyReadOnly(bool readOnly) {
    setEnabled(!readOnly);
}

void TDBLookupComboBox::userActivated(int index) {
    if (m_loading || index < 0)
        return;
    const QVariant key = itemData(index);
    if (writeValue(key))
        locateList(key);
}

void TDBLookupComboBox::locateList(const QVariant &key) {
    if (!m_listCursor || !m_listCursor->isOpen() || key.isNull() || m_listCursor->isEditing())
        return;
    try {
        if (m_listCursor->recNo() < 0 || m_listCursor->value(m_keyField) != key)
            m_listCursor->locate(m_keyField, key);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

} // namespace velmora
