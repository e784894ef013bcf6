#include "diary/SearchEntryRules.h"

#include <QTest>

using namespace velmora;
namespace Rules = velmora::SearchEntryRules;

class TestSearchEntryRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listQuery_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("tabsShown");
        QTest::addColumn<int>("windowKind");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("countCondition");
        QTest::addColumn<bool>("forms");

        const QString plan17 = QStringLiteral("where (Art = 13) and (PersonNr = 17)");
        QTest::newRow("plan of a week window") << int(Rules::TabPlan) << true << 12
                                               << QStringList{"select * from tr", plan17, "order by Datum"}
                                               << plan17 + " and" << false;
        QTest::newRow("protocol of a day window")
            << int(Rules::TabProtokoll) << true << 3
            << QStringList{"select * from tr", "where (Art = 2) and (PersonNr = 17)", "order by Datum"}
            << "where (Art = 2) and (PersonNr = 17) and" << false;
        QTest::newRow("group plan of a cycle window")
            << int(Rules::TabGruppe) << true << 22
            << QStringList{"select * from tr", "where (Art = 23) and (PersonNr = 5)", "order by Datum"}
            << "where (Art = 23) and (PersonNr = 5) and" << false;
        QTest::newRow("blank forms of the level")
            << int(Rules::TabLeerformular) << true << 12
            << QStringList{"select * from tr", "where (tr.Art = 11)", "order by Datum"} << QString() << true;
        QTest::newRow("hidden tabs list the plans") << int(Rules::TabProtokoll) << false << 2
                                                    << QStringList{"select * from tr", "where (Art = 3) and (PersonNr = 17)", "order by Datum"}
                                                    << "where (Art = 3) and (PersonNr = 17) and" << false;
        QTest::newRow("a diary of forms offers forms on the first tab")
            << int(Rules::TabPlan) << true << 21
            << QStringList{"select * from tr", "where (tr.Art = 21)", "order by Datum"} << QString() << true;
    }
    void listQuery() {
        QFETCH(int, tab);
        QFETCH(bool, tabsShown);
        QFETCH(int, windowKind);
        QFETCH(QStringList, lines);
        QFETCH(QString, countCondition);
        QFETCH(bool, forms);
        const QDateTime now(QDate(2026, 1, 9), QTime(12, 30));
        const Rules::ListQuery q = Rules::BuildListQuery(tab, tabsShown, windowKind, 17, 5, now);
        QCOMPARE(q.lines, lines);
        QCOMPARE(q.forms, forms);
        if (forms) {
            QVERIFY(q.countLines.isEmpty());
        } else {
            QCOMPARE(q.countLines, (QStringList{"select count(*) from tr", countCondition,
                                                "(Datum >= \"2026-01-09 12:30:00.000\")"}));
        }
    }

    void personBelowOneListsEveryone() {
        const Rules::ListQuery q = Rules::BuildListQuery(Rules::TabGruppe, true, 2, 17, 0, QDateTime::currentDateTime());
        QCOMPARE(q.lines.at(1), QStringLiteral("where Art = 3"));
    }

    void restingRow_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("row");
        QTest::newRow("all before now") << 5 << 0 << 4;
        QTest::newRow("two ahead") << 5 << 2 << 2;
        QTest::newRow("all ahead") << 3 << 3 << 0;
        QTest::newRow("empty") << 0 << 0 << -1;
    }
    void restingRow() {
        QFETCH(int, rows);
        QFETCH(int, after);
        QFETCH(int, row);
        QCOMPARE(Rules::RestingRow(rows, after), row);
    }

    void dateEdit_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("this century") << "02.03.26" << QDate(2026, 3, 2);
        QTest::newRow("last century") << "17.05.90" << QDate(1990, 5, 17);
        QTest::newRow("no such day") << "31.02.26" << QDate();
        QTest::newRow("blanks of the mask") << "__.__.__" << QDate();
        QTest::newRow("half typed") << "1_.0_.26" << QDate();
    }
    void dateEdit() {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(Rules::ParseDateEdit(text, QDate(2026, 1, 9)), date);
        if (date.isValid())
            QCOMPARE(Rules::DateEditText(date), text);
    }

    void captions() {
        QCOMPARE(Rules::Caption(true), QStringLiteral("Ein Leerformular auswählen"));
        QCOMPARE(Rules::Caption(false), QStringLiteral("Einen Eintrag auswählen"));
    }
};

QTEST_GUILESS_MAIN(TestSearchEntryRules)
#include "tst_searchentryrules.moc"
