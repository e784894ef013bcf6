#include "evaluation/CommandLineEvaluation.h"

#include "evaluation/TAuswertungSQL.h"
#include "store/Errors.h"

#include <QDateTime>
#include <QLocale>

namespace velmora {

namespace {
QString cellText(const QVariant &v) {
    if (v.isNull())
        return {};
    QString s;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        s = QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        break;
    case QMetaType::Bool:
        s = v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        break;
    case QMetaType::QDate:
        s = v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        break;
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        s = dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("yyyy-MM-dd"))
                                     : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        break;
    }
    case QMetaType::QTime:
        s = v.toTime().toString(QStringLiteral("HH:mm:ss"));
        break;
    default:
        s = v.toString();
    }
    // One row, one line: tabs and line breaks inside a text would split it.
    for (QChar &c : s)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return s;
}
} // namespace

void WriteResultText(Cursor &result, QTextStream &out) {
    const FieldDefs &fields = result.fields();
    QStringList header;
    for (const FieldDef &f : fields)
        header << f.name;
    out << header.join(QLatin1Char('\t')) << '\n';
    for (result.first(); !result.eof(); result.next()) {
        QStringList cells;
        for (int i = 0; i < int(fields.size()); ++i)
            cells << cellText(result.value(i));
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
}

int EvaluateToText(Database &db, const EvaluationRequest &request, QTextStream &out, QString *error) {
    try {
        TAuswertungSQL builder(db);
        builder.AuswertungNr = request.auswertungNr;
        builder.BuildSQL();
        builder.Art = request.art;
        builder.PersonNr = request.personNr;
        builder.Vergleich = request.compareArt != 0;
        builder.VergleichArt = request.compareArt;
        builder.VergleichPersonNr = request.comparePersonNr;
        builder.PrepareRun();
        builder.Run();
        WriteResultText(*builder.resultTable(), out);
        out.flush();
        return 0;
    } catch (const EngineError &e) {
        *error = QStringLiteral("Die Auswertung konnte nicht ausgeführt werden: ") + e.message();
        error->replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return 2;
    } catch (const VelmoraError &e) {
        *error = e.message();
        error->replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return 2;
    }
}

} // namespace velmora
