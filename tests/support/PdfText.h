#pragma once

#include <QProcess>
#include <QStringList>

namespace velmora::test {

// The text of a PDF file as pdftotext reads it, one list of lines per page,
// blanks collapsed and empty lines left out. An empty list when the file
// cannot be read.
inline QList<QStringList> pdfPages(const QString &file) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    QList<QStringList> result;
    for (const QString &page : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'))) {
        QStringList lines;
        for (const QString &line : page.split(QLatin1Char('\n')))
            if (!line.simplified().isEmpty())
                lines << line.simplified();
        if (!lines.isEmpty())
            result << lines;
    }
    return result;
}

// All pages' lines one after the other.
inline QStringList pdfLines(const QString &file) {
    QStringList lines;
    for (const QStringList &page : pdfPages(file))
        lines << page;
    return lines;
}

} // namespace velmora::test
