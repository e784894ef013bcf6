#include "diary/TTrainingseintrag.h"
#include "diary/TTrainingselement.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/EntryFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QHash>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
constexpr int kGrid = ClubFixture::kBase + 10; // grid block "TR_2"
const QList<test::FieldSpec> kGridFields{{QStringLiteral("Wdh"), QStringLiteral("I")},
                                         {QStringLiteral("Zeit"), QStringLiteral("F")},
                                         {QStringLiteral("Art"), QStringLiteral("X")}};
const QList<int> kRowCommands{EntryCommand::kCopy, EntryCommand::kPaste, EntryCommand::kDelete, EntryCommand::kNewLine};
} // namespace

class TestGridRowCommands : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<test::MessageRecorder> m_messages;
    QWidget m_host;
    QLineEdit *m_elsewhere = nullptr; // a control outside the entry view
    int m_e1 = 0, m_e2 = 0;
    // The main window's clipboard of rows, as the hooks see it.
    std::vector<RowReference> m_clip;
    int m_copies = 0;
    // The last announcement per command: enabled, and its handler.
    QHash<int, bool> m_enabled;
    QHash<int, std::function<void()>> m_handlers;

    Database &db() { return m_inst->db(); }

    std::unique_ptr<TTrainingseintrag> view(int trNr, bool readOnly = false, bool single = false) {
        EntryViewParams p;
        p.serienNr = ClubFixture::kSerial;
        p.trNr = trNr;
        p.formularNr = ClubFixture::kForm;
        p.person = ClubFixture::kAnna;
        p.user = ClubFixture::kCoach;
        p.readOnly = readOnly;
        p.single = single;
        auto v = std::make_unique<TTrainingseintrag>(&m_host, p, &db());
        v->copyRows = [this](const std::vector<RowReference> &rows) {
            m_clip = rows;
            ++m_copies;
        };
        v->clipboardRows = [this] {
            std::vector<RowReference *> refs;
            for (RowReference &r : m_clip)
                refs.push_back(&r);
            return refs;
        };
        v->canPasteRows = [this](const QString &table) { return !m_clip.empty() && m_clip.front().TableName == table; };
        connect(v.get(), &EntryView::commandChanged, this, [this](int command, bool enable, std::function<void()> h) {
            m_enabled[command] = enable;
            m_handlers[command] = std::move(h);
        });
        v->build();
        v->show();
        return v;
    }
    TTrainingselement *gridPanel(TTrainingseintrag &v) {
        for (TTrainingselement *p : v.panels())
            if (p->tableNr() == kGrid)
                return p;
        return nullptr;
    }
    // Focuses the grid with the given rows selected, the first one current.
    void focusGrid(TTrainingselement &p, const QList<int> &rows) {
        TDBTypeGrid *g = p.grid();
        g->setFocus();
        QVERIFY(g->hasFocus());
        if (rows.isEmpty()) {
            g->selectionModel()->clearSelection();
            return;
        }
        g->setCurrentIndex(g->model()->index(rows.first(), 0));
        for (int r : rows)
            g->selectionModel()->select(g->model()->index(r, 0), QItemSelectionModel::Select);
    }
    // "Order:Wdh" of the entry's grid rows, in order.
    QString rows(int trNr) {
        Query q(db(), QStringLiteral("select \"Order\", Wdh from TR_2 where (SerienNr = 1) and (TrNr = %1) "
                                     "order by \"Order\"")
                          .arg(trNr));
        q.open();
        QStringList out;
        for (int r = 0; r < q.recordCount(); ++r)
            out << q.row(r)[0].toString() + QLatin1Char(':') + q.row(r)[1].toString();
        return out.join(QLatin1Char(' '));
    }
    QString clipOrders() const {
        QStringList out;
        for (const RowReference &r : m_clip)
            out << QStringLiteral("%1/%2/%3").arg(r.TableName).arg(r.TrNr).arg(r.Order);
        return out.join(QLatin1Char(' '));
    }
    void run(int command) {
        QVERIFY2(m_enabled.value(command), qPrintable(QString::number(command)));
        QVERIFY(m_handlers.value(command));
        m_handlers.value(command)();
    }

private Q_SLOTS:
    void init() {
        m_host.resize(600, 700);
        m_elsewhere = new QLineEdit(&m_host);
        m_elsewhere->move(0, 650);
        m_elsewhere->show();
        m_host.show();
        QApplication::setActiveWindow(&m_host);
        m_inst = std::make_unique<test::TempInstallation>();
        m_club = std::make_unique<ClubFixture>(db());
        m_messages = std::make_unique<test::MessageRecorder>();
        test::AddBlock(db(), kGrid, QStringLiteral("TR_2"), true, kGridFields);
        test::UseBlock(db(), ClubFixture::kForm, 2, kGrid, {1, 2, 3}, 6, kGridFields);
        LoadFormElementCache(db(), nullptr);
        m_e1 = 2; // four grid rows, Wdh 10 to 13
        m_e2 = 3; // no grid rows: its view stores an empty first one
        for (int order = 0; order < 4; ++order)
            InsertRow(db(), QStringLiteral("TR_2"),
                      {{QStringLiteral("SerienNr"), 1},
                       {QStringLiteral("TrNr"), m_e1},
                       {QStringLiteral("Order"), order},
                       {QStringLiteral("Wdh"), 10 + order}});
        m_clip.clear();
        m_copies = 0;
        m_enabled.clear();
        m_handlers.clear();
    }
    void cleanup() {
        delete m_elsewhere;
        m_messages.reset();
        m_club.reset();
        m_inst.reset();
    }

    void focusAnnouncesTheRowCommands_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("single");
        QTest::addColumn<QString>("copiedTable");
        QTest::addColumn<bool>("bound");
        QTest::addColumn<bool>("paste");
        QTest::newRow("editable, nothing copied") << false << false << QString() << true << false;
        QTest::newRow("editable, rows of this block copied") << false << false << "TR_2" << true << true;
        QTest::newRow("editable, rows of another block copied") << false << false << "TR_1" << true << false;
        QTest::newRow("read-only entry") << true << false << "TR_2" << false << false;
        QTest::newRow("single-entry mode") << false << true << "TR_2" << false << false;
    }
    void focusAnnouncesTheRowCommands() {
        QFETCH(bool, readOnly);
        QFETCH(bool, single);
        QFETCH(QString, copiedTable);
        QFETCH(bool, bound);
        QFETCH(bool, paste);
        if (!copiedTable.isEmpty())
            m_clip.push_back({copiedTable, 1, m_e1, 0});
        auto v = view(m_e1, readOnly, single);
        TTrainingselement *p = gridPanel(*v);
        QVERIFY(p);
        QSignalSpy spy(v.get(), &EntryView::commandChanged);
        focusGrid(*p, {0});
        QCOMPARE(p->rowCommandsBound(), bound);
        QCOMPARE(spy.count(), bound ? 4 : 0);
        QSet<int> announced;
        for (const QList<QVariant> &args : spy) {
            announced << args.at(0).toInt();
            QCOMPARE(args.at(1).toBool(), args.at(0).toInt() == EntryCommand::kPaste ? paste : true);
        }
        if (bound) {
            QCOMPARE(announced, QSet<int>(kRowCommands.begin(), kRowCommands.end()));
            for (int command : {EntryCommand::kCopy, EntryCommand::kDelete, EntryCommand::kNewLine})
                QVERIFY(m_handlers.value(command));
        }
        spy.clear();
        // Moving within the grid keeps them.
        p->grid()->setCurrentIndex(p->grid()->model()->index(1, 0));
        QCOMPARE(spy.count(), 0);

        m_elsewhere->setFocus();
        QVERIFY(m_elsewhere->hasFocus());
        QCOMPARE(spy.count(), bound ? 4 : 0);
        for (const QList<QVariant> &args : spy)
            QVERIFY(!args.at(1).toBool());
        for (int command : kRowCommands)
            QVERIFY(!m_enabled.value(command) && !m_handlers.value(command));
        QVERIFY(!p->rowCommandsBound());
    }

    void cardPanelAnnouncesNothing() {
        auto v = view(m_e1);
        QSignalSpy spy(v.get(), &EntryView::commandChanged);
        TTrainingselement *lauf = v->panels()[1];
        QCOMPARE(lauf->tableNr(), ClubFixture::kBlock);
        lauf->firstControl()->setFocus();
        QVERIFY(lauf->firstControl()->hasFocus());
        QCOMPARE(spy.count(), 0);
    }

    void reKeyToReadOnlyWithdrawsTheCommands() {
        auto v = view(m_e1);
        TTrainingselement *p = gridPanel(*v);
        focusGrid(*p, {0});
        QVERIFY(m_enabled.value(EntryCommand::kDelete));
        v->reKey(1, m_e2, true, ClubFixture::kAnna);
        for (int command : kRowCommands)
            QVERIFY(!m_enabled.value(command));
        v->reKey(1, m_e1, false, ClubFixture::kAnna);
        QVERIFY(m_enabled.value(EntryCommand::kDelete));
    }

    void copyRowsPutsReferencesThroughTheHook() {
        auto v = view(m_e1);
        TTrainingselement *p = gridPanel(*v);
        focusGrid(*p, {3, 1});
        QVERIFY(!m_enabled.value(EntryCommand::kPaste));
        run(EntryCommand::kCopy);
        QCOMPARE(m_copies, 1);
        // Last selected first, so that a paste restores their order.
        QCOMPARE(clipOrders(), QStringLiteral("TR_2/%1/3 TR_2/%1/1").arg(m_e1));
        QVERIFY(m_enabled.value(EntryCommand::kPaste));
        QVERIFY(m_handlers.value(EntryCommand::kPaste));
        QCOMPARE(rows(m_e1), QStringLiteral("0:10 1:11 2:12 3:13")); // copying changes nothing
        QVERIFY(m_messages->texts().isEmpty());
    }

    void newLineInsertsRowsAtTheCurrentRow_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("clipAfter");
        QTest::addColumn<int>("next");
        QTest::newRow("one row at row 1") << QList<int>{1} << "0:10 1: 2:11 3:12 4:13"
                                          << "3 0" << 5;
        QTest::newRow("as many as selected") << QList<int>{1, 2} << "0:10 1: 2: 3:11 4:12 5:13"
                                             << "4 0" << 6;
        QTest::newRow("nothing selected: one row") << QList<int>{} << "0:10 1: 2:11 3:12 4:13"
                                                   << "3 0" << 5;
        QTest::newRow("at the last row") << QList<int>{3} << "0:10 1:11 2:12 3: 4:13"
                                         << "2 0" << 5;
    }
    void newLineInsertsRowsAtTheCurrentRow() {
        QFETCH(QList<int>, selected);
        QFETCH(QString, expected);
        QFETCH(QString, clipAfter);
        QFETCH(int, next);
        // A copied row from the insertion on moves with its row; one before it stays.
        m_clip = {{QStringLiteral("TR_2"), 1, m_e1, 2}, {QStringLiteral("TR_2"), 1, m_e1, 0}};
        auto v = view(m_e1);
        TTrainingselement *p = gridPanel(*v);
        focusGrid(*p, selected.isEmpty() ? QList<int>{1} : selected);
        if (selected.isEmpty())
            p->grid()->selectionModel()->clearSelection();
        run(EntryCommand::kNewLine);
        QCOMPARE(rows(m_e1), expected);
        QStringList orders;
        for (const RowReference &r : m_clip)
            orders << QString::number(r.Order);
        QCOMPARE(orders.join(QLatin1Char(' ')), clipAfter);
        QCOMPARE(p->nextRowNumber(), next);
        // The grid shows the table as it is now and stays usable.
        QCOMPARE(p->grid()->model()->rowCount(), expected.count(QLatin1Char(':')));
        QVERIFY(p->grid()->hasFocus());
        QVERIFY(p->rowCommandsBound());
        p->table()->append();
        p->table()->post();
        QCOMPARE(rows(m_e1), expected + QStringLiteral(" %1:").arg(next));
        QVERIFY(m_messages->texts().isEmpty());
    }

    void pasteRowsIntoThisOrAnotherEntry_data() {
        QTest::addColumn<bool>("other");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("clipAfter");
        QTest::newRow("same entry, at row 0") << false << "0:11 1:13 2:10 3:11 4:12 5:13"
                                              << "5 3";
        QTest::newRow("another entry") << true << "0:11 1:13 2:"
                                       << "3 1";
    }
    void pasteRowsIntoThisOrAnotherEntry() {
        QFETCH(bool, other);
        QFETCH(QString, expected);
        QFETCH(QString, clipAfter);
        auto v = view(m_e1);
        TTrainingselement *p = gridPanel(*v);
        focusGrid(*p, {1, 3});
        run(EntryCommand::kCopy);
        if (other) {
            v->commit(false);
            v->reKey(1, m_e2, false, ClubFixture::kAnna);
            QCOMPARE(rows(m_e2), QStringLiteral("0:"));
        }
        focusGrid(*p, {0});
        run(EntryCommand::kPaste);
        QCOMPARE(rows(other ? m_e2 : m_e1), expected);
        if (other)
            QCOMPARE(rows(m_e1), QStringLiteral("0:10 1:11 2:12 3:13"));
        QStringList orders;
        for (const RowReference &r : m_clip)
            orders << QString::number(r.Order);
        QCOMPARE(orders.join(QLatin1Char(' ')), clipAfter);
        QCOMPARE(p->nextRowNumber(), expected.count(QLatin1Char(':')));
        QCOMPARE(p->grid()->model()->rowCount(), expected.count(QLatin1Char(':')));
        QVERIFY(m_messages->texts().isEmpty());
    }

    void pasteWithoutCopiedRowsChangesNothing() {
        auto v = view(m_e1);
        TTrainingselement *p = gridPanel(*v);
        focusGrid(*p, {0});
        p->pasteRows();
        QCOMPARE(rows(m_e1), QStringLiteral("0:10 1:11 2:12 3:13"));
        QVERIFY(m_messages->texts().isEmpty());
    }

    void deleteRowsAsks_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("messages");
        const QString question = QStringLiteral("Wollen Sie die ausgewählten Datensätze wirklich löschen?\n"
                                                "Die Löschung kann nicht rückgängig gemacht werden!");
        QTest::newRow("yes") << QList<int>{1, 2} << true << "0:10 3:13" << QStringList{question};
        QTest::newRow("no") << QList<int>{1, 2} << false << "0:10 1:11 2:12 3:13" << QStringList{question};
        QTest::newRow("nothing selected") << QList<int>{} << true << "0:10 1:11 2:12 3:13"
                                          << QStringList{QStringLiteral("Es sind keine Datensätze ausgewählt!")};
    }
    void deleteRowsAsks() {
        QFETCH(QList<int>, selected);
        QFETCH(bool, yes);
        QFETCH(QString, expected);
        QFETCH(QStringList, messages);
        auto v = view(m_e1);
        TTrainingselement *p = gridPanel(*v);
        focusGrid(*p, selected.isEmpty() ? QList<int>{0} : selected);
        if (selected.isEmpty())
            p->grid()->selectionModel()->clearSelection();
        m_messages->answer(yes);
        run(EntryCommand::kDelete);
        QCOMPARE(m_messages->texts(), messages);
        QCOMPARE(rows(m_e1), expected);
        QCOMPARE(p->grid()->model()->rowCount(), expected.count(QLatin1Char(':')));
        QCOMPARE(p->nextRowNumber(), 4);
        QVERIFY(p->rowCommandsBound());
    }

    void handlerOfAGonePanelDoesNothing() {
        auto v = view(m_e1);
        focusGrid(*gridPanel(*v), {0});
        const std::function<void()> handler = m_handlers.value(EntryCommand::kNewLine);
        QVERIFY(handler);
        v.reset();
        // The view withdrew the commands as it went.
        QVERIFY(!m_enabled.value(EntryCommand::kNewLine));
        handler();
        QCOMPARE(rows(m_e1), QStringLiteral("0:10 1:11 2:12 3:13"));
    }
};

QTEST_MAIN(TestGridRowCommands)
#include "tst_gridrowcommands.moc"
