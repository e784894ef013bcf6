// A coach's first start, through the real windows: the wizard with the
// athlete card, the login, the main window and the open dialog.
#include "app/ProgramStart.h"
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "app/TPassCheck.h"
#include "app/TStartUp.h"
#include "base/Log.h"
#include "base/PasswordCode.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "people/TSportlerkartei.h"
#include "store/Cursor.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

using namespace velmora;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;
using velmora::test::whenShown;

namespace {
void type(QWidget &window, const char *name, const QString &text) {
    auto *e = window.findChild<QLineEdit *>(QString::fromLatin1(name));
    if (!e)
        qFatal("no line edit %s", name);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

void fillCard(TSportlerkartei &card, const QString &last, const QString &first, const char *sex,
              const QString &password) {
    type(card, "dbfNachname", last);
    if (!first.isEmpty())
        type(card, "dbfVorname", first);
    card.findChild<QRadioButton *>(QString::fromLatin1(sex))->click();
    type(card, "txtPasswort", password);
    type(card, "txtPasswortCheck", password);
    card.btnOkClick();
}
} // namespace

class TestFirstStart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coachsFirstStart();
    void cancelledWizardFails();
};

void TestFirstStart::coachsFirstStart() {
    TempInstallation inst(1);
    QFile::remove(inst.installation().settingsPath());
    SetSettingsPath(inst.installation().settingsPath());
    settings() = Settings();
    InitPaths(inst.dir() + QStringLiteral("/velmora5"), inst.dir(), inst.dir() + QStringLiteral("/DBLOG"), inst.dir());
    InitLog();
    MessageRecorder messages;
    messages.answer(true); // "Sind Ihre Personalien erfaßt?"

    ProgramStart start(inst.installation());
    whenShown<TStartUp>([](TStartUp &w) {
        type(w, "txtSerienNr", QStringLiteral("3"));
        w.btnWeiter1Click();
        whenShown<TSportlerkartei>([](TSportlerkartei &card) {
            fillCard(card, QStringLiteral("Trainer"), QStringLiteral("Tom"), "rbMaennlich", QStringLiteral("geheim"));
        });
        w.btnEingebenClick();
        type(w, "txtClub", QStringLiteral("LG Nord"));
        type(w, "txtKuerzel", QStringLiteral("LGN"));
        w.btnWeiter2Click();
        whenShown<TSportlerkartei>([](TSportlerkartei &card) {
            fillCard(card, QStringLiteral("Jugend"), QString(), "rbGruppe", QStringLiteral("gruppe"));
        });
        w.btnGruppeAnfuegenClick();
        w.btnWeiter3Click();
        whenShown<TSportlerkartei>([](TSportlerkartei &card) {
            fillCard(card, QStringLiteral("Berg"), QStringLiteral("Anna"), "rbWeiblich", QStringLiteral("laufen"));
        });
        w.btnSportlerAnfuegenClick();
        w.btnWeiter4Click();
        w.btnFertigClick();
    });
    QVERIFY(start.runFirstStart());
    QCOMPARE(settings().SerienNr, 3);
    QCOMPARE(settings().Level, 0);
    QCOMPARE(settings().Name, QStringLiteral("LG Nord"));
    const int coach = 3 * 65536 + 1;
    QCOMPARE(settings().User, coach);

    // A killed evaluation left its temporary table behind; the start drops it.
    inst.db().exec(QStringLiteral("CREATE TABLE TMP00002 (a); CREATE TABLE TMPKEYS (a)"));
    start.buildCache();
    QVERIFY(!inst.db().tableExists(QStringLiteral("TMP00002")));
    QVERIFY(inst.db().tableExists(QStringLiteral("TMPKEYS")));

    whenShown<TPassCheck>([coach](TPassCheck &login) {
        QVERIFY(login.locatePerson(coach));
        login.setPassword(QStringLiteral("geheim"));
        login.btnOkClick();
    });
    QVERIFY(start.login());
    QCOMPARE(start.loggedInPerson(), coach);

    std::unique_ptr<TMainForm> form = start.createMainWindow();
    form->show();
    QCOMPARE(form->windowTitle(), QStringLiteral("Velmora 5.3"));
    QCOMPARE(form->statusText(0), QStringLiteral("Angemeldet: Tom Trainer"));
    QCOMPARE(form->LoginPersonNr, coach);

    // The athlete is offered under "Protokoll" to the coach ("von meinem Trainer").
    QStringList protocolLeaves;
    whenShown<TFrmOpen>([&protocolLeaves](TFrmOpen &open) {
        open.findChild<QComboBox *>(QStringLiteral("cbxSelect"))->setCurrentIndex(2);
        auto *tree = open.findChild<QTreeWidget *>(QStringLiteral("tvOpen"));
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *group = tree->topLevelItem(i);
            if (group->text(0) == QLatin1String("Protokoll"))
                for (int j = 0; j < group->childCount(); ++j)
                    protocolLeaves << group->child(j)->text(0);
        }
        open.reject();
    });
    form->miOpen1Click();
    QVERIFY2(protocolLeaves.contains(QStringLiteral("Berg Anna ")), qPrintable(protocolLeaves.join(QLatin1Char('|'))));
    QVERIFY(messages.texts().size() == 1);

    // The card of the athlete keeps the group's coach.
    Cursor persons(inst.db(), QStringLiteral("PERSON"));
    persons.setOrder(QStringLiteral("Nachname"));
    persons.open();
    QVERIFY(persons.findKey({QStringLiteral("Berg")}));
    QCOMPARE(persons.asInt(QStringLiteral("TrainerNr")), coach);
    QCOMPARE(persons.asInt(QStringLiteral("Paßwort")),
             PasswordCode(persons.asInt(QStringLiteral("PersonNr")), QStringLiteral("laufen")));
    form->close();
}

void TestFirstStart::cancelledWizardFails() {
    TempInstallation inst(1);
    QFile::remove(inst.installation().settingsPath());
    SetSettingsPath(inst.installation().settingsPath());
    settings() = Settings();
    MessageRecorder messages;
    ProgramStart start(inst.installation());
    whenShown<TStartUp>([](TStartUp &w) { w.reject(); });
    QVERIFY(!start.runFirstStart());
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("Ersteinstieg mißlungen.\rStarten Sie das Programm bitte nochmals.")});
    settings() = Settings();
    ReadSettings();
    QVERIFY(settings().Level > 0); // the next start runs the wizard again
}

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"
