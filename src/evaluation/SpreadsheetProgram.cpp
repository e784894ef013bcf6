#include "evaluation/SpreadsheetProgram.h"

#include "base/Errors.h"
#include "base/Settings.h"

#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace velmora {

namespace {

// The escapes of a desktop entry's string values (\s \n \t \r \\); what
// else follows a backslash stays for the Exec line's own quoting.
QString unescapeValue(const QString &value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value[++i];
        switch (n.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            out += c;
            out += n;
            break;
        }
    }
    return out;
}

struct Token {
    QString text;
    bool quoted = false;
};

std::vector<Token> splitExec(const QString &exec) {
    std::vector<Token> tokens;
    Token current;
    bool inToken = false, inQuotes = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size() &&
                       QStringLiteral("\"`$\\").contains(exec[i + 1])) {
                current.text += exec[++i];
            } else {
                current.text += c;
            }
            continue;
        }
        if (c.isSpace()) {
            if (inToken)
                tokens.push_back(current);
            current = Token();
            inToken = false;
            continue;
        }
        inToken = true;
        if (c == QLatin1Char('"')) {
            inQuotes = true;
            current.quoted = true;
        } else {
            current.text += c;
        }
    }
    if (inToken)
        tokens.push_back(current);
    return tokens;
}

bool isFileCode(QChar c) {
    return c == QLatin1Char('f') || c == QLatin1Char('F') || c == QLatin1Char('u') || c == QLatin1Char('U');
}

} // namespace

QString SpreadsheetProgram::notRegisteredMessage(const QString &path) {
    return QStringLiteral("Zu \"%1\" ist keine Applikation registriert!").arg(path);
}

SpreadsheetProgram SpreadsheetProgram::fromExecLine(const QString &exec, const QStringList &files) {
    const std::vector<Token> tokens = splitExec(exec);
    if (tokens.empty())
        return {};
    QStringList args;
    bool filesPlaced = false;
    for (const Token &t : tokens) {
        if (t.text.size() == 2 && t.text[0] == QLatin1Char('%') && isFileCode(t.text[1])) {
            args += files;
            filesPlaced = true;
            continue;
        }
        QString text;
        bool embedsFile = false;
        for (qsizetype i = 0; i < t.text.size(); ++i) {
            const QChar c = t.text[i];
            if (c != QLatin1Char('%') || i + 1 == t.text.size()) {
                text += c;
                continue;
            }
            const QChar code = t.text[++i];
            if (code == QLatin1Char('%'))
                text += code;
            else if (isFileCode(code)) {
                // A marker no path holds; each file takes its place below.
                text += QChar(0);
                embedsFile = true;
            }
        }
        if (embedsFile) {
            for (const QString &file : files) {
                QString one = text;
                args << one.replace(QChar(0), file);
            }
            filesPlaced = true;
        } else if (!text.isEmpty() || t.quoted) {
            args << text;
        }
    }
    if (!filesPlaced)
        args += files;
    SpreadsheetProgram p;
    if (!args.isEmpty()) {
        p.program = args.takeFirst();
        p.arguments = args;
    }
    return p;
}

QString SpreadsheetProgram::associatedDesktopFile(const QString &path) {
    // By the name alone: the file may not be written yet.
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (!mime.isValid() || mime.isDefault())
        return {};
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mime.name()});
    if (!query.waitForStarted())
        return {};
    query.closeWriteChannel();
    if (!query.waitForFinished(30000)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    const QString out = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    return out.section(QLatin1Char('\n'), 0, 0).trimmed();
}

QString SpreadsheetProgram::execLineOf(const QString &desktopFileId) {
    if (desktopFileId.isEmpty() || desktopFileId.contains(QLatin1Char('/')))
        return {};
    QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFileId);
    // An id "vendor-name.desktop" may live in the subdirectory "vendor".
    for (qsizetype dash = desktopFileId.indexOf(QLatin1Char('-')); file.isEmpty() && dash > 0;
         dash = desktopFileId.indexOf(QLatin1Char('-'), dash + 1)) {
        QString nested = desktopFileId;
        nested[dash] = QLatin1Char('/');
        file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, nested);
    }
    if (file.isEmpty())
        return {};
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&f);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Exec"))
            return unescapeValue(line.mid(eq + 1).trimmed());
    }
    return {};
}

SpreadsheetProgram SpreadsheetProgram::find(const QString &path, const QStringList &files) {
    const QString exec = execLineOf(associatedDesktopFile(path));
    if (!exec.isEmpty()) {
        SpreadsheetProgram p = fromExecLine(exec, files);
        if (!p.isEmpty())
            return p;
    }
    if (!settings().Tabellenprogramm.trimmed().isEmpty()) {
        SpreadsheetProgram p = fromExecLine(settings().Tabellenprogramm, files);
        if (!p.isEmpty())
            return p;
    }
    throw VelmoraError(notRegisteredMessage(path));
}

void SpreadsheetProgram::startDetached() const {
    if (program.isEmpty() || !QProcess::startDetached(program, arguments))
        throw VelmoraError(QStringLiteral("Das Programm \"%1\" konnte nicht gestartet werden.").arg(program));
}

} // namespace velmora
