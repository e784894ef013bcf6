#include "app/TFrmOpen.h"

#include "base/GermanInput.h"
#include "base/Helpers.h"
#include "controls/TMessageBoxes.h"
#include "store/Cursor.h"
#include "store/Engine.h"
#include "store/Errors.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {

const QString kDateFormat = QStringLiteral("dd.MM.yyyy");
const QString kErweitertCaption = QStringLiteral("&Erweitert   >>>");
const QString kErweitertStandardCaption = QStringLiteral("&Erweitert >>>");
const QString kStandardCaption = QStringLiteral("<<< &Standard");
constexpr int kKeyEntryRole = Qt::UserRole;

Database &currentDblog() {
    Engine *engine = Engine::current();
    if (!engine)
        throw EngineError(QStringLiteral("Die Datenbank DBLOG ist nicht geöffnet."));
    return engine->dblog();
}

// The hourglass for as long as the tree is being filled, also when a
// statement fails half-way.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

} // namespace

TFrmOpen::TFrmOpen(QWidget *parent) : TFrmOpen(currentDblog(), parent) {}

TFrmOpen::TFrmOpen(Database &db, QWidget *parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("FrmOpen"));
    setWindowTitle(QStringLiteral("Öffnen"));
    buildImages();
    buildControls();
}

TFrmOpen::~TFrmOpen() = default;

void TFrmOpen::buildImages() {
    // Small pictures; only their indexes matter to the tree.
    static const QColor colours[OpenDialogRules::kImageCount] = {
        QColor(0xf0, 0xc0, 0x40), QColor(0xc0, 0x90, 0x20), QColor(0x40, 0x90, 0xe0), QColor(0x20, 0x60, 0xb0),
        QColor(0x80, 0x80, 0x80), QColor(0xa0, 0xa0, 0xa0), QColor(0x30, 0xa0, 0x50), QColor(0xc0, 0x40, 0x40),
        QColor(0xe0, 0x70, 0x70), QColor(0x90, 0x50, 0xb0), QColor(0x50, 0x50, 0xd0), QColor(0x70, 0x70, 0x30),
        QColor(0x20, 0x90, 0x90)};
    m_images.clear();
    for (int i = 0; i < OpenDialogRules::kImageCount; ++i) {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(colours[i].darker(150));
        p.setBrush(colours[i]);
        if (i <= 1) // open and closed folder
            p.drawRect(QRectF(1.5, i == 0 ? 3.5 : 4.5, 13, i == 0 ? 10 : 9));
        else if (i % 2 == 0)
            p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        else
            p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 2, 2);
        p.end();
        m_images.push_back(pm);
    }
}

void TFrmOpen::buildControls() {
    tvOpen = new QTreeWidget(this);
    tvOpen->setObjectName(QStringLiteral("tvOpen"));
    tvOpen->setHeaderHidden(true);
    tvOpen->setColumnCount(1);
    tvOpen->setMinimumSize(260, 300);
    tvOpen->installEventFilter(this);

    lblDaten = new QLabel(QStringLiteral("Daten"), this);
    lblDaten->setObjectName(QStringLiteral("lblDaten"));
    cbxSelect = new QComboBox(this);
    cbxSelect->setObjectName(QStringLiteral("cbxSelect"));
    cbxSelect->addItems({QStringLiteral("nur von mir"), QStringLiteral("von meiner Gruppe"),
                         QStringLiteral("von meinem Trainer"), QStringLiteral("von allen")});
    lblDaten->setBuddy(cbxSelect);

    lblFormularfilter = new QLabel(QStringLiteral("Formularfilter"), this);
    lblFormularfilter->setObjectName(QStringLiteral("lblFormularfilter"));
    cbxFormularfilter = new QComboBox(this);
    cbxFormularfilter->setObjectName(QStringLiteral("cbxFormularfilter"));
    lblFormularfilter->setBuddy(cbxFormularfilter);

    gbxZeitfilter = new QGroupBox(QStringLiteral("Zeitfilter"), this);
    gbxZeitfilter->setObjectName(QStringLiteral("gbxZeitfilter"));
    auto button = [this](const QString &caption, const QString &name) {
        auto *b = new QPushButton(caption, gbxZeitfilter);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    auto spin = [this](int low, int high, const QString &name) {
        auto *s = new QSpinBox(gbxZeitfilter);
        s->setObjectName(name);
        s->setRange(low, high);
        return s;
    };
    btnAlles = button(QStringLiteral("alles"), QStringLiteral("btnAlles"));
    btnHeute = button(QStringLiteral("heute"), QStringLiteral("btnHeute"));
    btnWoche = button(QStringLiteral("Woche"), QStringLiteral("btnWoche"));
    btnMonat = button(QStringLiteral("Monat"), QStringLiteral("btnMonat"));
    btnJahr = button(QStringLiteral("Jahr"), QStringLiteral("btnJahr"));
    btnZyklus = button(QStringLiteral("Zyklus"), QStringLiteral("btnZyklus"));
    txtWoche = spin(1, 52, QStringLiteral("txtWoche"));
    txtMonat = spin(1, 12, QStringLiteral("txtMonat"));
    txtJahr = spin(1875, 2100, QStringLiteral("txtJahr"));
    txtZyklus = spin(1, 99, QStringLiteral("txtZyklus"));
    btnZyklus->setEnabled(false);
    txtZyklus->setEnabled(false);
    lblVon = new QLabel(QStringLiteral("von"), gbxZeitfilter);
    lblVon->setObjectName(QStringLiteral("lblVon"));
    lblBis = new QLabel(QStringLiteral("bis"), gbxZeitfilter);
    lblBis->setObjectName(QStringLiteral("lblBis"));
    dbfVon = new QLineEdit(gbxZeitfilter);
    dbfVon->setObjectName(QStringLiteral("dbfVon"));
    dbfBis = new QLineEdit(gbxZeitfilter);
    dbfBis->setObjectName(QStringLiteral("dbfBis"));
    lblVon->setBuddy(dbfVon);
    lblBis->setBuddy(dbfBis);

    auto *grid = new QGridLayout(gbxZeitfilter);
    grid->addWidget(btnAlles, 0, 0);
    grid->addWidget(btnHeute, 1, 0);
    grid->addWidget(btnWoche, 2, 0);
    grid->addWidget(txtWoche, 2, 1);
    grid->addWidget(btnMonat, 3, 0);
    grid->addWidget(txtMonat, 3, 1);
    grid->addWidget(btnJahr, 4, 0);
    grid->addWidget(txtJahr, 4, 1);
    grid->addWidget(btnZyklus, 5, 0);
    grid->addWidget(txtZyklus, 5, 1);
    grid->addWidget(lblVon, 6, 0);
    grid->addWidget(dbfVon, 6, 1);
    grid->addWidget(lblBis, 7, 0);
    grid->addWidget(dbfBis, 7, 1);

    btnErweitert = new QPushButton(kErweitertCaption, this);
    btnErweitert->setObjectName(QStringLiteral("btnErweitert"));
    btnErweitert->setToolTip(QStringLiteral("Um selten benötigte Elemente zu öffnen"));
    btnErweitert->setAutoDefault(false);
    btnOeffnen = new QPushButton(QStringLiteral("&Öffnen"), this);
    btnOeffnen->setObjectName(QStringLiteral("btnOeffnen"));
    btnOeffnen->setDefault(true);
    btnOeffnen->setEnabled(false);
    btnAbbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
    btnAbbrechen->setObjectName(QStringLiteral("btnAbbrechen"));
    btnAbbrechen->setAutoDefault(false);
    btnHilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
    btnHilfe->setObjectName(QStringLiteral("btnHilfe"));
    btnHilfe->setEnabled(false);

    auto *left = new QVBoxLayout;
    left->addWidget(tvOpen, 1);
    left->addWidget(lblDaten);
    left->addWidget(cbxSelect);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnErweitert);
    buttons->addStretch(1);
    buttons->addWidget(btnOeffnen);
    buttons->addWidget(btnAbbrechen);
    buttons->addWidget(btnHilfe);
    auto *right = new QVBoxLayout;
    right->addWidget(lblFormularfilter);
    right->addWidget(cbxFormularfilter);
    right->addWidget(gbxZeitfilter);
    right->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right);
    auto *main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addLayout(buttons);

    connect(cbxSelect, &QComboBox::currentIndexChanged, this, [this] { cbxSelectChange(); });
    connect(cbxFormularfilter, &QComboBox::currentIndexChanged, this, [this] { cbxFormularfilterChange(); });
    connect(btnErweitert, &QPushButton::clicked, this, &TFrmOpen::btnErweitertClick);
    connect(tvOpen, &QTreeWidget::currentItemChanged, this, [this] { tvOpenChange(); });
    connect(tvOpen, &QTreeWidget::itemDoubleClicked, this, [this] { tvOpenDblClick(); });
    connect(btnAlles, &QPushButton::clicked, this, &TFrmOpen::btnAllesClick);
    connect(btnHeute, &QPushButton::clicked, this, &TFrmOpen::btnHeuteClick);
    connect(btnWoche, &QPushButton::clicked, this, &TFrmOpen::btnWocheClick);
    connect(btnMonat, &QPushButton::clicked, this, &TFrmOpen::btnMonatClick);
    connect(btnJahr, &QPushButton::clicked, this, &TFrmOpen::btnJahrClick);
    connect(dbfVon, &QLineEdit::editingFinished, this, &TFrmOpen::dbfVonExit);
    connect(dbfBis, &QLineEdit::editingFinished, this, &TFrmOpen::dbfBisExit);
    connect(btnOeffnen, &QPushButton::clicked, this, &TFrmOpen::btnOeffnenClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &TFrmOpen::btnAbbrechenClick);
}

const TKeyEntry *TFrmOpen::keyEntry(const QTreeWidgetItem *item) const {
    if (!item)
        return nullptr;
    const QVariant v = item->data(0, kKeyEntryRole);
    if (!v.isValid())
        return nullptr;
    const int i = v.toInt();
    return (i >= 0 && size_t(i) < m_keyEntries.size()) ? m_keyEntries[size_t(i)].get() : nullptr;
}

void TFrmOpen::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!m_activated)
        Guarded(this, [this] { FormActivate(); });
}

void TFrmOpen::FormActivate() {
    if (m_activated)
        return;
    m_activated = true;
    m_profil = std::make_unique<Cursor>(m_db, QStringLiteral("Profil"));
    m_profil->setOrder(QStringLiteral("PersonNr"));
    m_profil->open();
    if (m_profil->findKey({m_loginPersonNr})) {
        m_profil->edit();
    } else {
        m_profil->append();
        m_profil->setValue(QStringLiteral("PersonNr"), m_loginPersonNr);
    }

    int choice = m_profil->asInt(QStringLiteral("OpenData"));
    if (choice < ChoiceMine || choice > ChoiceAll)
        choice = ChoiceMine;
    {
        const QSignalBlocker block(cbxSelect);
        cbxSelect->setCurrentIndex(choice);
    }
    if (m_profil->asBool(QStringLiteral("OpenExtend")))
        setExtended(true);

    // The filter table, for the form filter drop-down. The empty first item
    // takes the choice back to "no form filter".
    {
        const QSignalBlocker block(cbxFormularfilter);
        cbxFormularfilter->clear();
        cbxFormularfilter->addItem(QString(), QVariant());
        Cursor filters(m_db, QStringLiteral("FILTER"));
        filters.setReadOnly(true);
        filters.open();
        for (filters.first(); !filters.eof(); filters.next())
            cbxFormularfilter->addItem(filters.asString(QStringLiteral("Name")),
                                       filters.asInt(QStringLiteral("FilterNr")));
        const QVariant current = m_profil->value(QStringLiteral("OpenFormFilter"));
        const int at = current.isNull() ? 0 : cbxFormularfilter->findData(current.toInt());
        cbxFormularfilter->setCurrentIndex(at < 0 ? 0 : at);
    }

    const QDate today = QDate::currentDate();
    txtWoche->setValue(WeekOfDate(today));
    txtMonat->setValue(today.month());
    txtJahr->setValue(today.year());
    showRange();
    FillTree(choice);
}

void TFrmOpen::FillTree(int choice) {
    WaitCursor wait;
    {
        const QSignalBlocker block(tvOpen);
        tvOpen->clear();
    }
    m_keyEntries.clear();
    tvOpenChange();
    if (m_profil && m_profil->isEditing())
        m_profil->setValue(QStringLiteral("OpenData"), choice);

    for (const OpenTreeGroup &group : OpenDialogRules::groups()) {
        if (!OpenDialogRules::shown(group, m_extended))
            continue;
        Cursor open(m_db, QStringLiteral("OPEN"));
        open.setIndexName(QStringLiteral("TypeNameKey1"));
        open.setReadOnly(true);
        open.setFilter(
            OpenDialogRules::filter(group.kind, choice, m_loginPersonNr, m_loginGruppenNr, m_loginTrainerNr));
        open.setFiltered(true);
        open.open();

        auto *node = new QTreeWidgetItem(tvOpen, QStringList{group.caption});
        QIcon nodeIcon(m_images[OpenDialogRules::kGroupImage]);
        nodeIcon.addPixmap(m_images[OpenDialogRules::kGroupSelectedImage], QIcon::Selected);
        node->setIcon(0, nodeIcon);
        node->setData(0, ImageIndexRole, OpenDialogRules::kGroupImage);
        node->setData(0, SelectedIndexRole, OpenDialogRules::kGroupSelectedImage);

        QIcon leafIcon(m_images[size_t(group.imageIndex)]);
        leafIcon.addPixmap(m_images[size_t(group.selectedIndex)], QIcon::Selected);
        for (open.first(); !open.eof(); open.next()) {
            auto entry = std::make_unique<TKeyEntry>();
            entry->Art = group.kind;
            entry->Key1 = open.asInt(QStringLiteral("Key1"));
            entry->Key2 = open.asInt(QStringLiteral("Key2"));
            entry->Gruppe = open.asInt(QStringLiteral("Gruppe"));
            entry->Trainer = open.asInt(QStringLiteral("Trainer"));
            // A form's name is the first line of its description memo; the
            // tree shows one line per leaf.
            static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]+"));
            const QString name = open.asString(QStringLiteral("Name")).split(lineBreaks, Qt::SkipEmptyParts).value(0);
            auto *leaf = new QTreeWidgetItem(node, QStringList{name});
            leaf->setIcon(0, leafIcon);
            leaf->setData(0, ImageIndexRole, group.imageIndex);
            leaf->setData(0, SelectedIndexRole, group.selectedIndex);
            leaf->setData(0, kKeyEntryRole, int(m_keyEntries.size()));
            m_keyEntries.push_back(std::move(entry));
        }
    }
}

void TFrmOpen::cbxSelectChange() {
    Guarded(this, [this] { FillTree(cbxSelect->currentIndex()); });
}

void TFrmOpen::cbxFormularfilterChange() {
    if (!m_profil || !m_profil->isEditing())
        return;
    Guarded(this, [this] { m_profil->setValue(QStringLiteral("OpenFormFilter"), cbxFormularfilter->currentData()); });
}

void TFrmOpen::setExtended(bool extended) {
    m_extended = extended;
    btnErweitert->setText(extended ? kStandardCaption : kErweitertStandardCaption);
    if (m_profil && m_profil->isEditing())
        m_profil->setValue(QStringLiteral("OpenExtend"), extended);
}

void TFrmOpen::btnErweitertClick() {
    Guarded(this, [this] {
        setExtended(!m_extended);
        FillTree(cbxSelect->currentIndex());
    });
}

void TFrmOpen::tvOpenChange() {
    btnOeffnen->setEnabled(keyEntry(tvOpen->currentItem()) != nullptr);
}

void TFrmOpen::tvOpenDblClick() {
    if (btnOeffnen->isEnabled())
        btnOeffnenClick();
}

bool TFrmOpen::ReadOnly() const {
    return m_readOnly || m_db.isReadOnly();
}

bool TFrmOpen::eventFilter(QObject *watched, QEvent *event) {
    if (watched == tvOpen && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Handled here so that the default button does not open a second time.
            tvOpenDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmOpen::setRange(const OpenRange &range) {
    if (m_profil && m_profil->isEditing()) {
        m_profil->setValue(QStringLiteral("OpenVon"), range.from.isValid() ? QVariant(range.from) : QVariant());
        m_profil->setValue(QStringLiteral("OpenBis"), range.to.isValid() ? QVariant(range.to) : QVariant());
    }
    showRange();
    dbfVon->setFocus();
}

void TFrmOpen::showRange() {
    auto text = [this](const QString &column) {
        if (!m_profil || !m_profil->isOpen())
            return QString();
        const QDate d = m_profil->asDate(column);
        return d.isValid() ? d.toString(kDateFormat) : QString();
    };
    dbfVon->setText(text(QStringLiteral("OpenVon")));
    dbfBis->setText(text(QStringLiteral("OpenBis")));
}

void TFrmOpen::btnAllesClick() {
    Guarded(this, [this] { setRange(OpenDialogRules::all()); });
}

void TFrmOpen::btnHeuteClick() {
    Guarded(this, [this] { setRange(OpenDialogRules::today(QDate::currentDate())); });
}

void TFrmOpen::btnWocheClick() {
    Guarded(this, [this] { setRange(OpenDialogRules::week(txtWoche->value(), txtJahr->value())); });
}

void TFrmOpen::btnMonatClick() {
    Guarded(this, [this] { setRange(OpenDialogRules::month(txtMonat->value(), txtJahr->value())); });
}

void TFrmOpen::btnJahrClick() {
    Guarded(this, [this] { setRange(OpenDialogRules::year(txtJahr->value())); });
}

void TFrmOpen::storeDateEdit(QLineEdit *edit, const QString &column) {
    if (!m_profil || !m_profil->isEditing())
        return;
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        m_profil->setValue(column, QVariant());
        return;
    }
    // Read as every date edit of the program reads it.
    const std::optional<QDate> d = ParseGermanDate(text);
    if (!d)
        throw VelmoraError(QStringLiteral("'%1' ist kein gültiges Datum.").arg(text), edit->objectName());
    m_profil->setValue(column, *d);
    edit->setText(d->toString(kDateFormat));
}

// Leaving an edit takes over a valid date at once; text that is no date is
// refused only when the dialog is about to use it, so that moving the focus
// around never traps the user in a message loop.
void TFrmOpen::dbfVonExit() {
    try {
        storeDateEdit(dbfVon, QStringLiteral("OpenVon"));
    } catch (const VelmoraError &) {
    }
}

void TFrmOpen::dbfBisExit() {
    try {
        storeDateEdit(dbfBis, QStringLiteral("OpenBis"));
    } catch (const VelmoraError &) {
    }
}

void TFrmOpen::btnOeffnenClick() {
    Guarded(this, [this] {
        const TKeyEntry *entry = keyEntry(tvOpen->currentItem());
        if (!entry || !m_profil)
            return;
        storeDateEdit(dbfVon, QStringLiteral("OpenVon"));
        storeDateEdit(dbfBis, QStringLiteral("OpenBis"));

        const int formFilter = m_profil->asInt(QStringLiteral("OpenFormFilter"));
        const QDate von = m_profil->asDate(QStringLiteral("OpenVon"));
        const QDate bis = m_profil->asDate(QStringLiteral("OpenBis"));
        m_profil->post();

        m_result = *entry;
        m_readOnly = OpenDialogRules::readOnly(entry->Art, entry->Key1, entry->Trainer, m_loginPersonNr);
        m_name = tvOpen->currentItem()->text(0);
        m_formFilter = formFilter;
        m_von = von;
        m_bis = bis;
        accept();
    });
}

void TFrmOpen::btnAbbrechenClick() {
    reject();
}

void TFrmOpen::reject() {
    // What was chosen is remembered only when something was opened.
    if (m_profil)
        m_profil->cancel();
    QDialog::reject();
}

} // namespace velmora
