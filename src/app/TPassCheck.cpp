#include "app/TPassCheck.h"

#include "base/Log.h"
#include "base/Messages.h"
#include "base/PasswordCode.h"
#include "base/Settings.h"
#include "store/Engine.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {
const QString kPerson = QStringLiteral("PERSON");
const QString kPersonNr = QStringLiteral("PersonNr");

bool isFunctionKey(int key) {
    return key >= Qt::Key_F1 && key <= Qt::Key_F24;
}
} // namespace

TPassCheck::TPassCheck(QWidget *parent, const QString &tag) : QDialog(parent), m_tag(tag) {
    setObjectName(QStringLiteral("PassCheck"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    Database &db = Engine::current()->dblog();
    m_tblPerson = std::make_unique<Cursor>(db, kPerson);
    m_tblPerson->setObjectName(QStringLiteral("tblPerson"));
    m_tblPerson->setOrder(QStringLiteral("Status;Nachname;Vorname;Geburtsdatum"));
    // The type-ahead compares upper-case text; the order must not split by case.
    m_tblPerson->setCaseInsensitive(true);
    m_tblPerson->setReadOnly(true);
    m_tblGruppe = std::make_unique<Cursor>(db, kPerson);
    m_tblGruppe->setObjectName(QStringLiteral("tblGruppe"));
    m_tblGruppe->setReadOnly(true);
    m_tblGruppe->setFilter(QStringLiteral("Sex = 'X'"));
    m_tblGruppe->setFiltered(true);
    m_tblGruppe->setMasterSource(m_tblPerson.get(), kPersonNr, kPersonNr);

    lblUser = new QLabel(QStringLiteral("User"), this);
    lblUser->setObjectName(QStringLiteral("lblUser"));
    dbgPerson = new TDBTypeGrid(this);
    dbgPerson->setObjectName(QStringLiteral("dbgPerson"));
    dbgPerson->setTypePrefix(QStringLiteral("T"));
    dbgPerson->horizontalHeader()->hide();
    dbgPerson->verticalHeader()->hide();
    dbgPerson->setShowGrid(true);
    dbgPerson->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgPerson->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgPerson->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgPerson->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dbgPerson->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dbgPerson->setFixedHeight(dbgPerson->verticalHeader()->defaultSectionSize() + 2 * dbgPerson->frameWidth());
    lblUser->setBuddy(dbgPerson);

    lblPasswort = new QLabel(QStringLiteral("Paßwort"), this);
    lblPasswort->setObjectName(QStringLiteral("lblPasswort"));
    txtPasswort = new QLineEdit(this);
    txtPasswort->setObjectName(QStringLiteral("txtPasswort"));
    txtPasswort->setEchoMode(QLineEdit::Password);
    txtPasswort->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    lblPasswort->setBuddy(txtPasswort);

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setAutoDefault(true);
    btnAbbruch = new QPushButton(QStringLiteral("Abbruch"), this);
    btnAbbruch->setObjectName(QStringLiteral("btnAbbruch"));
    btnAbbruch->setAutoDefault(false);

    pnlWappen = new QFrame(this);
    pnlWappen->setObjectName(QStringLiteral("pnlWappen"));
    pnlWappen->setFrameShape(QFrame::StyledPanel);
    pnlWappen->setAutoFillBackground(true);
    QPalette white = pnlWappen->palette();
    white.setColor(QPalette::Window, Qt::white);
    pnlWappen->setPalette(white);
    pnlWappen->setFixedSize(104, 104);
    imgWappen = new QLabel(pnlWappen);
    imgWappen->setObjectName(QStringLiteral("imgWappen"));
    imgWappen->setAlignment(Qt::AlignCenter);
    auto *crestLayout = new QVBoxLayout(pnlWappen);
    crestLayout->setContentsMargins(2, 2, 2, 2);
    crestLayout->addWidget(imgWappen);

    auto *fields = new QGridLayout;
    fields->addWidget(lblUser, 0, 0);
    fields->addWidget(dbgPerson, 0, 1);
    fields->addWidget(lblPasswort, 1, 0);
    fields->addWidget(txtPasswort, 1, 1);
    fields->setRowStretch(2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnAbbruch);
    auto *left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(buttons);
    auto *top = new QHBoxLayout(this);
    top->addWidget(pnlWappen, 0, Qt::AlignTop);
    top->addLayout(left, 1);

    setTabOrder(dbgPerson, txtPasswort);
    setTabOrder(txtPasswort, btnOk);
    setTabOrder(btnOk, btnAbbruch);

    connect(btnOk, &QPushButton::clicked, this, &TPassCheck::btnOkClick);
    connect(btnAbbruch, &QPushButton::clicked, this, &TPassCheck::btnAbbruchClick);
    dbgPerson->installEventFilter(this);
    txtPasswort->installEventFilter(this);

    FormCreate();
}

TPassCheck::~TPassCheck() {
    // The grid must not look at the cursors while they go.
    dbgPerson->setCursorModel(nullptr);
}

void TPassCheck::FormCreate() {
    setWindowTitle(QStringLiteral("Zugangskontrolle zu Velmora 5.3"));
    m_attempts = 0;
    m_tblPerson->open();
    m_tblGruppe->open();
    CursorModel *model = dbgPerson->setDataCursor(m_tblPerson.get());
    auto shown = [](const char *field, int width) {
        return CursorModel::Column{QString::fromUtf8(field), {}, width, false, true};
    };
    auto hidden = [](const char *field) { return CursorModel::Column{QString::fromUtf8(field), {}, 0, true, true}; };
    model->setColumns({shown("Nachname", 20), shown("Vorname", 15), hidden("Status"), hidden("Altersklasse"),
                       hidden("PersonNr"), hidden("Userlevel"), hidden("Sex"), hidden("Angelegt"), hidden("Paßwort"),
                       hidden("GruppenNr")});
    m_tblPerson->first();
    loadCrest();
    dbgPerson->setMinimumWidth(dbgPerson->columnWidth(0) + dbgPerson->columnWidth(1) + 2 * dbgPerson->frameWidth());
}

// Any picture format Qt reads will do; a crest that cannot be read is left out.
void TPassCheck::loadCrest() {
    imgWappen->clear();
    const QString file = settings().Wappen;
    if (file.isEmpty())
        return;
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return;
    const QSize room = pnlWappen->size() - QSize(4, 4);
    QPixmap pixmap = QPixmap::fromImage(image);
    if (pixmap.width() > room.width() || pixmap.height() > room.height())
        pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    imgWappen->setPixmap(pixmap);
}

int TPassCheck::personNr() {
    return m_tblPerson->recNo() >= 0 ? m_tblPerson->asInt(kPersonNr) : 0;
}

int TPassCheck::gruppenNr() {
    return m_tblPerson->recNo() >= 0 ? m_tblPerson->asInt(QStringLiteral("GruppenNr")) : 0;
}

QString TPassCheck::vorname() {
    return m_tblPerson->recNo() >= 0 ? m_tblPerson->asString(QStringLiteral("Vorname")) : QString();
}

QString TPassCheck::nachname() {
    return m_tblPerson->recNo() >= 0 ? m_tblPerson->asString(QStringLiteral("Nachname")) : QString();
}

bool TPassCheck::isGroup() {
    return m_tblGruppe->isOpen() && !m_tblGruppe->isEmpty();
}

bool TPassCheck::locatePerson(int nr) {
    return m_tblPerson->locate(kPersonNr, nr);
}

void TPassCheck::setPassword(const QString &text) {
    txtPasswort->setText(text);
}

void TPassCheck::btnOkClick() {
    Cursor &person = *m_tblPerson;
    const bool hasRow = person.recNo() >= 0;
    const int nr = personNr();
    const QVariant stored = hasRow ? person.value(QStringLiteral("Paßwort")) : QVariant();
    const QString typed = txtPasswort->text();
    // A row without any stored code has no password that could match.
    const bool success = hasRow && !typed.isEmpty() && !stored.isNull() && PasswordCode(nr, typed) == stored.toInt();
    WriteLogLine(QLatin1Char('P'), success, nr, m_tag);
    if (success) {
        accept();
        return;
    }
    bool giveUp = false;
    if (m_attempts <= 2)
        ++m_attempts;
    else
        giveUp = true;
    Messages::error(QStringLiteral("Ungültiges Paßwort."));
    if (giveUp) {
        reject();
        return;
    }
    txtPasswort->setFocus();
    txtPasswort->selectAll();
}

void TPassCheck::btnAbbruchClick() {
    reject();
}

bool TPassCheck::eventFilter(QObject *watched, QEvent *event) {
    if ((watched == dbgPerson || watched == txtPasswort) &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isFunctionKey(key->key())) {
            event->accept();
            return event->type() == QEvent::KeyPress;
        }
        if (watched == dbgPerson && event->type() == QEvent::KeyPress && key->key() == Qt::Key_Tab &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))) {
            dbgPerson->KeyDown(Qt::Key_Tab);
            txtPasswort->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace velmora
