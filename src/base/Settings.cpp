#include "base/Settings.h"

#include <QSettings>

namespace velmora {

namespace {
Settings g_settings;
QString g_path;

void readInt(QSettings &s, const char *key, int &var, int lo, int hi) {
    const QVariant v = s.value(QString::fromLatin1(key));
    if (!v.isValid())
        return;
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    if (ok && n >= lo && n <= hi)
        var = int(n);
}

void readBool(QSettings &s, const char *key, bool &var) {
    const QVariant v = s.value(QString::fromLatin1(key));
    if (!v.isValid())
        return;
    const QString t = v.toString().trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("1"))
        var = true;
    else if (t == QLatin1String("false") || t == QLatin1String("0"))
        var = false;
}

void readText(QSettings &s, const char *key, QString &var, int width) {
    const QVariant v = s.value(QString::fromLatin1(key));
    if (!v.isValid())
        return;
    // A list (a value with commas in the ini file) reads back as one text.
    var = v.metaType().id() == QMetaType::QStringList ? v.toStringList().join(QLatin1String(", ")) : v.toString();
    var.truncate(width);
}

template <typename F> void write(F &&f) {
    QSettings s(g_path, QSettings::IniFormat);
    f(s);
    s.sync();
}
} // namespace

Settings &settings() {
    return g_settings;
}
void SetSettingsPath(const QString &path) {
    g_path = path;
}
QString SettingsPath() {
    return g_path;
}

bool ReadSettings() {
    QSettings s(g_path, QSettings::IniFormat);
    Settings &v = g_settings;
    readInt(s, "Allgemeines/SerienNr", v.SerienNr, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    readText(s, "Allgemeines/ProgName", v.ProgName, 40);
    readBool(s, "Allgemeines/Toolbar", v.Toolbar);
    readText(s, "Allgemeines/PackCommand", v.PackCommand, 120);
    readText(s, "Allgemeines/UnPackCommand", v.UnPackCommand, 120);
    readText(s, "Allgemeines/Tabellenprogramm", v.Tabellenprogramm, 120);
    readText(s, "Allgemeines/Hotline", v.Hotline, 40);
    readText(s, "Club/Kuerzel", v.Kuerzel, 3);
    readText(s, "Club/Wappen", v.Wappen, 120);
    v.Name = v.ProgName.left(50);
    readText(s, "Club/Name", v.Name, 50);
    readInt(s, "Startup/Level", v.Level, 0, 255);
    readInt(s, "Startup/User", v.User, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    readInt(s, "Startup/reg", v.reg, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    return true;
}

void WriteToolbarSetting(bool shown) {
    write([&](QSettings &s) { s.setValue(QStringLiteral("Allgemeines/Toolbar"), shown); });
    g_settings.Toolbar = shown;
}

void WriteClubSettings(const QString &name, const QString &kuerzel) {
    write([&](QSettings &s) {
        s.setValue(QStringLiteral("Club/Name"), name.left(50));
        s.setValue(QStringLiteral("Club/Kuerzel"), kuerzel.left(3));
    });
    g_settings.Name = name.left(50);
    g_settings.Kuerzel = kuerzel.left(3);
}

void WriteStartupLevel(int level) {
    write([&](QSettings &s) { s.setValue(QStringLiteral("Startup/Level"), level); });
}

void WriteStartupUser(int person) {
    write([&](QSettings &s) { s.setValue(QStringLiteral("Startup/User"), person); });
    g_settings.User = person;
}

void WriteStartupReg(int reg) {
    write([&](QSettings &s) { s.setValue(QStringLiteral("Startup/reg"), reg); });
    g_settings.reg = reg;
}

void WriteSerienNr(int serial) {
    write([&](QSettings &s) { s.setValue(QStringLiteral("Allgemeines/SerienNr"), serial); });
    g_settings.SerienNr = serial;
}

void WriteWappen(const QString &path) {
    write([&](QSettings &s) { s.setValue(QStringLiteral("Club/Wappen"), path.left(120)); });
    g_settings.Wappen = path.left(120);
}

} // namespace velmora
