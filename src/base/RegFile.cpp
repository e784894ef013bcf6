#include "base/RegFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QStringDecoder>

namespace velmora {

namespace {
const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Norvask\\Velmora5\\5.3");

QString decode(const QByteArray &bytes) {
    // Version 5 exports are UTF-16 with a byte order mark; REGEDIT4 is ANSI.
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        auto d = QStringDecoder(QStringDecoder::Utf16, QStringDecoder::Flag::ConvertInitialBom);
        return d(bytes);
    }
    auto d = QStringDecoder(QStringDecoder::Utf8);
    const QString s = d(bytes);
    return d.hasError() ? QString::fromLatin1(bytes) : s;
}

QString unescape(const QString &s) {
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('\\') && i + 1 < s.size())
            out += s[++i];
        else
            out += s[i];
    }
    return out;
}
} // namespace

int MergeRegFile(const QString &regPath, const QString &settingsPath) {
    QFile f(regPath);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QStringList lines = decode(f.readAll()).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    QSettings store(settingsPath, QSettings::IniFormat);
    QString section;
    bool inKey = false;
    int written = 0;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString key = line.mid(1, line.size() - 2);
            inKey = key.startsWith(kKey + QLatin1Char('\\'), Qt::CaseInsensitive) && !key.startsWith(QLatin1Char('-'));
            section = inKey ? key.mid(kKey.size() + 1) : QString();
            inKey = inKey && !section.isEmpty() && !section.contains(QLatin1Char('\\'));
            continue;
        }
        if (!inKey || !line.startsWith(QLatin1Char('"')))
            continue;
        const int close = line.indexOf(QLatin1String("\"="));
        if (close < 1)
            continue;
        const QString name = unescape(line.mid(1, close - 1));
        const QString raw = line.mid(close + 2);
        QVariant value;
        if (raw.startsWith(QLatin1Char('"')) && raw.endsWith(QLatin1Char('"')) && raw.size() >= 2) {
            value = unescape(raw.mid(1, raw.size() - 2));
        } else if (raw.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            bool ok = false;
            const uint v = raw.mid(6).toUInt(&ok, 16);
            if (!ok)
                continue;
            value = int(v);
        } else {
            continue;
        }
        store.setValue(section + QLatin1Char('/') + name, value);
        ++written;
    }
    store.sync();
    return written;
}

} // namespace velmora
