#include "design/TIndexValues.h"

#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TDBTypeGrid.h"
#include "controls/TMessageBoxes.h"
#include "design/AssignedValuesModel.h"
#include "store/Engine.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {
template <class T> T *named(T *control, const char *name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}
} // namespace

TIndexValues::TIndexValues(QWidget *parent) : QDialog(parent) {
    buildControls();
}

TIndexValues::TIndexValues(int formularNr, int tableNr, int feldNr, int personNr, bool readOnly,
                           const QString &displayName, QWidget *parent)
    : QDialog(parent), m_personNr(personNr), m_readOnly(readOnly), m_displayName(displayName) {
    m_field = {formularNr, tableNr, feldNr};
    buildControls();
}

TIndexValues::~TIndexValues() {
    // The editors and grids let go of the cursors before the list closes
    // them and takes its marks back.
    dsValue->setDataSet(nullptr);
    dbgValue->setCursorModel(nullptr);
    dbguseVAL->setCursorModel(nullptr);
    if (m_pickList) {
        try {
            m_pickList->close();
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
    }
    m_pickList.reset();
}

void TIndexValues::buildControls() {
    setObjectName(QStringLiteral("IndexValues"));
    setWindowTitle(QStringLiteral("Indexwerte zuordnen []"));
    dsValue = named(new TDataSource(this), "dsValue");

    dbgValue = named(new TDBTypeGrid, "dbgValue");
    dbguseVAL = named(new TDBTypeGrid, "dbguseVAL");
    for (TDBTypeGrid *grid : {dbgValue, dbguseVAL}) {
        // A double click and the space bar assign or remove; nothing is
        // edited in the grids themselves.
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->installEventFilter(this);
    }
    dbgValue->viewport()->installEventFilter(this);
    connect(dbgValue, &QAbstractItemView::doubleClicked, this, &TIndexValues::dbgValueDblClick);
    connect(dbguseVAL, &QAbstractItemView::doubleClicked, this, &TIndexValues::dbguseVALDblClick);

    lblValue = named(new QLabel(QStringLiteral("Value")), "lblValue");
    lblBeschreibung = named(new QLabel(QStringLiteral("Beschreibung")), "lblBeschreibung");
    dbfValue = named(new TDBEdit, PickList::kValueControl);
    dbfValue->setDataSource(dsValue);
    dbfValue->setDataField(QStringLiteral("Value"));
    dbfBeschreibung = named(new TDBMemo, "dbfBeschreibung");
    dbfBeschreibung->setDataSource(dsValue);
    dbfBeschreibung->setDataField(QStringLiteral("Beschreibung"));
    lblValue->setBuddy(dbfValue);
    lblBeschreibung->setBuddy(dbfBeschreibung);

    btnAdd = named(new QPushButton(QStringLiteral(">")), "btnAdd");
    btnRemove = named(new QPushButton(QStringLiteral("<")), "btnRemove");
    btnUp = named(new QPushButton(QStringLiteral("▲")), "btnUp");
    btnDown = named(new QPushButton(QStringLiteral("▼")), "btnDown");
    btnNew = named(new QPushButton(QStringLiteral("Neu")), "btnNew");
    btnNew->setToolTip(QStringLiteral("Neuen Indexwert erstellen"));
    btnOk = named(new QPushButton(QStringLiteral("Fertig")), "btnOk");
    btnOk->setDefault(true);
    connect(btnAdd, &QPushButton::clicked, this, &TIndexValues::btnAddClick);
    connect(btnRemove, &QPushButton::clicked, this, &TIndexValues::btnRemoveClick);
    connect(btnUp, &QPushButton::clicked, this, &TIndexValues::btnUpClick);
    connect(btnDown, &QPushButton::clicked, this, &TIndexValues::btnDownClick);
    connect(btnNew, &QPushButton::clicked, this, &TIndexValues::btnNewClick);
    connect(btnOk, &QPushButton::clicked, this, &TIndexValues::btnOkClick);

    auto *left = new QVBoxLayout;
    left->addWidget(dbgValue, 1);
    auto *valueRow = new QHBoxLayout;
    valueRow->addWidget(lblValue);
    valueRow->addWidget(dbfValue, 1);
    valueRow->addWidget(btnNew);
    left->addLayout(valueRow);
    left->addWidget(lblBeschreibung);
    left->addWidget(dbfBeschreibung);

    auto *middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(btnAdd);
    middle->addWidget(btnRemove);
    middle->addStretch();

    auto *right = new QGridLayout;
    right->addWidget(dbguseVAL, 0, 0, 3, 1);
    right->addWidget(btnUp, 0, 1);
    right->addWidget(btnDown, 1, 1);
    right->setRowStretch(2, 1);

    auto *lists = new QHBoxLayout;
    lists->addLayout(left, 1);
    lists->addLayout(middle);
    lists->addLayout(right, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnOk);
    auto *main = new QVBoxLayout(this);
    main->addLayout(lists);
    main->addLayout(bottom);

    // From "Value" on to its description: typing on after a Tab must not
    // reach "Neu" and create one value after another.
    QWidget *order[] = {dbgValue,  dbfValue,  dbfBeschreibung, btnNew,  btnAdd,
                        btnRemove, dbguseVAL, btnUp,           btnDown, btnOk};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

bool TIndexValues::prepare() {
    if (m_prepared)
        return true;
    m_pickList = std::make_unique<PickList>(Engine::current()->dblog(), settings().SerienNr);
    try {
        m_pickList->open(m_field, m_personNr, m_readOnly);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        m_pickList.reset();
        return false;
    }
    m_prepared = true;
    PickList &list = *m_pickList;

    CursorModel *valuesModel = dbgValue->setDataCursor(&list.values());
    valuesModel->setColumns({CursorModel::Column(QStringLiteral("Value"), QStringLiteral("Value"), 24, false, true)});
    m_assignedModel = new AssignedValuesModel(
        &list.assigned(), [this](int valueNr) { return m_pickList ? m_pickList->valueText(valueNr) : QString(); },
        this);
    dbguseVAL->setCursorModel(m_assignedModel);
    dsValue->setDataSet(&list.values());

    connect(&list.values(), &Cursor::scrolled, this, &TIndexValues::tblValueAfterScroll);
    connect(&list.values(), &Cursor::rowsChanged, this, &TIndexValues::tblValueAfterScroll);
    connect(&list.values(), &Cursor::stateChanged, this, &TIndexValues::tblValueAfterScroll);
    connect(&list.assigned(), &Cursor::scrolled, this, &TIndexValues::tbluseVALAfterScroll);
    connect(&list.assigned(), &Cursor::rowsChanged, this, &TIndexValues::tbluseVALAfterScroll);
    // A value renamed in the left list renames it in the right one too.
    connect(&list.values(), &Cursor::rowsChanged, dbguseVAL->viewport(), qOverload<>(&QWidget::update));

    setWindowTitle(QStringLiteral("Indexwerte zuordnen [") + m_displayName + QStringLiteral("]"));
    afterChange();
    return true;
}

int TIndexValues::exec() {
    if (!prepare())
        return Rejected;
    return QDialog::exec();
}

void TIndexValues::done(int result) {
    if (m_pickList && m_pickList->isOpen()) {
        try {
            dsValue->updateRecord();
            m_pickList->postValue();
        } catch (const VelmoraError &e) {
            showError(e);
            return;
        }
        dsValue->setDataSet(nullptr);
        try {
            m_pickList->close();
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
    }
    QDialog::done(result);
}

void TIndexValues::showError(const VelmoraError &e) {
    ShowError(this, e);
}

void TIndexValues::afterChange() {
    tblValueAfterScroll();
    tbluseVALAfterScroll();
}

template <class Op> void TIndexValues::run(Op op) {
    if (!m_pickList || !m_pickList->isOpen())
        return;
    try {
        dsValue->updateRecord();
        op(*m_pickList);
    } catch (const VelmoraError &e) {
        afterChange();
        showError(e);
        return;
    }
    afterChange();
}

void TIndexValues::tblValueAfterScroll() {
    const bool editable = m_pickList && m_pickList->isOpen() && m_pickList->canEditValue();
    for (QWidget *editor : std::initializer_list<QWidget *>{dbfValue, dbfBeschreibung}) {
        editor->setEnabled(editable);
        QPalette p = editor->palette();
        p.setColor(QPalette::Base, palette().color(editable ? QPalette::Base : QPalette::Button));
        editor->setPalette(p);
    }
    dbfValue->setReadOnly(!editable);
    dbfBeschreibung->setReadOnly(!editable);
    // Assigning depends on the available list as well.
    tbluseVALAfterScroll();
}

void TIndexValues::tbluseVALAfterScroll() {
    const bool open = m_pickList && m_pickList->isOpen();
    btnAdd->setEnabled(open && m_pickList->canAssign());
    btnRemove->setEnabled(open && m_pickList->canRemove());
    btnUp->setEnabled(open && m_pickList->canMoveUp());
    btnDown->setEnabled(open && m_pickList->canMoveDown());
    btnNew->setEnabled(open && m_pickList->canCreate());
}

void TIndexValues::btnAddClick() {
    run([](PickList &l) { l.assign(); });
}

void TIndexValues::btnRemoveClick() {
    run([](PickList &l) { l.remove(); });
}

void TIndexValues::btnUpClick() {
    run([](PickList &l) { l.moveUp(); });
}

void TIndexValues::btnDownClick() {
    run([](PickList &l) { l.moveDown(); });
}

void TIndexValues::btnNewClick() {
    run([](PickList &l) { l.newValue(); });
    if (m_pickList && m_pickList->isOpen() && m_pickList->values().state() == Cursor::State::Insert)
        dbfValue->setFocus();
}

void TIndexValues::btnOkClick() {
    accept();
}

void TIndexValues::dbgValueDblClick() {
    if (btnAdd->isEnabled())
        btnAddClick();
}

void TIndexValues::dbguseVALDblClick() {
    if (btnRemove->isEnabled())
        btnRemoveClick();
}

bool TIndexValues::eventFilter(QObject *watched, QEvent *event) {
    // Moving on in the available list from a new value nothing was typed
    // into drops it, instead of refusing to leave it.
    if ((watched == dbgValue->viewport() && event->type() == QEvent::MouseButtonPress) ||
        (watched == dbgValue && event->type() == QEvent::KeyPress))
        if (m_pickList && m_pickList->isOpen() && m_pickList->values().state() == Cursor::State::Insert) {
            try {
                dsValue->updateRecord();
                if (m_pickList->dropUntypedValue())
                    afterChange();
            } catch (const VelmoraError &e) {
                showError(e);
            }
        }
    if (event->type() == QEvent::KeyPress && (watched == dbgValue || watched == dbguseVAL)) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            if (watched == dbgValue)
                dbgValueDblClick();
            else
                dbguseVALDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace velmora
