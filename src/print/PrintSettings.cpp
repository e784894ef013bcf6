#include "print/PrintSettings.h"

#include "base/Errors.h"
#include "base/Helpers.h"
#include "base/Paths.h"

#include <QSettings>

namespace velmora {

namespace {

const QString kSection = QStringLiteral("Druck");

void readFont(QSettings &s, int n, QFont &font, QColor &color) {
    const QString k = QString::number(n);
    const QString name = s.value(QStringLiteral("Font") + k).toString();
    if (!name.isEmpty())
        font.setFamily(name);
    bool ok = false;
    const int size = s.value(QStringLiteral("Size") + k).toInt(&ok);
    if (ok && size > 0)
        font.setPointSize(size);
    if (s.contains(QStringLiteral("Style") + k))
        ApplyFontStyle(font, FontStyleFromText(s.value(QStringLiteral("Style") + k).toString()));
    const qint64 number = s.value(QStringLiteral("Color") + k).toLongLong(&ok);
    if (ok) {
        const QColor c = PrintSettings::ColorFromNumber(number);
        if (c.isValid())
            color = c;
    }
}

void writeFont(QSettings &s, int n, const QFont &font, const QColor &color) {
    const QString k = QString::number(n);
    s.setValue(QStringLiteral("Font") + k, font.family());
    s.setValue(QStringLiteral("Size") + k, font.pointSize());
    s.setValue(QStringLiteral("Style") + k, FontStyleToText(FontStyleOf(font)));
    s.setValue(QStringLiteral("Color") + k, PrintSettings::ColorToNumber(color));
}

} // namespace

QString PrintSettings::DefaultPath() {
    return FileNextToProgram(QStringLiteral("INI"));
}

PrintSettings PrintSettings::Read(const QString &path, const QFont &defaultFont, const QColor &defaultColor) {
    PrintSettings p;
    p.HeaderFont = defaultFont;
    p.BodyFont = defaultFont;
    p.HeaderColor = defaultColor;
    p.BodyColor = defaultColor;
    QSettings s(path, QSettings::IniFormat);
    s.beginGroup(kSection);
    p.Titel = s.value(QStringLiteral("Titel")).toString();
    readFont(s, 1, p.HeaderFont, p.HeaderColor);
    readFont(s, 2, p.BodyFont, p.BodyColor);
    return p;
}

void PrintSettings::Write(const QString &path) const {
    QSettings s(path, QSettings::IniFormat);
    s.beginGroup(kSection);
    s.setValue(QStringLiteral("Titel"), Titel);
    writeFont(s, 1, HeaderFont, HeaderColor);
    writeFont(s, 2, BodyFont, BodyColor);
    s.endGroup();
    s.sync();
    if (s.status() != QSettings::NoError)
        throw VelmoraError(QStringLiteral("Die Druckeinstellungen konnten nicht in %1 gespeichert werden.").arg(path));
}

int PrintSettings::ColorToNumber(const QColor &color) {
    const QColor c = color.isValid() ? color.toRgb() : QColor(Qt::black);
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QColor PrintSettings::ColorFromNumber(qint64 number) {
    if (number < 0 || number > 0xFFFFFF)
        return {};
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

} // namespace velmora
