#include "controls/TDBTypeGrid.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
constexpr int kAerger = ClubFixture::kBase + 30;  // "Ärger", status T
constexpr int kStrasse = ClubFixture::kBase + 31; // "ßmann" would be odd; "Straßer", status T

void typeChar(QWidget *w, QChar c) {
    QKeyEvent press(QEvent::KeyPress, int(c.toUpper().unicode()), Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, int(c.toUpper().unicode()), Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
}

void typeText(QWidget *w, const QString &text) {
    for (QChar c : text)
        typeChar(w, c);
}

void addPerson(Database &db, int nr, const QString &last, const QVariant &status) {
    Cursor c(db, QStringLiteral("PERSON"));
    c.open();
    if (c.locate(QStringLiteral("PersonNr"), nr)) {
        c.edit();
    } else {
        c.append();
        c.setValue(QStringLiteral("PersonNr"), nr);
        c.setValue(QStringLiteral("Nachname"), last);
    }
    c.setValue(QStringLiteral("Status"), status);
    c.post();
}
} // namespace

class TestTDBTypeGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_inst = std::make_unique<test::TempInstallation>();
        ClubFixture club(m_inst->db());
        for (int p : {ClubFixture::kCoach, ClubFixture::kAnna, ClubFixture::kPaul, ClubFixture::kOtto})
            addPerson(m_inst->db(), p, {}, QStringLiteral("T"));
        addPerson(m_inst->db(), kAerger, QStringLiteral("Ärger"), QStringLiteral("T"));
        addPerson(m_inst->db(), kStrasse, QStringLiteral("Straßer"), QStringLiteral("T"));
        m_cursor = std::make_unique<Cursor>(m_inst->db(), QStringLiteral("PERSON"));
        m_cursor->setOrder(QStringLiteral("Status;Nachname;Vorname;Geburtsdatum"));
        m_cursor->setCaseInsensitive(true);
        m_cursor->open();
        m_grid = std::make_unique<TDBTypeGrid>();
        CursorModel *model = m_grid->setDataCursor(m_cursor.get());
        model->setColumns({{QStringLiteral("Nachname"), {}, 20}, {QStringLiteral("Vorname"), {}, 15}});
        m_grid->setTypePrefix(QStringLiteral("T"));
        QVERIFY(m_cursor->locate(QStringLiteral("PersonNr"), ClubFixture::kAnna));
    }
    void cleanup() {
        m_grid.reset();
        m_cursor.reset();
        m_inst.reset();
    }

    void typingFindsTheFamilyName() {
        typeText(m_grid.get(), QStringLiteral("me"));
        QCOMPARE(m_grid->typedText(), QStringLiteral("ME"));
        QCOMPARE(m_cursor->asInt(QStringLiteral("PersonNr")), ClubFixture::kPaul);
        QCOMPARE(m_grid->currentIndex().row(), m_cursor->recNo());
        // Typing never opens a cell editor.
        QVERIFY(m_grid->findChildren<QLineEdit *>().isEmpty());
    }

    void umlautsAndSharpS_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<int>("expected");
        // 228 (a with diaeresis) is ignored: no search, the cursor stays on Anna.
        QTest::newRow("228 ignored") << QStringLiteral("ä") << QString() << int(ClubFixture::kAnna);
        QTest::newRow("196 searched") << QStringLiteral("Ä") << QStringLiteral("Ä") << kAerger;
        QTest::newRow("223 searched") << QStringLiteral("straß") << QStringLiteral("STRAß") << kStrasse;
    }
    void umlautsAndSharpS() {
        QFETCH(QString, typed);
        QFETCH(QString, expectedText);
        QFETCH(int, expected);
        typeText(m_grid.get(), typed);
        QCOMPARE(m_grid->typedText(), expectedText);
        QCOMPARE(m_cursor->asInt(QStringLiteral("PersonNr")), expected);
    }

    void backspaceTakesBackWithoutSearching() {
        typeText(m_grid.get(), QStringLiteral("me"));
        // A search for "M" would leave Otto Fremd.
        QVERIFY(m_cursor->locate(QStringLiteral("PersonNr"), ClubFixture::kOtto));
        QTest::keyClick(m_grid.get(), Qt::Key_Backspace);
        QCOMPARE(m_grid->typedText(), QStringLiteral("M"));
        QCOMPARE(m_cursor->asInt(QStringLiteral("PersonNr")), ClubFixture::kOtto);
        typeChar(m_grid.get(), QLatin1Char('e'));
        QCOMPARE(m_grid->typedText(), QStringLiteral("ME"));
        QCOMPARE(m_cursor->asInt(QStringLiteral("PersonNr")), ClubFixture::kPaul);
    }

    void arrowMovesAndStartsANewSearch() {
        typeText(m_grid.get(), QStringLiteral("fr"));
        QCOMPARE(m_cursor->asInt(QStringLiteral("PersonNr")), ClubFixture::kOtto);
        const int row = m_cursor->recNo();
        QTest::keyClick(m_grid.get(), Qt::Key_Down);
        QVERIFY(m_grid->typedText().isEmpty());
        QCOMPARE(m_cursor->recNo(), row + 1);
        QCOMPARE(m_grid->currentIndex().row(), row + 1);
        typeChar(m_grid.get(), QLatin1Char('b'));
        QCOMPARE(m_grid->typedText(), QStringLiteral("B"));
        QCOMPARE(m_cursor->asInt(QStringLiteral("PersonNr")), ClubFixture::kAnna);
    }

    void shiftAndDeleteKeepTheText() {
        typeText(m_grid.get(), QStringLiteral("me"));
        QTest::keyClick(m_grid.get(), Qt::Key_Shift);
        QTest::keyClick(m_grid.get(), Qt::Key_Delete);
        QCOMPARE(m_grid->typedText(), QStringLiteral("ME"));
        m_grid->clearTypedText();
        QVERIFY(m_grid->typedText().isEmpty());
    }

    void limits() {
        m_grid->setTypePrefix(QStringLiteral("ABCDEFGHIJKLMN"));
        QCOMPARE(m_grid->typePrefix(), QStringLiteral("ABCDEFGHIJ"));
        m_grid->setTypePrefix(QStringLiteral("T"));
        typeText(m_grid.get(), QString(60, QLatin1Char('z')));
        QCOMPARE(m_grid->typedText(), QString(50, QLatin1Char('Z')));
    }

    void viewAndCursorMoveTogether() {
        m_cursor->last();
        QCOMPARE(m_grid->currentIndex().row(), m_cursor->recNo());
        m_grid->setCurrentIndex(m_grid->model()->index(1, 0));
        QCOMPARE(m_cursor->recNo(), 1);
    }

    void badKeyValueIsShown() {
        test::MessageRecorder messages;
        // Status, name and first name of the row typed in full reach the birth date.
        QVERIFY(m_cursor->locate(QStringLiteral("PersonNr"), ClubFixture::kAnna));
        typeText(m_grid.get(), QStringLiteral("bergann"));
        QCOMPARE(m_cursor->asInt(QStringLiteral("PersonNr")), ClubFixture::kAnna);
        // The whole first name leaves a blank birth date in the key: still Anna.
        typeChar(m_grid.get(), QLatin1Char('a'));
        QCOMPARE(m_cursor->asInt(QStringLiteral("PersonNr")), ClubFixture::kAnna);
        QVERIFY(messages.entries().isEmpty());
        // A letter is no date.
        typeChar(m_grid.get(), QLatin1Char('x'));
        QCOMPARE(messages.texts(test::MessageRecorder::Kind::Error).size(), 1);
        QCOMPARE(m_cursor->asInt(QStringLiteral("PersonNr")), ClubFixture::kAnna);
    }

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<Cursor> m_cursor;
    std::unique_ptr<TDBTypeGrid> m_grid;
};

QTEST_MAIN(TestTDBTypeGrid)
#include "tst_tdbtypegrid.moc"
