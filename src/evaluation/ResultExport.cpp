#include "evaluation/ResultExport.h"

#include "base/Errors.h"
#include "base/Messages.h"
#include "evaluation/CommandLineEvaluation.h"
#include "store/Cursor.h"
#include "store/Errors.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTime>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <shapefil.h>
#include <vector>

extern "C" {
#include <paradox.h>
}

namespace velmora {

namespace {

// What a column holds once untyped columns are typed by their values.
enum class Kind { Text, Integer, Float, Money, Logical, Date, Time, Timestamp, Binary };

struct Column {
    QString name;
    FieldType declared = FieldType::Unknown;
    Kind kind = Kind::Text;
    int width = 1;    // text: bytes; numbers: dBase width
    int decimals = 0; // floating point: digits after the point
    bool fitsShort = true;
    bool fitsLong = true;
};

using Row = std::vector<QVariant>;

const QString kWriteFailed = QStringLiteral("Der Datenträger ist voll oder lässt sich nicht beschreiben.");

QString cannotWrite(const QString &path, const QString &reason) {
    QString text =
        QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden.").arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    return text;
}

// DOS code page 850 (Multilingual Latin 1): what spreadsheet programs
// assume for a dBase file unless told otherwise, and what the header says.
// Characters outside it become "?".
QByteArray toCp850(const QString &text) {
    static const char16_t kHigh[128] = {
        0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
        0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
        0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
        0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
        0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514,
        0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
        0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C,
        0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, 0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
        0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6,
        0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
    };
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 128; ++i)
            if (c == kHigh[i])
                mapped = char(0x80 + i);
        out.append(mapped);
    }
    return out;
}

bool isWholeNumber(const QVariant &v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return true;
    default:
        return false;
    }
}

bool isNumber(const QVariant &v) {
    return isWholeNumber(v) || v.typeId() == QMetaType::Double;
}

Kind kindOf(FieldType t) {
    switch (t) {
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        return Kind::Integer;
    case FieldType::Number:
        return Kind::Float;
    case FieldType::Money:
        return Kind::Money;
    case FieldType::Logical:
        return Kind::Logical;
    case FieldType::Date:
        return Kind::Date;
    case FieldType::Time:
        return Kind::Time;
    case FieldType::Timestamp:
        return Kind::Timestamp;
    case FieldType::Blob:
    case FieldType::Graphic:
        return Kind::Binary;
    default:
        return Kind::Text;
    }
}

// An untyped column (an expression of the evaluation's SQL) takes the type
// of what it holds: whole numbers, numbers, else text.
Kind inferKind(const std::vector<Row> &rows, int index) {
    bool any = false, whole = true, numeric = true;
    for (const Row &r : rows) {
        const QVariant &v = r[index];
        if (v.isNull())
            continue;
        any = true;
        if (!isNumber(v))
            numeric = false;
        if (!isWholeNumber(v))
            whole = false;
    }
    if (!any || !numeric)
        return Kind::Text;
    return whole ? Kind::Integer : Kind::Float;
}

QString textOf(const QVariant &v, Kind kind) {
    switch (kind) {
    case Kind::Time:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case Kind::Timestamp:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Kind::Date:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    default:
        if (v.typeId() == QMetaType::Double)
            return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        return v.toString();
    }
}

// Digits before and after the point that a value needs, at most 10 after.
void measureFloat(double d, int *intDigits, int *decimals) {
    QString s = QString::number(d, 'f', 10);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    const int point = s.indexOf(QLatin1Char('.'));
    *intDigits = point < 0 ? int(s.size()) : point;
    *decimals = point < 0 ? 0 : int(s.size()) - point - 1;
}

std::vector<Column> describe(const FieldDefs &fields, const std::vector<Row> &rows) {
    std::vector<Column> cols;
    for (int i = 0; i < int(fields.size()); ++i) {
        const FieldDef &f = fields[i];
        Column c;
        c.name = f.name;
        c.declared = f.type;
        c.kind = f.type == FieldType::Unknown ? inferKind(rows, i) : kindOf(f.type);
        switch (c.kind) {
        case Kind::Text: {
            int longest = f.type == FieldType::Alpha ? f.size : 1;
            for (const Row &r : rows)
                if (!r[i].isNull())
                    longest = std::max(longest, int(toCp850(textOf(r[i], Kind::Text)).size()));
            c.width = std::clamp(longest, 1, 254);
            break;
        }
        case Kind::Integer: {
            int longest = f.type == FieldType::Short ? 6 : 11;
            for (const Row &r : rows) {
                if (r[i].isNull())
                    continue;
                const qlonglong v = r[i].toLongLong();
                c.fitsShort = c.fitsShort && v >= -32767 && v <= 32767;
                c.fitsLong =
                    c.fitsLong && v > std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
                longest = std::max(longest, int(QString::number(v).size()));
            }
            c.width = std::min(longest, 20);
            break;
        }
        case Kind::Float:
        case Kind::Money: {
            int intDigits = 1, decimals = c.kind == Kind::Money ? 2 : 0;
            for (const Row &r : rows) {
                if (r[i].isNull())
                    continue;
                int in = 0, dec = 0;
                measureFloat(r[i].toDouble(), &in, &dec);
                intDigits = std::max(intDigits, in);
                decimals = std::max(decimals, dec);
            }
            // Below a thousand million the width stays the same from one
            // run to the next, so that linked spreadsheets keep their columns.
            intDigits = std::max(intDigits, 9);
            decimals = std::min(decimals, std::max(0, 20 - 1 - intDigits));
            c.decimals = decimals;
            c.width = std::min(20, intDigits + (decimals > 0 ? decimals + 1 : 0));
            break;
        }
        case Kind::Logical:
            c.width = 1;
            break;
        case Kind::Date:
            c.width = 8;
            break;
        case Kind::Time:
            c.width = 8;
            break;
        case Kind::Timestamp:
            c.width = 19;
            break;
        case Kind::Binary:
            c.width = 1;
            break;
        }
        cols.push_back(c);
    }
    return cols;
}

// Builds the file in a temporary folder beside the target and moves it over
// the target at the end, so that a failure leaves an older file untouched.
class StagedFile {
public:
    explicit StagedFile(const QString &target) : m_target(QFileInfo(target).absoluteFilePath()) {
        const QString dir = QFileInfo(m_target).absolutePath();
        if (!QFileInfo(dir).isDir())
            throw VelmoraError(cannotWrite(
                m_target,
                QStringLiteral("Das Verzeichnis \"%1\" existiert nicht.").arg(QDir::toNativeSeparators(dir))));
        m_dir = std::make_unique<QTemporaryDir>(dir + QStringLiteral("/.velmora-export-XXXXXX"));
        if (!m_dir->isValid())
            throw VelmoraError(cannotWrite(m_target, QStringLiteral("Im Verzeichnis \"%1\" darf nicht geschrieben "
                                                                    "werden.")
                                                         .arg(QDir::toNativeSeparators(dir))));
    }
    QString stagePath(const QString &name) const { return m_dir->filePath(name); }
    void moveTo(const QString &staged, const QString &target) const {
        if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(target).constData()) != 0)
            throw VelmoraError(cannotWrite(target, QStringLiteral("Die vorhandene Datei lässt sich nicht ersetzen.")));
    }
    const QString &target() const { return m_target; }

private:
    QString m_target;
    std::unique_ptr<QTemporaryDir> m_dir;
};

struct DbfCloser {
    void operator()(DBFInfo *h) const { DBFClose(h); }
};

// Puts the bytes into the field as they are, blank-padded.
int writeDirect(DBFHandle dbf, int row, int field, QByteArray bytes) {
    return DBFWriteAttributeDirectly(dbf, row, field, bytes.data());
}

void writeDBase(const QString &target, const std::vector<Column> &cols, const std::vector<Row> &rows) {
    StagedFile stage(target);
    const QString staged = stage.stagePath(QStringLiteral("export.dbf"));
    {
        // Language driver 0x02: code page 850, in the header for readers
        // that look; the others assume it.
        std::unique_ptr<DBFInfo, DbfCloser> dbf(DBFCreateEx(QFile::encodeName(staged).constData(), "LDID/2"));
        if (!dbf)
            throw VelmoraError(cannotWrite(target, {}));
        QStringList names;
        for (const Column &c : cols)
            names << c.name;
        names = ResultExport::shortNames(names, 10);
        for (int i = 0; i < int(cols.size()); ++i) {
            const Column &c = cols[i];
            char type = 'C';
            int width = c.width, decimals = 0;
            switch (c.kind) {
            case Kind::Integer:
                type = 'N';
                break;
            case Kind::Float:
            case Kind::Money:
                type = 'N';
                decimals = c.decimals;
                break;
            case Kind::Logical:
                type = 'L';
                break;
            case Kind::Date:
                type = 'D';
                break;
            default:
                break;
            }
            if (DBFAddNativeFieldType(dbf.get(), toCp850(names[i]).constData(), type, width, decimals) < 0)
                throw VelmoraError(
                    cannotWrite(target, QStringLiteral("Die Spalte \"%1\" kann nicht angelegt werden.").arg(c.name)));
        }
        for (int r = 0; r < int(rows.size()); ++r) {
            for (int i = 0; i < int(cols.size()); ++i) {
                const Column &c = cols[i];
                const QVariant &v = rows[r][i];
                int ok = 1;
                if (v.isNull() || c.kind == Kind::Binary) {
                    // Blanks are "no value" to spreadsheets; shapelib's own
                    // null marks read there as numbers ("*"), a date of zeros
                    // or false ("?").
                    ok = writeDirect(dbf.get(), r, i, QByteArray());
                } else {
                    switch (c.kind) {
                    case Kind::Integer:
                    case Kind::Float:
                    case Kind::Money: {
                        const QByteArray text = c.kind == Kind::Integer
                                                    ? QByteArray::number(v.toLongLong())
                                                    : QByteArray::number(v.toDouble(), 'f', c.decimals);
                        if (text.size() > c.width) {
                            ok = 0;
                            break;
                        }
                        ok = writeDirect(dbf.get(), r, i, text.rightJustified(c.width, ' '));
                        break;
                    }
                    case Kind::Logical:
                        ok = DBFWriteLogicalAttribute(dbf.get(), r, i, v.toBool() ? 'T' : 'F');
                        break;
                    case Kind::Date:
                        ok = writeDirect(dbf.get(), r, i, v.toDate().toString(QStringLiteral("yyyyMMdd")).toLatin1());
                        break;
                    default:
                        ok = writeDirect(dbf.get(), r, i, toCp850(textOf(v, c.kind)).left(c.width));
                    }
                }
                if (!ok)
                    throw VelmoraError(cannotWrite(
                        target, QStringLiteral("Der Wert \"%1\" der Spalte \"%2\" passt nicht in die Datei.")
                                    .arg(textOf(v, c.kind), c.name)));
            }
        }
    }
    stage.moveTo(staged, stage.target());
}

void writeText(const QString &target, Database &db, const QString &table, const std::vector<Column> &cols) {
    StagedFile stage(target); // refuses a missing or read-only directory before anything is written
    const QString schemaTarget = ResultExport::schemaPath(stage.target());
    const QString stagedText = stage.stagePath(QStringLiteral("export.txt"));
    const QString stagedSchema = stage.stagePath(QStringLiteral("export.sch"));
    {
        QFile file(stagedText);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw VelmoraError(cannotWrite(target, kWriteFailed));
        QTextStream out(&file);
        out.setEncoding(QStringConverter::Utf8);
        Cursor cursor(db, table);
        cursor.setReadOnly(true);
        cursor.open();
        WriteResultText(cursor, out);
        out.flush();
        if (out.status() != QTextStream::Ok || !file.flush())
            throw VelmoraError(cannotWrite(target, kWriteFailed));
    }
    {
        QFile file(stagedSchema);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw VelmoraError(cannotWrite(schemaTarget, kWriteFailed));
        QTextStream out(&file);
        out.setEncoding(QStringConverter::Utf8);
        out << '[' << QFileInfo(target).completeBaseName() << "]\n"
            << "FILETYPE=VARYING\nCHARSET=UTF-8\nSEPARATOR=TAB\nDELIMITER=\nHEADER=1\n";
        int offset = 0;
        for (int i = 0; i < int(cols.size()); ++i) {
            const Column &c = cols[i];
            QString type;
            switch (c.kind) {
            case Kind::Integer:
                type = c.declared == FieldType::Short ? QStringLiteral("SHORTINT") : QStringLiteral("LONGINT");
                break;
            case Kind::Float:
            case Kind::Money:
                type = QStringLiteral("FLOAT");
                break;
            case Kind::Logical:
                type = QStringLiteral("BOOL");
                break;
            case Kind::Date:
                type = QStringLiteral("DATE");
                break;
            case Kind::Time:
                type = QStringLiteral("TIME");
                break;
            case Kind::Timestamp:
                type = QStringLiteral("TIMESTAMP");
                break;
            default:
                type = QStringLiteral("CHAR");
            }
            // The schema's own separator: a comma inside a name would split it.
            QString name = c.name;
            name.replace(QLatin1Char(','), QLatin1Char(' '));
            out << "FIELD" << (i + 1) << '=' << name << ',' << type << ',' << c.width << ','
                << QStringLiteral("%1").arg(c.decimals, 2, 10, QLatin1Char('0')) << ','
                << QStringLiteral("%1").arg(offset, 2, 10, QLatin1Char('0')) << '\n';
            offset += c.width;
        }
        out.flush();
        if (out.status() != QTextStream::Ok || !file.flush())
            throw VelmoraError(cannotWrite(schemaTarget, kWriteFailed));
    }
    stage.moveTo(stagedText, stage.target());
    stage.moveTo(stagedSchema, schemaTarget);
}

// pxlib reports through a callback; the first error is kept for the message.
void pxError(pxdoc_t *, int level, const char *msg, void *data) {
    auto *text = static_cast<QString *>(data);
    if (level != PX_Warning && text->isEmpty())
        *text = QString::fromLocal8Bit(msg);
}

struct PxDeleter {
    void operator()(pxdoc_t *doc) const {
        PX_close(doc);
        PX_delete(doc);
    }
};

void writeParadox(const QString &target, const std::vector<Column> &cols, const std::vector<Row> &rows) {
    static const bool booted = [] {
        PX_boot();
        return true;
    }();
    (void)booted;
    StagedFile stage(target);
    const QString staged = stage.stagePath(QStringLiteral("export.db"));
    QString pxMessage;
    {
        std::unique_ptr<pxdoc_t, PxDeleter> doc(PX_new3(pxError, nullptr, nullptr, nullptr, &pxMessage));
        if (!doc)
            throw VelmoraError(cannotWrite(target, {}));
        QStringList names;
        for (const Column &c : cols)
            names << c.name;
        names = ResultExport::shortNames(names, 25);
        // pxlib takes the field array and names over and frees them itself.
        auto *fields = static_cast<pxfield_t *>(
            doc->malloc(doc.get(), sizeof(pxfield_t) * std::max<size_t>(cols.size(), 1), "ResultExport fields"));
        std::vector<char> types;
        for (int i = 0; i < int(cols.size()); ++i) {
            const Column &c = cols[i];
            pxfield_t &f = fields[i];
            f.px_fname = PX_strdup(doc.get(), toCp850(names[i]).constData());
            f.px_fdc = 0;
            switch (c.kind) {
            case Kind::Integer:
                if (c.declared == FieldType::Short && c.fitsShort) {
                    f.px_ftype = pxfShort;
                    f.px_flen = 2;
                } else if (c.fitsLong) {
                    f.px_ftype = pxfLong;
                    f.px_flen = 4;
                } else {
                    f.px_ftype = pxfNumber;
                    f.px_flen = 8;
                }
                break;
            case Kind::Float:
                f.px_ftype = pxfNumber;
                f.px_flen = 8;
                break;
            case Kind::Money:
                f.px_ftype = pxfCurrency;
                f.px_flen = 8;
                break;
            case Kind::Logical:
                f.px_ftype = pxfLogical;
                f.px_flen = 1;
                break;
            case Kind::Date:
                f.px_ftype = pxfDate;
                f.px_flen = 4;
                break;
            case Kind::Time:
                f.px_ftype = pxfTime;
                f.px_flen = 4;
                break;
            case Kind::Timestamp:
                f.px_ftype = pxfTimestamp;
                f.px_flen = 8;
                break;
            default:
                f.px_ftype = pxfAlpha;
                f.px_flen = std::min(c.width, 255);
            }
            types.push_back(f.px_ftype);
        }
        if (PX_create_file(doc.get(), fields, int(cols.size()), QFile::encodeName(staged).constData(),
                           pxfFileTypNonIndexDB) < 0)
            throw VelmoraError(cannotWrite(target, pxMessage));
        if (PX_set_value(doc.get(), "codepage", 850) < 0 ||
            PX_set_parameter(doc.get(), "tablename", toCp850(QFileInfo(target).completeBaseName()).constData()) < 0)
            throw VelmoraError(cannotWrite(target, pxMessage));

        std::vector<pxval_t> values(cols.size());
        std::vector<pxval_t *> pointers(cols.size());
        std::vector<QByteArray> texts(cols.size());
        for (const Row &row : rows) {
            for (int i = 0; i < int(cols.size()); ++i) {
                pxval_t &p = values[i];
                std::memset(&p, 0, sizeof p);
                pointers[i] = &p;
                const Column &c = cols[i];
                const QVariant &v = row[i];
                p.type = types[i];
                if (v.isNull() || c.kind == Kind::Binary) {
                    p.isnull = 1;
                    continue;
                }
                switch (types[i]) {
                case pxfShort:
                case pxfLong:
                    p.value.lval = long(v.toLongLong());
                    break;
                case pxfNumber:
                case pxfCurrency:
                    p.value.dval = v.toDouble();
                    break;
                case pxfLogical:
                    p.value.lval = v.toBool() ? 1 : 0;
                    break;
                case pxfDate: {
                    const QDate d = v.toDate();
                    p.value.lval = PX_GregorianToSdn(d.year(), d.month(), d.day()) - 1721425;
                    break;
                }
                case pxfTime:
                    p.value.lval = v.toTime().msecsSinceStartOfDay();
                    break;
                case pxfTimestamp: {
                    const QDateTime dt = v.toDateTime();
                    const QDate d = dt.date();
                    const double days = double(PX_GregorianToSdn(d.year(), d.month(), d.day()) - 1721425);
                    p.value.dval = days * 86400000.0 + dt.time().msecsSinceStartOfDay();
                    break;
                }
                default:
                    texts[i] = toCp850(textOf(v, c.kind)).left(255);
                    p.value.str.val = texts[i].data();
                    p.value.str.len = int(texts[i].size());
                }
            }
            pxMessage.clear();
            if (PX_insert_record(doc.get(), pointers.data()) < 0)
                throw VelmoraError(cannotWrite(target, pxMessage));
        }
    }
    if (!pxMessage.isEmpty())
        throw VelmoraError(cannotWrite(target, pxMessage));
    stage.moveTo(staged, stage.target());
}

} // namespace

ResultExport::ResultExport(Database &db, QString table) : m_db(db), m_table(std::move(table)) {}

ResultExport::Type ResultExport::typeFor(int filterIndex, const QString &path) {
    const QString extension = QFileInfo(path).suffix().toUpper();
    if (filterIndex == 1 || extension.contains(QLatin1String("DBF")))
        return Type::DBase;
    if (filterIndex == 2 || extension.contains(QLatin1String("TXT")))
        return Type::Text;
    return Type::Paradox;
}

QString ResultExport::overwriteQuestion(const QString &path) {
    return QStringLiteral("Das File \"") + path + QStringLiteral("\" existiert schon.") + QLatin1Char('\n') +
           QStringLiteral("Soll es überschrieben werden?");
}

QString ResultExport::schemaPath(const QString &textPath) {
    const QString suffix = QFileInfo(textPath).suffix();
    return textPath.left(textPath.size() - (suffix.isEmpty() ? 0 : suffix.size() + 1)) + QStringLiteral(".sch");
}

QStringList ResultExport::shortNames(const QStringList &names, int maxLength) {
    QStringList result;
    QHash<QString, bool> taken;
    for (int i = 0; i < names.size(); ++i) {
        QString base = names[i].trimmed();
        if (base.isEmpty())
            base = QStringLiteral("FELD%1").arg(i + 1);
        QString name = base.left(maxLength);
        for (int n = 1; taken.contains(name.toUpper()); ++n) {
            const QString suffix = QStringLiteral("_%1").arg(n);
            name = base.left(maxLength - int(suffix.size())) + suffix;
        }
        taken.insert(name.toUpper(), true);
        result << name;
    }
    return result;
}

bool ResultExport::exportTo(const QString &path, Type type, const QString &defaultDirectory, QString *exportDirectory) {
    QString target = path;
    if (!defaultDirectory.isEmpty() && QFileInfo(path).isRelative() && !path.contains(QLatin1Char('/')))
        target = QDir(defaultDirectory).filePath(path);
    if (QFileInfo::exists(target) && !Messages::question(overwriteQuestion(target)))
        return false;
    write(target, type);
    if (exportDirectory)
        *exportDirectory = QFileInfo(target).absolutePath();
    return true;
}

void ResultExport::write(const QString &path, Type type) {
    const QString table = m_db.requireTable(m_table);
    const FieldDefs &fields = m_db.fieldDefs(table);
    if (fields.empty())
        throw VelmoraError(cannotWrite(path, QStringLiteral("Die Tabelle %1 hat keine Spalten.").arg(m_table)));
    std::vector<Row> rows;
    {
        Cursor cursor(m_db, table);
        cursor.setReadOnly(true);
        cursor.open();
        for (cursor.first(); !cursor.eof(); cursor.next()) {
            Row row;
            row.reserve(fields.size());
            for (int i = 0; i < int(fields.size()); ++i)
                row.push_back(cursor.value(i));
            rows.push_back(std::move(row));
        }
    }
    const std::vector<Column> cols = describe(fields, rows);
    switch (type) {
    case Type::DBase:
        writeDBase(path, cols, rows);
        break;
    case Type::Text:
        writeText(path, m_db, table, cols);
        break;
    case Type::Paradox:
        writeParadox(path, cols, rows);
        break;
    }
}

} // namespace velmora
