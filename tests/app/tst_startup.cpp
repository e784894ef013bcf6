#include "app/TStartUp.h"
#include "base/Paths.h"
#include "base/RegFile.h"
#include "base/Settings.h"
#include "store/Cursor.h"
#include "store/Keys.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

using namespace velmora;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;

namespace {
int addPerson(Database &db, const QString &last, const QString &first, const QString &sex, int coach) {
    Cursor c(db, QStringLiteral("PERSON"));
    c.open();
    c.append();
    const int nr = nextObjectKey(db, QStringLiteral("PERSON"), QStringLiteral("PersonNr"), settings().SerienNr);
    c.setValue(QStringLiteral("PersonNr"), nr);
    c.setValue(QStringLiteral("Nachname"), last);
    c.setValue(QStringLiteral("Vorname"), first);
    c.setValue(QStringLiteral("Sex"), sex);
    c.setValue(QStringLiteral("TrainerNr"), coach);
    c.post();
    return nr;
}

QString memoText(TStartUp &w, const char *name) {
    return w.findChild<QPlainTextEdit *>(QString::fromLatin1(name))->toPlainText();
}
} // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void walkThrough();
    void tabsDoNotMovePages();
    void serialRefused_data();
    void serialRefused();
    void resumesWithStoredCoach();
    void fertigAnsweredNo();
    void regFileMergedOnce();
    void textsShowNoMnemonics();

private:
    QSettings store() { return QSettings(SettingsPath(), QSettings::IniFormat); }
    std::unique_ptr<TempInstallation> m_inst;
};

void TestStartUp::init() {
    m_inst = std::make_unique<TempInstallation>(0 + 1);
    // A fresh installation without a number yet.
    QFile::remove(m_inst->installation().settingsPath());
    SetSettingsPath(m_inst->installation().settingsPath());
    settings() = Settings();
    ReadSettings();
    InitPaths(m_inst->dir() + QStringLiteral("/velmora5"), m_inst->dir(), m_inst->dir(), m_inst->dir());
}

void TestStartUp::cleanup() {
    m_inst.reset();
}

void TestStartUp::walkThrough() {
    MessageRecorder messages;
    messages.answer(true);
    TStartUp w;
    Database &db = m_inst->db();
    w.editPerson = [&](int nr, int coach, bool group) {
        if (nr == 0 && !group && coach == 0)
            return addPerson(db, QStringLiteral("Trainer"), QStringLiteral("Tom"), QStringLiteral("M"), 0);
        if (group)
            return addPerson(db, QStringLiteral("Jugend"), QString(), QStringLiteral("X"), coach);
        return addPerson(db, QStringLiteral("O'Berg"), QStringLiteral("Anna"), QStringLiteral("F"), coach);
    };
    w.findChild<QLineEdit *>(QStringLiteral("txtSerienNr"))->setText(QStringLiteral("7"));
    w.btnWeiter1Click();
    QCOMPARE(w.currentPage(), 1);
    QCOMPARE(settings().SerienNr, 7);
    QVERIFY(!w.findChild<QPushButton *>(QStringLiteral("btnWeiter2"))->isEnabled());
    w.btnEingebenClick();
    QCOMPARE(w.coachNr(), 7 * 65536 + 1);
    QCOMPARE(memoText(w, "mmoTrainer"), QStringLiteral("Tom Trainer"));
    QVERIFY(w.findChild<QPushButton *>(QStringLiteral("btnWeiter2"))->isEnabled());
    w.findChild<QLineEdit *>(QStringLiteral("txtClub"))->setText(QStringLiteral("LG Nord"));
    w.findChild<QLineEdit *>(QStringLiteral("txtKuerzel"))->setText(QStringLiteral("LGN"));
    w.btnWeiter2Click();
    QCOMPARE(store().value(QStringLiteral("Startup/Level")).toInt(), 2);
    QCOMPARE(store().value(QStringLiteral("Startup/User")).toInt(), w.coachNr());
    QCOMPARE(store().value(QStringLiteral("Club/Name")).toString(), QStringLiteral("LG Nord"));
    QCOMPARE(store().value(QStringLiteral("Club/Kuerzel")).toString(), QStringLiteral("LGN"));
    w.btnGruppeAnfuegenClick();
    QCOMPARE(memoText(w, "mmoTrainingsgruppe"), QStringLiteral("Jugend"));
    w.btnWeiter3Click();
    QCOMPARE(w.currentPage(), 3);
    QCOMPARE(store().value(QStringLiteral("Startup/Level")).toInt(), 3);
    QCOMPARE(memoText(w, "mmoSportler"), QStringLiteral(" Jugend"));
    w.btnSportlerAnfuegenClick();
    QCOMPARE(memoText(w, "mmoSportler"), QStringLiteral(" Jugend\nAnna O'Berg"));
    w.btnWeiter4Click();
    QCOMPARE(store().value(QStringLiteral("Startup/Level")).toInt(), 4);
    QVERIFY(w.findChild<QPushButton *>(QStringLiteral("btnBackup"))->isEnabled());
    w.btnFertigClick();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(messages.texts(),
             QStringList{
                 QStringLiteral("Sind Ihre Personalien erfaßt?\rWenn ja wird dieser Assistent nicht mehr gestartet.")});
    QCOMPARE(store().value(QStringLiteral("Startup/Level")).toInt(), 0);
    QCOMPARE(store().value(QStringLiteral("Startup/reg")).toInt(), 0);
}

void TestStartUp::tabsDoNotMovePages() {
    TStartUp w;
    auto *tabs = w.findChild<QTabWidget *>(QStringLiteral("pcStartUp"));
    tabs->setCurrentIndex(3);
    QCOMPARE(w.currentPage(), 0);
    QVERIFY(w.findChild<QPushButton *>(QStringLiteral("btnAbbruch1"))->isEnabled());
    QVERIFY(!w.findChild<QPushButton *>(QStringLiteral("btnAbbruch2"))->isEnabled());
    QVERIFY(!w.findChild<QPushButton *>(QStringLiteral("btnHilfe1"))->isEnabled());
    // The exchange window's import is offered on the first page.
    QVERIFY(w.findChild<QPushButton *>(QStringLiteral("btnImport"))->isEnabled());
}

void TestStartUp::serialRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("rowsUnderOldNumber");
    QTest::addColumn<QString>("message");
    const QString range = QStringLiteral("Die Installationsnummer muss zwischen 1 und 32767 liegen.");
    QTest::newRow("zero") << "0" << false << range;
    QTest::newRow("too big") << "32768" << false << range;
    QTest::newRow("not a number") << "sieben" << false << range;
    QTest::newRow("rows under the stored number") << "9" << true
                                                  << "Die Installationsnummer 9 kann nicht verwendet werden: Diese "
                                                     "Installation hat bereits Daten unter der Nummer 5 angelegt.";
}

void TestStartUp::serialRefused() {
    QFETCH(QString, text);
    QFETCH(bool, rowsUnderOldNumber);
    QFETCH(QString, message);
    WriteSerienNr(5);
    if (rowsUnderOldNumber)
        m_inst->db().exec(QStringLiteral("INSERT INTO TR (SerienNr, TrNr) VALUES (5, 1)"));
    MessageRecorder messages;
    TStartUp w;
    QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("txtSerienNr"))->text(), QStringLiteral("5"));
    w.findChild<QLineEdit *>(QStringLiteral("txtSerienNr"))->setText(text);
    w.btnWeiter1Click();
    QCOMPARE(messages.texts(), QStringList{message});
    QCOMPARE(w.currentPage(), 0);
    QCOMPARE(settings().SerienNr, 5);
    QCOMPARE(store().value(QStringLiteral("Allgemeines/SerienNr")).toInt(), 5);
}

void TestStartUp::resumesWithStoredCoach() {
    WriteSerienNr(3);
    const int coach = addPerson(m_inst->db(), QStringLiteral("Trainer"), QStringLiteral("Tom"), QStringLiteral("M"), 0);
    WriteStartupUser(coach);
    WriteClubSettings(QStringLiteral("TSV Süd"), QStringLiteral("TSV"));
    TStartUp w;
    w.btnWeiter1Click();
    QCOMPARE(w.coachNr(), coach);
    QCOMPARE(memoText(w, "mmoTrainer"), QStringLiteral("Tom Trainer"));
    QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("txtClub"))->text(), QStringLiteral("TSV Süd"));
    QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("txtKuerzel"))->text(), QStringLiteral("TSV"));
    QVERIFY(w.findChild<QPushButton *>(QStringLiteral("btnWeiter2"))->isEnabled());
}

void TestStartUp::fertigAnsweredNo() {
    WriteStartupLevel(4);
    MessageRecorder messages;
    messages.answer(false);
    TStartUp w;
    w.btnFertigClick();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(store().value(QStringLiteral("Startup/Level")).toInt(), 4);
    QVERIFY(!store().contains(QStringLiteral("Startup/reg")));
}

void TestStartUp::regFileMergedOnce() {
    QFile reg(paths().programDir + QStringLiteral("Add53.reg"));
    QVERIFY(reg.open(QIODevice::WriteOnly));
    reg.write("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Norvask\\Velmora5\\5.3\\Allgemeines]\r\n"
              "\"PackCommand\"=\"zip -r\"\r\n\"Toolbar\"=dword:00000000\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Andere\\Firma]\r\n\"X\"=\"y\"\r\n");
    reg.close();
    MessageRecorder messages;
    messages.answer(true);
    messages.answer(true);
    {
        TStartUp w;
        w.btnFertigClick();
    }
    QCOMPARE(store().value(QStringLiteral("Allgemeines/PackCommand")).toString(), QStringLiteral("zip -r"));
    QCOMPARE(store().value(QStringLiteral("Allgemeines/Toolbar")).toInt(), 0);
    QVERIFY(!store().contains(QStringLiteral("Firma/X")));
    // The second time the file is left alone.
    QSettings s(SettingsPath(), QSettings::IniFormat);
    s.setValue(QStringLiteral("Allgemeines/PackCommand"), QStringLiteral("eigener"));
    s.sync();
    {
        TStartUp w;
        w.btnFertigClick();
    }
    QCOMPARE(store().value(QStringLiteral("Allgemeines/PackCommand")).toString(), QStringLiteral("eigener"));
    QCOMPARE(MergeRegFile(paths().programDir + QStringLiteral("fehlt.reg"), SettingsPath()), 0);
}

// The page texts name the buttons as the user sees them: the "&" of a
// button caption marks its shortcut and is not drawn there.
void TestStartUp::textsShowNoMnemonics() {
    TStartUp w;
    QStringList texts;
    for (const QLabel *label : w.findChildren<QLabel *>()) {
        if (!label->buddy())
            QVERIFY2(!label->text().contains(QLatin1Char('&')), qPrintable(label->text()));
        texts << label->text();
    }
    QVERIFY(texts.contains(QStringLiteral("   Geben Sie Ihre Personalien bitte nur einmal mit \"eingeben\" an.")));
    QVERIFY(texts.contains(
        QStringLiteral("   Haben Sie Ihre Daten bereits eingelesen, wählen Sie sie mit \"suchen\" aus.")));
    QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("btnEingeben"))->text(), QStringLiteral("&eingeben"));
    QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("btnSuchen"))->text(), QStringLiteral("&suchen"));
}

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
