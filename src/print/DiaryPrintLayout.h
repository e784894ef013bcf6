#pragma once

#include "print/PrintSettings.h"

#include <QHash>
#include <QPainter>
#include <QString>

class QPagedPaintDevice;

namespace velmora {

class Cursor;
class Database;
class TTREList;
class TTREListEntry;

// The diary's printed listing: per entry its weekday (once per day), date
// and description, then every block of the entry's form, with a page header
// and rules. Positions are device units of the paint device, so a printer
// and a PDF file get the same pages.
class DiaryPrintLayout {
public:
    static const QString kQueryNotInitialized;

    // Fixed layout values in device units.
    static constexpr int kLeft = 100;
    static constexpr int kTop = 20; // also the reserve at the bottom of a page
    static constexpr int kGap = 12;
    static constexpr int kLineSpacing = 10;

    // The elements give each block's fields in form order (the program's
    // FormElementCache).
    explicit DiaryPrintLayout(TTREList &elements);

    // The entry list of the active diary window and its title; a null cursor
    // leaves the layout without a source.
    void SetSource(const QString &title, Cursor *entries);
    void SetSettings(const PrintSettings &settings) { m_settings = settings; }
    const PrintSettings &settings() const { return m_settings; }

    // Prints every entry of the source onto the device, from the first page
    // on; the source's current row is restored afterwards. VelmoraError
    // "QUERY NOT INITIALIZED" without a source; an engine error (a block table
    // that cannot be read) stops the print and propagates. The number of
    // pages printed.
    int Print(QPagedPaintDevice &device);

    // The leading zeros of times, dates and numbers become blanks, so that
    // columns of values keep their digits aligned: "00:0" -> four blanks,
    // else "00:" -> three, else a first "0" -> one.
    static QString BlankLeadingZeros(const QString &text);

private:
    struct Block {
        int tableNr = 0;
        QString filename;
        bool grid = false;
        bool client = false;
    };

    void printEntry();
    void printBlock(const Block &block, int formularNr, int serienNr, int trNr);
    QString fieldText(const TTREListEntry &element, const QVariant &value, const QString &display) const;
    void printLines(const QString &text);

    // Text output: x < 0 keeps the current x; chars < 0 advances by the
    // width of the text itself.
    void out(const QString &text, int x = -1, int chars = -1, bool newLine = false);
    void newLine();
    void rule(int x1, int x2);
    void pageCheck();
    void newPage(bool first = false);
    void useHeaderFont();
    void useBodyFont();
    int charWidth() const;

    TTREList &m_elements;
    QString m_title;
    Cursor *m_entries = nullptr;
    PrintSettings m_settings;

    // State of one print run.
    QPagedPaintDevice *m_device = nullptr;
    QPainter m_painter;
    QHash<int, QString> m_values; // TRVALUE: ValueNr -> Value
    int m_x = kLeft, m_y = kTop;
    int m_lineHeight = 0;
    int m_indent = 0;
    int m_page = 0;
    QString m_lastWeekday, m_lastWeek;
    bool m_inHeader = false;
};

} // namespace velmora
