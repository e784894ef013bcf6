#include "base/Log.h"

#include "base/Errors.h"
#include "base/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>

namespace velmora {

namespace {
QString shortDate(const QDate &d) {
    return QLocale(QLocale::German, QLocale::Germany).toString(d, QLocale::ShortFormat);
}

bool appendLine(const QString &file, const QString &line) {
    QFile f(file);
    if (!f.open(QIODevice::Append | QIODevice::Text))
        return false;
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    return f.write(bytes) == bytes.size();
}
} // namespace

void InitLog() {
    Paths &p = paths();
    const QString today = shortDate(QDate::currentDate());
    QString file = FileNextToProgram(QStringLiteral("LOG"));
    if (QFile::exists(file) && appendLine(file, QStringLiteral("S   ") + today)) {
        p.logFileName = file;
        return;
    }
    if (!appendLine(file, QStringLiteral("C   %1 %2").arg(today, file))) {
        file = QDir::current().filePath(p.programFileName + QStringLiteral(".LOG"));
        if (!appendLine(file, QStringLiteral("C   %1 %2").arg(today, file)))
            throw VelmoraError(QStringLiteral("Die Protokolldatei %1 kann nicht angelegt werden.").arg(file));
    }
    p.logFileName = file;
}

QString LogLine(QChar kind, bool ok, int number, const QString &tag, const QDateTime &when) {
    const QLocale de(QLocale::German, QLocale::Germany);
    const QString stamp = de.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                          when.time().toString(QStringLiteral("HH:mm:ss"));
    return QString(kind) + (ok ? QStringLiteral("   ") : QStringLiteral(" X ")) + stamp + QLatin1Char(' ') +
           QString::number(number).left(7).leftJustified(7, QLatin1Char(' ')) + tag;
}

void WriteLogLine(QChar kind, bool ok, int number, const QString &tag) {
    const QString file = paths().logFileName;
    if (!file.isEmpty())
        appendLine(file, LogLine(kind, ok, number, tag, QDateTime::currentDateTime()));
}

} // namespace velmora
