#include "print/PrintSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

class TestPrintSettings : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("velmora5.INI")); }
    static QFont plain() { return QFont(QStringLiteral("Liberation Sans"), 9); }

private Q_SLOTS:
    void init() { QFile::remove(path()); }

    void missingFileKeepsTheDefaults() {
        const PrintSettings p = PrintSettings::Read(path(), plain(), Qt::darkGreen);
        QCOMPARE(p.Titel, QString());
        QCOMPARE(p.HeaderFont, plain());
        QCOMPARE(p.BodyFont, plain());
        QCOMPARE(p.HeaderColor, QColor(Qt::darkGreen));
        QCOMPARE(p.BodyColor, QColor(Qt::darkGreen));
    }

    void roundTrip() {
        PrintSettings p;
        p.Titel = QStringLiteral("Saison 2026 – Jugend");
        p.HeaderFont = QFont(QStringLiteral("Liberation Serif"), 14);
        p.HeaderFont.setBold(true);
        p.HeaderFont.setItalic(true);
        p.HeaderColor = QColor(0x12, 0x34, 0x56);
        p.BodyFont = QFont(QStringLiteral("Liberation Mono"), 8);
        p.BodyFont.setUnderline(true);
        p.BodyFont.setStrikeOut(true);
        p.BodyColor = QColor(Qt::red);
        p.Write(path());

        QFile f(path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY(text.contains(QLatin1String("[Druck]")));
        QVERIFY(text.contains(QLatin1String("Style1=BI")));
        QVERIFY(text.contains(QLatin1String("Style2=US")));
        QVERIFY(text.contains(QLatin1String("Size1=14")));
        // Windows colour numbers: blue in the high byte.
        QVERIFY(text.contains(QStringLiteral("Color1=%1").arg(0x563412)));
        QVERIFY(text.contains(QStringLiteral("Color2=%1").arg(0x0000FF)));

        const PrintSettings r = PrintSettings::Read(path(), plain());
        QCOMPARE(r.Titel, p.Titel);
        QCOMPARE(r.HeaderFont.family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(r.HeaderFont.pointSize(), 14);
        QVERIFY(r.HeaderFont.bold());
        QVERIFY(r.HeaderFont.italic());
        QVERIFY(!r.HeaderFont.underline());
        QCOMPARE(r.HeaderColor, p.HeaderColor);
        QCOMPARE(r.BodyFont.family(), QStringLiteral("Liberation Mono"));
        QCOMPARE(r.BodyFont.pointSize(), 8);
        QVERIFY(!r.BodyFont.bold());
        QVERIFY(r.BodyFont.underline());
        QVERIFY(r.BodyFont.strikeOut());
        QCOMPARE(r.BodyColor, QColor(Qt::red));
    }

    // A style is read from its first eight characters; a system colour
    // number keeps the default colour; a missing size keeps the default size.
    void readsForeignValues() {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Druck]\r\nTitel=Woche\r\nFont1=Liberation Serif\r\nStyle1=xxIxxxxxB\r\nColor1=-2147483640\r\n"
                "Size2=12\r\nStyle2=\r\n");
        f.close();
        QFont bold = plain();
        bold.setBold(true);
        const PrintSettings r = PrintSettings::Read(path(), bold, Qt::blue);
        QCOMPARE(r.Titel, QStringLiteral("Woche"));
        QCOMPARE(r.HeaderFont.family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(r.HeaderFont.pointSize(), 9);
        QVERIFY(r.HeaderFont.italic());
        QVERIFY(!r.HeaderFont.bold());
        QCOMPARE(r.HeaderColor, QColor(Qt::blue));
        QCOMPARE(r.BodyFont.family(), bold.family());
        QCOMPARE(r.BodyFont.pointSize(), 12);
        QVERIFY(!r.BodyFont.bold()); // an empty style clears them all
    }
};

QTEST_MAIN(TestPrintSettings)
#include "tst_printsettings.moc"
