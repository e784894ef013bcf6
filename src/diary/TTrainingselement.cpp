#include "diary/TTrainingselement.h"

#include "base/Messages.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TDBScrollBar.h"
#include "controls/TDBTypeGrid.h"
#include "design/FormElementCache.h"
#include "diary/TTrainingseintrag.h"
#include "store/Cursor.h"
#include "store/CursorModel.h"
#include "store/Query.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>
#include <set>

namespace velmora {

namespace {

// Type check first, then the field's two limits: a value outside them is
// never complete, so the edit does not hand it on as the field's value.
class TRangeValidator : public QValidator {
public:
    TRangeValidator(FieldType type, EntryRules::FieldLimits limits, QObject *parent)
        : QValidator(parent), m_type(type), m_limits(std::move(limits)) {}
    State validate(QString &input, int &pos) const override {
        const State s = m_type.validate(input, pos);
        if (s != Acceptable || input.trimmed().isEmpty())
            return s;
        return m_limits.contains(TFieldValidator::parse(input, m_type.fieldType())) ? Acceptable : Intermediate;
    }

private:
    TFieldValidator m_type;
    EntryRules::FieldLimits m_limits;
};

} // namespace

// An edit of a range field: accepts only values of the field's type within
// its limits. A value outside them is refused with the field's range when
// the edit is left; only a commit that cannot wait puts back the last good
// value, and says so.
class TRangeEdit : public TDBEdit {
public:
    TRangeEdit(EntryRules::FieldLimits limits, QWidget *parent) : TDBEdit(parent), m_limits(std::move(limits)) {}
    void revertInvalidInput() {
        if (hasAcceptableInput())
            return;
        const QString why = inputRefusal();
        writeValue(m_lastGood);
        reload();
        setText(displayOf(m_lastGood));
        if (!why.isEmpty())
            Messages::error(why);
    }
    QString inputRefusal() const override {
        const QString typeRefusal = TDBEdit::inputRefusal();
        if (!typeRefusal.isEmpty() || hasAcceptableInput() || text().trimmed().isEmpty())
            return typeRefusal;
        return QStringLiteral("Der Wert muß zwischen %1 und %2 liegen!")
            .arg(displayOf(m_limits.low), displayOf(m_limits.high));
    }

protected:
    void fieldBound() override {
        TDBEdit::fieldBound();
        const FieldDef *f = fieldDef();
        if (!f)
            return;
        m_rangeType = f->type;
        delete m_range;
        m_range = new TRangeValidator(f->type, m_limits, this);
        setValidator(m_range);
    }
    void showValue(const QVariant &value) override {
        TDBEdit::showValue(value);
        m_lastGood = value;
    }
    void focusInEvent(QFocusEvent *event) override {
        // What the field held before this round of typing.
        m_lastGood = fieldValue();
        TDBEdit::focusInEvent(event);
    }

private:
    QString displayOf(const QVariant &v) const {
        if (v.isNull())
            return {};
        if (isFloatType(m_rangeType))
            return QLocale(QLocale::German).toString(v.toDouble(), 'g', 15);
        if (m_rangeType == FieldType::Time)
            return v.toTime().toString(QStringLiteral("HH:mm:ss"));
        return v.toString();
    }

    EntryRules::FieldLimits m_limits;
    FieldType m_rangeType = FieldType::Unknown;
    QPointer<TRangeValidator> m_range;
    QVariant m_lastGood;
};

namespace {

// Cells of pick-list columns show the value's text instead of its number.
class TPickListDelegate : public QStyledItemDelegate {
public:
    TPickListDelegate(QHash<int, QString> values, QObject *parent)
        : QStyledItemDelegate(parent), m_values(std::move(values)) {}
    QString displayText(const QVariant &value, const QLocale &locale) const override {
        bool ok = false;
        const int key = value.toString().toInt(&ok);
        if (ok)
            return m_values.value(key);
        return QStyledItemDelegate::displayText(value, locale);
    }

private:
    QHash<int, QString> m_values;
};

QString pickListSql(const TTREListEntry &e) {
    return QStringLiteral("select TrValue.* from TrValue, TRuseVAL where (TrValue.ValueNr = TRuseVAL.ValueNr) and "
                          "(TRuseVAL.FormularNr = %1) and (TRuseVAL.TableNr = %2) and (TRuseVAL.FeldNr = %3)\n"
                          "order by TRuseVAL.\"Order\"")
        .arg(e.FormularNr)
        .arg(e.TableNr)
        .arg(e.FeldNr);
}

} // namespace

TTrainingselement::TTrainingselement(TTrainingseintrag *view, QWidget *parent, const Setup &setup, Database &db)
    : QFrame(parent), m_view(view), m_db(db), m_setup(setup) {
    setObjectName(QStringLiteral("Block%1").arg(setup.tableNr));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    if (setup.layout || setup.single)
        installLayoutHandlers(this, true, false);
    else
        m_focusWatch =
            connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { focusMoved(now); });
}

TTrainingselement::~TTrainingselement() {
    // The children go after this part of the panel; their focus changes
    // must not reach it.
    disconnect(m_focusWatch);
    // The controls refer to the cursor through the data source; they go first.
    if (m_source)
        m_source->setDataSet(nullptr);
    m_table.reset();
}

void TTrainingselement::openTable(const QString &filename) {
    m_table = std::make_unique<Cursor>(m_db, filename.left(16));
    m_table->setReadOnly(m_setup.readOnly);
    if (m_header) {
        m_table->setOrder(QStringLiteral("SerienNr;TrNr"));
        m_table->beforePost = [](Cursor &tr) { EntryRules::ApplyHeaderRules(tr, settings().SerienNr); };
    } else {
        m_table->setOrder(QStringLiteral("SerienNr;TrNr;Order"));
        m_table->onNewRecord = [this](Cursor &c) {
            EntryRules::ApplyNewRowRule(c, m_setup.serienNr, m_setup.trNr, m_nextOrder);
        };
    }
    m_table->setRange({m_setup.serienNr, m_setup.trNr}, {m_setup.serienNr, m_setup.trNr});
    m_table->open();
    if (!m_header)
        m_nextOrder = EntryRules::NextRowNumber(*m_table);
}

// On the first row; an editable entry edits it, or starts the block's first
// row when it has none, so that leaving the entry leaves a row behind.
void TTrainingselement::startRow() {
    m_table->first();
    if (m_setup.readOnly)
        return;
    m_table->edit();
    // A grid shows stored rows only: its first row is stored at once.
    if (m_grid && m_table->state() == Cursor::State::Insert)
        m_table->post();
}

void TTrainingselement::build(const QString &filename, bool grid, bool client, bool header) {
    m_header = header && !m_setup.layout;
    m_grid = grid;
    m_client = client;
    resize(m_view->width() - 4, 80);

    for (TTREListEntry *e : FormElementCache().BlockElements(m_setup.formularNr, m_setup.tableNr)) {
        Slot slot;
        slot.element.FormularNr = e->FormularNr;
        slot.element.Order = e->Order;
        slot.element.TableNr = e->TableNr;
        slot.element.FeldNr = e->FeldNr;
        slot.element.Typ = e->Typ;
        slot.element.Name = e->Name;
        slot.element.Prefix = e->Prefix;
        slot.element.PrefixLeft = e->PrefixLeft;
        slot.element.PrefixTop = e->PrefixTop;
        slot.element.Postfix = e->Postfix;
        slot.element.PostfixLeft = e->PostfixLeft;
        slot.element.PostfixTop = e->PostfixTop;
        slot.element.Left = e->Left;
        slot.element.Top = e->Top;
        slot.element.Height = e->Height;
        slot.element.Width = e->Width;
        slot.element.DisplayWidth = e->DisplayWidth;
        slot.element.Visible = e->Visible;
        slot.element.Print = e->Print;
        slot.element.Feldname = e->Feldname;
        slot.element.Werte = e->Werte;
        slot.element.Smallest = e->Smallest;
        slot.element.Largest = e->Largest;
        m_slots.push_back(std::move(slot));
    }

    openTable(filename);
    // Every field must name a column of the table; the engine's message says which not.
    for (const Slot &s : m_slots) {
        const int index = m_table->fieldIndex(s.element.Feldname);
        if (!m_header && s.element.Typ == QLatin1Char('X') && index < 256)
            m_pickListColumns.insert(index);
    }

    m_source = new TDataSource(this);
    m_source->setObjectName(QStringLiteral("DS%1").arg(m_setup.tableNr));
    m_source->setDataSet(m_table.get());

    if (m_grid)
        buildGrid();
    else
        buildCard();
    startRow();
}

void TTrainingselement::buildGrid() {
    auto *g = new TDBTypeGrid(this);
    g->setObjectName(QStringLiteral("Grid"));
    g->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                       QAbstractItemView::AnyKeyPressed);
    g->setSelectionMode(QAbstractItemView::ExtendedSelection);
    g->setSelectionBehavior(QAbstractItemView::SelectItems);
    g->setTabKeyNavigation(false);
    g->setShowGrid(true);
    g->horizontalHeader()->setSectionsMovable(false);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_gridControl = g;

    std::vector<CursorModel::Column> columns;
    const FieldDefs &defs = m_table->fields();
    for (size_t i = 0; i < defs.size(); ++i) {
        CursorModel::Column col(defs[i].name);
        if (i < 3)
            col.hidden = true;
        if (m_header && int(i) == EntryRules::kWocheColumn)
            col.readOnly = true;
        for (const Slot &s : m_slots)
            if (s.element.Feldname.compare(defs[i].name, Qt::CaseInsensitive) == 0) {
                col.title = s.element.Prefix;
                col.displayWidth = s.element.DisplayWidth;
                col.hidden = !s.element.Visible || i < 3;
            }
        columns.push_back(col);
    }
    CursorModel *model = g->setDataCursor(m_table.get());
    model->setColumns(columns);
    g->applyDisplayWidths();

    if (!m_pickListColumns.isEmpty()) {
        QHash<int, QString> values;
        Query q(m_db, QStringLiteral("select ValueNr, Value from TrValue"));
        q.open();
        for (int r = 0; r < q.recordCount(); ++r)
            values.insert(q.row(r)[0].toInt(), q.row(r)[1].toString());
        for (int c = 0; c < model->columnCount(); ++c)
            if (m_pickListColumns.contains(m_table->fieldIndex(model->fieldName(c))))
                g->setItemDelegateForColumn(c, new TPickListDelegate(values, g));
    }

    // In-grid pick-list controls, one slot per visible column.
    for (int c = 0; c < model->columnCount(); ++c) {
        TDBLookupComboBox *box = nullptr;
        for (Slot &s : m_slots)
            if (s.element.Visible && s.element.Typ == QLatin1Char('X') &&
                s.element.Feldname.compare(model->fieldName(c), Qt::CaseInsensitive) == 0) {
                box = createPickList(s.element, true);
                s.control = box;
            }
        m_gridPickLists << QPointer<TDBLookupComboBox>(box);
    }

    if (m_setup.readOnly)
        applyReadOnlyColour(g);
    if (!m_firstControl)
        m_firstControl = g;
    g->setGeometry(rect());
    if (m_setup.layout) {
        installLayoutHandlers(g, true);
    } else {
        m_fillControl = g;
        connect(g->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex &current) { gridCellEntered(current); });
    }
    if (m_setup.single)
        installLayoutHandlers(g, false);
    g->show();
}

void TTrainingselement::buildCard() {
    const bool labels = m_setup.layout || (!m_client && !m_header);
    for (Slot &s : m_slots) {
        const TTREListEntry &e = s.element;
        if (!e.Visible)
            continue;
        TTREListEntry *shared = FormElementCache().Find(e.FormularNr, e.Order);
        if (labels) {
            if (!e.Prefix.isEmpty()) {
                s.prefix = createLabel(QStringLiteral("P") + e.Name, e.Prefix, e.PrefixLeft, e.PrefixTop);
                if (shared && (m_setup.layout || m_setup.single))
                    shared->PrefixLabel = s.prefix.data();
            }
            if (!e.Postfix.isEmpty()) {
                s.postfix = createLabel(QStringLiteral("O") + e.Name, e.Postfix, e.PostfixLeft, e.PostfixTop);
                if (shared && (m_setup.layout || m_setup.single))
                    shared->PostfixLabel = s.postfix.data();
            }
        }
        s.control = createControl(s);
        if (shared && (m_setup.layout || m_setup.single))
            shared->Control = s.control.data();
    }
}

QLabel *TTrainingselement::createLabel(const QString &name, const QString &caption, int left, int top) {
    auto *label = new QLabel(caption, this);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    m_labels << label;
    if (m_setup.layout || m_setup.single)
        installLayoutHandlers(label, true, false);
    label->show();
    return label;
}

QWidget *TTrainingselement::createControl(Slot &slot) {
    const TTREListEntry &e = slot.element;
    const QChar typ = e.Typ.toUpper();
    QWidget *w = nullptr;
    bool mouse = true;
    if (typ == QLatin1Char('M')) {
        auto *memo = new TDBMemo(this);
        memo->setDataSource(m_source);
        memo->setDataField(e.Feldname);
        w = memo;
    } else if (typ == QLatin1Char('C')) {
        auto *combo = new TDBComboBox(this);
        combo->setItems(e.Werte.value_or(QStringList()));
        combo->setDataSource(m_source);
        combo->setDataField(e.Feldname);
        w = combo;
        mouse = false;
    } else if (typ == QLatin1Char('X')) {
        w = createPickList(e, false);
    } else if (typ == QLatin1Char('L')) {
        auto *check = new TDBCheckBox(QStringLiteral(" "), this);
        check->setDataSource(m_source);
        check->setDataField(e.Feldname);
        w = check;
    } else if (typ == QLatin1Char('N')) {
        auto *bar = new TDBScrollBar(Qt::Horizontal, this);
        bar->setRange(int(std::lround(e.Smallest)), int(std::lround(e.Largest)));
        bar->setReadOnly(m_setup.readOnly);
        bar->setDataField(e.Feldname);
        bar->setDataSource(m_table.get());
        w = bar;
        mouse = false;
    } else {
        TDBEdit *edit = nullptr;
        if (auto limits = EntryRules::LimitsOf(typ, e.Werte))
            edit = new TRangeEdit(*limits, this);
        else
            edit = new TDBEdit(this);
        edit->setDataSource(m_source);
        edit->setDataField(e.Feldname);
        if (m_header && m_table->fieldIndex(e.Feldname) == EntryRules::kWocheColumn)
            edit->setReadOnly(true);
        w = edit;
    }
    // The memo goes by the element's name itself, every other control with "F" in front.
    w->setObjectName(typ == QLatin1Char('M') ? e.Name : QStringLiteral("F") + e.Name);
    if (!m_firstControl)
        m_firstControl = w;
    w->setGeometry(e.Left, e.Top, e.Width, e.Height);
    if (typ == QLatin1Char('M') && m_client) {
        w->setGeometry(rect());
        m_fillControl = w;
    }
    if (m_setup.readOnly)
        applyReadOnlyColour(w);
    if (m_setup.layout || m_setup.single)
        installLayoutHandlers(w, mouse);
    w->show();
    return w;
}

TDBLookupComboBox *TTrainingselement::createPickList(const TTREListEntry &e, bool inGrid) {
    auto query = std::make_unique<Query>(m_db, pickListSql(e));
    query->open();
    auto *box = new TDBLookupComboBox(this);
    box->setObjectName(QStringLiteral("F") + e.Name);
    box->setProperty("feldNr", e.FeldNr);
    box->setProperty("feldname", e.Feldname);
    // The box keeps its list: it reads it for as long as it lives.
    box->setListSource(std::move(query), QStringLiteral("ValueNr"), QStringLiteral("Value"));
    box->setDataSource(m_source);
    box->setDataField(e.Feldname);
    box->installEventFilter(this);
    if (inGrid) {
        box->setFrame(false);
        box->hide();
    }
    if (m_setup.readOnly)
        applyReadOnlyColour(box);
    return box;
}

void TTrainingselement::installLayoutHandlers(QWidget *w, bool mouse, bool keys) {
    w->installEventFilter(this);
    w->setProperty("layoutMouse", mouse);
    w->setProperty("layoutKeys", keys);
    if (mouse)
        w->setMouseTracking(true);
}

void TTrainingselement::applyReadOnlyColour(QWidget *w) {
    QPalette p = w->palette();
    const QColor face = p.color(QPalette::Button);
    p.setColor(QPalette::Base, face);
    p.setColor(QPalette::Window, face);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void TTrainingselement::setPanelSize(const QSize &size) {
    resize(size);
    if (m_fillControl)
        m_fillControl->setGeometry(rect());
}

void TTrainingselement::resizeEvent(QResizeEvent *event) {
    QFrame::resizeEvent(event);
    if (m_fillControl)
        m_fillControl->setGeometry(rect());
}

void TTrainingselement::gridCellEntered(const QModelIndex &current) {
    if (!current.isValid() || current.column() >= m_gridPickLists.size())
        return;
    TDBLookupComboBox *box = m_gridPickLists[current.column()];
    if (!box || box->isVisible())
        return;
    const QRect cell = m_gridControl->visualRect(current);
    const QPoint topLeft = m_gridControl->viewport()->mapTo(this, cell.topLeft());
    box->setGeometry(topLeft.x() + 1, topLeft.y() + 1, cell.width() + 2, cell.height() + 1);
    box->show();
    box->raise();
    box->setFocus();
}

bool TTrainingselement::gridPickListKey(TDBLookupComboBox *box, QKeyEvent *key) {
    if (key->modifiers() & Qt::ShiftModifier)
        return false;
    TDBTypeGrid *g = m_gridControl;
    if (!g || !g->model())
        return false;
    QAbstractItemModel *model = g->model();
    const QModelIndex cur = g->currentIndex();
    int row = std::max(0, cur.row()), col = std::max(0, cur.column());
    const int lastCol = model->columnCount() - 1, lastRow = model->rowCount() - 1;
    switch (key->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_Left:
        if (col > 0)
            --col;
        else if (row > 0) {
            --row;
            col = lastCol;
        }
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Right:
        if (col < lastCol)
            ++col;
        else if (row < lastRow) {
            ++row;
            col = 0;
        }
        break;
    case Qt::Key_End:
        col = lastCol;
        break;
    case Qt::Key_Home:
        col = 0;
        break;
    case Qt::Key_Up:
        if (row > 0)
            --row;
        break;
    case Qt::Key_Down:
        if (row < lastRow) {
            ++row;
        } else if (!m_setup.readOnly) {
            try {
                m_table->append();
                m_table->post();
            } catch (const VelmoraError &e) {
                Messages::error(e.message());
                m_table->cancel();
            }
            row = model->rowCount() - 1;
        }
        break;
    default:
        return false;
    }
    box->hide();
    g->setFocus();
    g->setCurrentIndex(model->index(row, col));
    return true;
}

void TTrainingselement::openPickListEditor(TDBLookupComboBox *box) {
    if (m_view->editPickList) {
        const bool readOnly = m_setup.readOnly && m_setup.person == m_setup.user;
        m_view->editPickList(m_setup.formularNr, m_setup.tableNr, box->property("feldNr").toInt(),
                             box->property("feldname").toString(), m_setup.person, readOnly);
        // The editor may have changed the values the field offers.
        for (TDBLookupComboBox *other : findChildren<TDBLookupComboBox *>())
            if (Query *q = other->listQuery()) {
                q->close();
                q->open();
            }
        box->refreshList();
        box->reload();
    }
    box->setFocus();
}

bool TTrainingselement::layoutEvent(QWidget *w, QEvent *event) {
    const bool mouse = w->property("layoutMouse").toBool();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (mouse) {
            auto *me = static_cast<QMouseEvent *>(event);
            const QPoint p = me->position().toPoint();
            LayoutDrag::MouseDown(m_drag, me->button(), w->width(), w->height(), p.x(), p.y());
        }
        return false;
    case QEvent::MouseMove:
        if (mouse) {
            auto *me = static_cast<QMouseEvent *>(event);
            const QPoint p = me->position().toPoint();
            w->setCursor(LayoutDrag::CursorAt(w->width(), w->height(), p.x(), p.y()));
            QRect g = w->geometry();
            const QRect old = g;
            if (LayoutDrag::MouseMove(m_drag, g, p.x(), p.y())) {
                w->setGeometry(g);
                if (!m_drag.active) {
                    // Qt reports no move of its own when a control moves
                    // under the mouse: the point keeps its place relative to
                    // the moved origin, so the next move counts at once.
                    m_drag.active = true;
                    m_drag.lastX -= g.x() - old.x();
                    m_drag.lastY -= g.y() - old.y();
                }
                return true;
            }
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (mouse)
            LayoutDrag::MouseUp(m_drag);
        return false;
    case QEvent::KeyPress: {
        if (!w->property("layoutKeys").toBool())
            return false;
        auto *ke = static_cast<QKeyEvent *>(event);
        QRect g = w->geometry();
        if (!LayoutDrag::KeyMove(g, ke->key(), ke->modifiers()))
            return false;
        w->setGeometry(g);
        return true;
    }
    default:
        return false;
    }
}

bool TTrainingselement::eventFilter(QObject *watched, QEvent *event) {
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w)
        return QFrame::eventFilter(watched, event);
    if (auto *box = qobject_cast<TDBLookupComboBox *>(w)) {
        if (event->type() == QEvent::KeyPress) {
            auto *ke = static_cast<QKeyEvent *>(event);
            if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) && (ke->modifiers() & Qt::ShiftModifier)) {
                openPickListEditor(box);
                return true;
            }
            if (m_gridPickLists.contains(box) && gridPickListKey(box, ke))
                return true;
        } else if (event->type() == QEvent::FocusOut && m_gridPickLists.contains(box)) {
            if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
                box->hide();
        }
    }
    if ((m_setup.layout || m_setup.single) && w->property("layoutMouse").isValid() && layoutEvent(w, event))
        return true;
    return QFrame::eventFilter(watched, event);
}

void TTrainingselement::reKey(int serienNr, int trNr, bool readOnly, int person) {
    m_setup.serienNr = serienNr;
    m_setup.trNr = trNr;
    m_setup.person = person;
    const bool colourChange = readOnly != m_setup.readOnly;
    m_setup.readOnly = readOnly;
    if (!m_table || !m_table->isOpen())
        return;
    if (m_table->isEditing())
        m_table->cancel();
    m_table->setReadOnly(readOnly);
    m_table->setRange({serienNr, trNr}, {serienNr, trNr});
    if (!m_header)
        m_nextOrder = EntryRules::NextRowNumber(*m_table);
    startRow();
    if (colourChange) {
        QList<QWidget *> controls;
        for (const Slot &s : m_slots)
            if (s.control)
                controls << s.control;
        if (m_gridControl)
            controls << m_gridControl;
        for (QWidget *w : controls) {
            if (readOnly)
                applyReadOnlyColour(w);
            else {
                w->setPalette(QPalette());
                w->setAutoFillBackground(false);
            }
            if (auto *bar = qobject_cast<TDBScrollBar *>(w))
                bar->setReadOnly(readOnly);
        }
    }
    m_source->refreshEditors();
    // A read-only entry offers no row commands; an editable one offers
    // them at once when the focus already is in the grid.
    focusMoved(QApplication::focusWidget());
}

bool TTrainingselement::commit(bool freeing) {
    m_saveFailed = false;
    if (!m_table || !m_table->isOpen() || m_setup.readOnly)
        return false;
    // A cell still being edited holds the last thing typed: it goes to the
    // cursor first. A refused value leaves its editor open (the message is shown).
    if (m_gridControl && !m_gridControl->finishCellEditor() && !freeing) {
        m_saveFailed = true;
        return false;
    }
    // Half-typed or out-of-range input is never posted; the editors show
    // the value that is, and the user is told what was not taken.
    for (const Slot &s : m_slots) {
        if (auto *range = dynamic_cast<TRangeEdit *>(s.control.data()))
            range->revertInvalidInput();
        else if (auto *edit = qobject_cast<TDBEdit *>(s.control.data()); edit && !edit->hasAcceptableInput()) {
            const QString why = edit->inputRefusal();
            edit->reload();
            if (!why.isEmpty())
                Messages::error(why);
        }
    }
    const bool modified = m_table->isEditing() && m_table->isModified();
    try {
        if (!m_table->isEditing())
            m_table->edit();
        // An unchanged stored row has nothing to write.
        if (m_table->state() == Cursor::State::Insert || m_table->isModified())
            m_table->post();
        else
            m_table->cancel();
    } catch (const VelmoraError &e) {
        // The change cannot be stored: say why, and keep it in the row so
        // that it can be corrected or stored again. Only a panel that goes
        // has nowhere to keep it.
        Messages::error(e.message());
        m_saveFailed = true;
        if (freeing)
            m_table->cancel();
    }
    return modified;
}

// --- grid row commands

bool TTrainingselement::rowCommandsAllowed() const {
    return m_grid && m_gridControl && !m_setup.layout && !m_setup.single && !m_setup.readOnly;
}

// Also through windows of their own: the list of an in-grid pick-list
// control is a popup whose parent is the control.
bool TTrainingselement::holds(const QWidget *w) const {
    for (; w; w = w->parentWidget())
        if (w == this)
            return true;
    return false;
}

void TTrainingselement::focusMoved(QWidget *now) {
    if (m_rowCommandRunning)
        return;
    const bool inside = now && holds(now) && rowCommandsAllowed();
    if (inside && !m_rowCommandsBound)
        bindRowCommands();
    else if (!inside && m_rowCommandsBound)
        releaseRowCommands();
}

void TTrainingselement::announce(int command, bool enable, void (TTrainingselement::*handler)()) {
    std::function<void()> click;
    if (enable) {
        click = [panel = QPointer<TTrainingselement>(this), handler] {
            // The main window may replace this handler while it runs: what
            // it needs is taken off it first.
            const QPointer<TTrainingselement> target = panel;
            const auto run = handler;
            if (target)
                (target.data()->*run)();
        };
    }
    Q_EMIT m_view->commandChanged(command, enable, std::move(click));
}

void TTrainingselement::bindRowCommands() {
    m_rowCommandsBound = true;
    announce(EntryCommand::kDelete, true, &TTrainingselement::deleteRows);
    announce(EntryCommand::kCopy, true, &TTrainingselement::copyRows);
    announce(EntryCommand::kNewLine, true, &TTrainingselement::newRows);
    const bool paste = m_view->canPasteRows && m_view->canPasteRows(m_table->tableName());
    announce(EntryCommand::kPaste, paste, &TTrainingselement::pasteRows);
}

void TTrainingselement::releaseRowCommands() {
    if (!m_rowCommandsBound)
        return;
    m_rowCommandsBound = false;
    for (int command : {EntryCommand::kDelete, EntryCommand::kCopy, EntryCommand::kNewLine, EntryCommand::kPaste})
        announce(command, false, nullptr);
}

// What is typed in the grid belongs to the row it was typed in, before
// rows move under it.
bool TTrainingselement::finishEditing() {
    commit(false);
    // Reported already; the typing stays and the command does not run.
    if (m_saveFailed)
        return false;
    if (m_table->isEditing())
        m_table->cancel();
    return true;
}

int TTrainingselement::selectedRowCount() const {
    std::set<int> rows;
    if (m_gridControl)
        for (const QModelIndex &i : m_gridControl->selectionModel()->selectedIndexes())
            rows.insert(i.row());
    return int(rows.size());
}

std::vector<int> TTrainingselement::selectedOrders() {
    std::set<int> rows;
    if (m_gridControl)
        for (const QModelIndex &i : m_gridControl->selectionModel()->selectedIndexes())
            rows.insert(i.row());
    const int order = m_table->fieldIndex(QStringLiteral("Order"));
    std::vector<int> orders;
    for (int row : rows) {
        const std::vector<QVariant> values = m_table->rowAt(row);
        if (size_t(order) < values.size())
            orders.push_back(values[size_t(order)].toInt());
    }
    return orders;
}

// Without a current row the rows go to the end.
int TTrainingselement::currentOrder() {
    int row = m_gridControl && m_gridControl->currentIndex().isValid() ? m_gridControl->currentIndex().row()
                                                                       : m_table->recNo();
    const std::vector<QVariant> values = row >= 0 ? m_table->rowAt(row) : std::vector<QVariant>();
    const int order = m_table->fieldIndex(QStringLiteral("Order"));
    if (size_t(order) >= values.size())
        return m_nextOrder;
    return values[size_t(order)].toInt();
}

void TTrainingselement::reread(int row) {
    m_table->refresh();
    m_nextOrder = EntryRules::NextRowNumber(*m_table);
    const int rows = m_table->recordCount();
    if (rows > 0)
        m_table->moveTo(std::clamp(row, 0, rows - 1));
}

std::vector<RowReference *> TTrainingselement::clipboardRows() const {
    return m_view->clipboardRows ? m_view->clipboardRows() : std::vector<RowReference *>();
}

namespace {
// Keeps a panel from reacting to the focus changes its command causes (a
// question box takes the focus) and settles its commands afterwards.
class CommandRun {
public:
    explicit CommandRun(bool &running) : m_running(running), m_was(running) { m_running = true; }
    ~CommandRun() { m_running = m_was; }

private:
    bool &m_running;
    bool m_was;
};
} // namespace

void TTrainingselement::copyRows() {
    if (!m_table || !m_table->isOpen())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool copied = false;
    try {
        {
            CommandRun run(m_rowCommandRunning);
            if (!finishEditing()) {
                QApplication::restoreOverrideCursor();
                return;
            }
            const auto refs =
                EntryOperations::RowReferences(m_table->tableName(), m_setup.serienNr, m_setup.trNr, selectedOrders());
            if (m_view->copyRows) {
                m_view->copyRows(refs);
                copied = !refs.empty();
            }
        }
        if (m_rowCommandsBound)
            announce(EntryCommand::kPaste, copied, &TTrainingselement::pasteRows);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    QApplication::restoreOverrideCursor();
    focusMoved(QApplication::focusWidget());
}

// The row commands that write: finish what is being typed, run the
// operation, then read the rows again and stay on the same position. The
// operation reports whether it changed anything.
void TTrainingselement::runRowCommand(const std::function<bool()> &operation) {
    {
        CommandRun run(m_rowCommandRunning);
        int row = -1;
        bool changed = false;
        try {
            if (!finishEditing())
                return;
            row = m_table->recNo();
            changed = operation();
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
            changed = true; // a failed write may have left part of its work
        }
        if (changed) {
            try {
                reread(row);
            } catch (const VelmoraError &e) {
                Messages::error(e.message());
            }
        }
    }
    focusMoved(QApplication::focusWidget());
}

void TTrainingselement::newRows() {
    if (!m_table || !m_table->isOpen() || m_setup.readOnly)
        return;
    runRowCommand([this] {
        EntryOperations::NewRows(m_db, m_table->tableName(), m_setup.serienNr, m_setup.trNr, currentOrder(),
                                 selectedRowCount(), clipboardRows());
        return true;
    });
}

void TTrainingselement::pasteRows() {
    if (!m_table || !m_table->isOpen() || m_setup.readOnly)
        return;
    const std::vector<RowReference *> clipboard = clipboardRows();
    if (clipboard.empty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    runRowCommand([this, &clipboard] {
        EntryOperations::PasteRows(m_db, m_table->tableName(), m_setup.serienNr, m_setup.trNr, currentOrder(),
                                   clipboard);
        return true;
    });
    QApplication::restoreOverrideCursor();
}

void TTrainingselement::deleteRows() {
    if (!m_table || !m_table->isOpen() || m_setup.readOnly)
        return;
    runRowCommand([this] {
        return EntryOperations::DeleteRows(m_db, m_table->tableName(), m_setup.serienNr, m_setup.trNr,
                                           selectedOrders());
    });
}

std::vector<ElementLayout> TTrainingselement::layoutToSave() const {
    std::vector<ElementLayout> out;
    const int charWidth = m_gridControl ? m_gridControl->fontMetrics().horizontalAdvance(QLatin1Char('0')) : 1;
    for (const Slot &s : m_slots) {
        ElementLayout l;
        l.feldNr = s.element.FeldNr;
        l.visible = s.element.Visible;
        if (m_grid) {
            const CursorModel *model = m_gridControl ? m_gridControl->cursorModel() : nullptr;
            const int c = model ? model->columnOfField(s.element.Feldname) : -1;
            if (c >= 0)
                l.displayWidth = std::max(1, int(std::lround(double(m_gridControl->columnWidth(c) - 8) / charWidth)));
        } else {
            if (s.prefix) {
                l.prefix = s.prefix->text();
                l.prefixPos = s.prefix->pos();
            }
            if (s.postfix) {
                l.postfix = s.postfix->text();
                l.postfixPos = s.postfix->pos();
            }
            if (s.control)
                l.control = s.control->geometry();
        }
        out.push_back(l);
    }
    return out;
}

} // namespace velmora
