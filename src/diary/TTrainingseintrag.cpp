#include "diary/TTrainingseintrag.h"

#include "base/Messages.h"
#include "diary/TTrainingselement.h"
#include "store/Engine.h"
#include "store/Query.h"

#include <algorithm>

namespace velmora {

namespace {

// The blocks of a form. The order clause is ours: block 0 must come first,
// the others follow their position in the form.
QString blocksSql() {
    return QStringLiteral("select TrTable.*, TRuseTBL.\"Order\" as UseOrder\n"
                          "from Trtable, TRuseTBL\n"
                          "where (TRuseTBL.FormularNr = :FormularNr) and (TRuseTBL.TableNr = Trtable.TableNr)\n"
                          "order by TRuseTBL.\"Order\", TrTable.TableNr");
}

} // namespace

TTrainingseintrag::TTrainingseintrag(QWidget *parent, const EntryViewParams &params, Database *db)
    : EntryView(parent), m_db(db ? *db : Engine::current()->dblog()), m_params(params) {
    setObjectName(QStringLiteral("TRE%1_%2").arg(params.serienNr).arg(params.trNr));
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    resize(kWidth, parent ? std::max(parent->height(), 100) : 400);
    move(4, y());
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("Inhalt"));
    m_content->resize(kWidth - 4, 0);
    setWidget(m_content);
    setWidgetResizable(false);
    hide();
}

TTrainingseintrag::~TTrainingseintrag() {
    // The main window must not keep handlers of panels that go.
    for (TTrainingselement *panel : m_panels)
        panel->releaseRowCommands();
    if (m_built)
        commit(true);
}

void TTrainingseintrag::build() {
    m_built = true;
    Query blocks(m_db, blocksSql());
    blocks.setParam(QStringLiteral("FormularNr"), m_params.formularNr);
    try {
        blocks.open();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return;
    }
    // Rows in the order the panels stack: block 0 first.
    std::vector<int> rows(size_t(blocks.recordCount()));
    for (int r = 0; r < blocks.recordCount(); ++r)
        rows[size_t(r)] = r;
    const int tableCol = blocks.fieldIndex(QStringLiteral("TableNr"));
    std::stable_partition(rows.begin(), rows.end(),
                          [&](int r) { return blocks.row(r)[size_t(tableCol)].toInt() == 0; });

    int y = 0;
    int width = m_content->width();
    bool first = true;
    for (int r : rows) {
        blocks.moveTo(r);
        TTrainingselement::Setup setup;
        setup.person = m_params.person;
        setup.user = m_params.user;
        setup.formularNr = m_params.formularNr;
        setup.tableNr = blocks.asInt(QStringLiteral("TableNr"));
        setup.serienNr = m_params.serienNr;
        setup.trNr = m_params.trNr;
        setup.layout = m_params.layout;
        setup.single = m_params.single;
        setup.readOnly = m_params.readOnly;
        setup.kindCode = m_params.kindCode;
        const bool header = first;
        first = false;
        auto *panel = new TTrainingselement(this, m_content, setup, m_db);
        try {
            panel->build(blocks.asString(QStringLiteral("Filename")), blocks.value(QStringLiteral("Grid")).toBool(),
                         blocks.value(QStringLiteral("Client")).toBool(), header && setup.tableNr == 0);
        } catch (const VelmoraError &e) {
            // A block whose table or column is missing is left out; the
            // others stay usable.
            delete panel;
            Messages::error(e.message());
            continue;
        }
        QSize size = panel->size();
        if (!m_params.layout)
            size.setHeight(blocks.asInt(QStringLiteral("Height")));
        const int stored = blocks.asInt(QStringLiteral("Width"));
        if (stored > size.width())
            size.setWidth(stored);
        panel->setPanelSize(size);
        panel->move(0, y);
        panel->show();
        y += panel->height();
        width = std::max(width, panel->width());
        m_panels.push_back(panel);
    }
    m_content->resize(width, y);
}

void TTrainingseintrag::reKey(int serienNr, int trNr, bool readOnly, int person) {
    m_params.serienNr = serienNr;
    m_params.trNr = trNr;
    m_params.readOnly = readOnly;
    m_params.person = person;
    setObjectName(QStringLiteral("TRE%1_%2").arg(serienNr).arg(trNr));
    for (auto it = m_panels.rbegin(); it != m_panels.rend(); ++it) {
        try {
            (*it)->reKey(serienNr, trNr, readOnly, person);
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
    }
}

bool TTrainingseintrag::commit(bool freeing) {
    bool headerChanged = false;
    m_commitFailed = false;
    try {
        // One write for all blocks of the entry.
        Transaction tx(m_db);
        for (auto it = m_panels.rbegin(); it != m_panels.rend(); ++it) {
            const bool changed = (*it)->commit(freeing);
            if ((*it)->saveFailed())
                m_commitFailed = true;
            if (it == std::prev(m_panels.rend()) && (*it)->isHeader())
                headerChanged = changed;
        }
        tx.commit();
    } catch (const VelmoraError &e) {
        m_commitFailed = true;
        Messages::error(e.message());
    }
    return headerChanged;
}

void TTrainingseintrag::saveLayout() {
    for (TTrainingselement *panel : m_panels) {
        // The entry's own block keeps its layout unless the layout editor shows it.
        if (panel->isHeader() && !m_params.layout)
            continue;
        try {
            SaveBlockLayout(m_db, panel->tableNr(), panel->isGrid(), panel->layoutToSave(), panel->size());
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
    }
}

EntryView *CreateTrainingseintrag(QWidget *parent, const EntryViewParams &params) {
    return new TTrainingseintrag(parent, params);
}

} // namespace velmora
