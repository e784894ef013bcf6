#include "print/DiaryPrintLayout.h"

#include "base/Errors.h"
#include "design/FormElementCache.h"
#include "store/Cursor.h"
#include "store/Errors.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/EntryFixture.h"
#include "support/TempInstallation.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
constexpr int kGrid = ClubFixture::kBase + 10; // grid block "TR_2"
const QList<test::FieldSpec> kGridFields{{QStringLiteral("Wdh"), QStringLiteral("I")},
                                         {QStringLiteral("Zeit"), QStringLiteral("Z")},
                                         {QStringLiteral("Art"), QStringLiteral("X")}};
const QString kTitle = QStringLiteral("Tagebuch Anna Berg");
} // namespace

class TestDiaryPrintLayout : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<Cursor> m_entries;
    QTemporaryDir m_dir;
    int m_sameDay = 0;

    Database &db() { return m_inst->db(); }

    static PrintSettings settings() {
        PrintSettings s;
        s.HeaderFont = QFont(QStringLiteral("Liberation Sans"), 10);
        s.HeaderFont.setBold(true);
        s.BodyFont = QFont(QStringLiteral("Liberation Sans"), 10);
        return s;
    }

    // Prints the source through a PDF printer; the pages' text, one string
    // per page, lines with their blanks collapsed.
    QList<QStringList> print(DiaryPrintLayout &layout, int *pages = nullptr) {
        const QString file = m_dir.filePath(QStringLiteral("diary.pdf"));
        QFile::remove(file);
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
            printer.setPageSize(QPageSize(QPageSize::A4));
            const int n = layout.Print(printer);
            if (pages)
                *pages = n;
        }
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            qFatal("pdftotext failed");
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

    static int countWord(const QStringList &lines, const QString &word) {
        const QRegularExpression re(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(word)));
        int n = 0;
        for (const QString &l : lines)
            n += int(l.count(re));
        return n;
    }
    static QString lineWith(const QStringList &lines, const QString &part) {
        for (const QString &l : lines)
            if (l.contains(part))
                return l;
        return {};
    }

private Q_SLOTS:
    void init() {
        m_inst = std::make_unique<test::TempInstallation>();
        m_club = std::make_unique<ClubFixture>(db());
        // The form gets a grid block after its card block "Lauf".
        test::AddBlock(db(), kGrid, QStringLiteral("TR_2"), true, kGridFields);
        test::UseBlock(db(), ClubFixture::kForm, 2, kGrid, {1, 2, 3}, 6, kGridFields);
        // A second entry on Monday 5.1., with an empty note.
        m_sameDay = m_club->addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 1, 5), QTime(17, 0)),
                                     QStringLiteral("Auslaufen"));
        m_club->addBlockRow(m_sameDay, 0, 5, 1.0, ClubFixture::kValueLocker, QString());
        InsertRow(db(), QStringLiteral("TR_2"),
                  {{QStringLiteral("SerienNr"), ClubFixture::kSerial},
                   {QStringLiteral("TrNr"), m_sameDay},
                   {QStringLiteral("Order"), 0},
                   {QStringLiteral("Wdh"), 6},
                   {QStringLiteral("Zeit"), QTime(0, 5, 30)},
                   {QStringLiteral("Art"), ClubFixture::kValueIntensiv}});
        // The weekdays as the entry editor writes them.
        db().execLocal(QStringLiteral("update TR set Wochentag = 'Mo' where Wochentag = '1'"));
        db().execLocal(QStringLiteral("update TR set Wochentag = 'Mi' where Wochentag = '3'"));
        db().execLocal(QStringLiteral("update TR set Wochentag = 'So' where Wochentag = '7'"));
        LoadFormElementCache(db(), nullptr);
        // Anna's protocols of 5.1. and 7.1., as the diary's list holds them.
        m_entries = std::make_unique<Cursor>(db(), QStringLiteral("TR"));
        m_entries->setOrder(QStringLiteral("Datum"));
        m_entries->setReadOnly(true);
        m_entries->setFilter(
            QStringLiteral("(PersonNr = %1) and (Art = 2) and (Datum < '2026-01-08')").arg(ClubFixture::kAnna));
        m_entries->setFiltered(true);
        m_entries->open();
    }
    void cleanup() {
        m_entries.reset();
        m_club.reset();
        m_inst.reset();
    }

    void blankLeadingZeros_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("time of minutes") << "00:05:30"
                                         << "    5:30";
        QTest::newRow("time of ten minutes") << "00:12:00"
                                             << "   12:00";
        QTest::newRow("time with hours") << "01:05:00"
                                         << " 1:05:00";
        QTest::newRow("time of seconds") << "00:00:45"
                                         << "    0:45";
        QTest::newRow("date") << "05.01"
                              << " 5.01";
        QTest::newRow("decimal") << "0,5"
                                 << " ,5";
        QTest::newRow("zeros") << "000"
                               << " 00";
        QTest::newRow("number") << "10,5"
                                << "10,5";
        QTest::newRow("inner zero") << "10:00"
                                    << "10:00";
        QTest::newRow("only the prefix") << "00:0"
                                         << "    ";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("text") << "Ostern"
                              << "Ostern";
    }
    void blankLeadingZeros() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(DiaryPrintLayout::BlankLeadingZeros(text), shown);
    }

    void withoutSourceNothingIsPrinted() {
        DiaryPrintLayout layout(FormElementCache());
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir.filePath(QStringLiteral("none.pdf")));
        try {
            layout.Print(printer);
            QFAIL("printed without a source");
        } catch (const VelmoraError &e) {
            QCOMPARE(e.message(), QStringLiteral("QUERY NOT INITIALIZED"));
        }
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("none.pdf"))));
    }

    void printsEntriesAndBlocks() {
        m_entries->moveTo(1);
        DiaryPrintLayout layout(FormElementCache());
        layout.SetSource(kTitle, m_entries.get());
        PrintSettings s = settings();
        s.Titel = QStringLiteral("Saison 2026");
        layout.SetSettings(s);
        int pages = 0;
        const QList<QStringList> text = print(layout, &pages);
        QCOMPARE(pages, 1);
        QCOMPARE(text.size(), 1);
        const QStringList &lines = text.first();
        // Page header, then the dialog's title.
        QCOMPARE(lines.value(0), kTitle + QStringLiteral(" Woche 02 Seite 1"));
        QCOMPARE(lines.value(1), QStringLiteral("Saison 2026"));
        // Weekday once per day, the date without its leading zero.
        QCOMPARE(countWord(lines, QStringLiteral("Mo")), 1);
        QCOMPARE(countWord(lines, QStringLiteral("Mi")), 1);
        QCOMPARE(lines.value(2), QStringLiteral("Mo 5.01 Grundlage"));
        QVERIFY2(lines.contains(QStringLiteral("5.01 Auslaufen")), qPrintable(lines.join(QLatin1Char('|'))));
        QVERIFY(lines.contains(QStringLiteral("Mi 7.01 Intervalle")));
        // The card block in the labelled layout: prefix, value, index value text.
        QVERIFY(lines.contains(QStringLiteral("Dauer 60 Strecke 10,5 Belastung locker Notiz ruhig")));
        QVERIFY(lines.contains(QStringLiteral("Dauer 15 Strecke 2 Belastung intensiv Notiz Steigerung")));
        // An empty note prints neither its prefix nor a value.
        QCOMPARE(lineWith(lines, QStringLiteral("Dauer 5 ")), QStringLiteral("Dauer 5 Strecke 1 Belastung locker"));
        // The grid block: its header of prefixes, the row in columns, the
        // time without its leading zeros.
        QCOMPARE(countWord(lines, QStringLiteral("Wdh")), 3);
        QVERIFY(lines.contains(QStringLiteral("Wdh Zeit Art")));
        QVERIFY2(lines.contains(QStringLiteral("6 5:30 intensiv")), qPrintable(lines.join(QLatin1Char('|'))));
        QVERIFY(!lines.join(QLatin1Char(' ')).contains(QLatin1String("00:05")));
        // The entries in the list's order.
        const QString all = lines.join(QLatin1Char('\n'));
        QVERIFY(all.indexOf(QLatin1String("Grundlage")) < all.indexOf(QLatin1String("Auslaufen")));
        QVERIFY(all.indexOf(QLatin1String("Auslaufen")) < all.indexOf(QLatin1String("Intervalle")));
        // The diary's list stays on its row.
        QCOMPARE(m_entries->recNo(), 1);
    }

    void aFullPageBreaksWithTheHeader() {
        QStringList description;
        for (int i = 1; i <= 150; ++i)
            description << QStringLiteral("Zeile %1").arg(i);
        db().execLocal(QStringLiteral("update TR set Beschreibung = '%1' where TrNr = %2")
                           .arg(description.join(QLatin1Char('\n')))
                           .arg(m_sameDay));
        m_entries->refresh();
        DiaryPrintLayout layout(FormElementCache());
        layout.SetSource(kTitle, m_entries.get());
        layout.SetSettings(settings());
        int pages = 0;
        const QList<QStringList> text = print(layout, &pages);
        QVERIFY(pages >= 2);
        QCOMPARE(text.size(), pages);
        for (int p = 0; p < pages; ++p)
            QCOMPARE(text[p].value(0), kTitle + QStringLiteral(" Woche 02 Seite %1").arg(p + 1));
        // Every line printed once, none lost at the break.
        QStringList all;
        for (const QStringList &page : text)
            all << page;
        for (int i = 1; i <= 150; ++i)
            QCOMPARE(countWord(all, QStringLiteral("Zeile %1").arg(i)), 1);
        QVERIFY(text[0].last().startsWith(QLatin1String("Zeile ")));
        QVERIFY(text[1].value(1).startsWith(QLatin1String("Zeile ")));
        // The weekday is not repeated on the new page.
        QCOMPARE(countWord(all, QStringLiteral("Mo")), 1);
        QVERIFY(all.contains(QStringLiteral("Mi 7.01 Intervalle")));
    }

    // A block table that cannot be read stops the print with the engine's
    // error; the diary's list keeps its row.
    void aMissingBlockTableStopsThePrint() {
        m_entries->close();
        db().execLocal(QStringLiteral("drop table TR_2"));
        m_entries->open();
        m_entries->moveTo(2);
        DiaryPrintLayout layout(FormElementCache());
        layout.SetSource(kTitle, m_entries.get());
        layout.SetSettings(settings());
        QVERIFY_THROWS_EXCEPTION(EngineError, print(layout));
        QCOMPARE(m_entries->recNo(), 2);
    }

    // A client block of one field prints its value in a column, without the
    // prefix; a memo field prints its lines one under the other.
    void clientBlockAndMemoLines() {
        const int client = ClubFixture::kBase + 11, notes = ClubFixture::kBase + 12;
        const QList<test::FieldSpec> clientFields{{QStringLiteral("Puls"), QStringLiteral("I")}};
        const QList<test::FieldSpec> noteFields{{QStringLiteral("Bericht"), QStringLiteral("M")},
                                                {QStringLiteral("Gefuehl"), QStringLiteral("A"), 20}};
        m_entries->close();
        test::AddBlock(db(), client, QStringLiteral("TR_3"), false, clientFields);
        test::AddBlock(db(), notes, QStringLiteral("TR_4"), false, noteFields);
        int ff = test::UseBlock(db(), ClubFixture::kForm, 3, client, {1}, 9, clientFields);
        test::UseBlock(db(), ClubFixture::kForm, 4, notes, {1, 2}, ff, noteFields);
        const auto key = [&](int order) {
            return QVariantMap{{QStringLiteral("SerienNr"), ClubFixture::kSerial},
                               {QStringLiteral("TrNr"), m_sameDay},
                               {QStringLiteral("Order"), order}};
        };
        QVariantMap pulse = key(0);
        pulse.insert(QStringLiteral("Puls"), 142);
        InsertRow(db(), QStringLiteral("TR_3"), pulse);
        QVariantMap note = key(0);
        note.insert(QStringLiteral("Bericht"), QStringLiteral("Beine schwer\nzweite Hälfte besser"));
        note.insert(QStringLiteral("Gefuehl"), QStringLiteral("gut"));
        InsertRow(db(), QStringLiteral("TR_4"), note);
        LoadFormElementCache(db(), nullptr);
        m_entries->open();

        DiaryPrintLayout layout(FormElementCache());
        layout.SetSource(kTitle, m_entries.get());
        layout.SetSettings(settings());
        const QStringList lines = print(layout).value(0);
        const QString all = lines.join(QLatin1Char('|'));
        QVERIFY2(lines.contains(QStringLiteral("142")), qPrintable(all));
        QCOMPARE(countWord(lines, QStringLiteral("Puls")), 0);
        QVERIFY2(all.contains(QStringLiteral("|Beine schwer|zweite Hälfte besser|Gefuehl gut|")), qPrintable(all));
    }

    void anEmptyDescriptionEndsTheDateLine() {
        db().execLocal(QStringLiteral("update TR set Beschreibung = NULL where TrNr = %1").arg(m_sameDay));
        m_entries->refresh();
        DiaryPrintLayout layout(FormElementCache());
        layout.SetSource(kTitle, m_entries.get());
        layout.SetSettings(settings());
        const QStringList lines = print(layout).value(0);
        QVERIFY2(lines.contains(QStringLiteral("5.01")), qPrintable(lines.join(QLatin1Char('|'))));
    }
};

QTEST_MAIN(TestDiaryPrintLayout)
#include "tst_diaryprintlayout.moc"
