// The evaluation result window, class TAuswertung: runs an evaluation and
// shows its result table as a chart, and exports the table.
#include "evaluation/TAuswertung.h"

#include "base/Errors.h"
#include "base/Messages.h"
#include "diary/TTrainingstagebuch.h"
#include "evaluation/ResultExport.h"
#include "evaluation/TAuswertungSQL.h"
#include "evaluation/TChartControl.h"
#include "store/Cursor.h"
#include "store/Database.h"
#include "store/Query.h"

#include <QCloseEvent>
#include <QDate>
#include <QDateTime>
#include <QFileDialog>
#include <QHash>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>
#include <cmath>

namespace velmora {

namespace {

const TAuswertung::Command kCommands[] = {TAuswertung::kClose,  TAuswertung::kSave,       TAuswertung::kCopy,
                                          TAuswertung::kPaste,  TAuswertung::kPrint,      TAuswertung::kRefresh,
                                          TAuswertung::kWizard, TAuswertung::kDataEditor, TAuswertung::kLayout};

// The main window's view mode with the chart menu ("D&iagramm").
constexpr int kChartViewMode = 1;
constexpr int kPlainViewMode = 0;

const QString kExportFilters[] = {QStringLiteral("dBase (*.dbf)"), QStringLiteral("Text (*.txt)"),
                                  QStringLiteral("Paradox (*.db)")};
const QString kExportSuffixes[] = {QStringLiteral("dbf"), QStringLiteral("txt"), QStringLiteral("db")};

// The column types the chart takes values of.
bool isChartNumeric(FieldType t) {
    switch (t) {
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Logical:
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp:
        return true;
    default:
        return false;
    }
}

// A value as the chart takes it: dates count in days from 30.12.1899 and
// times in parts of a day, as date-time numbers do elsewhere.
double chartValue(const QVariant &v) {
    if (v.isNull())
        return 0.0;
    static const QDate dayZero(1899, 12, 30);
    switch (v.typeId()) {
    case QMetaType::QDate:
        return double(dayZero.daysTo(v.toDate()));
    case QMetaType::QTime:
        return v.toTime().msecsSinceStartOfDay() / 86400000.0;
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return double(dayZero.daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
    }
    case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
    default:
        return v.toDouble();
    }
}

// The text of a label: whole numbers without decimals (a week 202602 must
// stay six digits), dates the German way.
QString labelText(const QVariant &v) {
    if (v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QLocale(QLocale::German, QLocale::Germany).toString(d, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("dd.MM.yyyy"))
                                        : dt.toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    }
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("hh:mm"));
    default:
        return v.toString();
    }
}

} // namespace

// ------------------------------------------------------------ opening

TAuswertung *TAuswertung::Open(CommandHost *host, Database &db, const EvaluationRun &run,
                               std::unique_ptr<TAuswertungSQL> builder) {
    auto *window = new TAuswertung(host, db);
    window->AuswertungNr = run.AuswertungNr;
    window->Art = run.Art;
    window->PersonNr = run.PersonNr;
    window->Vergleich = run.Vergleich;
    window->VergleichArt = run.VergleichArt;
    window->VergleichPersonNr = run.VergleichPersonNr;
    window->Caption = run.Caption;
    window->setWindowTitle(run.Caption);
    if (!builder)
        builder = std::make_unique<TAuswertungSQL>(db);
    QMdiArea *mdi = host ? host->mdiArea() : nullptr;
    QMdiSubWindow *frame = mdi ? mdi->addSubWindow(window) : nullptr;
    if (frame)
        frame->resize(mdi->viewport()->size() * 0.9);
    window->show();
    // The new window is the one the frame's commands act on, also while the
    // frame itself is not the active window.
    if (frame)
        mdi->setActiveSubWindow(frame);
    // A message box of the run may let the user close the window already.
    const QPointer<TAuswertung> guard(window);
    window->ShowResult(std::move(builder), run.ConditionLines);
    return guard.data();
}

TAuswertung *TAuswertung::OpenFromDiary(CommandHost *host, Database &db, TTrainingstagebuch &diary, int auswertungNr,
                                        const QString &caption) {
    // The evaluation reads the stored rows: what is being typed belongs there first.
    if (!diary.CommitEntryView())
        return nullptr;
    auto builder = std::make_unique<TAuswertungSQL>(db);
    builder->AuswertungNr = auswertungNr;
    try {
        builder->BuildSQL();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return nullptr;
    }
    EvaluationRun run;
    run.AuswertungNr = auswertungNr;
    run.Art = diary.KindCode;
    run.PersonNr = diary.PersonNr;
    run.Caption = caption;
    run.ConditionLines = diary.SelectionLines;
    // A filter naming no author, person or form and no dates leaves no
    // selection line: the diary then lists every entry of its kind. Without
    // a line the run would fall back to the diary's own person; the kind
    // (which the run names anyway) keeps it to what the diary lists.
    if (run.ConditionLines.isEmpty())
        run.ConditionLines << QStringLiteral("(tr.Art = %1)").arg(diary.KindCode);
    return Open(host, db, run, std::move(builder));
}

TAuswertung::TAuswertung(CommandHost *host, Database &db, QWidget *parent)
    : QWidget(parent), m_host(host), m_hostObject(host ? host->hostObject() : nullptr), m_db(db) {
    setObjectName(QStringLiteral("TAuswertung"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pnlChart = new QWidget(this);
    pnlChart->setObjectName(QStringLiteral("pnlChart"));
    layout->addWidget(pnlChart);
    auto *chartLayout = new QVBoxLayout(pnlChart);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    // The layout keeps the chart at the panel's size.
    VtChart1 = new TChartControl(pnlChart);
    VtChart1->setObjectName(QStringLiteral("VtChart1"));
    chartLayout->addWidget(VtChart1);
    resize(640, 480);

    if (host && host->mdiArea())
        connect(host->mdiArea(), &QMdiArea::subWindowActivated, this,
                [this](QMdiSubWindow *w) { subWindowActivated(w ? w->widget() : nullptr); });
}

TAuswertung::~TAuswertung() {
    finish();
}

// ------------------------------------------------------------ the run

bool TAuswertung::ShowResult(std::unique_ptr<TAuswertungSQL> builder, const QStringList &conditionLines) {
    setWindowTitle(Caption);
    m_builder = std::move(builder);
    m_ran = false;
    if (!m_builder)
        return false;
    // The window owns it now, not whoever created it.
    m_builder->setParent(nullptr);
    if (AuswertungNr == 0)
        AuswertungNr = m_builder->AuswertungNr;
    m_builder->AuswertungNr = AuswertungNr;
    m_builder->Art = Art;
    m_builder->PersonNr = PersonNr;
    m_builder->Vergleich = Vergleich;
    m_builder->VergleichArt = VergleichArt;
    m_builder->VergleichPersonNr = VergleichPersonNr;

    // The chart type chosen the last time; a run that fails must not lose it
    // when the window is closed.
    try {
        Query q(m_db, QStringLiteral("select Diagrammeinstellung from AUSWERT where AuswertungNr = :AuswertungNr"));
        q.setParam(QStringLiteral("AuswertungNr"), AuswertungNr);
        q.open();
        if (!q.eof() && !q.value(0).isNull())
            VtChart1->setChartType(q.value(0).toInt());
        m_typeRestored = true;
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }

    bool ok = false;
    try {
        m_builder->PrepareRun(conditionLines);
        ok = runBuilder();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    if (m_active)
        bindCommands();
    return ok;
}

bool TAuswertung::runBuilder() {
    m_ran = false;
    try {
        m_builder->Run();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return false;
    }
    m_ran = true;
    DrawChart();
    return true;
}

void TAuswertung::miRefreshClick() {
    if (!m_builder || m_builder->runText().isEmpty())
        return;
    runBuilder();
    if (m_active)
        bindCommands();
}

void TAuswertung::DrawChart() {
    if (!m_builder)
        return;
    const bool xWeek = m_builder->xName() == QLatin1String("Woche");
    const bool yWeek = m_builder->yName() == QLatin1String("Woche");
    int x = -1, y = -1;
    bool cross = false;
    try {
        Query q(m_db, QStringLiteral("select XAchse, YAchse, Kreuztabelle from AUSWERT "
                                     "where AuswertungNr = :AuswertungNr"));
        q.setParam(QStringLiteral("AuswertungNr"), AuswertungNr);
        q.open();
        if (!q.eof()) {
            x = q.value(0).isNull() ? -1 : q.value(0).toInt();
            y = q.value(1).isNull() ? -1 : q.value(1).toInt();
            cross = q.value(2).toBool();
        }

        Cursor *result = m_builder->resultTable();
        if (!result || !result->isOpen())
            return;
        const int rows = result->recordCount();
        const FieldDefs &fields = result->fields();
        std::vector<int> dataColumns;
        for (int c = 0; c < int(fields.size()); ++c) {
            if (cross ? c >= 1 : (c != x && isChartNumeric(fields[size_t(c)].type)))
                dataColumns.push_back(c);
        }
        if (rows == 0 || dataColumns.empty())
            return;

        // An index field holds the numbers of its pick-list values; the
        // coach reads the values.
        QHash<int, QString> pickList;
        if (!cross && x >= 0 && m_builder->xIsIndexField()) {
            Query v(m_db, QStringLiteral("select ValueNr, \"Value\" from TRVALUE"));
            v.open();
            for (v.first(); !v.eof(); v.next())
                pickList.insert(v.value(0).toInt(), v.value(1).toString());
        }
        const auto rowText = [&](const QVariant &value) {
            if (!pickList.isEmpty() && !value.isNull()) {
                const auto it = pickList.constFind(value.toInt());
                if (it != pickList.constEnd())
                    return *it;
            }
            return labelText(value);
        };

        const int columns = int(dataColumns.size());
        if (!cross) {
            VtChart1->setGridSize(xWeek ? 2 : 1, yWeek ? 2 : 1, rows, columns);
            for (int k = 1; k <= columns; ++k)
                VtChart1->setColumnText(k, fields[size_t(dataColumns[size_t(k) - 1])].name, yWeek);
            int r = 1;
            for (result->first(); !result->eof() && r <= rows; result->next(), ++r) {
                for (int k = 1; k <= columns; ++k)
                    VtChart1->setData(r, k, chartValue(result->value(dataColumns[size_t(k) - 1])));
                if (x >= 0 && x < int(fields.size()))
                    VtChart1->setRowText(r, rowText(result->value(x)), xWeek);
            }
        } else {
            VtChart1->setGridSize(yWeek ? 2 : 1, xWeek ? 2 : 1, rows, columns);
            int r = 1;
            for (result->first(); !result->eof() && r <= rows; result->next(), ++r) {
                for (int k = 1; k <= columns; ++k)
                    VtChart1->setData(r, k, chartValue(result->value(dataColumns[size_t(k) - 1])));
                if (y >= 0)
                    VtChart1->setRowText(r, labelText(result->value(0)), yWeek);
            }
            if (x >= 0)
                for (int k = 1; k <= columns; ++k)
                    VtChart1->setColumnText(k, fields[size_t(dataColumns[size_t(k) - 1])].name, xWeek);
        }
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

// ------------------------------------------------------------ export

void TAuswertung::miSaveClick() {
    if (!m_builder || !m_ran || m_builder->resultTableName().isEmpty())
        return;
    QFileDialog dialog(this, QStringLiteral("Daten exportieren"), m_builder->ExportDirectory);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The overwrite question is our own, with the file's name.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (const QString &f : kExportFilters)
        filters << f;
    dialog.setNameFilters(filters);
    // A name typed without an extension gets the one of the chosen type
    // (dBase unless another is chosen), so that choosing "Text" writes a
    // text file.
    dialog.setDefaultSuffix(kExportSuffixes[0]);
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString &filter) {
        const qsizetype i = filters.indexOf(filter);
        if (i >= 0)
            dialog.setDefaultSuffix(kExportSuffixes[i]);
    });
    dialog.selectFile(QStringLiteral("export1"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    const int filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    try {
        ResultExport exporter(m_db, m_builder->resultTableName());
        QString directory;
        if (exporter.exportTo(path, ResultExport::typeFor(filterIndex, path), m_db.directory(), &directory))
            m_builder->ExportDirectory = directory;
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

// ------------------------------------------------------------ commands

void TAuswertung::bindCommands() {
    CommandHost *main = host();
    if (!main)
        return;
    const auto chartMethod = [this](int id) { return [this, id] { VtChart1->invoke(id); }; };
    main->SetMenuCommand(kClose, true);
    main->SetMenuCommand(kSave, m_ran, [this] { miSaveClick(); });
    main->SetMenuCommand(kCopy, true, chartMethod(TChartControl::MethodCopy));
    main->SetMenuCommand(kPaste, true, chartMethod(TChartControl::MethodPaste));
    main->SetMenuCommand(kPrint, true, chartMethod(TChartControl::MethodPrint));
    main->SetMenuCommand(kRefresh, bool(m_builder), [this] { miRefreshClick(); });
    main->SetMenuCommand(kWizard, true, chartMethod(TChartControl::MethodWizard));
    main->SetMenuCommand(kDataEditor, true, chartMethod(TChartControl::MethodEditor));
    main->SetMenuCommand(kLayout, true, chartMethod(TChartControl::MethodLayout));
    main->SetViewMenus(kChartViewMode);
}

void TAuswertung::FormActivate() {
    m_active = true;
    bindCommands();
}

void TAuswertung::FormDeactivate() {
    m_active = false;
    CommandHost *main = host();
    if (!main)
        return;
    for (int command : kCommands)
        main->SetMenuCommand(command, false);
    main->SetViewMenus(kPlainViewMode);
}

void TAuswertung::subWindowActivated(QWidget *activeWidget) {
    if (m_finished)
        return;
    if (activeWidget == this) {
        if (m_active)
            return;
        // Whoever was active lets go first, so that its unbinding cannot
        // undo what this window binds.
        if (host())
            for (QMdiSubWindow *w : host()->mdiArea()->subWindowList()) {
                if (auto *diary = qobject_cast<TTrainingstagebuch *>(w->widget()); diary && diary->isActive())
                    diary->FormDeactivate();
                else if (auto *other = qobject_cast<TAuswertung *>(w->widget());
                         other && other != this && other->isActive())
                    other->FormDeactivate();
            }
        FormActivate();
    } else if (m_active) {
        FormDeactivate();
        // A window that bound its commands before this one let go of them
        // gets them back.
        if (auto *diary = qobject_cast<TTrainingstagebuch *>(activeWidget); diary && diary->isActive())
            diary->FormActivate();
        else if (auto *other = qobject_cast<TAuswertung *>(activeWidget); other && other->isActive())
            other->bindCommands();
    }
}

// ------------------------------------------------------------ closing

void TAuswertung::storeChartType() {
    if (AuswertungNr == 0 || !m_typeRestored)
        return;
    try {
        Transaction tx(m_db);
        m_db.execLocal(
            QStringLiteral("update AUSWERT set Diagrammeinstellung = :Typ where AuswertungNr = :AuswertungNr"),
            {{QStringLiteral("Typ"), VtChart1->chartType()}, {QStringLiteral("AuswertungNr"), AuswertungNr}});
        tx.commit();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TAuswertung::finish() {
    if (m_finished)
        return;
    m_finished = true;
    if (m_active)
        FormDeactivate();
    storeChartType();
    // The builder drops its temporary tables; the result goes with them.
    m_builder.reset();
    m_ran = false;
}

void TAuswertung::closeEvent(QCloseEvent *event) {
    finish();
    event->accept();
}

} // namespace velmora
