#pragma once

#include "store/Database.h"

#include <QString>
#include <QStringList>

namespace velmora {

// Writes a table of the database (an evaluation's result table) to a file
// that other programs read: a dBase table, a tab-separated text with a
// schema file beside it, or a Paradox table.
//
// dBase: code page 850, marked in the header (language driver 0x02): the
// character set spreadsheet programs read a dBase file in unless told
// otherwise, so umlauts arrive; characters outside it become "?". Column
// names are cut to 10 characters, made unique with "_1", "_2", ...
// Text columns are C (declared width, or the longest value, at most 254);
// Short N(6), Long N(11), whole numbers of untyped columns N(wide enough);
// floating point N with as many decimals as the values need (at most 10,
// width at most 20, room for 9 digits before the point), Money the same
// with 2 decimals at least; Logical L; Date D; Time C(8) "HH:mm:ss"; Timestamp
// C(19) "yyyy-MM-dd HH:mm:ss"; binary columns C(1), left empty. No value:
// blanks.
//
// Text: UTF-8, a header line of column names, one line per row, cells
// separated by tabs, written as "--evaluate" writes them (numbers in C
// notation, dates yyyy-MM-dd, no value empty). Beside it NAME.sch describes
// the columns:
//   [NAME]
//   FILETYPE=VARYING
//   CHARSET=UTF-8
//   SEPARATOR=TAB
//   DELIMITER=
//   HEADER=1
//   FIELD1=<column name>,<type>,<width>,<decimals>,<offset>
//   ...
// with type CHAR, SHORTINT, LONGINT, FLOAT, BOOL, DATE, TIME, TIMESTAMP,
// width and decimals as in the dBase file, offset the sum of the widths
// before (decimals and offset two digits at least); a comma in a column
// name becomes a blank there.
//
// Paradox: code page 850 (in the header); Alpha (width as for dBase, at
// most 255), Short (Long when a value does not fit), Long (Number when a
// value exceeds 32 bits), Number, Money as Currency, Logical, Date, Time,
// Timestamp; names cut to 25 characters, made unique like the dBase names.
//
// The file is written beside the target under a temporary name and moved
// over it at the end: a failed export leaves an older file as it was.
class ResultExport {
public:
    enum class Type { DBase, Text, Paradox };

    ResultExport(Database &db, QString table);

    // The table type of a save dialog's choice: filter entry 1 (counted
    // from 1) or an extension containing "DBF" is dBase, else entry 2 or
    // "TXT" text, else Paradox.
    static Type typeFor(int filterIndex, const QString &path);

    // The export command: asks before replacing an existing file (anything
    // but yes writes nothing and returns false), then writes. A path
    // without a directory goes into defaultDirectory. Returns true when
    // written; *exportDirectory then holds the file's directory.
    bool exportTo(const QString &path, Type type, const QString &defaultDirectory = {},
                  QString *exportDirectory = nullptr);

    // Writes without asking; an existing file is replaced. Raises
    // VelmoraError with a German message.
    void write(const QString &path, Type type);

    // Column names cut to maxLength characters, unique without regard to
    // case: a name met before gets "_1", "_2", ... in place of its end.
    static QStringList shortNames(const QStringList &names, int maxLength);

    // The schema file beside a text export.
    static QString schemaPath(const QString &textPath);

    static QString overwriteQuestion(const QString &path);

private:
    Database &m_db;
    QString m_table;
};

} // namespace velmora
