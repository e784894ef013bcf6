#include "app/TStartUp.h"

#include "app/Installation.h"
#include "app/TTrTbCopy.h"
#include "base/Messages.h"
#include "base/Paths.h"
#include "base/RegFile.h"
#include "base/Settings.h"
#include "store/Cursor.h"
#include "store/Engine.h"
#include "store/Query.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {
QPushButton *button(QWidget *parent, const char *name, const QString &caption, bool enabled = true) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setEnabled(enabled);
    return b;
}

QPlainTextEdit *memo(QWidget *parent, const char *name) {
    auto *m = new QPlainTextEdit(parent);
    m->setObjectName(QString::fromLatin1(name));
    m->setReadOnly(true);
    return m;
}
} // namespace

TStartUp::TStartUp(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("StartUp"));
    setWindowTitle(QStringLiteral("Assistent zum Ersteinstieg von Velmora ") + QStringLiteral("5.3"));
    auto *layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pcStartUp"));
    layout->addWidget(m_pages);

    // Willkommen
    QWidget *p1 = makePage(
        QStringLiteral("Willkommen"), QStringLiteral("Willkommen!"),
        {QStringLiteral("   Der Assistent wird Ihnen helfen, die ersten Daten anzulegen."),
         QStringLiteral("      1. Ihre Personalien als Trainer"),
         QStringLiteral("      2. Ihre Trainingsgruppen (optional)"),
         QStringLiteral("      3. Die Sportlerkartei Ihrer Sportler (optional)"),
         QStringLiteral("      4. Daten einlesen und eine Datendiskette für Ihre Sportler erstellen (optional)")});
    auto *serialRow = new QHBoxLayout;
    auto *serialLabel = new QLabel(QStringLiteral("Installationsnummer"), p1);
    serialLabel->setObjectName(QStringLiteral("lblSerienNr"));
    auto *serial = new QLineEdit(p1);
    serial->setObjectName(QStringLiteral("txtSerienNr"));
    serial->setMaxLength(6);
    serialLabel->setBuddy(serial);
    serialRow->addWidget(serialLabel);
    serialRow->addWidget(serial);
    serialRow->addStretch();
    static_cast<QVBoxLayout *>(p1->layout())->insertLayout(p1->layout()->count() - 1, serialRow);
    serial->setText(QString::number(settings().SerienNr > 0
                                        ? settings().SerienNr
                                        : QRandomGenerator::global()->bounded(1, Installation::kMaxSerial + 1)));

    // Trainer
    QWidget *p2 =
        makePage(QStringLiteral("Trainer"), QStringLiteral("   Die Trainerpersonalien angeben"),
                 {QStringLiteral("   Geben Sie Ihre Personalien bitte nur einmal mit \"eingeben\" an."),
                  QStringLiteral("   Haben Sie Ihre Daten bereits eingelesen, wählen Sie sie mit \"suchen\" aus.")});
    m_trainer = memo(p2, "mmoTrainer");
    m_club = new QLineEdit(p2);
    m_club->setObjectName(QStringLiteral("txtClub"));
    m_club->setMaxLength(50);
    m_kuerzel = new QLineEdit(p2);
    m_kuerzel->setObjectName(QStringLiteral("txtKuerzel"));
    m_kuerzel->setMaxLength(3);
    auto *trainerBox = new QVBoxLayout;
    trainerBox->addWidget(new QLabel(QStringLiteral("Trainer"), p2));
    trainerBox->addWidget(m_trainer);
    auto *clubRow = new QHBoxLayout;
    clubRow->addWidget(new QLabel(QStringLiteral("Club"), p2));
    clubRow->addWidget(m_club, 1);
    clubRow->addWidget(new QLabel(QStringLiteral("Clubkürzel"), p2));
    clubRow->addWidget(m_kuerzel);
    trainerBox->addLayout(clubRow);
    auto *trainerButtons = new QHBoxLayout;
    QPushButton *eingeben = button(p2, "btnEingeben", QStringLiteral("&eingeben"));
    QPushButton *suchen = button(p2, "btnSuchen", QStringLiteral("&suchen"));
    trainerButtons->addWidget(eingeben);
    trainerButtons->addWidget(suchen);
    trainerButtons->addStretch();
    trainerBox->addLayout(trainerButtons);
    static_cast<QVBoxLayout *>(p2->layout())->insertLayout(p2->layout()->count() - 1, trainerBox);
    connect(eingeben, &QPushButton::clicked, this, &TStartUp::btnEingebenClick);
    connect(suchen, &QPushButton::clicked, this, &TStartUp::btnSuchenClick);

    // Trainigsgruppen
    QWidget *p3 = makePage(QStringLiteral("Trainigsgruppen"), QStringLiteral("   Die Trainingsgruppen angeben"),
                           {QStringLiteral("   Geben Sie bitte die Trainingsgruppen an, die Sie trainieren."),
                            QStringLiteral("   Fehler können Sie später korrigieren.")});
    m_groups = memo(p3, "mmoTrainingsgruppe");
    QPushButton *addGroup = button(p3, "btnGruppeAnfuegen", QStringLiteral("&anfügen"));
    auto *groupBox = new QVBoxLayout;
    groupBox->addWidget(new QLabel(QStringLiteral("Trainingsgruppe"), p3));
    groupBox->addWidget(m_groups);
    groupBox->addWidget(addGroup, 0, Qt::AlignLeft);
    static_cast<QVBoxLayout *>(p3->layout())->insertLayout(p3->layout()->count() - 1, groupBox);
    connect(addGroup, &QPushButton::clicked, this, &TStartUp::btnGruppeAnfuegenClick);

    // Sportler
    QWidget *p4 = makePage(QStringLiteral("Sportler"), QStringLiteral("   Die Sportlerkartei erstellen"),
                           {QStringLiteral("   Geben Sie bitte die Sportler an, die Sie trainieren."),
                            QStringLiteral("   Fehler können Sie später korrigieren.")});
    m_athletes = memo(p4, "mmoSportler");
    QPushButton *addAthlete = button(p4, "btnSportlerAnfuegen", QStringLiteral("&anfügen"));
    auto *athleteBox = new QVBoxLayout;
    athleteBox->addWidget(new QLabel(QStringLiteral("Sportler"), p4));
    athleteBox->addWidget(m_athletes);
    athleteBox->addWidget(addAthlete, 0, Qt::AlignLeft);
    static_cast<QVBoxLayout *>(p4->layout())->insertLayout(p4->layout()->count() - 1, athleteBox);
    connect(addAthlete, &QPushButton::clicked, this, &TStartUp::btnSportlerAnfuegenClick);

    // Datendiskette
    QWidget *p5 = makePage(
        QStringLiteral("Datendiskette"), QStringLiteral("   Die Datendiskette erstellen"),
        {QStringLiteral("   Um bereits existierende Daten per Diskette einzuspielen oder für Ihre Sportler eine"),
         QStringLiteral("   Datendiskette zu erstellen. ")});
    QPushButton *backup = button(p5, "btnBackup", QStringLiteral("&Datendiskeette erstellen"));
    connect(backup, &QPushButton::clicked, this, &TStartUp::btnBackupClick);
    static_cast<QVBoxLayout *>(p5->layout())->insertWidget(p5->layout()->count() - 1, backup, 0, Qt::AlignLeft);

    // Bottom rows: help (always off), Abbruch (only on the first page) and the page's way on.
    struct Bottom {
        QWidget *page;
        const char *name;
        QString caption;
        void (TStartUp::*handler)();
    } bottoms[] = {{p1, "btnWeiter1", QStringLiteral("&Weiter"), &TStartUp::btnWeiter1Click},
                   {p2, "btnWeiter2", QStringLiteral("&Weiter"), &TStartUp::btnWeiter2Click},
                   {p3, "btnWeiter3", QStringLiteral("&Weiter"), &TStartUp::btnWeiter3Click},
                   {p4, "btnWeiter4", QStringLiteral("&Weiter"), &TStartUp::btnWeiter4Click},
                   {p5, "btnFertig", QStringLiteral("Fertig"), &TStartUp::btnFertigClick}};
    int index = 0;
    for (const Bottom &b : bottoms) {
        auto *row = static_cast<QHBoxLayout *>(b.page->layout()->itemAt(b.page->layout()->count() - 1)->layout());
        QPushButton *help =
            button(b.page, qPrintable(QStringLiteral("btnHilfe%1").arg(index + 1)), QStringLiteral("&Hilfe"), false);
        QPushButton *cancel = button(b.page, qPrintable(QStringLiteral("btnAbbruch%1").arg(index + 1)),
                                     QStringLiteral("Abbruch"), index == 0);
        QPushButton *on = button(b.page, b.name, b.caption);
        if (index == 0) {
            // An import writes: not into a write-protected database.
            QPushButton *import = button(b.page, "btnImport", QStringLiteral("&Daten übernehmen"), !db().isReadOnly());
            connect(import, &QPushButton::clicked, this, &TStartUp::btnImportClick);
            row->addWidget(import);
        }
        row->addStretch();
        row->addWidget(help);
        row->addWidget(cancel);
        row->addWidget(on);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(on, &QPushButton::clicked, this, b.handler);
        ++index;
    }
    m_weiter2 = findChild<QPushButton *>(QStringLiteral("btnWeiter2"));
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        // Only the wizard's own buttons move between pages.
        static bool reverting = false;
        if (!m_pageChangeAllowed && !reverting) {
            reverting = true;
            m_pages->setCurrentIndex(m_pages->property("page").toInt());
            reverting = false;
            return;
        }
        m_pages->setProperty("page", page);
    });
    m_pages->setProperty("page", 0);
    resize(560, 400);
}

QWidget *TStartUp::makePage(const QString &caption, const QString &heading, const QStringList &texts) {
    auto *page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("ts") + QString(caption).remove(QLatin1Char(' ')));
    auto *v = new QVBoxLayout(page);
    auto *h = new QLabel(heading, page);
    QFont f = h->font();
    f.setBold(true);
    h->setFont(f);
    v->addWidget(h);
    for (const QString &t : texts)
        v->addWidget(new QLabel(t, page));
    v->addStretch();
    v->addLayout(new QHBoxLayout);
    m_pages->addTab(page, caption);
    return page;
}

int TStartUp::currentPage() const {
    return m_pages->currentIndex();
}

void TStartUp::goTo(int page) {
    m_pageChangeAllowed = true;
    m_pages->setCurrentIndex(page);
    m_pageChangeAllowed = false;
}

Database &TStartUp::db() const {
    return Engine::current()->dblog();
}

void TStartUp::btnWeiter1Click() {
    auto *serialEdit = findChild<QLineEdit *>(QStringLiteral("txtSerienNr"));
    try {
        bool ok = false;
        const int serial = serialEdit->text().trimmed().toInt(&ok);
        if (!ok)
            throw VelmoraError(
                QStringLiteral("Die Installationsnummer muss zwischen 1 und %1 liegen.").arg(Installation::kMaxSerial),
                QStringLiteral("txtSerienNr"));
        try {
            CheckSerialChange(db(), settings().SerienNr, serial);
        } catch (const VelmoraError &e) {
            throw VelmoraError(e.message(), QStringLiteral("txtSerienNr"));
        }
        if (serial != settings().SerienNr)
            WriteSerienNr(serial);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        serialEdit->setFocus();
        serialEdit->selectAll();
        return;
    }
    goTo(1);
    if (settings().User != 0)
        m_coachNr = settings().User;
    m_club->setText(settings().Name);
    m_kuerzel->setText(settings().Kuerzel);
    if (m_coachNr > 0)
        showCoachName();
    m_weiter2->setEnabled(m_coachNr >= 1);
}

void TStartUp::showCoachName() {
    m_trainer->clear();
    Cursor c(db(), QStringLiteral("PERSON"));
    c.setIndexName(QStringLiteral("PersonNrAngelegt"));
    c.setFilter(QStringLiteral("PersonNr = %1").arg(m_coachNr));
    c.setFiltered(true);
    c.open();
    if (!c.eof())
        m_trainer->appendPlainText(c.asString(QStringLiteral("Vorname")) + QLatin1Char(' ') +
                                   c.asString(QStringLiteral("Nachname")));
}

void TStartUp::setCoach(int personNr) {
    m_coachNr = personNr;
    showCoachName();
    m_weiter2->setEnabled(m_coachNr >= 1);
}

void TStartUp::btnEingebenClick() {
    if (!editPerson)
        return;
    const int nr = editPerson(m_coachNr, m_coachNr, false);
    if (nr > 0)
        setCoach(nr);
}

void TStartUp::btnSuchenClick() {
    if (!findPerson)
        return;
    const int nr = findPerson();
    if (nr > 0)
        setCoach(nr);
}

void TStartUp::btnWeiter2Click() {
    WriteClubSettings(m_club->text().left(50), m_kuerzel->text().left(3));
    WriteStartupLevel(2);
    WriteStartupUser(m_coachNr);
    goTo(2);
    fillGroups();
}

void TStartUp::fillGroups() {
    m_groups->clear();
    Cursor c(db(), QStringLiteral("PERSON"));
    c.setFilter(QStringLiteral("TrainerNr = %1").arg(m_coachNr));
    c.setFiltered(true);
    c.open();
    for (; !c.eof(); c.next())
        m_groups->appendPlainText(c.asString(QStringLiteral("Nachname")));
}

void TStartUp::btnGruppeAnfuegenClick() {
    if (editPerson && editPerson(0, m_coachNr, true) > 0)
        fillGroups();
}

void TStartUp::btnWeiter3Click() {
    WriteStartupLevel(3);
    fillAthletes();
    goTo(3);
}

void TStartUp::fillAthletes() {
    m_athletes->clear();
    Query q(db(), QStringLiteral("select Person.*\nfrom Person\nwhere (Person.TrainerNr = :PersonNr)"));
    q.setParam(QStringLiteral("PersonNr"), m_coachNr);
    q.open();
    for (; !q.eof(); q.next())
        m_athletes->appendPlainText(q.asString(QStringLiteral("Vorname")) + QLatin1Char(' ') +
                                    q.asString(QStringLiteral("Nachname")));
}

void TStartUp::btnSportlerAnfuegenClick() {
    if (editPerson && editPerson(0, m_coachNr, false) > 0)
        fillAthletes();
}

void TStartUp::btnWeiter4Click() {
    WriteStartupLevel(4);
    goTo(4);
}

void TStartUp::btnImportClick() {
    TTrTbCopy copy(TTrTbCopy::ModeImport, m_coachNr, m_coachNr, 0, nullptr, this);
    copy.exec();
}

void TStartUp::btnBackupClick() {
    TTrTbCopy copy(TTrTbCopy::ModeBackup, m_coachNr, m_coachNr, 0, nullptr, this);
    copy.Execute();
}

void TStartUp::btnFertigClick() {
    if (Messages::question(
            QStringLiteral("Sind Ihre Personalien erfaßt?\rWenn ja wird dieser Assistent nicht mehr gestartet."))) {
        if (settings().reg == 1) {
            // The settings file of another installation may come along as a
            // registry export; it is merged once.
            MergeRegFile(QDir(paths().programDir).filePath(QStringLiteral("Add53.reg")), SettingsPath());
            WriteStartupReg(0);
        }
        WriteStartupLevel(0);
    }
    accept();
}

} // namespace velmora
