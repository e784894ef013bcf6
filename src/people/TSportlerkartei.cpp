#include "people/TSportlerkartei.h"

#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TMessageBoxes.h"
#include "store/Engine.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmora {

namespace {
enum SexChoice { Maennlich = 0, Weiblich = 1, Gruppe = 2 };

template <class T> T *named(T *control, const char *name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLineEdit *passwordEdit(const char *name) {
    auto *e = named(new QLineEdit, name);
    e->setEchoMode(QLineEdit::Password);
    return e;
}
} // namespace

TSportlerkartei::TSportlerkartei(QWidget *parent) : QDialog(parent) {
    buildControls();
}

TSportlerkartei::TSportlerkartei(int personNr, int coach, bool readOnly, const QString &name, QWidget *parent)
    : QDialog(parent), m_name(name) {
    m_options.personNr = personNr;
    m_options.coach = coach;
    m_options.readOnly = readOnly;
    buildControls();
}

TSportlerkartei::~TSportlerkartei() {
    // The editors must let go of the cursors before the card closes them.
    dsPerson->setDataSet(nullptr);
    dsAdresse->setDataSet(nullptr);
    cbxGruppe->setListSource(static_cast<Cursor *>(nullptr), {}, {});
    cbxTrainer->setListSource(static_cast<Cursor *>(nullptr), {}, {});
    m_card.reset();
}

void TSportlerkartei::buildControls() {
    setObjectName(QStringLiteral("Sportlerkartei"));
    setWindowTitle(QStringLiteral("Sportlerkartei"));
    dsPerson = named(new TDataSource(this), "dsPerson");
    dsAdresse = named(new TDataSource(this), "dsAdresse");

    auto bind = [](auto *editor, TDataSource *source, const char *field) {
        editor->setDataSource(source);
        editor->setDataField(QString::fromUtf8(field));
        return editor;
    };

    // Names: the first-name column gives way to a group's single name.
    lblVorname = named(new QLabel(QStringLiteral("Vorname")), "lblVorname");
    lblNachname = named(new QLabel(QStringLiteral("Nachname")), "lblNachname");
    dbfVorname = bind(named(new TDBEdit, "dbfVorname"), dsPerson, "Vorname");
    dbfNachname = bind(named(new TDBEdit, AthleteCard::kNachnameControl), dsPerson, "Nachname");
    m_nameGrid = named(new QGridLayout, "gridNamen");
    m_nameGrid->addWidget(lblVorname, 0, 0);
    m_nameGrid->addWidget(lblNachname, 0, 1);
    m_nameGrid->addWidget(dbfVorname, 1, 0);
    m_nameGrid->addWidget(dbfNachname, 1, 1);

    dbfTitel = bind(named(new TDBEdit, "dbfTitel"), dsPerson, "Titel");
    dbfGeburtsdatum = bind(named(new TDBDateEdit, "dbfGeburtsdatum"), dsPerson, "Geburtsdatum");
    dbfAltersklasse = bind(named(new TDBEdit, "dbfAltersklasse"), dsPerson, "Altersklasse");
    auto *personForm = new QFormLayout;
    personForm->addRow(named(new QLabel(QStringLiteral("Titel")), "lblTitel"), dbfTitel);
    personForm->addRow(named(new QLabel(QStringLiteral("Geburtsdatum")), "lblGeburtsdatum"), dbfGeburtsdatum);
    personForm->addRow(named(new QLabel(QStringLiteral("Altersklasse")), "lblAltersklasse"), dbfAltersklasse);

    rgpSex = named(new QGroupBox(QStringLiteral("Geschlecht")), AthleteCard::kSexControl);
    m_sexButtons = new QButtonGroup(this);
    auto *sexLayout = new QHBoxLayout(rgpSex);
    const std::pair<const char *, const char *> sexes[] = {
        {"rbMaennlich", "männlich"}, {"rbWeiblich", "weiblich"}, {"rbGruppe", "Gruppe"}};
    int id = 0;
    for (const auto &[name, caption] : sexes) {
        auto *b = named(new QRadioButton(QString::fromUtf8(caption)), name);
        m_sexButtons->addButton(b, id++);
        sexLayout->addWidget(b);
    }
    // A refusal naming the choice puts the focus on its first button.
    rgpSex->setFocusProxy(m_sexButtons->button(Maennlich));
    connect(m_sexButtons, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            rgpSexExit();
    });

    auto *addressBox = named(new QGroupBox(QStringLiteral("Adresse")), "gbxAdresse");
    auto *addressForm = new QFormLayout(addressBox);
    dbfTelefon = bind(named(new TDBEdit, "dbfTelefon"), dsPerson, "Adresse");
    dbfStrasse = bind(named(new TDBEdit, "dbfStrasse"), dsAdresse, "ADRESSE");
    dbfPLZ = bind(named(new TDBEdit, "dbfPLZ"), dsAdresse, "PLZ");
    dbfOrt = bind(named(new TDBEdit, "dbfOrt"), dsAdresse, "Ort");
    addressForm->addRow(named(new QLabel(QStringLiteral("Tel.")), "lblTelefon"), dbfTelefon);
    addressForm->addRow(named(new QLabel(QStringLiteral("Str.")), "lblStrasse"), dbfStrasse);
    addressForm->addRow(named(new QLabel(QStringLiteral("PLZ")), "lblPLZ"), dbfPLZ);
    addressForm->addRow(named(new QLabel(QStringLiteral("Ort")), "lblOrt"), dbfOrt);
    connect(dbfTelefon, &QLineEdit::editingFinished, this, &TSportlerkartei::dbfTelefonExit);

    cbxGruppe = bind(named(new TDBLookupComboBox, "cbxGruppe"), dsPerson, "GruppenNr");
    cbxTrainer = bind(named(new TDBLookupComboBox, "cbxTrainer"), dsPerson, "TrainerNr");
    auto *groupForm = new QFormLayout;
    groupForm->addRow(named(new QLabel(QStringLiteral("Trainingsgruppe")), "lblGruppe"), cbxGruppe);
    groupForm->addRow(named(new QLabel(QStringLiteral("Trainer")), "lblTrainer"), cbxTrainer);

    auto *loginBox = named(new QGroupBox(QStringLiteral("Programmzugang:")), "gbxProgrammzugang");
    auto *loginForm = new QFormLayout(loginBox);
    txtPasswort = passwordEdit(AthleteCard::kPasswordControl);
    txtPasswortCheck = passwordEdit("txtPasswortCheck");
    loginForm->addRow(QStringLiteral("Neues Paßwort"), txtPasswort);
    loginForm->addRow(QStringLiteral("Überprüfung"), txtPasswortCheck);

    auto *readBox = named(new QGroupBox(QStringLiteral("Lesezugriff:")), "gbxLesezugriff");
    auto *readForm = new QFormLayout(readBox);
    txtFreigabe = passwordEdit(AthleteCard::kReadPasswordControl);
    txtFreigabeCheck = passwordEdit("txtFreigabeCheck");
    readForm->addRow(QStringLiteral("Neues Paßwort"), txtFreigabe);
    readForm->addRow(QStringLiteral("Überprüfung"), txtFreigabeCheck);
    cbxLeserechteGruppe =
        bind(named(new TDBCheckBox(QStringLiteral("Lesezugriff für die Gruppe ohne Paßwort")), "cbxLeserechteGruppe"),
             dsPerson, "LeserechteGruppe");
    cbxLeserechteAndere =
        bind(named(new TDBCheckBox(QStringLiteral("Lesezugriff für anderen ohne Paßwort")), "cbxLeserechteAndere"),
             dsPerson, "LeserechteAndere");
    readForm->addRow(cbxLeserechteGruppe);
    readForm->addRow(cbxLeserechteAndere);

    btnOk = named(new QPushButton(QStringLiteral("Fertig")), "btnOk");
    btnCancel = named(new QPushButton(QStringLiteral("Abbrechen")), "btnCancel");
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &TSportlerkartei::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TSportlerkartei::btnCancelClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto *left = new QVBoxLayout;
    left->addLayout(m_nameGrid);
    left->addLayout(personForm);
    left->addWidget(rgpSex);
    left->addWidget(addressBox);
    left->addLayout(groupForm);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(loginBox);
    right->addWidget(readBox);
    right->addStretch();
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto *main = new QVBoxLayout(this);
    main->addLayout(columns);
    main->addLayout(buttons);
}

bool TSportlerkartei::prepare() {
    if (m_prepared)
        return true;
    m_card = std::make_unique<AthleteCard>(Engine::current()->dblog(), settings().SerienNr);
    try {
        m_card->open(m_options);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        m_card.reset();
        return false;
    }
    m_prepared = true;
    AthleteCard &card = *m_card;
    cbxGruppe->setListSource(&card.groups(), QStringLiteral("PersonNr"), QStringLiteral("Nachname"));
    cbxTrainer->setListSource(&card.coaches(), QStringLiteral("PersonNr"), QStringLiteral("Nachname;Vorname"));
    dsPerson->setDataSet(&card.person());
    dsAdresse->setDataSet(&card.address());
    m_personNr = card.person().asInt(QStringLiteral("PersonNr"));

    if (!card.isNew()) {
        const QString sex = card.person().asString(QStringLiteral("Sex"));
        if (sex == QLatin1String("F"))
            m_sexButtons->button(Weiblich)->setChecked(true);
        else if (sex == QLatin1String("M"))
            m_sexButtons->button(Maennlich)->setChecked(true);
        else if (sex == QLatin1String("X"))
            m_sexButtons->button(Gruppe)->setChecked(true);
        setWindowTitle(QStringLiteral("Karteiblatt von ") + m_name);
    } else {
        for (QLineEdit *e : {txtPasswort, txtPasswortCheck, txtFreigabe, txtFreigabeCheck})
            e->clear();
    }
    if (!m_options.readOnly && m_newGroup)
        m_sexButtons->button(Gruppe)->setChecked(true);
    rgpSexExit();

    const bool ro = m_options.readOnly;
    rgpSex->setEnabled(!ro);
    for (QLineEdit *e : {txtPasswort, txtPasswortCheck, txtFreigabe, txtFreigabeCheck})
        e->setEnabled(!ro);
    showAddressState();
    return true;
}

int TSportlerkartei::exec() {
    if (!prepare())
        return Rejected;
    return QDialog::exec();
}

QString TSportlerkartei::sexCode() const {
    switch (m_sexButtons->checkedId()) {
    case Maennlich:
        return QStringLiteral("M");
    case Weiblich:
        return QStringLiteral("F");
    case Gruppe:
        return QStringLiteral("X");
    default:
        return {};
    }
}

void TSportlerkartei::rgpSexExit() {
    const bool group = m_sexButtons->checkedId() == Gruppe;
    dbfVorname->setVisible(!group);
    lblNachname->setVisible(!group);
    lblVorname->setText(group ? QStringLiteral("Name") : QStringLiteral("Vorname"));
    m_nameGrid->removeWidget(dbfNachname);
    if (group)
        m_nameGrid->addWidget(dbfNachname, 1, 0, 1, 2);
    else
        m_nameGrid->addWidget(dbfNachname, 1, 1);
}

void TSportlerkartei::showAddressState() {
    const bool attached = m_card && m_card->addressState() != AthleteCard::AddressState::None;
    dsAdresse->setEnabled(attached);
    for (TDBEdit *e : {dbfStrasse, dbfPLZ, dbfOrt})
        e->setEnabled(attached);
}

void TSportlerkartei::dbfTelefonExit() {
    if (!m_card || m_options.readOnly)
        return;
    try {
        m_card->attachTelephone(dbfTelefon->text());
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    showAddressState();
    if (m_card->addressState() != AthleteCard::AddressState::None)
        dbfStrasse->setFocus();
    else
        cbxGruppe->setFocus();
}

void TSportlerkartei::btnOkClick() {
    if (!m_card || m_options.readOnly) {
        accept();
        return;
    }
    AthleteCard::Passwords pw{txtPasswort->text(), txtPasswortCheck->text(), txtFreigabe->text(),
                              txtFreigabeCheck->text()};
    try {
        dsPerson->updateRecord();
        dsAdresse->updateRecord();
        m_card->finish(sexCode(), pw);
    } catch (const VelmoraError &e) {
        if (e.message() == AthleteCard::kPasswordMismatch) {
            const bool login = e.control() == QLatin1String(AthleteCard::kPasswordControl);
            (login ? txtPasswort : txtFreigabe)->clear();
            (login ? txtPasswortCheck : txtFreigabeCheck)->clear();
        }
        showAddressState();
        FocusControl(this, e.control());
        Messages::error(e.message());
        return;
    }
    accept();
}

void TSportlerkartei::btnCancelClick() {
    if (m_card)
        m_card->cancel();
    QDialog::reject();
}

void TSportlerkartei::reject() {
    btnCancelClick();
}

} // namespace velmora
