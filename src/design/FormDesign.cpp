#include "design/FormDesign.h"

#include "base/Helpers.h"
#include "design/FormElementCache.h"
#include "design/TTREList.h"
#include "store/Keys.h"
#include "store/Query.h"

#include <QCollator>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace velmora {

namespace {
const QString kReadOnly = QStringLiteral("Datenmenge nur mit Leseberechtigung geöffnet!");

// Runs one SQLite statement with positional values; the changed rows.
int run(Database &db, const QString &sql, const QVariantList &values = {}) {
    Statement st(db, sql);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    while (st.step()) {
    }
    return sqlite3_changes(db.handle());
}

int scalar(Database &db, const QString &sql, const QVariantList &values) {
    Statement st(db, sql);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    return st.step() ? st.value(0).toInt() : 0;
}
} // namespace

const QString FormDesign::kFormNotFound = QStringLiteral("Das Formular wurde nicht gefunden.");
const QString FormDesign::kValueTooLong =
    QStringLiteral("Der Wert \"%1\" ist zu lang: das Feld faßt höchstens %2 Zeichen.");

FormDesign::FormDesign(Database &db, int serial) : m_db(db), m_serial(serial) {}

FormDesign::~FormDesign() = default;

void FormDesign::open(const Options &options) {
    m_options = options;
    m_new = options.serienNr == 0 && options.trNr == 0 && !options.readOnly;
    // Everything the designer writes, up to "Fertig", is one change: "Abbruch"
    // takes back every step, whichever page it was taken on. A failed open
    // takes back what it wrote itself.
    std::unique_ptr<Transaction> session;
    if (!options.readOnly)
        session = std::make_unique<Transaction>(m_db);
    m_form = std::make_unique<Cursor>(m_db, QStringLiteral("TR"));
    m_form->setOrder(QStringLiteral("SerienNr;TrNr"));
    m_form->setReadOnly(options.readOnly);
    m_form->beforePost = [this](Cursor &tr) { beforePostForm(tr); };

    if (m_new) {
        m_serienNr = m_serial;
        m_trNr = nextEntryNumber(m_db, m_serial);
        m_formularNr = nextObjectKey(m_db, QStringLiteral("TR"), QStringLiteral("FormularNr"), m_serial);
        m_form->onNewRecord = [this](Cursor &tr) { newRecord(tr); };
        m_form->setRange({m_serienNr, m_trNr}, {m_serienNr, m_trNr});
        m_form->open();
        m_form->append();
        m_kind = 0;
    } else {
        m_serienNr = options.serienNr;
        m_trNr = options.trNr;
        m_form->setRange({m_serienNr, m_trNr}, {m_serienNr, m_trNr});
        m_form->open();
        // Without its row the form number is unknown, and every later step
        // would work on form 0, the layout editor's provisional form.
        if (m_form->isEmpty())
            throw VelmoraError(kFormNotFound);
        m_formularNr = m_form->asInt(QStringLiteral("FormularNr"));
        m_kind = std::clamp(m_form->asInt(QStringLiteral("Art")) / 10, 0, 2);
        if (!options.readOnly)
            m_form->edit();
    }

    m_fields = std::make_unique<Cursor>(m_db, QStringLiteral("FFIELD"));
    m_fields->setOrder(QStringLiteral("FormularNr;Order"));
    m_fields->setRange({m_formularNr}, {m_formularNr});
    m_fields->setReadOnly(options.readOnly);
    m_fields->beforePost = [this](Cursor &c) {
        checkValueList(m_db, c.asInt(QStringLiteral("TableNr")), c.asInt(QStringLiteral("FeldNr")),
                       c.asString(QStringLiteral("Werte")));
    };
    m_fields->open();

    m_nextBlockOrder = maxOrder(QStringLiteral("TRuseTBL")) + 1;
    m_nextFieldOrder = maxOrder(QStringLiteral("FFIELD")) + 1;
    m_session = std::move(session);
}

int FormDesign::maxOrder(const QString &table) {
    // 0 without rows, so that the first order is 1.
    return scalar(
        m_db,
        QStringLiteral("SELECT coalesce(max(\"Order\"), 0) FROM %1 WHERE FormularNr = ?").arg(quoteIdentifier(table)),
        {m_formularNr});
}

void FormDesign::newRecord(Cursor &tr) {
    tr.setValue(QStringLiteral("FormularNr"), m_formularNr);
    tr.setValue(QStringLiteral("SerienNr"), m_serienNr);
    tr.setValue(QStringLiteral("TrNr"), m_trNr);
    tr.setValue(QStringLiteral("Art"), 1);
    tr.setValue(QStringLiteral("PersonNr"), m_options.owner);
    tr.setValue(QStringLiteral("Datum"), QDateTime::currentDateTime());
}

void FormDesign::beforePostForm(Cursor &tr) {
    const QDate today = QDate::currentDate();
    tr.setValue(QStringLiteral("Art"), 10 * m_kind + 1);
    tr.setValue(QStringLiteral("Woche"), weekText(today));
    tr.setValue(QStringLiteral("Wochentag"), weekdayText(today));
}

QString FormDesign::weekText(const QDate &day) {
    return QStringLiteral("%1").arg(WeekOfDate(day), 2, 10, QLatin1Char('0'));
}

QString FormDesign::weekdayText(const QDate &day) {
    return QLocale(QLocale::German, QLocale::Germany).toString(day, QStringLiteral("ddd"));
}

QString FormDesign::nameOf(const QString &beschreibung) {
    QString first = beschreibung;
    const qsizetype end = first.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (end >= 0)
        first.truncate(end);
    return first.left(50);
}

QString FormDesign::formName() {
    if (!m_form || !m_form->isOpen() || (m_form->recNo() < 0 && !m_form->isEditing()))
        return {};
    return nameOf(m_form->asString(QStringLiteral("Beschreibung")));
}

void FormDesign::setKind(int kind) {
    m_kind = std::clamp(kind, 0, 2);
}

// ---------------------------------------------------------------- blocks

void FormDesign::markBlocks() {
    run(m_db,
        QStringLiteral("UPDATE TRTABLE SET State = CASE WHEN TableNr IN "
                       "(SELECT TableNr FROM TRuseTBL WHERE FormularNr = ?) THEN 1 ELSE 0 END"),
        {m_formularNr});
}

void FormDesign::leaveNamePage() {
    {
        Transaction tx(m_db);
        markBlocks();
        tx.commit();
    }
    if (m_options.readOnly)
        return;
    m_form->edit();
    m_form->post();
    m_form->edit();
    if (m_new && !scalar(m_db, QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = ? AND TableNr = 0"),
                         {m_formularNr}))
        run(m_db, QStringLiteral("INSERT INTO TRuseTBL (FormularNr, \"Order\", TableNr) VALUES (?, 0, 0)"),
            {m_formularNr});
}

std::vector<FormDesign::Block> FormDesign::availableBlocks() {
    std::vector<Block> blocks;
    Statement st(m_db, QStringLiteral("SELECT TableNr, Name, Filename FROM TRTABLE WHERE coalesce(State, 0) = 0 AND "
                                      "TableNr <> 0 ORDER BY TableNr"));
    while (st.step()) {
        // A block left unfinished has no table: an entry could store nothing.
        const QString filename = st.value(2).toString().trimmed();
        if (filename.isEmpty() || !m_db.tableExists(filename))
            continue;
        blocks.push_back({st.value(0).toInt(), st.value(1).toString()});
    }
    SortBlocksByName(blocks);
    return blocks;
}

void FormDesign::SortBlocksByName(std::vector<Block> &blocks) {
    // As a German reader looks things up: without regard to case, umlauts
    // with their base letters.
    QCollator german{QLocale(QLocale::German, QLocale::Germany)};
    german.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(blocks.begin(), blocks.end(), [&german](const Block &a, const Block &b) {
        const int c = german.compare(a.name, b.name);
        return c != 0 ? c < 0 : a.tableNr < b.tableNr;
    });
}

std::vector<FormDesign::Block> FormDesign::chosenBlocks() {
    std::vector<Block> blocks;
    Statement st(m_db,
                 QStringLiteral("SELECT u.TableNr, t.Name FROM TRuseTBL u LEFT JOIN TRTABLE t ON t.TableNr = u.TableNr "
                                "WHERE u.FormularNr = ? AND u.TableNr > 0 ORDER BY u.\"Order\", u.TableNr"));
    st.bind(1, m_formularNr);
    while (st.step())
        blocks.push_back({st.value(0).toInt(), st.value(1).toString()});
    return blocks;
}

bool FormDesign::usesBlock(int tableNr) {
    return scalar(m_db, QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = ? AND TableNr = ?"),
                  {m_formularNr, tableNr}) > 0;
}

void FormDesign::includeBlock(int tableNr) {
    if (m_options.readOnly)
        throw VelmoraError(kReadOnly);
    Transaction tx(m_db);
    bool inserted = false;
    if (!usesBlock(tableNr)) {
        run(m_db, QStringLiteral("INSERT INTO TRuseTBL (FormularNr, \"Order\", TableNr) VALUES (?, ?, ?)"),
            {m_formularNr, m_nextBlockOrder, tableNr});
        inserted = true;
    }
    run(m_db, QStringLiteral("UPDATE TRTABLE SET State = 1 WHERE TableNr = ?"), {tableNr});
    tx.commit();
    if (inserted)
        ++m_nextBlockOrder;
}

void FormDesign::excludeBlock(int tableNr) {
    if (m_options.readOnly)
        throw VelmoraError(kReadOnly);
    if (tableNr == 0)
        return; // the entry's own columns belong to every form
    Transaction tx(m_db);
    run(m_db, QStringLiteral("DELETE FROM TRuseVAL WHERE FormularNr = ? AND TableNr = ?"), {m_formularNr, tableNr});
    run(m_db, QStringLiteral("DELETE FROM TRuseTBL WHERE FormularNr = ? AND TableNr = ?"), {m_formularNr, tableNr});
    run(m_db, QStringLiteral("UPDATE TRTABLE SET State = 0 WHERE TableNr = ?"), {tableNr});
    tx.commit();
}

// ---------------------------------------------------------------- fields

void FormDesign::deleteOrphanFields() {
    run(m_db,
        QStringLiteral("DELETE FROM FFIELD WHERE FormularNr = ?1 AND TableNr NOT IN "
                       "(SELECT TableNr FROM TRuseTBL WHERE FormularNr = ?1)"),
        {m_formularNr});
}

void FormDesign::alignFields() {
    if (m_options.readOnly)
        return;
    if (m_fields->isEditing())
        m_fields->post();
    Transaction tx(m_db);
    deleteOrphanFields();

    std::vector<int> blocks;
    {
        Statement st(m_db,
                     QStringLiteral("SELECT TableNr FROM TRuseTBL WHERE FormularNr = ? ORDER BY \"Order\", TableNr"));
        st.bind(1, m_formularNr);
        while (st.step())
            blocks.push_back(st.value(0).toInt());
    }
    for (int tableNr : blocks) {
        if (scalar(m_db, QStringLiteral("SELECT count(*) FROM FFIELD WHERE FormularNr = ? AND TableNr = ?"),
                   {m_formularNr, tableNr}))
            continue; // fields already present keep their settings
        // A block's fields are appended together: the element list walks
        // one block's elements as one run of the form's order.
        Statement st(m_db, QStringLiteral("SELECT \"Order\", Prefix, Postfix, Werte FROM TRFIELD WHERE TableNr = ?%1 "
                                          "ORDER BY \"Order\"")
                               .arg(tableNr == 0 ? QStringLiteral(" AND \"Order\" IN (1, 4)") : QString()));
        st.bind(1, tableNr);
        while (st.step()) {
            run(m_db,
                QStringLiteral("INSERT INTO FFIELD (FormularNr, \"Order\", TableNr, FeldNr, Prefix, Postfix, Werte) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {m_formularNr, m_nextFieldOrder, tableNr, st.value(0), st.value(1), st.value(2), st.value(3)});
            ++m_nextFieldOrder;
        }
    }
    tx.commit();
    m_fields->refresh();
}

std::vector<FormDesign::FieldRow> FormDesign::formFields() {
    std::vector<FieldRow> rows;
    Statement st(m_db,
                 QStringLiteral("SELECT f.\"Order\", f.TableNr, f.FeldNr, t.Name, d.Feldname, d.Typ, t.Grid, f.Prefix, "
                                "f.Postfix, f.Visible, f.Print "
                                "FROM FFIELD f LEFT JOIN TRTABLE t ON t.TableNr = f.TableNr "
                                "LEFT JOIN TRFIELD d ON d.TableNr = f.TableNr AND d.\"Order\" = f.FeldNr "
                                "WHERE f.FormularNr = ? AND f.TableNr <> 0 ORDER BY f.\"Order\""));
    st.bind(1, m_formularNr);
    while (st.step()) {
        FieldRow r;
        r.order = st.value(0).toInt();
        r.tableNr = st.value(1).toInt();
        r.feldNr = st.value(2).toInt();
        r.baustein = st.value(3).toString();
        r.feld = st.value(4).toString();
        r.typ = st.value(5).toString();
        r.grid = st.value(6).toInt() != 0;
        r.prefix = st.value(7).toString();
        r.postfix = st.value(8).toString();
        r.visible = st.value(9).isNull() || st.value(9).toInt() != 0;
        r.print = st.value(10).isNull() || st.value(10).toInt() != 0;
        rows.push_back(r);
    }
    return rows;
}

bool FormDesign::locateField(int order) {
    if (m_fields->isEditing())
        m_fields->cancel();
    m_fields->refresh();
    return m_fields->findKey({m_formularNr, order});
}

// ---------------------------------------------------------------- end

void FormDesign::finish(TTREList &elements) {
    if (m_options.readOnly)
        return;
    if (m_fields->isEditing())
        m_fields->post();
    m_form->edit();
    m_form->post();
    if (m_session) {
        m_session->commit();
        m_session.reset();
    }
    m_form->edit();
    replaceFormElements(m_db, m_formularNr, elements);
}

void FormDesign::cancel(TTREList &elements) {
    if (!m_form)
        return;
    if (m_fields && m_fields->isEditing())
        m_fields->cancel();
    m_form->cancel();
    if (m_options.readOnly)
        return;
    if (m_session) {
        // The form as it was before the designer opened; the cursors let go
        // of the rows first.
        m_form->close();
        if (m_fields)
            m_fields->close();
        m_session.reset();
    } else if (m_new) {
        // Without a session (it was committed already): remove what is left.
        Transaction tx(m_db);
        run(m_db, QStringLiteral("DELETE FROM TRuseVAL WHERE FormularNr = ?"), {m_formularNr});
        run(m_db, QStringLiteral("DELETE FROM FFIELD WHERE FormularNr = ?"), {m_formularNr});
        run(m_db, QStringLiteral("DELETE FROM TRuseTBL WHERE FormularNr = ?"), {m_formularNr});
        run(m_db, QStringLiteral("DELETE FROM TR WHERE SerienNr = ? AND TrNr = ?"), {m_serienNr, m_trNr});
        tx.commit();
    }
    if (m_new) {
        elements.RemoveForm(m_formularNr);
        return;
    }
    // The entry editor sees what is stored.
    replaceFormElements(m_db, m_formularNr, elements);
}

void FormDesign::checkValueList(Database &db, int tableNr, int feldNr, const QString &werte) {
    Statement st(db, QStringLiteral("SELECT Typ, \"Größe\" FROM TRFIELD WHERE TableNr = ? AND \"Order\" = ?"));
    st.bind(1, tableNr);
    st.bind(2, feldNr);
    if (!st.step() || st.value(0).toString().trimmed().toUpper() != QLatin1String("C") || st.value(1).isNull())
        return;
    // The block's column holds no more: a longer value would be cut when
    // an entry stores it.
    const int size = st.value(1).toInt();
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString &line : werte.split(lineBreak))
        if (size > 0 && line.size() > size)
            throw VelmoraError(kValueTooLong.arg(line).arg(size), QString::fromLatin1(kValuesControl));
}

std::vector<FormDesign::PickValue> FormDesign::pickValues(Database &db, int formularNr, int tableNr, int feldNr) {
    std::vector<PickValue> values;
    Statement st(db, QStringLiteral("SELECT u.\"Order\", u.ValueNr, v.Value FROM TRuseVAL u "
                                    "LEFT JOIN TRVALUE v ON v.ValueNr = u.ValueNr "
                                    "WHERE u.FormularNr = ? AND u.TableNr = ? AND u.FeldNr = ? ORDER BY u.\"Order\""));
    st.bind(1, formularNr);
    st.bind(2, tableNr);
    st.bind(3, feldNr);
    while (st.step())
        values.push_back({st.value(0).toInt(), st.value(1).toInt(), st.value(2).toString()});
    return values;
}

void FormDesign::replaceFormElements(Database &db, int formularNr, TTREList &elements) {
    Query query(db, FormElementQuerySqlForForm());
    query.setParam(QStringLiteral("FormularNr"), formularNr);
    query.open();
    elements.ReplaceForm(formularNr, query);
}

} // namespace velmora
