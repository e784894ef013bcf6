#include "design/PickList.h"

#include "store/Keys.h"

#include <QDateTime>

namespace velmora {

namespace {
const QString kTrValue = QStringLiteral("TRVALUE");
const QString kTrUseVal = QStringLiteral("TRuseVAL");
const QString kValueNr = QStringLiteral("ValueNr");
const QString kOrder = QStringLiteral("Order");
const QString kState = QStringLiteral("State");
const QString kPersonNr = QStringLiteral("PersonNr");
} // namespace

const QString PickList::kReadOnly = QStringLiteral("Datenmenge nur mit Leseberechtigung geöffnet!");
const QString PickList::kForeignValue =
    QStringLiteral("Dieser Indexwert wurde von einem anderen Trainer erstellt und kann nur von ihm geändert werden.");
const QString PickList::kEmptyValue = QStringLiteral("Bitte geben Sie einen Wert ein!");
const QString PickList::kAlreadyAssigned = QStringLiteral("Der Wert \"%1\" ist dem Feld bereits zugeordnet.");

namespace {
// The pick lists open in this program, per database: marks found when none
// is open were left by a program that ended without clearing them.
QHash<const Database *, int> &openLists() {
    static QHash<const Database *, int> lists;
    return lists;
}
} // namespace

PickList::PickList(Database &db, int serial) : m_db(db), m_serial(serial) {}

PickList::~PickList() {
    // A mark left behind would hide the value from every later list.
    try {
        close();
    } catch (...) {
    }
}

QVariantList PickList::keyOf(int order) const {
    return {m_field.formularNr, m_field.tableNr, m_field.feldNr, order};
}

void PickList::open(const Field &field, int coach, bool readOnly) {
    close();
    m_field = field;
    m_coach = coach;
    m_readOnly = readOnly;
    m_nextOrder = 1;
    const QVariantList range{field.formularNr, field.tableNr, field.feldNr};

    m_assigned = std::make_unique<Cursor>(m_db, kTrUseVal);
    m_assigned->setRange(range, range);
    m_assigned->setReadOnly(readOnly);
    m_work = std::make_unique<Cursor>(m_db, kTrUseVal);
    m_work->setRange(range, range);
    m_work->setReadOnly(readOnly);
    // The marks are working state, not the coach's data: they are kept in a
    // read-only view as well, so that its available list is the same, and
    // they never touch Timestamp, which decides what an import replaces.
    m_marks = std::make_unique<Cursor>(m_db, kTrValue);
    m_marks->setAutoTimestamp(false);
    m_marksWritable = !m_db.isReadOnly();

    m_values = std::make_unique<Cursor>(m_db, kTrValue);
    m_values->setIndexName(QStringLiteral("Value"));
    m_values->setCaseInsensitive(true);
    // Rows written by other programs may carry no State at all.
    m_values->setFilter(QStringLiteral("(State = 0) or (State is null)"));
    m_values->setFiltered(true);
    m_values->setReadOnly(readOnly);
    m_values->onNewRecord = [this](Cursor &c) {
        c.setValue(kValueNr, nextObjectKey(m_db, kTrValue, kValueNr, m_serial));
        c.setValue(kPersonNr, m_coach);
        c.setValue(QStringLiteral("Timestamp"), QDateTime::currentDateTime());
    };
    m_values->beforePost = [this](Cursor &c) { valueBeforePost(c); };

    try {
        if (m_marksWritable && openLists().value(&m_db) == 0)
            clearStaleMarks();
        m_assigned->open();
        m_work->open();
        m_marks->open();
        m_open = true;
        ++openLists()[&m_db];
        if (!m_assigned->isEmpty()) {
            m_assigned->last();
            m_nextOrder = m_assigned->asInt(kOrder) + 1;
        }
        {
            Transaction tx(m_db);
            for (const auto &[order, valueNr] : orders())
                setMark(valueNr, 1);
            tx.commit();
        }
        m_assigned->first();
        m_values->open();
        m_values->first();
    } catch (...) {
        // Marks already committed are taken back by close().
        try {
            close();
        } catch (...) {
        }
        throw;
    }
}

void PickList::close() {
    if (!m_open)
        return;
    m_open = false;
    if (--openLists()[&m_db] <= 0)
        openLists().remove(&m_db);
    if (m_values && m_values->isEditing())
        m_values->cancel();
    if (m_work && m_work->isEditing())
        m_work->cancel();
    auto closeCursors = [this] {
        for (Cursor *c : {m_values.get(), m_assigned.get(), m_work.get(), m_marks.get()})
            if (c)
                c->close();
    };
    try {
        if (!m_marked.isEmpty()) {
            Transaction tx(m_db);
            const QSet<int> marked = m_marked;
            for (int valueNr : marked)
                setMark(valueNr, 0);
            tx.commit();
            m_marked.clear();
        }
    } catch (...) {
        closeCursors();
        throw;
    }
    closeCursors();
}

void PickList::clearStaleMarks() {
    // Written past the cursors: the marks are working state and must not
    // touch Timestamp, which decides what an import replaces.
    Transaction tx(m_db);
    Statement st(m_db, QStringLiteral("UPDATE %1 SET %2 = 0 WHERE %2 <> 0")
                           .arg(quoteIdentifier(m_db.requireTable(kTrValue)), quoteIdentifier(kState)));
    st.step();
    tx.commit();
}

void PickList::requireWritable() const {
    if (m_readOnly)
        throw VelmoraError(kReadOnly);
    if (!m_open)
        throw EngineError(QStringLiteral("Die Datenmenge %1 ist geschlossen.").arg(kTrUseVal));
}

void PickList::setMark(int valueNr, int state) {
    if (!m_marksWritable)
        return;
    if (m_marks->findKey({valueNr})) {
        m_marks->edit();
        m_marks->setValue(kState, state);
        m_marks->post();
        if (state)
            m_marked.insert(valueNr);
        else
            m_marked.remove(valueNr);
    }
}

void PickList::valueBeforePost(Cursor &c) {
    if (c.state() == Cursor::State::Edit && c.asInt(kPersonNr) != m_coach)
        throw VelmoraError(kForeignValue, QString::fromLatin1(kValueControl));
    // An empty value would be offered by every form's pick list.
    if (c.asString(QStringLiteral("Value")).trimmed().isEmpty())
        throw VelmoraError(kEmptyValue, QString::fromLatin1(kValueControl));
}

// After a failed operation the transaction is gone: every cursor shows the
// stored rows again.
void PickList::resync() {
    for (Cursor *c : {m_work.get(), m_marks.get(), m_assigned.get(), m_values.get()}) {
        if (!c || !c->isOpen())
            continue;
        try {
            c->cancel();
            c->refresh();
        } catch (...) {
        }
    }
}

bool PickList::canEditValue() {
    if (m_readOnly || !m_open)
        return false;
    if (!m_values->isEditing() && m_values->recNo() < 0)
        return false;
    return m_values->asInt(kPersonNr) == m_coach;
}

bool PickList::canAssign() {
    return !m_readOnly && m_open && (m_values->isEditing() || !m_values->isEmpty());
}

bool PickList::canRemove() {
    return !m_readOnly && m_open && !m_assigned->isEmpty();
}

bool PickList::canMoveUp() {
    return canRemove() && m_assigned->recNo() > 0;
}

bool PickList::canMoveDown() {
    return canRemove() && m_assigned->recNo() >= 0 && m_assigned->recNo() < m_assigned->recordCount() - 1;
}

int PickList::newValue() {
    requireWritable();
    // The value being typed is stored (or, still empty, dropped) first.
    postValue();
    m_values->append();
    return m_values->asInt(kValueNr);
}

bool PickList::dropUntypedValue() {
    // A new value left without any text was never meant: it goes unstored.
    if (!m_open || m_values->state() != Cursor::State::Insert ||
        !m_values->asString(QStringLiteral("Value")).trimmed().isEmpty() ||
        !m_values->asString(QStringLiteral("Beschreibung")).trimmed().isEmpty())
        return false;
    m_values->cancel();
    return true;
}

bool PickList::postValue() {
    if (!m_open || !m_values->isEditing())
        return true;
    if (dropUntypedValue())
        return false;
    m_values->post();
    return true;
}

bool PickList::assign() {
    requireWritable();
    if (!postValue() || m_values->recNo() < 0)
        return false;
    const int valueNr = m_values->asInt(kValueNr);
    // A mark lost elsewhere must not put the value into the list twice.
    if (stillAssigned(valueNr, -1))
        throw VelmoraError(kAlreadyAssigned.arg(m_values->asString(QStringLiteral("Value"))));
    const int order = m_nextOrder;
    try {
        Transaction tx(m_db);
        m_work->append();
        m_work->setValue(QStringLiteral("FormularNr"), m_field.formularNr);
        m_work->setValue(QStringLiteral("TableNr"), m_field.tableNr);
        m_work->setValue(QStringLiteral("FeldNr"), m_field.feldNr);
        m_work->setValue(kOrder, order);
        m_work->setValue(kValueNr, valueNr);
        m_work->post();
        setMark(valueNr, 1);
        tx.commit();
    } catch (...) {
        resync();
        throw;
    }
    ++m_nextOrder;
    m_values->refresh();
    m_assigned->refresh();
    m_assigned->findKey(keyOf(order));
    return true;
}

bool PickList::stillAssigned(int valueNr, int exceptOrder) {
    for (const auto &[order, nr] : orders())
        if (nr == valueNr && order != exceptOrder)
            return true;
    return false;
}

bool PickList::remove() {
    requireWritable();
    postValue();
    if (m_assigned->recNo() < 0)
        return false;
    const int order = m_assigned->asInt(kOrder);
    const int valueNr = m_assigned->asInt(kValueNr);
    try {
        Transaction tx(m_db);
        // A value listed twice (an imported list) stays marked while it is
        // still in the list, so that it cannot be assigned a third time.
        if (!stillAssigned(valueNr, order))
            setMark(valueNr, 0);
        if (!m_work->findKey(keyOf(order)))
            throw EngineError(QStringLiteral("Der Datensatz %1 ist nicht mehr vorhanden.").arg(kTrUseVal));
        m_work->deleteRow();
        tx.commit();
    } catch (...) {
        resync();
        throw;
    }
    m_values->refresh();
    m_assigned->refresh();
    return true;
}

bool PickList::moveUp() {
    return moveBy(-1);
}

bool PickList::moveDown() {
    return moveBy(1);
}

bool PickList::moveBy(int step) {
    requireWritable();
    postValue();
    const int pos = m_assigned->recNo();
    const int other = pos + step;
    if (pos < 0 || other < 0 || other >= m_assigned->recordCount())
        return false;
    const int orderIndex = m_assigned->fieldIndex(kOrder);
    const int current = m_assigned->rowAt(pos).at(size_t(orderIndex)).toInt();
    const int neighbour = m_assigned->rowAt(other).at(size_t(orderIndex)).toInt();
    auto setOrder = [this](int from, int to) {
        if (!m_work->findKey(keyOf(from)))
            throw EngineError(QStringLiteral("Der Datensatz %1 ist nicht mehr vorhanden.").arg(kTrUseVal));
        m_work->edit();
        m_work->setValue(kOrder, to);
        m_work->post();
    };
    try {
        // The key includes Order, so the two rows pass each other through 0.
        Transaction tx(m_db);
        setOrder(current, 0);
        setOrder(neighbour, current);
        setOrder(0, neighbour);
        tx.commit();
    } catch (...) {
        resync();
        throw;
    }
    m_assigned->refresh();
    m_assigned->findKey(keyOf(neighbour));
    return true;
}

QString PickList::valueText(int valueNr) const {
    Statement st(m_db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                           .arg(quoteIdentifier(QStringLiteral("Value")), quoteIdentifier(m_db.requireTable(kTrValue)),
                                quoteIdentifier(kValueNr)));
    st.bind(1, valueNr);
    return st.step() ? st.value(0).toString() : QString();
}

std::vector<std::pair<int, int>> PickList::orders() {
    std::vector<std::pair<int, int>> list;
    if (!m_assigned || !m_assigned->isOpen())
        return list;
    const int orderIndex = m_assigned->fieldIndex(kOrder);
    const int valueIndex = m_assigned->fieldIndex(kValueNr);
    const int n = m_assigned->recordCount();
    for (int i = 0; i < n; ++i) {
        const std::vector<QVariant> row = m_assigned->rowAt(i);
        list.emplace_back(row.at(size_t(orderIndex)).toInt(), row.at(size_t(valueIndex)).toInt());
    }
    return list;
}

} // namespace velmora
