#include "design/BlockDesign.h"

#include "base/Helpers.h"
#include "design/BlockTable.h"
#include "design/FieldRules.h"
#include "store/Keys.h"

namespace velmora {

const QString BlockDesign::kNameMissing = QStringLiteral("Füllen Sie dieses Feld bitte aus!");
const QString BlockDesign::kNoField = QStringLiteral("Sie müssen zumindest ein Feld eingeben!");
const QString BlockDesign::kNotInGrid =
    QStringLiteral("Das Feld \"%1\" vom Typ \"%2\" kann in der Tabellenform nicht dargestellt werden.") +
    QLatin1Char('\r') + QStringLiteral("Ändern Sie bitte das Feld oder wählen Sie \"Einfachformular\".");

namespace {
const QString kTableNr = QStringLiteral("TableNr");
const QString kOrder = QStringLiteral("Order");
} // namespace

BlockDesign::BlockDesign(Database &db, int serial) : m_db(db), m_serial(serial) {}

BlockDesign::~BlockDesign() = default;

int BlockDesign::newTableNr(Database &db, int serial) {
    return nextObjectKey(db, QStringLiteral("TRTABLE"), kTableNr, serial);
}

int BlockDesign::nextFieldOrder(Database &db, int tableNr) {
    Cursor last(db, QStringLiteral("TRFIELD"));
    last.setOrder(QStringLiteral("TableNr;Order"));
    last.setRange({tableNr}, {tableNr});
    last.setReadOnly(true);
    last.open();
    last.last();
    return last.recNo() < 0 ? 1 : last.asInt(kOrder) + 1;
}

void BlockDesign::openNew(int trainerNr) {
    m_new = true;
    m_readOnly = false;
    m_block = std::make_unique<Cursor>(m_db, QStringLiteral("TRTABLE"));
    m_block->beforePost = [this](Cursor &c) {
        c.setValue(QStringLiteral("Grid"), m_grid);
        c.setValue(QStringLiteral("Endless"), m_endless);
    };
    m_tableNr = newTableNr(m_db, m_serial);
    {
        Transaction tx(m_db);
        m_block->setRange({m_tableNr}, {m_tableNr});
        m_block->open();
        m_block->append();
        m_block->setValue(kTableNr, m_tableNr);
        m_block->setValue(QStringLiteral("TrainerNr"), trainerNr);
        m_block->setValue(QStringLiteral("Filename"), NextBlockTableName(m_db));
        // The exchange copies the tables of "T" blocks only.
        m_block->setValue(QStringLiteral("Art"), QStringLiteral("T"));
        m_block->post();
        tx.commit();
    }
    m_block->edit();
    openFields();
}

void BlockDesign::openExisting(int tableNr, bool readOnly) {
    m_new = false;
    m_readOnly = readOnly;
    m_tableNr = tableNr;
    m_block = std::make_unique<Cursor>(m_db, QStringLiteral("TRTABLE"));
    m_block->setRange({tableNr}, {tableNr});
    m_block->setReadOnly(readOnly);
    m_block->open();
    if (m_block->recNo() < 0)
        throw VelmoraError(QStringLiteral("Der Baustein %1 ist nicht mehr vorhanden.").arg(tableNr));
    m_grid = m_block->asBool(QStringLiteral("Grid"));
    m_endless = m_block->asBool(QStringLiteral("Endless"));
    m_block->beforePost = [this](Cursor &c) {
        c.setValue(QStringLiteral("Grid"), m_grid);
        c.setValue(QStringLiteral("Endless"), m_endless);
    };
    openFields();
}

void BlockDesign::openFields() {
    m_fields = std::make_unique<Cursor>(m_db, QStringLiteral("TRFIELD"));
    m_fields->setOrder(QStringLiteral("TableNr;Order"));
    m_fields->setRange({m_tableNr}, {m_tableNr});
    m_fields->setReadOnly(m_readOnly);
    m_fields->onNewRecord = [this](Cursor &c) {
        c.setValue(kTableNr, m_tableNr);
        c.setValue(kOrder, nextFieldOrder(m_db, m_tableNr));
        c.setValue(QStringLiteral("Typ"), QStringLiteral("?"));
    };
    m_fields->open();
}

int BlockDesign::fieldCount() {
    return m_fields ? m_fields->recordCount() : 0;
}

void BlockDesign::setPresentation(bool grid, bool endless) {
    m_grid = grid;
    m_endless = endless;
}

void BlockDesign::checkName() {
    if (m_block->asString(QStringLiteral("Name")).trimmed().isEmpty())
        throw VelmoraError(kNameMissing, QString::fromLatin1(kNameControl));
}

void BlockDesign::appendField() {
    if (m_readOnly)
        return;
    m_fields->append();
}

void BlockDesign::deleteField() {
    if (m_readOnly || m_fields->recNo() < 0)
        return;
    m_fields->deleteRow();
}

void BlockDesign::checkGridFields() {
    if (!m_grid)
        return;
    // The presentation may have been switched to a grid after the fields
    // were made: a grid cannot show what the field editor keeps from it.
    Statement st(m_db, QStringLiteral("SELECT Feldname, Typ FROM TRFIELD WHERE TableNr = ? ORDER BY \"Order\""));
    st.bind(1, m_tableNr);
    while (st.step()) {
        const QString typ = st.value(1).toString().trimmed().toUpper();
        const FieldRules::Choice choice = FieldRules::choiceOf(typ, false);
        if (!typ.isEmpty() && typ != QLatin1String("?") && !FieldRules::allowedInGrid(choice))
            throw VelmoraError(kNotInGrid.arg(st.value(0).toString(), FieldRules::caption(choice)),
                               QString::fromLatin1(kFieldGridControl));
    }
}

void BlockDesign::finish(const QString &idxPath) {
    if (m_readOnly)
        return;
    if (fieldCount() == 0)
        throw VelmoraError(kNoField, QString::fromLatin1(kFieldGridControl));
    checkGridFields();
    Cursor &b = *m_block;
    if (!b.isEditing())
        b.edit();
    // Kept to put the row back as it was typed when the transaction fails.
    std::vector<QVariant> typed;
    for (size_t i = 0; i < b.fields().size(); ++i)
        typed.push_back(b.value(int(i)));
    try {
        Transaction tx(m_db);
        b.post();
        FinishBlock(m_db, m_tableNr, idxPath);
        tx.commit();
    } catch (const VelmoraError &) {
        b.refresh();
        if (b.recNo() >= 0) {
            b.edit();
            for (size_t i = 0; i < typed.size(); ++i)
                b.setValue(int(i), typed[i]);
        }
        m_fields->refresh();
        throw;
    }
    m_finished = true;
    b.refresh();
    m_fields->refresh();
}

void BlockDesign::discard() {
    if (!m_new || m_finished || m_discarded || !m_block)
        return;
    if (m_fields)
        m_fields->cancel();
    m_block->cancel();
    {
        Transaction tx(m_db);
        m_db.execLocal(QStringLiteral("delete from TRFIELD where TableNr = :TableNr"), {{kTableNr, m_tableNr}});
        m_db.execLocal(QStringLiteral("delete from TRTABLE where TableNr = :TableNr"), {{kTableNr, m_tableNr}});
        tx.commit();
    }
    m_fields->refresh();
    m_block->refresh();
    m_discarded = true;
}

} // namespace velmora
