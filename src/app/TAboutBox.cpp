#include "app/TAboutBox.h"

#include "base/Settings.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace velmora {

namespace {
constexpr int kCrestSize = 64;
}

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Über ..."));
    setModal(false);

    m_crest = new QLabel(this);
    m_crest->setObjectName(QStringLiteral("ProgramIcon"));
    m_crest->setFixedSize(kCrestSize, kCrestSize);
    m_crest->setAlignment(Qt::AlignCenter);

    m_productName = new QLabel(QStringLiteral("Velmora 5"), this);
    m_productName->setObjectName(QStringLiteral("ProductName"));
    QFont big = m_productName->font();
    big.setPointSize(20);
    big.setBold(true);
    m_productName->setFont(big);

    m_comments = new QPlainTextEdit(this);
    m_comments->setObjectName(QStringLiteral("Comments"));
    m_comments->setReadOnly(true);
    m_comments->setFocusPolicy(Qt::NoFocus);
    m_comments->setPlainText(InfoText());
    m_comments->setFixedHeight(m_comments->fontMetrics().lineSpacing() * 4 + 8);

    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("pnlProgress"));
    m_panel->setFrameShape(QFrame::StyledPanel);
    m_steps = new QListWidget(m_panel);
    m_steps->setObjectName(QStringLiteral("lbxSteps"));
    m_steps->setFocusPolicy(Qt::NoFocus);
    m_steps->setSelectionMode(QAbstractItemView::NoSelection);
    m_steps->setFixedHeight(m_steps->fontMetrics().lineSpacing() * 5 + 12);
    m_bar = new QProgressBar(m_panel);
    m_bar->setObjectName(QStringLiteral("pgbProgress"));
    m_bar->setRange(0, m_maximum);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    auto *panelLayout = new QVBoxLayout(m_panel);
    panelLayout->addWidget(m_steps);
    panelLayout->addWidget(m_bar);

    auto *head = new QHBoxLayout;
    head->addWidget(m_crest, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    texts->addWidget(m_productName);
    texts->addWidget(m_comments);
    head->addLayout(texts, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(m_panel);

    LoadCrest(settings().Wappen);

    // The size is that of the window with its panel; the panel keeps its
    // space while hidden so the window never jumps.
    QSizePolicy keep = m_panel->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_panel->setSizePolicy(keep);
    setFixedSize(std::max(sizeHint().width(), 380), sizeHint().height());
    m_panel->hide();
}

TAboutBox::~TAboutBox() = default;

QString TAboutBox::InfoText() {
    return settings().Name + QStringLiteral("\n\nVersion 5.3 Build %1 S#%2").arg(kBuild).arg(settings().SerienNr);
}

void TAboutBox::LoadCrest(const QString &path) {
    m_crest->clear();
    if (path.isEmpty())
        return;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return;
    m_crest->setPixmap(
        QPixmap::fromImage(image).scaled(kCrestSize, kCrestSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

bool TAboutBox::hasCrest() const {
    return !m_crest->pixmap().isNull();
}

void TAboutBox::ResetSteps() {
    m_steps->clear();
    m_done = 0;
}

void TAboutBox::AddStep(const QString &caption) {
    auto *item = new QListWidgetItem(caption, m_steps);
    // Ticked by the program only: the user cannot change a step.
    item->setFlags(Qt::ItemIsEnabled);
    item->setCheckState(Qt::Unchecked);
}

void TAboutBox::StepDone() {
    if (m_done >= m_steps->count())
        return;
    m_steps->item(m_done)->setCheckState(Qt::Checked);
    ++m_done;
    if (progressVisible())
        m_steps->viewport()->repaint();
}

void TAboutBox::SetProgressRange(int n) {
    m_maximum = n;
    m_position = 0;
    // A bar with an empty range turns into a busy indicator; an operation
    // with nothing to do shows an empty bar instead.
    m_bar->setRange(0, std::max(n, 1));
    m_bar->setValue(0);
}

void TAboutBox::AdvanceProgress(int n) {
    if (!progressVisible())
        return;
    m_position += n;
    m_bar->setValue(std::clamp(m_position, 0, m_bar->maximum()));
    m_bar->repaint();
}

void TAboutBox::ShowProgress() {
    m_panel->show();
    show();
    repaint();
    // The caller keeps the thread busy from here on; let the window system
    // map the window once, without handing the user the event loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TAboutBox::resetPanel() {
    m_panel->hide();
    ResetSteps();
    m_position = 0;
    m_bar->setValue(0);
}

void TAboutBox::CloseProgress() {
    resetPanel();
    hide();
}

void TAboutBox::done(int result) {
    resetPanel();
    QDialog::done(result);
}

QStringList TAboutBox::steps() const {
    QStringList result;
    for (int i = 0; i < m_steps->count(); ++i)
        result << m_steps->item(i)->text();
    return result;
}

bool TAboutBox::stepChecked(int index) const {
    const QListWidgetItem *item = m_steps->item(index);
    return item && item->checkState() == Qt::Checked;
}

int TAboutBox::progressMaximum() const {
    return m_maximum;
}

int TAboutBox::progressPosition() const {
    return m_position;
}

bool TAboutBox::progressVisible() const {
    return !m_panel->isHidden();
}

void TAboutBox::showEvent(QShowEvent *event) {
    centre();
    QDialog::showEvent(event);
}

void TAboutBox::centre() {
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    QRect r = frameGeometry();
    r.moveCenter(s->availableGeometry().center());
    move(r.topLeft());
}

} // namespace velmora
