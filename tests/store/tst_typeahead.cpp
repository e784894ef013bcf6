#include "store/Cursor.h"
#include "store/TypeAhead.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
constexpr int kMayer = ClubFixture::kBase + 20;  // Max Mayer, status T
constexpr int kVries = ClubFixture::kBase + 21;  // Eva de Vries, status T, lower-case name

void setStatus(Database &db, int personNr, const QVariant &status) {
    Cursor c(db, QStringLiteral("PERSON"));
    c.open();
    QVERIFY(c.locate(QStringLiteral("PersonNr"), personNr));
    c.edit();
    c.setValue(QStringLiteral("Status"), status);
    c.post();
}

void addPerson(Database &db, int nr, const QString &last, const QString &first) {
    Cursor c(db, QStringLiteral("PERSON"));
    c.open();
    c.append();
    c.setValue(QStringLiteral("PersonNr"), nr);
    c.setValue(QStringLiteral("Nachname"), last);
    c.setValue(QStringLiteral("Vorname"), first);
    c.setValue(QStringLiteral("Status"), QStringLiteral("T"));
    c.post();
}
} // namespace

class TestTypeAhead : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        m_inst = std::make_unique<test::TempInstallation>();
        ClubFixture club(m_inst->db());
        Database &db = m_inst->db();
        for (int p : {ClubFixture::kCoach, ClubFixture::kAnna, ClubFixture::kPaul, ClubFixture::kOtto})
            setStatus(db, p, QStringLiteral("T"));
        setStatus(db, ClubFixture::kJugend, QStringLiteral("G"));
        // Senioren keeps no status at all.
        addPerson(db, kMayer, QStringLiteral("Mayer"), QStringLiteral("Max"));
        addPerson(db, kVries, QStringLiteral("de Vries"), QStringLiteral("Eva"));
    }
    void cleanupTestCase() { m_inst.reset(); }

    // The login's order: null status first, then G, then T by name without regard to case.
    void search_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("expected");
        QTest::newRow("one letter") << ClubFixture::kAnna << "T" << "M" << kMayer;
        QTest::newRow("two letters") << ClubFixture::kAnna << "T" << "ME" << ClubFixture::kPaul;
        QTest::newRow("case does not split the order") << ClubFixture::kAnna << "T" << "MEI" << ClubFixture::kPaul;
        QTest::newRow("lower-case name") << ClubFixture::kAnna << "T" << "DE" << kVries;
        QTest::newRow("beyond the last name: last row") << ClubFixture::kAnna << "T" << "Z" << ClubFixture::kCoach;
        QTest::newRow("whole family name, then first name")
            << ClubFixture::kPaul << "T" << "MEIERP" << ClubFixture::kPaul;
        QTest::newRow("from the row without status") << ClubFixture::kSenioren << "T" << "M" << ClubFixture::kJugend;
        QTest::newRow("without prefix the status is typed") << ClubFixture::kAnna << "" << "G" << ClubFixture::kJugend;
        QTest::newRow("empty typed text: first of the status") << ClubFixture::kPaul << "T" << "" << ClubFixture::kAnna;
    }
    void search() {
        QFETCH(int, from);
        QFETCH(QString, prefix);
        QFETCH(QString, typed);
        QFETCH(int, expected);
        Cursor c(m_inst->db(), QStringLiteral("PERSON"));
        c.setOrder(QStringLiteral("Status;Nachname;Vorname;Geburtsdatum"));
        c.setCaseInsensitive(true);
        c.open();
        QVERIFY(c.locate(QStringLiteral("PersonNr"), from));
        TypeAhead::search(c, prefix, typed);
        QCOMPARE(c.asInt(QStringLiteral("PersonNr")), expected);
    }

    void searchKeyFollowsTheCurrentRow() {
        Cursor c(m_inst->db(), QStringLiteral("PERSON"));
        c.setOrder(QStringLiteral("Status;Nachname;Vorname;Geburtsdatum"));
        c.open();
        QVERIFY(c.locate(QStringLiteral("PersonNr"), ClubFixture::kAnna));
        // The example of the login list: T is the row's status, ME is not its name.
        QCOMPARE(TypeAhead::searchKey(c, QStringLiteral("TME")), QVariantList({"T", "ME"}));
        QCOMPARE(TypeAhead::searchKey(c, QStringLiteral("TBERGA")), QVariantList({"T", "Berg", "A"}));
        // The whole name: the birth date is left blank, not empty text.
        const QVariantList whole = TypeAhead::searchKey(c, QStringLiteral("TBERGANNA"));
        QCOMPARE(whole.size(), 4);
        QCOMPARE(whole.at(2).toString(), QStringLiteral("Anna"));
        QVERIFY(whole.at(3).isNull());
        TypeAhead::search(c, QStringLiteral("T"), QStringLiteral("BERGANNA"));
        QCOMPARE(c.asInt(QStringLiteral("PersonNr")), int(ClubFixture::kAnna));
        QVERIFY(c.locate(QStringLiteral("PersonNr"), ClubFixture::kSenioren));
        const QVariantList key = TypeAhead::searchKey(c, QStringLiteral("TM"));
        QCOMPARE(key.size(), 2);
        QVERIFY(key.at(0).isNull());
        QCOMPARE(key.at(1).toString(), QStringLiteral("TM"));
    }

    void acceptChar_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("result");  // -1: ignored
        QTest::newRow("a") << int('a') << int('A');
        QTest::newRow("z") << int('z') << int('Z');
        QTest::newRow("M") << int('M') << int('M');
        QTest::newRow("blank") << 32 << 32;
        QTest::newRow("digit") << int('7') << int('7');
        QTest::newRow("a diaeresis 228") << 228 << -1;
        QTest::newRow("o diaeresis 246") << 246 << -1;
        QTest::newRow("sharp s 223") << 223 << 223;
        QTest::newRow("A diaeresis 196") << 196 << 196;
        QTest::newRow("209") << 209 << 209;
        QTest::newRow("210") << 210 << -1;
        QTest::newRow("tab") << 9 << -1;
        QTest::newRow("euro sign") << 0x20AC << -1;
    }
    void acceptChar() {
        QFETCH(int, code);
        QFETCH(int, result);
        const std::optional<QChar> c = TypeAhead::acceptChar(QChar(char16_t(code)));
        QCOMPARE(c ? int(c->unicode()) : -1, result);
    }

    void effectOfKey_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("effect");
        using E = TypeAhead::Effect;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(E::RemoveLast);
        QTest::newRow("shift") << int(Qt::Key_Shift) << int(E::Keep);
        QTest::newRow("delete") << int(Qt::Key_Delete) << int(E::Keep);
        QTest::newRow("down") << int(Qt::Key_Down) << int(E::Clear);
        QTest::newRow("left") << int(Qt::Key_Left) << int(E::Clear);
        QTest::newRow("return") << int(Qt::Key_Return) << int(E::Clear);
        QTest::newRow("escape") << int(Qt::Key_Escape) << int(E::Clear);
        QTest::newRow("tab") << int(Qt::Key_Tab) << int(E::Clear);
        QTest::newRow("page down") << int(Qt::Key_PageDown) << int(E::Clear);
        QTest::newRow("home") << int(Qt::Key_Home) << int(E::Clear);
        QTest::newRow("insert") << int(Qt::Key_Insert) << int(E::Clear);
        QTest::newRow("control") << int(Qt::Key_Control) << int(E::Clear);
        QTest::newRow("letter") << int(Qt::Key_M) << int(E::Keep);
        QTest::newRow("space") << int(Qt::Key_Space) << int(E::Keep);
        QTest::newRow("F5") << int(Qt::Key_F5) << int(E::Keep);
    }
    void effectOfKey() {
        QFETCH(int, key);
        QFETCH(int, effect);
        QCOMPARE(int(TypeAhead::effectOfKey(key)), effect);
    }

private:
    std::unique_ptr<test::TempInstallation> m_inst;
};

QTEST_GUILESS_MAIN(TestTypeAhead)
#include "tst_typeahead.moc"
