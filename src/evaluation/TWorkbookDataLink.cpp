#include "evaluation/TWorkbookDataLink.h"

#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TDBTypeGrid.h"
#include "controls/TMessageBoxes.h"
#include "evaluation/WorkbookDesign.h"
#include "store/CursorModel.h"
#include "store/Engine.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace velmora {

namespace {

template <class T> T *named(T *control, const char *name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

const QString kSheet = QStringLiteral("Sheet");
const QString kAuswertungNr = QStringLiteral("AuswertungNr");

// Storing a cell re-reads the links, which takes the editor away; the
// focus it had goes back to the grid rather than on to the next control.
void storeCell(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index, const QVariant &value) {
    const bool hadFocus = editor->hasFocus();
    QPointer<QWidget> view = editor->parentWidget() ? editor->parentWidget()->parentWidget() : nullptr;
    model->setData(index, value, Qt::EditRole);
    if (hadFocus && view && !view->hasFocus())
        view->setFocus(Qt::OtherFocusReason);
}

// The links show the evaluation's name instead of its number; editing
// keeps the number.
class TLinkModel : public CursorModel {
public:
    TLinkModel(Cursor *cursor, const WorkbookDesign &design, QObject *parent)
        : CursorModel(cursor, parent), m_design(design) {
        setColumns(
            {Column(kSheet, QStringLiteral("Sheetname"), 20), Column(kAuswertungNr, QStringLiteral("Auswertung"), 30)});
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (index.isValid() && role == Qt::DisplayRole && fieldName(index.column()) == kAuswertungNr) {
            const QVariant nr = CursorModel::data(index, Qt::EditRole);
            return nr.isNull() ? QVariant() : QVariant(m_design.evaluationName(nr.toInt()));
        }
        if (index.isValid() && role == Qt::TextAlignmentRole && fieldName(index.column()) == kAuswertungNr)
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        return CursorModel::data(index, role);
    }

private:
    const WorkbookDesign &m_design;
};

// The look-up list of every evaluation by name.
class TEvaluationDelegate : public QStyledItemDelegate {
public:
    TEvaluationDelegate(const WorkbookDesign &design, QObject *parent)
        : QStyledItemDelegate(parent), m_design(design) {}
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override {
        auto *box = new QComboBox(parent);
        box->setObjectName(QStringLiteral("cbxAuswertung"));
        for (const WorkbookDesign::Evaluation &e : m_design.evaluations())
            box->addItem(e.name, e.nr);
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override {
        auto *box = static_cast<QComboBox *>(editor);
        const QVariant nr = index.data(Qt::EditRole);
        box->setCurrentIndex(nr.isNull() ? -1 : box->findData(nr.toInt()));
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override {
        auto *box = static_cast<QComboBox *>(editor);
        if (box->currentIndex() < 0)
            return;
        const QVariant nr = box->currentData();
        if (nr != index.data(Qt::EditRole))
            storeCell(editor, model, index, nr);
    }

private:
    const WorkbookDesign &m_design;
};

// Sheet names are typed no longer than the column holds, so that nothing
// typed is cut off unseen.
class TSheetDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setMaxLength(20);
        return editor;
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override {
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line) {
            QStyledItemDelegate::setModelData(editor, model, index);
            return;
        }
        if (line->text() != index.data(Qt::EditRole).toString())
            storeCell(editor, model, index, line->text());
    }
};

} // namespace

TWorkbookDataLink::TWorkbookDataLink(int workbookNr, int coach, bool readOnly, QWidget *parent)
    : TWorkbookDataLink(Engine::current()->dblog(), workbookNr, coach, readOnly, parent) {}

TWorkbookDataLink::TWorkbookDataLink(Database &db, int workbookNr, int coach, bool readOnly, QWidget *parent)
    : QDialog(parent), m_db(db), m_workbookNr(workbookNr), m_coach(coach), m_readOnly(readOnly && workbookNr != 0) {
    buildControls();
}

TWorkbookDataLink::~TWorkbookDataLink() {
    // The editors and the grid let go of the cursors before the design
    // closes them (and takes back what was not finished).
    dsAnalyse->setDataSet(nullptr);
    dbgDataLink->setModel(nullptr);
    delete m_linkModel;
    m_design.reset();
}

void TWorkbookDataLink::buildControls() {
    setObjectName(QStringLiteral("WorkbookDataLink"));
    setWindowTitle(QStringLiteral("Eingebundene Auswertung"));
    dsAnalyse = named(new TDataSource(this), "dsAnalyse");

    dbfName = named(new TDBEdit, "dbfName");
    dbfName->setDataSource(dsAnalyse);
    dbfName->setDataField(QStringLiteral("AnalyseName"));
    dbfFile = named(new TDBEdit, "dbfFile");
    dbfFile->setDataSource(dsAnalyse);
    dbfFile->setDataField(QStringLiteral("Files"));
    dbfFile->setReadOnly(true);
    btnImport = named(new QPushButton(QStringLiteral("&import")), "btnImport");
    btnImport->setToolTip(QStringLiteral("Eine Datei (Vorlage) importieren"));
    btnImport->setStatusTip(btnImport->toolTip());
    connect(btnImport, &QPushButton::clicked, this, &TWorkbookDataLink::btnImportClick);

    dbgDataLink = named(new TDBTypeGrid, "dbgDataLink");
    dbgDataLink->installEventFilter(this);
    dbgDataLink->horizontalHeader()->setStretchLastSection(true);

    btnFertig = named(new QPushButton(QStringLiteral("&Fertig")), "btnFertig");
    btnFertig->setDefault(true);
    connect(btnFertig, &QPushButton::clicked, this, &TWorkbookDataLink::btnFertigClick);
    btnAbbruch = named(new QPushButton(QStringLiteral("Abbruch")), "btnAbbruch");
    connect(btnAbbruch, &QPushButton::clicked, this, &TWorkbookDataLink::btnAbbruchClick);

    auto *head = new QGridLayout;
    auto *lblName = named(new QLabel(QStringLiteral("Name")), "lblName");
    lblName->setBuddy(dbfName);
    auto *lblFile = named(new QLabel(QStringLiteral("Datei")), "lblFile");
    lblFile->setBuddy(dbfFile);
    head->addWidget(lblName, 0, 0);
    head->addWidget(dbfName, 0, 1, 1, 2);
    head->addWidget(lblFile, 1, 0);
    head->addWidget(dbfFile, 1, 1);
    head->addWidget(btnImport, 1, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnFertig);
    buttons->addWidget(btnAbbruch);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(dbgDataLink, 1);
    layout->addLayout(buttons);
    resize(520, 360);
}

bool TWorkbookDataLink::prepare() {
    if (m_prepared)
        return true;
    auto design = std::make_unique<WorkbookDesign>(m_db, settings().SerienNr);
    if (!Guarded(this, [&] { design->open(m_workbookNr, m_coach, m_readOnly); }))
        return false;
    m_design = std::move(design);
    m_prepared = true;
    dsAnalyse->setDataSet(&m_design->workbook());
    connect(&m_design->workbook(), &Cursor::fieldChanged, this, [this](int) { updateButtons(); });
    m_linkModel = new TLinkModel(&m_design->links(), *m_design, nullptr);
    dbgDataLink->setCursorModel(m_linkModel);
    dbgDataLink->setItemDelegateForColumn(0, new TSheetDelegate(dbgDataLink));
    dbgDataLink->setItemDelegateForColumn(1, new TEvaluationDelegate(*m_design, dbgDataLink));
    dbgDataLink->applyDisplayWidths();
    btnImport->setEnabled(!m_design->isReadOnly());
    updateButtons();
    return true;
}

int TWorkbookDataLink::exec() {
    if (!prepare())
        return QDialog::Rejected;
    return QDialog::exec();
}

int TWorkbookDataLink::workbookNr() const {
    return m_design ? m_design->workbookNr() : m_workbookNr;
}

void TWorkbookDataLink::updateButtons() {
    btnFertig->setEnabled(m_design && m_design->canFinish());
}

void TWorkbookDataLink::btnImportClick() {
    if (!m_design || m_design->isReadOnly())
        return;
    QFileDialog dialog(this, QStringLiteral("Öffnen"));
    dialog.setObjectName(QStringLiteral("dlgImport"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("MS-Excel (*.xls *.xlsx)"), QStringLiteral("OpenDocument-Tabelle (*.ods)"),
                           QStringLiteral("alle Datein (*)")});
    const QString files = m_design->workbook().asString(QStringLiteral("Files")).trimmed();
    if (!files.isEmpty())
        dialog.setDirectory(QFileInfo(files).absolutePath());
    dialog.selectFile(QStringLiteral("Workbook.xls"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    // What is typed into the name goes along with the file.
    Guarded(this, [&] {
        dsAnalyse->updateRecord();
        m_design->importFile(path);
    });
    dsAnalyse->refreshEditors();
    updateButtons();
}

void TWorkbookDataLink::btnFertigClick() {
    if (!m_design || !m_design->canFinish())
        return;
    if (!dbgDataLink->finishCellEditor())
        return;
    if (!Guarded(this, [this] {
            dsAnalyse->updateRecord();
            m_design->finish();
        }))
        return;
    m_finished = true;
    accept();
}

void TWorkbookDataLink::btnAbbruchClick() {
    if (m_design && !m_finished)
        Guarded(this, [this] { m_design->cancel(); });
    QDialog::reject();
}

void TWorkbookDataLink::reject() {
    if (m_design && !m_finished && !m_design->isReadOnly()) {
        // A cell being typed into counts as a change as well.
        if (!dbgDataLink->finishCellEditor())
            return;
        if (m_design->isChanged() &&
            !Messages::question(QStringLiteral("Sollen die Änderungen am Arbeitsbuch verworfen werden?")))
            return;
    }
    btnAbbruchClick();
}

bool TWorkbookDataLink::eventFilter(QObject *watched, QEvent *event) {
    if (watched == dbgDataLink && event->type() == QEvent::KeyPress && m_design && !m_design->isReadOnly()) {
        auto *key = static_cast<QKeyEvent *>(event);
        const int rows = m_linkModel ? m_linkModel->rowCount() : 0;
        const int row = dbgDataLink->currentIndex().isValid() ? dbgDataLink->currentIndex().row() : -1;
        const bool append = (key->key() == Qt::Key_Insert && key->modifiers() == Qt::NoModifier) ||
                            (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier && row >= rows - 1);
        const bool remove = key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier && rows > 0;
        if (append || remove) {
            const int column = std::max(0, dbgDataLink->currentIndex().column());
            Guarded(this, [&] {
                if (append)
                    m_design->appendLink();
                else
                    m_design->deleteLink();
            });
            const int count = m_linkModel->rowCount();
            const int target = append ? count - 1 : std::min(std::max(row, 0), count - 1);
            if (target >= 0)
                dbgDataLink->setCurrentIndex(m_linkModel->index(target, column));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace velmora
