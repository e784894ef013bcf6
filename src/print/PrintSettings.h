#pragma once

#include <QColor>
#include <QFont>
#include <QString>

namespace velmora {

// The print settings file (section "Druck"): the second header line and the
// header and body fonts with their colours. Sizes are points, colours the
// Windows colour number 0x00BBGGRR, styles the letters of FontStyleToText.
class PrintSettings {
public:
    QString Titel;
    QFont HeaderFont;
    QColor HeaderColor = Qt::black;
    QFont BodyFont;
    QColor BodyColor = Qt::black;

    // The file next to the program: velmora5.INI.
    static QString DefaultPath();
    // Every key missing from the file (or a file that does not exist) keeps
    // the given default font and colour, as the font dialogs show them.
    static PrintSettings Read(const QString &path, const QFont &defaultFont, const QColor &defaultColor = Qt::black);
    // Writes "Titel" and the eight font keys; VelmoraError when the file
    // cannot be written.
    void Write(const QString &path) const;

    static int ColorToNumber(const QColor &color);
    // A number outside 0 … 0xFFFFFF (a Windows system colour) is not a colour
    // of its own and gives an invalid QColor.
    static QColor ColorFromNumber(qint64 number);
};

} // namespace velmora
