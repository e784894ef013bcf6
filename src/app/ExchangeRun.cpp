#include "app/ExchangeRun.h"

#include "app/DocumentList.h"
#include "app/LoginValues.h"
#include "base/CommandLine.h"
#include "base/Errors.h"
#include "base/Messages.h"
#include "base/Progress.h"
#include "base/Settings.h"
#include "design/FormElementCache.h"
#include "diary/DiaryListQuery.h"
#include "exchange/ExchangeExport.h"
#include "exchange/ExchangeImport.h"

#include <QFileInfo>
#include <cstdio>

namespace velmora {

namespace {

void printLine(const QString &text) {
    std::fprintf(stderr, "velmora5: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// The progress window of a run without windows: a line when a step begins
// and one for every tenth of the bar.
class StderrProgress : public Progress {
public:
    void ResetSteps() override {
        m_steps.clear();
        m_done = 0;
    }
    void AddStep(const QString &caption) override { m_steps << caption; }
    void StepDone() override {
        if (m_done < m_steps.size())
            ++m_done;
        announce();
    }
    void SetProgressRange(int n) override {
        m_maximum = n;
        m_position = 0;
        m_tenth = 0;
    }
    void AdvanceProgress(int n) override {
        if (!m_visible || m_maximum <= 0)
            return;
        m_position += n;
        const int tenth = int(qint64(m_position) * 10 / m_maximum);
        if (tenth > m_tenth && tenth <= 10) {
            m_tenth = tenth;
            printLine(QStringLiteral("%1 %2 %").arg(current()).arg(tenth * 10));
        }
    }
    void ShowProgress() override {
        m_visible = true;
        announce();
    }
    void CloseProgress() override {
        m_visible = false;
        ResetSteps();
        m_position = 0;
        m_announced = -1;
    }

private:
    QString current() const { return m_done < m_steps.size() ? m_steps[m_done] : QString(); }
    void announce() {
        if (!m_visible || m_done >= m_steps.size() || m_announced == m_done)
            return;
        m_announced = m_done;
        printLine(current());
    }

    QStringList m_steps;
    int m_done = 0;
    int m_announced = -1;
    int m_maximum = 0;
    int m_position = 0;
    int m_tenth = 0;
    bool m_visible = false;
};

// Messages of a run without windows go to standard error; the one question
// an unattended export meets, whether to replace its archive, is answered
// yes (as a backup replaces its archive), every other question no.
class CommandLineMessages : public Messages {
public:
    explicit CommandLineMessages(QString replaceQuestion) : m_replace(std::move(replaceQuestion)) {
        Messages::install(this);
    }
    ~CommandLineMessages() override { Messages::install(nullptr); }
    CommandLineMessages(const CommandLineMessages &) = delete;
    CommandLineMessages &operator=(const CommandLineMessages &) = delete;

    void show(Kind, const QString &text) override { printLine(text); }
    bool ask(const QString &text) override {
        if (!m_replace.isEmpty() && text == m_replace)
            return true;
        printLine(text);
        return false;
    }

private:
    QString m_replace;
};

QString oneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

void ReadExchangeArchive(Engine &engine, Progress &progress, const QString &archive, const QString &unpackProgram) {
    ExchangeImport reader(engine, progress);
    reader.setUnpackProgram(unpackProgram);
    reader.readArchive(archive);
}

int RunImport(Engine &engine, Progress &progress, int loginPerson, int loginGroup,
              const std::function<void()> &refreshData) {
    Database &db = engine.dblog();
    // The elements describe forms the import may replace.
    FormElementCache().Clear();
    ExchangeImport import(engine, progress);
    try {
        import.importAll();
    } catch (...) {
        // The database is as it was; so is the list, read again.
        try {
            LoadFormElementCache(db, nullptr);
        } catch (...) {
        }
        progress.CloseProgress();
        throw;
    }
    try {
        if (refreshData)
            refreshData();
        progress.StepDone();
        LoadFormElementCache(db, &progress);
        RebuildDocumentList(db, &progress, loginPerson, loginGroup);
    } catch (...) {
        progress.CloseProgress();
        throw;
    }
    progress.CloseProgress();
    return import.changedRows();
}

QStringList PersonProtocolSelection(int personNr) {
    DiaryQueryInput in;
    in.kindCode = 2;
    in.personNr = personNr;
    QStringList lines = BuildDiaryListQuery(in).selection;
    // The diary puts its kind condition on the query's first line, which a
    // selection does not carry: without it the plans would travel as well.
    lines.prepend(QStringLiteral("(tr.Art = 2) and"));
    return lines;
}

int RunExchangeCommand(const CommandLine &cl, Engine &engine) {
    const QString archive = !cl.backup.isEmpty()          ? cl.backup
                            : !cl.exportArchive.isEmpty() ? cl.exportArchive
                                                          : cl.importArchive;
    // The exchange directory is the working directory of the packers;
    // a relative archive path means the caller's directory.
    const QString archivePath = archive.isEmpty() ? archive : QFileInfo(archive).absoluteFilePath();
    CommandLineMessages messages(cl.exportArchive.isEmpty() ? QString()
                                                            : ExchangeMessages::ReplaceQuestion(archivePath));
    StderrProgress progress;
    try {
        if (!cl.backup.isEmpty()) {
            ExchangeExport(engine, progress).backup(archivePath);
        } else if (!cl.exportArchive.isEmpty()) {
            Database &db = engine.dblog();
            // A person unknown here is named, not exported as an empty set.
            LoginValuesFor(db, cl.person);
            if (!ExchangeExport(engine, progress).exportSelection(PersonProtocolSelection(cl.person), archivePath))
                return 2;
        } else {
            ReadExchangeArchive(engine, progress, archivePath);
            // The document list is the last user's, as the next start builds it.
            LoginValues login;
            if (settings().User > 0) {
                try {
                    login = LoginValuesFor(engine.dblog(), settings().User);
                } catch (const VelmoraError &) {
                }
            }
            RunImport(engine, progress, login.personNr, login.gruppenNr);
        }
    } catch (const VelmoraError &e) {
        printLine(oneLine(e.message()));
        return 2;
    }
    return 0;
}

} // namespace velmora
