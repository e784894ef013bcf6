// The open dialog driven offscreen on the club fixture's document list:
// what the tree offers per mode and choice, the time buttons, the results
// and read-only flags, and when the user's choices reach Profil.
#include "app/DocumentList.h"
#include "app/TFrmOpen.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;

namespace {

const QString kAnnaName = QStringLiteral("Berg Anna 17.05.1990");
const QString kPaulName = QStringLiteral("Meier Paul ");
const QString kTomName = QStringLiteral("Trainer Tom 03.02.1970");

struct Login {
    int person, group, coach;
};
const Login kAsCoach{ClubFixture::kCoach, ClubFixture::kJugend, ClubFixture::kCoach};
const Login kAsAnna{ClubFixture::kAnna, ClubFixture::kJugend, ClubFixture::kCoach};
const Login kAsPaul{ClubFixture::kPaul, ClubFixture::kJugend, ClubFixture::kCoach};

template <typename T> T *child(QWidget &w, const char *name) {
    T *c = w.findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("control %s missing", name);
    return c;
}

QTreeWidget *tree(TFrmOpen &d) {
    return child<QTreeWidget>(d, "tvOpen");
}

QStringList topCaptions(TFrmOpen &d) {
    QStringList out;
    for (int i = 0; i < tree(d)->topLevelItemCount(); ++i)
        out << tree(d)->topLevelItem(i)->text(0);
    return out;
}

QTreeWidgetItem *topNode(TFrmOpen &d, const QString &caption) {
    for (int i = 0; i < tree(d)->topLevelItemCount(); ++i)
        if (tree(d)->topLevelItem(i)->text(0) == caption)
            return tree(d)->topLevelItem(i);
    return nullptr;
}

QStringList leaves(TFrmOpen &d, const QString &caption) {
    QStringList out;
    if (QTreeWidgetItem *node = topNode(d, caption))
        for (int i = 0; i < node->childCount(); ++i)
            out << node->child(i)->text(0);
    return out;
}

QTreeWidgetItem *leaf(TFrmOpen &d, const QString &caption, const QString &text) {
    if (QTreeWidgetItem *node = topNode(d, caption))
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->text(0) == text)
                return node->child(i);
    return nullptr;
}

QStringList profilRows(Database &db) {
    Query q(db, QStringLiteral("select PersonNr, OpenData, OpenExtend, OpenVon, OpenBis, OpenFormFilter from Profil "
                               "order by PersonNr"));
    q.open();
    QStringList rows;
    for (q.first(); !q.eof(); q.next()) {
        QStringList cells;
        for (int i = 0; i < 6; ++i)
            cells << (q.value(i).isNull() ? QStringLiteral("-") : q.value(i).toString());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class TestFrmOpen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void creationDefaults();
    void standardMode();
    void extendedModeToggles();
    void choices_data();
    void choices();
    void vonAllenHidesGroupsZeroAndOne();
    void openOnlyOnLeaf();
    void enterAndDoubleClickOpen();
    void timeButtons_data();
    void timeButtons();
    void readOnlyByKind_data();
    void readOnlyByKind();
    void resultsOfOpen();
    void cancelLeavesProfil_data();
    void cancelLeavesProfil();
    void activationRestoresProfil();
    void invalidDateRefused();
    void datesReadAsEveryDateEdit_data();
    void formLeafShowsTheFirstLine();
    void datesReadAsEveryDateEdit();
    void engineErrorShown();

private:
    std::unique_ptr<TFrmOpen> dialog(const Login &login, bool show = true);

    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
};

void TestFrmOpen::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
}

void TestFrmOpen::cleanup() {
    m_club.reset();
    m_inst.reset();
}

// The document list of the user, then the dialog as the main window makes it.
std::unique_ptr<TFrmOpen> TestFrmOpen::dialog(const Login &login, bool show) {
    RebuildDocumentList(m_inst->db(), nullptr, login.person, login.group);
    auto d = std::make_unique<TFrmOpen>();
    d->setLoginPersonNr(login.person);
    d->setLoginGruppenNr(login.group);
    d->setLoginTrainerNr(login.coach);
    if (show)
        d->show();
    return d;
}

void TestFrmOpen::creationDefaults() {
    auto d = dialog(kAsCoach, false);
    QCOMPARE(d->windowTitle(), QStringLiteral("Öffnen"));
    QCOMPARE(d->Art(), 2);
    QCOMPARE(d->Key2(), 0);
    QVERIFY(d->Name().isEmpty());
    QVERIFY(!d->isExtended());
    QVERIFY(!d->ReadOnly());
    QVERIFY(!d->Von().isValid());
    QVERIFY(!d->Bis().isValid());
    auto *erweitert = child<QPushButton>(*d, "btnErweitert");
    QCOMPARE(erweitert->text(), QStringLiteral("&Erweitert   >>>"));
    QCOMPARE(erweitert->toolTip(), QStringLiteral("Um selten benötigte Elemente zu öffnen"));
    QVERIFY(child<QPushButton>(*d, "btnOeffnen")->isDefault());
    QCOMPARE(child<QPushButton>(*d, "btnOeffnen")->text(), QStringLiteral("&Öffnen"));
    QCOMPARE(child<QPushButton>(*d, "btnAbbrechen")->text(), QStringLiteral("&Abbrechen"));
    QVERIFY(!child<QPushButton>(*d, "btnHilfe")->isEnabled());
    QVERIFY(!child<QPushButton>(*d, "btnZyklus")->isEnabled());
    auto *select = child<QComboBox>(*d, "cbxSelect");
    QCOMPARE(select->count(), 4);
    QCOMPARE(select->itemText(0), QStringLiteral("nur von mir"));
    QCOMPARE(select->itemText(3), QStringLiteral("von allen"));
    QCOMPARE(child<QSpinBox>(*d, "txtWoche")->maximum(), 52);
    QCOMPARE(child<QSpinBox>(*d, "txtJahr")->minimum(), 1875);
    QCOMPARE(child<QSpinBox>(*d, "txtJahr")->maximum(), 2100);
    QCOMPARE(d->images().size(), size_t(13));
}

void TestFrmOpen::standardMode() {
    auto d = dialog(kAsCoach);
    QCOMPARE(topCaptions(*d), (QStringList{"Plan", "Protokoll", "Auswertung", "Arbeitsbuch"}));
    QTreeWidgetItem *plan = topNode(*d, QStringLiteral("Plan"));
    QCOMPARE(plan->data(0, TFrmOpen::ImageIndexRole).toInt(), 1);
    QCOMPARE(plan->data(0, TFrmOpen::SelectedIndexRole).toInt(), 0);
    QVERIFY(!d->keyEntry(plan));
    QTreeWidgetItem *tom = leaf(*d, QStringLiteral("Plan"), kTomName);
    QVERIFY(tom);
    QCOMPARE(tom->data(0, TFrmOpen::ImageIndexRole).toInt(), 3);
    QCOMPARE(tom->data(0, TFrmOpen::SelectedIndexRole).toInt(), 2);
    QCOMPARE(d->keyEntry(tom)->Art, 3);
    QTreeWidgetItem *eval = leaf(*d, QStringLiteral("Auswertung"), QStringLiteral("Umfang pro Woche"));
    QVERIFY(eval);
    QCOMPARE(eval->data(0, TFrmOpen::ImageIndexRole).toInt(), 7);
    QCOMPARE(eval->data(0, TFrmOpen::SelectedIndexRole).toInt(), 8);
    QCOMPARE(d->keyEntry(eval)->Art, -95);
}

void TestFrmOpen::extendedModeToggles() {
    auto d = dialog(kAsCoach);
    auto *erweitert = child<QPushButton>(*d, "btnErweitert");
    d->btnErweitertClick();
    QVERIFY(d->isExtended());
    QCOMPARE(erweitert->text(), QStringLiteral("<<< &Standard"));
    QCOMPARE(topCaptions(*d), (QStringList{"Sportler & Gruppen", "Plan", "Protokoll", "Formularbaustein", "Formular",
                                           "Filter", "Auswertung", "Arbeitsbuch"}));
    QCOMPARE(
        leaf(*d, QStringLiteral("Formularbaustein"), QStringLiteral("Lauf"))->data(0, TFrmOpen::ImageIndexRole).toInt(),
        10);
    QCOMPARE(leaf(*d, QStringLiteral("Sportler & Gruppen"), kTomName)->data(0, TFrmOpen::SelectedIndexRole).toInt(), 6);
    QTest::mouseClick(erweitert, Qt::LeftButton);
    QVERIFY(!d->isExtended());
    QCOMPARE(erweitert->text(), QStringLiteral("&Erweitert >>>"));
    QCOMPARE(topCaptions(*d), (QStringList{"Plan", "Protokoll", "Auswertung", "Arbeitsbuch"}));
}

void TestFrmOpen::choices_data() {
    QTest::addColumn<int>("who"); // 0 coach, 1 Anna
    QTest::addColumn<bool>("extended");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("expected");
    const QStringList jugend = {"Jugend", kAnnaName, kPaulName, kTomName};
    QTest::newRow("coach: Plan, nur von mir") << 0 << false << 0 << "Plan" << QStringList{"Jugend", kTomName};
    QTest::newRow("coach: Protokoll, meine Gruppe") << 0 << false << 1 << "Protokoll" << jugend;
    QTest::newRow("coach: Protokoll, mein Trainer") << 0 << false << 2 << "Protokoll" << jugend;
    QTest::newRow("coach: Auswertung, nur von mir")
        << 0 << false << 0 << "Auswertung" << QStringList{"Umfang pro Woche"};
    QTest::newRow("coach: Sportler, nur von mir") << 0 << true << 0 << "Sportler & Gruppen" << QStringList{kTomName};
    QTest::newRow("coach: Formularbaustein")
        << 0 << true << 0 << "Formularbaustein" << QStringList{"Lauf", "Tagebucheintrag"};
    QTest::newRow("coach: Formular") << 0 << true << 3 << "Formular" << QStringList{"Laufprotokoll"};
    QTest::newRow("coach: Filter") << 0 << true << 1 << "Filter" << QStringList{"Ausdauer"};
    QTest::newRow("Anna: Plan, nur von mir") << 1 << false << 0 << "Plan" << QStringList{kAnnaName};
    QTest::newRow("Anna: Auswertung, nur von mir") << 1 << false << 0 << "Auswertung" << QStringList{};
    QTest::newRow("Anna: Auswertung, mein Trainer")
        << 1 << false << 2 << "Auswertung" << QStringList{"Umfang pro Woche"};
    QTest::newRow("Anna: Arbeitsbuch, von allen") << 1 << false << 3 << "Arbeitsbuch" << QStringList{"Saison"};
    QTest::newRow("Anna: Arbeitsbuch, nur von mir") << 1 << false << 0 << "Arbeitsbuch" << QStringList{};
}

void TestFrmOpen::choices() {
    QFETCH(int, who);
    QFETCH(bool, extended);
    QFETCH(int, choice);
    QFETCH(QString, caption);
    QFETCH(QStringList, expected);
    auto d = dialog(who == 0 ? kAsCoach : kAsAnna);
    if (extended)
        d->btnErweitertClick();
    child<QComboBox>(*d, "cbxSelect")->setCurrentIndex(choice);
    QVERIFY(topNode(*d, caption));
    QCOMPARE(leaves(*d, caption), expected);
}

void TestFrmOpen::vonAllenHidesGroupsZeroAndOne() {
    Database &db = m_inst->db();
    db.exec(QStringLiteral(
        "INSERT INTO PERSON (PersonNr, Nachname, Vorname, Sex, GruppenNr, TrainerNr, LeserechteAndere) VALUES "
        "(65600, 'Null', 'Nora', 'F', 0, 0, 1), (65601, 'Eins', 'Egon', 'M', 1, 0, 1), "
        "(1, 'Altgruppe', '', 'X', 1, 0, 1), (65602, 'Zwei', 'Zora', 'F', 2, 0, 1)"));
    auto d = dialog(kAsCoach);
    child<QComboBox>(*d, "cbxSelect")->setCurrentIndex(3);
    const QStringList shown = {"Jugend", kAnnaName, kPaulName, kTomName, "Zwei Zora "};
    QCOMPARE(leaves(*d, QStringLiteral("Plan")), shown);
    QCOMPARE(leaves(*d, QStringLiteral("Protokoll")), shown);
    d->btnErweitertClick();
    const QStringList all = leaves(*d, QStringLiteral("Sportler & Gruppen"));
    QVERIFY(all.contains(QStringLiteral("Altgruppe")));
    QVERIFY(all.contains(QStringLiteral("Null Nora ")));
    QVERIFY(all.contains(QStringLiteral("Eins Egon ")));
}

void TestFrmOpen::openOnlyOnLeaf() {
    auto d = dialog(kAsCoach);
    auto *oeffnen = child<QPushButton>(*d, "btnOeffnen");
    QVERIFY(!oeffnen->isEnabled());
    tree(*d)->setCurrentItem(topNode(*d, QStringLiteral("Protokoll")));
    QVERIFY(!oeffnen->isEnabled());
    d->tvOpenDblClick();
    QVERIFY(d->isVisible());
    QTreeWidgetItem *own = leaf(*d, QStringLiteral("Protokoll"), kTomName);
    QVERIFY(own);
    tree(*d)->setCurrentItem(own);
    QVERIFY(oeffnen->isEnabled());
    // A refill takes the selection, and with it "Öffnen", away.
    child<QComboBox>(*d, "cbxSelect")->setCurrentIndex(3);
    QVERIFY(!oeffnen->isEnabled());
}

void TestFrmOpen::enterAndDoubleClickOpen() {
    {
        auto d = dialog(kAsCoach);
        tree(*d)->setCurrentItem(topNode(*d, QStringLiteral("Plan")));
        QTest::keyClick(tree(*d), Qt::Key_Return);
        QVERIFY(d->isVisible());
        tree(*d)->setCurrentItem(leaf(*d, QStringLiteral("Plan"), kTomName));
        QTest::keyClick(tree(*d), Qt::Key_Return);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(d->Name(), kTomName);
        QCOMPARE(d->Art(), 3);
    }
    {
        auto d = dialog(kAsCoach);
        tree(*d)->setCurrentItem(leaf(*d, QStringLiteral("Auswertung"), QStringLiteral("Umfang pro Woche")));
        d->tvOpenDblClick();
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(d->Art(), -95);
        QCOMPARE(d->Key1(), ClubFixture::kEvaluation);
    }
}

void TestFrmOpen::timeButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("week");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::newRow("Monat December 2000") << "btnMonat" << 1 << 12 << 2000 << QDate(2000, 12, 1) << QDate(2001, 1, 1);
    QTest::newRow("Woche 2 of 2026") << "btnWoche" << 2 << 1 << 2026 << QDate(2026, 1, 5) << QDate(2026, 1, 11);
    QTest::newRow("Jahr 1875") << "btnJahr" << 1 << 1 << 1875 << QDate(1875, 1, 1) << QDate(1876, 1, 1);
    QTest::newRow("heute") << "btnHeute" << 1 << 1 << 2000 << QDate::currentDate() << QDate::currentDate();
    QTest::newRow("alles") << "btnAlles" << 1 << 1 << 2000 << QDate() << QDate();
}

void TestFrmOpen::timeButtons() {
    QFETCH(QString, button);
    QFETCH(int, week);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    auto d = dialog(kAsCoach);
    // A range set before, so that "alles" has something to empty.
    child<QLineEdit>(*d, "dbfVon")->setText(QStringLiteral("03.03.2003"));
    child<QLineEdit>(*d, "dbfBis")->setText(QStringLiteral("04.03.2003"));
    d->dbfVonExit();
    d->dbfBisExit();
    child<QSpinBox>(*d, "txtWoche")->setValue(week);
    child<QSpinBox>(*d, "txtMonat")->setValue(month);
    child<QSpinBox>(*d, "txtJahr")->setValue(year);
    QTest::mouseClick(child<QPushButton>(*d, qPrintable(button)), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(*d, "dbfVon")->text(), from.isValid() ? from.toString("dd.MM.yyyy") : QString());
    QCOMPARE(child<QLineEdit>(*d, "dbfBis")->text(), to.isValid() ? to.toString("dd.MM.yyyy") : QString());

    tree(*d)->setCurrentItem(leaf(*d, QStringLiteral("Protokoll"), kTomName));
    d->btnOeffnenClick();
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(d->Von(), from);
    QCOMPARE(d->Bis(), to);
    const QString stored =
        QStringLiteral("%1|%2").arg(from.isValid() ? from.toString(Qt::ISODate) : QStringLiteral("-"),
                                    to.isValid() ? to.toString(Qt::ISODate) : QStringLiteral("-"));
    QCOMPARE(profilRows(m_inst->db()).size(), 1);
    QCOMPARE(profilRows(m_inst->db()).first().section(QLatin1Char('|'), 3, 4), stored);
}

void TestFrmOpen::readOnlyByKind_data() {
    QTest::addColumn<int>("who"); // 0 coach, 1 Anna, 2 Paul
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("coach opens Anna's protocol") << 0 << 1 << "Protokoll" << kAnnaName << 2 << true;
    QTest::newRow("coach opens his own protocol") << 0 << 0 << "Protokoll" << kTomName << 2 << false;
    QTest::newRow("Anna opens her own protocol") << 1 << 0 << "Protokoll" << kAnnaName << 2 << false;
    QTest::newRow("Paul opens Anna's protocol") << 2 << 1 << "Protokoll" << kAnnaName << 2 << true;
    QTest::newRow("coach opens Anna's plan") << 0 << 1 << "Plan" << kAnnaName << 3 << false;
    QTest::newRow("Anna opens her own plan") << 1 << 0 << "Plan" << kAnnaName << 3 << true;
    QTest::newRow("coach opens Anna's card") << 0 << 1 << "Sportler & Gruppen" << kAnnaName << -90 << false;
    QTest::newRow("Anna opens her own card") << 1 << 0 << "Sportler & Gruppen" << kAnnaName << -90 << false;
    QTest::newRow("Paul opens Anna's card") << 2 << 1 << "Sportler & Gruppen" << kAnnaName << -90 << true;
    QTest::newRow("coach opens his block") << 0 << 0 << "Formularbaustein"
                                           << "Lauf" << -97 << false;
    QTest::newRow("Anna opens the coach's block") << 1 << 0 << "Formularbaustein"
                                                  << "Lauf" << -97 << true;
    QTest::newRow("Anna opens the coach's filter") << 1 << 0 << "Filter"
                                                   << "Ausdauer" << -92 << true;
    QTest::newRow("coach opens his filter") << 0 << 0 << "Filter"
                                            << "Ausdauer" << -92 << false;
    QTest::newRow("Anna opens the coach's evaluation") << 1 << 3 << "Auswertung"
                                                       << "Umfang pro Woche" << -95 << true;
    QTest::newRow("Anna opens the coach's form") << 1 << 0 << "Formular"
                                                 << "Laufprotokoll" << 1 << false;
    QTest::newRow("Anna opens the coach's workbook") << 1 << 3 << "Arbeitsbuch"
                                                     << "Saison" << -96 << false;
}

void TestFrmOpen::readOnlyByKind() {
    QFETCH(int, who);
    QFETCH(int, choice);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(bool, readOnly);
    auto d = dialog(who == 0 ? kAsCoach : who == 1 ? kAsAnna : kAsPaul);
    d->btnErweitertClick();
    child<QComboBox>(*d, "cbxSelect")->setCurrentIndex(choice);
    QTreeWidgetItem *item = leaf(*d, caption, text);
    QVERIFY2(item, qPrintable(leaves(*d, caption).join(QLatin1String(", "))));
    tree(*d)->setCurrentItem(item);
    d->btnOeffnenClick();
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(d->Art(), kind);
    QCOMPARE(d->ReadOnly(), readOnly);
}

void TestFrmOpen::resultsOfOpen() {
    auto d = dialog(kAsCoach);
    auto *filter = child<QComboBox>(*d, "cbxFormularfilter");
    QCOMPARE(filter->itemText(0), QString());
    const int ausdauer = filter->findText(QStringLiteral("Ausdauer"));
    QVERIFY(ausdauer > 0);
    filter->setCurrentIndex(ausdauer);
    child<QComboBox>(*d, "cbxSelect")->setCurrentIndex(1);
    tree(*d)->setCurrentItem(leaf(*d, QStringLiteral("Protokoll"), kAnnaName));
    d->btnOeffnenClick();
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(d->Art(), 2);
    QCOMPARE(d->Key1(), ClubFixture::kAnna);
    QCOMPARE(d->Key2(), 0);
    QCOMPARE(d->Gruppe(), ClubFixture::kJugend);
    QCOMPARE(d->Trainer(), ClubFixture::kCoach);
    QCOMPARE(d->Name(), kAnnaName);
    QCOMPARE(d->FormFilter(), ClubFixture::kFilter);
    QVERIFY(!d->Von().isValid());
    QCOMPARE(profilRows(m_inst->db()),
             QStringList{QStringLiteral("%1|1|false|-|-|%2").arg(ClubFixture::kCoach).arg(ClubFixture::kFilter)});

    // The form's second key is its installation number.
    auto f = dialog(kAsCoach);
    f->btnErweitertClick();
    tree(*f)->setCurrentItem(leaf(*f, QStringLiteral("Formular"), QStringLiteral("Laufprotokoll")));
    f->btnOeffnenClick();
    QCOMPARE(f->Key1(), 1);
    QCOMPARE(f->Key2(), ClubFixture::kSerial);
    QCOMPARE(f->Trainer(), ClubFixture::kCoach);
    // The second opening remembered the extended mode in the same row.
    QCOMPARE(profilRows(m_inst->db()),
             QStringList{QStringLiteral("%1|1|true|-|-|%2").arg(ClubFixture::kCoach).arg(ClubFixture::kFilter)});
}

void TestFrmOpen::cancelLeavesProfil_data() {
    QTest::addColumn<bool>("existing");
    QTest::newRow("no row yet") << false;
    QTest::newRow("row of an earlier opening") << true;
}

void TestFrmOpen::cancelLeavesProfil() {
    QFETCH(bool, existing);
    Database &db = m_inst->db();
    if (existing)
        db.exec(QStringLiteral("INSERT INTO Profil VALUES (%1, 1, 0, '2020-01-01', '2020-12-31', NULL)")
                    .arg(ClubFixture::kCoach));
    const QStringList before = profilRows(db);
    {
        auto d = dialog(kAsCoach);
        child<QComboBox>(*d, "cbxSelect")->setCurrentIndex(3);
        d->btnErweitertClick();
        child<QSpinBox>(*d, "txtJahr")->setValue(2001);
        d->btnJahrClick();
        child<QComboBox>(*d, "cbxFormularfilter")->setCurrentIndex(1);
        tree(*d)->setCurrentItem(leaf(*d, QStringLiteral("Plan"), kTomName));
        QTest::mouseClick(child<QPushButton>(*d, "btnAbbrechen"), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QVERIFY(!d->isVisible());
        QCOMPARE(profilRows(db), before);
    }
    QCOMPARE(profilRows(db), before);
    // Closing by Escape is a cancel as well.
    {
        auto d = dialog(kAsCoach);
        child<QComboBox>(*d, "cbxSelect")->setCurrentIndex(2);
        QTest::keyClick(d.get(), Qt::Key_Escape);
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }
    QCOMPARE(profilRows(db), before);
}

void TestFrmOpen::activationRestoresProfil() {
    Database &db = m_inst->db();
    db.exec(QStringLiteral("INSERT INTO Profil VALUES (%1, 2, 1, '2020-01-01', '2020-12-31', %2)")
                .arg(ClubFixture::kCoach)
                .arg(ClubFixture::kFilter));
    auto d = dialog(kAsCoach);
    QCOMPARE(child<QComboBox>(*d, "cbxSelect")->currentIndex(), 2);
    QVERIFY(d->isExtended());
    QCOMPARE(child<QPushButton>(*d, "btnErweitert")->text(), QStringLiteral("<<< &Standard"));
    QCOMPARE(topCaptions(*d).size(), 8);
    QCOMPARE(leaves(*d, QStringLiteral("Sportler & Gruppen")), (QStringList{"Jugend", kAnnaName, kPaulName, kTomName}));
    QCOMPARE(child<QComboBox>(*d, "cbxFormularfilter")->currentText(), QStringLiteral("Ausdauer"));
    QCOMPARE(child<QLineEdit>(*d, "dbfVon")->text(), QStringLiteral("01.01.2020"));
    QCOMPARE(child<QLineEdit>(*d, "dbfBis")->text(), QStringLiteral("31.12.2020"));
    QCOMPARE(child<QSpinBox>(*d, "txtJahr")->value(), QDate::currentDate().year());
    QCOMPARE(child<QSpinBox>(*d, "txtMonat")->value(), QDate::currentDate().month());
    tree(*d)->setCurrentItem(leaf(*d, QStringLiteral("Plan"), kPaulName));
    d->btnOeffnenClick();
    QCOMPARE(d->Von(), QDate(2020, 1, 1));
    QCOMPARE(d->Bis(), QDate(2020, 12, 31));
    QCOMPARE(d->FormFilter(), ClubFixture::kFilter);
}

void TestFrmOpen::invalidDateRefused() {
    MessageRecorder messages;
    auto d = dialog(kAsCoach);
    child<QLineEdit>(*d, "dbfVon")->setText(QStringLiteral("31.02.2020"));
    tree(*d)->setCurrentItem(leaf(*d, QStringLiteral("Plan"), kTomName));
    d->btnOeffnenClick();
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("'31.02.2020' ist kein gültiges Datum.")});
    QVERIFY(d->result() != QDialog::Accepted);
    QVERIFY(d->isVisible());
    QVERIFY(profilRows(m_inst->db()).isEmpty());
    // Corrected, the same opening goes through.
    child<QLineEdit>(*d, "dbfVon")->setText(QStringLiteral("1.2.2020"));
    d->btnOeffnenClick();
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(d->Von(), QDate(2020, 2, 1));
}

void TestFrmOpen::datesReadAsEveryDateEdit_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::newRow("four digits") << "1.2.2020" << QDate(2020, 2, 1);
    QTest::newRow("two digits, last century") << "1.2.85" << QDate(1985, 2, 1);
    QTest::newRow("two digits, this century") << "01.02.20" << QDate(2020, 2, 1);
    QTest::newRow("the engine's form") << "2020-02-01" << QDate(2020, 2, 1);
}

// The range edits read dates with the one reader every date edit uses.
void TestFrmOpen::datesReadAsEveryDateEdit() {
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    MessageRecorder messages;
    auto d = dialog(kAsCoach);
    child<QLineEdit>(*d, "dbfVon")->setText(typed);
    child<QLineEdit>(*d, "dbfBis")->setText(QStringLiteral("31.12.99"));
    tree(*d)->setCurrentItem(leaf(*d, QStringLiteral("Plan"), kTomName));
    d->btnOeffnenClick();
    QVERIFY2(messages.entries().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(d->Von(), date);
    QCOMPARE(d->Bis(), QDate(1999, 12, 31));
}

// A form is named by its description memo; its leaf shows the first line.
void TestFrmOpen::formLeafShowsTheFirstLine() {
    m_inst->db().exec(QStringLiteral("UPDATE TR SET Beschreibung = '\nLaufprotokoll\r\nfür die Jugend' WHERE Art = 1"));
    auto d = dialog(kAsCoach);
    d->btnErweitertClick();
    QCOMPARE(leaves(*d, QStringLiteral("Formular")), QStringList{QStringLiteral("Laufprotokoll")});
    tree(*d)->setCurrentItem(leaf(*d, QStringLiteral("Formular"), QStringLiteral("Laufprotokoll")));
    d->btnOeffnenClick();
    QCOMPARE(d->Name(), QStringLiteral("Laufprotokoll"));
}

// A missing document list is the engine's error, shown, not a crash.
void TestFrmOpen::engineErrorShown() {
    MessageRecorder messages;
    auto d = dialog(kAsCoach, false);
    m_inst->db().dropTable(QStringLiteral("OPEN"));
    d->show();
    QCOMPARE(messages.texts(MessageRecorder::Kind::Error).size(), 1);
    QVERIFY2(messages.texts().first().contains(QLatin1String("OPEN"), Qt::CaseInsensitive),
             qPrintable(messages.texts().first()));
    QVERIFY(!child<QPushButton>(*d, "btnOeffnen")->isEnabled());
    QTest::mouseClick(child<QPushButton>(*d, "btnAbbrechen"), Qt::LeftButton);
    QCOMPARE(d->result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestFrmOpen)
#include "tst_frmopen.moc"
