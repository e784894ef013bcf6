#include "diary/EntryRules.h"
#include "diary/TTrainingseintrag.h"
#include "diary/TTrainingselement.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/EntryFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
constexpr int kGrid = ClubFixture::kBase + 10; // grid block "TR_2"
const QList<test::FieldSpec> kGridFields{{QStringLiteral("Wdh"), QStringLiteral("I")},
                                         {QStringLiteral("Zeit"), QStringLiteral("F")},
                                         {QStringLiteral("Art"), QStringLiteral("X")}};

QString name(int form, int order, int table, int feld) {
    return TTREListEntry::MakeName(form, order, table, feld);
}
} // namespace

class TestTTrainingseintrag : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<test::MessageRecorder> m_messages;
    int m_e1 = 0, m_e2 = 0;
    QWidget m_host;

    Database &db() { return m_inst->db(); }

    std::unique_ptr<TTrainingseintrag> view(int trNr, bool readOnly = false, int form = ClubFixture::kForm,
                                            bool layout = false, bool single = false) {
        EntryViewParams p;
        p.serienNr = ClubFixture::kSerial;
        p.trNr = trNr;
        p.formularNr = form;
        p.person = ClubFixture::kAnna;
        p.user = ClubFixture::kCoach;
        p.readOnly = readOnly;
        p.layout = layout;
        p.single = single;
        auto v = std::make_unique<TTrainingseintrag>(&m_host, p, &db());
        v->build();
        v->show();
        return v;
    }
    TTrainingselement *panel(TTrainingseintrag &v, int tableNr) {
        for (TTrainingselement *p : v.panels())
            if (p->tableNr() == tableNr)
                return p;
        return nullptr;
    }
    int count(const QString &sql) {
        Query q(db(), sql);
        q.open();
        return q.value(0).toInt();
    }
    QVariant fieldValue(int tableNr, int order, const QString &column) {
        Query q(
            db(),
            QStringLiteral("select * from TRFIELD where (TableNr = %1) and (\"Order\" = %2)").arg(tableNr).arg(order));
        q.open();
        return q.value(column);
    }
    // Form 0 as the block designer leaves it: the given block with all its fields.
    void layoutForm(int tableNr, const QList<test::FieldSpec> &fields) {
        db().execLocal(QStringLiteral("delete from TRuseTBL where FormularNr = 0"));
        db().execLocal(QStringLiteral("delete from FFIELD where FormularNr = 0"));
        QList<int> all;
        for (int k = 1; k <= fields.size(); ++k)
            all << k;
        test::UseBlock(db(), 0, 0, tableNr, all, 0, fields);
        LoadFormElementCache(db(), nullptr);
    }

private Q_SLOTS:
    void init() {
        m_host.resize(600, 500);
        m_host.show();
        m_inst = std::make_unique<test::TempInstallation>();
        m_club = std::make_unique<ClubFixture>(db());
        m_messages = std::make_unique<test::MessageRecorder>();
        db().execLocal(QStringLiteral("update TRFIELD set \"Left\" = 100, Width = 100, Height = 20, PrefixLeft = 20, "
                                      "PrefixTop = Top + 2 where TableNr = %1")
                           .arg(ClubFixture::kBlock));
        // Dauer takes 0 to 300 in the form.
        db().execLocal(QStringLiteral("update FFIELD set Werte = '0\n300' where (FormularNr = %1) and (TableNr = %2) "
                                      "and (FeldNr = 1)")
                           .arg(ClubFixture::kForm)
                           .arg(ClubFixture::kBlock));
        test::AddBlock(db(), kGrid, QStringLiteral("TR_2"), true, kGridFields);
        test::UseBlock(db(), ClubFixture::kForm, 2, kGrid, {1, 2, 3}, 6, kGridFields);
        for (int i = 0; i < 2; ++i)
            InsertRow(db(), QStringLiteral("TRuseVAL"),
                      {{QStringLiteral("FormularNr"), ClubFixture::kForm},
                       {QStringLiteral("TableNr"), kGrid},
                       {QStringLiteral("FeldNr"), 3},
                       {QStringLiteral("ValueNr"), ClubFixture::kValueLocker + i},
                       {QStringLiteral("Order"), i + 1}});
        LoadFormElementCache(db(), nullptr);
        // Entries 2 and 3 of the club: rows 0 and 1 in TR_1, and row 0.
        m_e1 = 2;
        m_e2 = 3;
    }
    void cleanup() {
        m_messages.reset();
        m_club.reset();
        m_inst.reset();
    }

    void buildsThePanelsBlockZeroFirst() {
        auto v = view(m_e1);
        QCOMPARE(v->objectName(), QStringLiteral("TRE1_%1").arg(m_e1));
        QCOMPARE(int(v->panels().size()), 3);
        QCOMPARE(v->panels()[0]->tableNr(), 0);
        QCOMPARE(v->panels()[1]->tableNr(), ClubFixture::kBlock);
        QCOMPARE(v->panels()[2]->tableNr(), kGrid);
        // Stacked by their stored heights: block 0 has six fields, Lauf 100.
        QCOMPARE(v->panels()[0]->y(), 0);
        QCOMPARE(v->panels()[0]->height(), 92);
        QCOMPARE(v->panels()[1]->y(), 92);
        QCOMPARE(v->panels()[2]->y(), 92 + 100);
        QVERIFY(v->panels()[0]->isHeader());
        QVERIFY(!v->panels()[1]->isHeader());
        QVERIFY(m_messages->texts().isEmpty());
    }

    void cardControlsByTypeCode_data() {
        QTest::addColumn<int>("tableNr");
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("feld");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("Datum, header: edit without label") << 0 << 0 << 1 << "velmora::TDBEdit"
                                                           << "";
        QTest::newRow("Beschreibung, header: memo named without F") << 0 << 1 << 4 << "velmora::TDBMemo"
                                                                    << "";
        QTest::newRow("Dauer: range edit with label") << ClubFixture::kBlock << 2 << 1 << "velmora::TDBEdit"
                                                      << "Dauer";
        QTest::newRow("Belastung: pick list with label")
            << ClubFixture::kBlock << 4 << 3 << "velmora::TDBLookupComboBox"
            << "Belastung";
        QTest::newRow("Notiz: edit with label") << ClubFixture::kBlock << 5 << 4 << "velmora::TDBEdit"
                                                << "Notiz";
    }
    void cardControlsByTypeCode() {
        QFETCH(int, tableNr);
        QFETCH(int, order);
        QFETCH(int, feld);
        QFETCH(QString, className);
        QFETCH(QString, prefix);
        auto v = view(m_e1);
        TTrainingselement *p = panel(*v, tableNr);
        QVERIFY(p);
        const QString n = name(ClubFixture::kForm, order, tableNr, feld);
        const bool memo = className == QLatin1String("velmora::TDBMemo");
        QWidget *control = p->findChild<QWidget *>(memo ? n : QStringLiteral("F") + n);
        QVERIFY2(control, qPrintable(n));
        QVERIFY(control->inherits(qPrintable(className)));
        QLabel *label = p->findChild<QLabel *>(QStringLiteral("P") + n);
        QCOMPARE(label != nullptr, !prefix.isEmpty());
        QVERIFY(!p->findChild<QLabel *>(QStringLiteral("O") + n)); // no postfix texts in the club
        if (label) {
            QCOMPARE(label->text(), prefix);
            QCOMPARE(label->pos(), QPoint(20, 4 + 24 * (feld - 1) + 2));
            QCOMPARE(control->geometry(), QRect(100, 4 + 24 * (feld - 1), 100, 20));
        }
    }

    void pickListOffersTheFormsValues() {
        auto v = view(m_e1);
        auto *box = panel(*v, ClubFixture::kBlock)
                        ->findChild<TDBLookupComboBox *>(QStringLiteral("F") +
                                                         name(ClubFixture::kForm, 4, ClubFixture::kBlock, 3));
        QVERIFY(box);
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), QStringLiteral("locker"));
        QCOMPARE(box->currentText(), QStringLiteral("locker")); // row 0 of the entry
        QCOMPARE(box->keyValue().toInt(), ClubFixture::kValueLocker);
    }

    void gridBlockShowsTheGridWithValueTexts() {
        Cursor rows(db(), QStringLiteral("TR_2"));
        rows.open();
        rows.append();
        rows.setValue(QStringLiteral("SerienNr"), 1);
        rows.setValue(QStringLiteral("TrNr"), m_e1);
        rows.setValue(QStringLiteral("Order"), 0);
        rows.setValue(QStringLiteral("Art"), ClubFixture::kValueIntensiv);
        rows.post();
        auto v = view(m_e1);
        TTrainingselement *p = panel(*v, kGrid);
        TDBTypeGrid *grid = p->findChild<TDBTypeGrid *>(QStringLiteral("Grid"));
        QVERIFY(grid);
        QCOMPARE(grid, p->grid());
        QCOMPARE(p->firstControl(), grid);
        QCOMPARE(grid->geometry(), p->rect());
        CursorModel *model = grid->cursorModel();
        QCOMPARE(model->columnCount(), 3); // the key columns are hidden
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Wdh"));
        const int artColumn = model->columnOfField(QStringLiteral("Art"));
        const QModelIndex cell = model->index(0, artColumn);
        QCOMPARE(static_cast<QStyledItemDelegate *>(grid->itemDelegateForColumn(artColumn))
                     ->displayText(model->data(cell), QLocale()),
                 QStringLiteral("intensiv"));
        // The in-grid pick-list control waits hidden and shows over its cell.
        QCOMPARE(p->gridPickLists().size(), 3);
        TDBLookupComboBox *box = p->gridPickLists()[artColumn];
        QVERIFY(box);
        QVERIFY(!p->gridPickLists()[0]);
        QVERIFY(!box->isVisible());
        grid->setCurrentIndex(cell);
        QVERIFY(box->isVisible());
        QCOMPARE(box->keyValue().toInt(), ClubFixture::kValueIntensiv);
    }

    void commitWritesWeekAndFirstBlockRow() {
        const int e =
            m_club->addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 3, 4), QTime(9, 0)), QStringLiteral("neu"));
        auto v = view(e);
        QCOMPARE(panel(*v, ClubFixture::kBlock)->table()->state(), Cursor::State::Insert);
        auto *memo = v->findChild<QPlainTextEdit *>(name(ClubFixture::kForm, 1, 0, 4));
        QVERIFY(memo);
        memo->setFocus();
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, QStringLiteral(" und mehr"));
        QVERIFY(v->commit(false)); // the header had unsaved changes
        Query tr(db(), QStringLiteral("select * from TR where TrNr = %1").arg(e));
        tr.open();
        QCOMPARE(tr.asString(QStringLiteral("Beschreibung")), QStringLiteral("neu und mehr"));
        QCOMPARE(tr.asString(QStringLiteral("Woche")), QStringLiteral("10"));
        QCOMPARE(tr.asString(QStringLiteral("Wochentag")), QStringLiteral("Mi"));
        // Both blocks without rows got their first row, Order 0.
        for (const QString &table : {QStringLiteral("TR_1"), QStringLiteral("TR_2")}) {
            Query rows(db(), QStringLiteral("select * from %1 where TrNr = %2").arg(table).arg(e));
            rows.open();
            QCOMPARE(rows.recordCount(), 1);
            QCOMPARE(rows.asInt(QStringLiteral("Order")), 0);
            QCOMPARE(rows.asInt(QStringLiteral("SerienNr")), 1);
        }
        QVERIFY(!v->commit(false)); // nothing changed since
        QVERIFY(m_messages->texts().isEmpty());
    }

    void reKeyKeepsTheControlsAndContinuesTheNumbering() {
        auto v = view(m_e1);
        TTrainingselement *lauf = panel(*v, ClubFixture::kBlock);
        QCOMPARE(lauf->nextRowNumber(), 2);
        const QList<QWidget *> before = v->findChildren<QWidget *>();
        auto *dauer =
            lauf->findChild<TDBEdit *>(QStringLiteral("F") + name(ClubFixture::kForm, 2, ClubFixture::kBlock, 1));
        QCOMPARE(dauer->text(), QStringLiteral("60"));
        v->commit(false);
        v->reKey(1, m_e2, false, ClubFixture::kAnna);
        QCOMPARE(v->findChildren<QWidget *>(), before);
        QCOMPARE(v->objectName(), QStringLiteral("TRE1_%1").arg(m_e2));
        QCOMPARE(lauf->nextRowNumber(), 1);
        QCOMPARE(dauer->text(), QStringLiteral("45"));
        // A new row of the grid block of this entry got Order 0 and posted.
        QCOMPARE(count(QStringLiteral("select count(*) from TR_2 where TrNr = %1").arg(m_e2)), 1);
        lauf->table()->append();
        v->commit(false);
        QCOMPARE(count(QStringLiteral("select max(\"Order\") from TR_1 where TrNr = %1").arg(m_e2)), 1);
    }

    void readOnlyEntryIsGreyAndNotEdited() {
        auto v = view(m_e1, true);
        for (TTrainingselement *p : v->panels()) {
            QCOMPARE(p->table()->state(), Cursor::State::Browse);
            QVERIFY(p->table()->isReadOnly());
        }
        auto *dauer =
            v->findChild<TDBEdit *>(QStringLiteral("F") + name(ClubFixture::kForm, 2, ClubFixture::kBlock, 1));
        QCOMPARE(dauer->palette().color(QPalette::Base), dauer->palette().color(QPalette::Button));
        QVERIFY(dauer->QLineEdit::isReadOnly());
        QTest::keyClicks(dauer, QStringLiteral("9"));
        QVERIFY(!v->commit(false));
        QCOMPARE(count(QStringLiteral("select Dauer from TR_1 where (TrNr = %1) and (\"Order\" = 0)").arg(m_e1)), 60);
        QVERIFY(m_messages->texts().isEmpty());
    }

    void rangeEditKeepsValuesWithinTheLimits_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("inside") << "120" << 120 << QStringList();
        // A commit that cannot wait (the entry is left by a command) says
        // what it did not take.
        QTest::newRow("above the largest")
            << "400" << 60 << QStringList{QStringLiteral("Der Wert muß zwischen 0 und 300 liegen!")};
        QTest::newRow("not a number") << "abc" << 60 << QStringList();
    }
    void rangeEditKeepsValuesWithinTheLimits() {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(QStringList, messages);
        auto v = view(m_e1);
        auto *dauer =
            v->findChild<TDBEdit *>(QStringLiteral("F") + name(ClubFixture::kForm, 2, ClubFixture::kBlock, 1));
        dauer->setFocus();
        dauer->selectAll();
        QTest::keyClicks(dauer, typed);
        v->commit(false);
        QCOMPARE(count(QStringLiteral("select Dauer from TR_1 where (TrNr = %1) and (\"Order\" = 0)").arg(m_e1)),
                 stored);
        QCOMPARE(dauer->text(), QString::number(stored));
        QCOMPARE(m_messages->texts(), messages);
    }

    // Leaving a range field with a value outside its limits is refused with
    // the field's range; the focus and the typing stay until corrected.
    void leavingARangeFieldOutsideItsLimitsIsRefused() {
        auto v = view(m_e1);
        QApplication::setActiveWindow(&m_host);
        QVERIFY(QTest::qWaitForWindowActive(&m_host));
        auto *dauer =
            v->findChild<TDBEdit *>(QStringLiteral("F") + name(ClubFixture::kForm, 2, ClubFixture::kBlock, 1));
        dauer->setFocus();
        QVERIFY(dauer->hasFocus());
        dauer->selectAll();
        QTest::keyClicks(dauer, QStringLiteral("400"));
        QTest::keyClick(dauer, Qt::Key_Tab);
        QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Der Wert muß zwischen 0 und 300 liegen!")});
        QVERIFY(dauer->hasFocus());
        QCOMPARE(dauer->text(), QStringLiteral("400"));
        // Corrected, the field is left and its value posted.
        dauer->selectAll();
        QTest::keyClicks(dauer, QStringLiteral("250"));
        QTest::keyClick(dauer, Qt::Key_Tab);
        QVERIFY(!dauer->hasFocus());
        QCOMPARE(m_messages->texts().size(), 1);
        v->commit(false);
        QCOMPARE(count(QStringLiteral("select Dauer from TR_1 where (TrNr = %1) and (\"Order\" = 0)").arg(m_e1)), 250);
    }

    // A failed save says so and keeps what was typed, so that it can be
    // stored once the cause is gone; only a view that goes drops it.
    void failingPostAtCommitIsReportedAndKept() {
        const int e =
            m_club->addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 3, 4), QTime(9, 0)), QStringLiteral("neu"));
        auto v = view(e);
        auto *notiz =
            v->findChild<TDBEdit *>(QStringLiteral("F") + name(ClubFixture::kForm, 5, ClubFixture::kBlock, 4));
        QVERIFY(notiz);
        notiz->setFocus();
        QTest::keyClicks(notiz, QStringLiteral("meins"));
        // Another window stored the row the view is about to insert.
        m_club->addBlockRow(e, 0, 10, 1.0, ClubFixture::kValueLocker, QStringLiteral("anders"));
        v->commit(false);
        QCOMPARE(m_messages->texts(test::MessageRecorder::Kind::Error).size(), 1);
        QVERIFY(m_messages->texts().first().contains(QStringLiteral("TR_1")));
        QVERIFY(v->commitFailed());
        QCOMPARE(panel(*v, ClubFixture::kBlock)->table()->state(), Cursor::State::Insert);
        QCOMPARE(notiz->text(), QStringLiteral("meins"));
        QCOMPARE(count(QStringLiteral("select count(*) from TR_1 where TrNr = %1").arg(e)), 1);
        // The other row goes: the same commit now stores the typing.
        Query(db(), QStringLiteral("delete from TR_1 where TrNr = %1").arg(e)).exec();
        m_messages->clear();
        v->commit(false);
        QVERIFY(!v->commitFailed());
        QVERIFY(m_messages->texts().isEmpty());
        QCOMPARE(count(QStringLiteral("select count(*) from TR_1 where TrNr = %1 and Notiz = 'meins'").arg(e)), 1);
    }

    void failingPostWhileFreeingIsReportedAndDropped() {
        const int e =
            m_club->addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 3, 4), QTime(9, 0)), QStringLiteral("neu"));
        auto v = view(e);
        m_club->addBlockRow(e, 0, 10, 1.0, ClubFixture::kValueLocker, QStringLiteral("anders"));
        v->commit(true);
        QCOMPARE(m_messages->texts(test::MessageRecorder::Kind::Error).size(), 1);
        QCOMPARE(panel(*v, ClubFixture::kBlock)->table()->state(), Cursor::State::Browse);
    }

    void missingBlockTableIsNamedAndTheOthersBuilt() {
        db().dropTable(QStringLiteral("TR_1"));
        auto v = view(m_e1);
        QCOMPARE(m_messages->texts(test::MessageRecorder::Kind::Error).size(), 1);
        QVERIFY(m_messages->texts().first().contains(QStringLiteral("TR_1")));
        QCOMPARE(int(v->panels().size()), 2);
        QCOMPARE(v->panels()[0]->tableNr(), 0);
        QCOMPARE(v->panels()[1]->tableNr(), kGrid);
        QCOMPARE(v->panels()[1]->y(), 92);
    }

    void missingColumnIsNamed() {
        db().execLocal(QStringLiteral("update TRFIELD set Feldname = 'Puls' where (TableNr = %1) and (\"Order\" = 4)")
                           .arg(ClubFixture::kBlock));
        LoadFormElementCache(db(), nullptr);
        auto v = view(m_e1);
        QCOMPARE(m_messages->texts().size(), 1);
        QVERIFY(m_messages->texts().first().contains(QStringLiteral("Puls")));
        QCOMPARE(int(v->panels().size()), 2);
    }

    void shiftEnterOpensThePickListEditor_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("person");
        QTest::addColumn<bool>("editorReadOnly");
        QTest::newRow("editable") << false << int(ClubFixture::kAnna) << false;
        QTest::newRow("read-only, another person") << true << int(ClubFixture::kAnna) << false;
        QTest::newRow("read-only, the user himself") << true << int(ClubFixture::kCoach) << true;
    }
    void shiftEnterOpensThePickListEditor() {
        QFETCH(bool, readOnly);
        QFETCH(int, person);
        QFETCH(bool, editorReadOnly);
        EntryViewParams p;
        p.serienNr = 1;
        p.trNr = m_e1;
        p.formularNr = ClubFixture::kForm;
        p.person = person;
        p.user = ClubFixture::kCoach;
        p.readOnly = readOnly;
        TTrainingseintrag v(&m_host, p, &db());
        QList<QVariantList> calls;
        v.editPickList = [&](int f, int t, int feld, const QString &display, int who, bool ro) {
            calls << QVariantList{f, t, feld, display, who, ro};
        };
        v.build();
        v.show();
        auto *box =
            v.findChild<TDBLookupComboBox *>(QStringLiteral("F") + name(ClubFixture::kForm, 4, ClubFixture::kBlock, 3));
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0], (QVariantList{ClubFixture::kForm, ClubFixture::kBlock, 3, QStringLiteral("Belastung"),
                                         person, editorReadOnly}));
    }

    void layoutDragAndKeysAreSavedToTheirFieldRows() {
        layoutForm(ClubFixture::kBlock, {{QStringLiteral("Dauer")},
                                         {QStringLiteral("Strecke")},
                                         {QStringLiteral("Belastung")},
                                         {QStringLiteral("Notiz")}});
        {
            auto v = view(m_e1, false, 0, true);
            QCOMPARE(int(v->panels().size()), 1);
            TTrainingselement *p = v->panels()[0];
            QVERIFY(!p->isHeader());
            QCOMPARE(p->height(), 80); // the stored height is not applied in layout mode
            auto *strecke = p->findChild<QWidget *>(QStringLiteral("F") + name(0, 1, ClubFixture::kBlock, 2));
            QVERIFY(strecke);
            QCOMPARE(strecke->geometry(), QRect(100, 28, 100, 20));
            QTest::mousePress(strecke, Qt::LeftButton, {}, QPoint(2, 10));
            QTest::mouseMove(strecke, QPoint(12, 10));
            QTest::mouseRelease(strecke, Qt::LeftButton, {}, QPoint(2, 10));
            QCOMPARE(strecke->geometry(), QRect(110, 28, 90, 20));
            auto *dauer = p->findChild<QWidget *>(QStringLiteral("F") + name(0, 0, ClubFixture::kBlock, 1));
            QTest::keyClick(dauer, Qt::Key_Right, Qt::ControlModifier);
            QTest::keyClick(dauer, Qt::Key_Down, Qt::ShiftModifier);
            QCOMPARE(dauer->geometry(), QRect(101, 4, 100, 21));
            auto *label = p->findChild<QLabel *>(QStringLiteral("P") + name(0, 3, ClubFixture::kBlock, 4));
            QVERIFY(label);
            QTest::keyClick(label, Qt::Key_Left, Qt::ControlModifier); // labels take only the mouse
            p->setPanelSize(QSize(500, 120));
            v->saveLayout();
        }
        QCOMPARE(fieldValue(ClubFixture::kBlock, 2, QStringLiteral("Left")).toInt(), 110);
        QCOMPARE(fieldValue(ClubFixture::kBlock, 2, QStringLiteral("Width")).toInt(), 90);
        QCOMPARE(fieldValue(ClubFixture::kBlock, 1, QStringLiteral("Left")).toInt(), 101);
        QCOMPARE(fieldValue(ClubFixture::kBlock, 1, QStringLiteral("Height")).toInt(), 21);
        QCOMPARE(fieldValue(ClubFixture::kBlock, 3, QStringLiteral("Left")).toInt(), 100);
        QCOMPARE(fieldValue(ClubFixture::kBlock, 4, QStringLiteral("PrefixLeft")).toInt(), 20);
        Query block(db(),
                    QStringLiteral("select Height, Width from TRTABLE where TableNr = %1").arg(ClubFixture::kBlock));
        block.open();
        QCOMPARE(block.asInt(QStringLiteral("Height")), 120);
        QCOMPARE(block.asInt(QStringLiteral("Width")), 500);
    }

    void savingASubsetInAnotherOrderPairsByFieldNumber() {
        // A form that shows only Notiz and Strecke, in that order.
        const int form = ClubFixture::kForm + 1;
        test::UseBlock(db(), form, 0, 0, {1}, 0);
        test::UseBlock(
            db(), form, 1, ClubFixture::kBlock, {4, 2}, 1,
            {{}, {QStringLiteral("Strecke"), QStringLiteral("F")}, {}, {QStringLiteral("Notiz"), QStringLiteral("A")}});
        LoadFormElementCache(db(), nullptr);
        {
            auto v = view(m_e1, false, form, false, true);
            TTrainingselement *p = panel(*v, ClubFixture::kBlock);
            auto *notiz = p->findChild<QWidget *>(QStringLiteral("F") + name(form, 1, ClubFixture::kBlock, 4));
            QVERIFY(notiz);
            QCOMPARE(notiz->geometry(), QRect(100, 76, 100, 20));
            QTest::mousePress(notiz, Qt::LeftButton, {}, QPoint(50, 10));
            QTest::mouseMove(notiz, QPoint(40, 5));
            QTest::mouseRelease(notiz, Qt::LeftButton, {}, QPoint(50, 10));
            QCOMPARE(notiz->geometry(), QRect(90, 71, 100, 20));
            v->saveLayout();
        }
        QCOMPARE(fieldValue(ClubFixture::kBlock, 4, QStringLiteral("Left")).toInt(), 90);
        QCOMPARE(fieldValue(ClubFixture::kBlock, 4, QStringLiteral("Top")).toInt(), 71);
        QCOMPARE(fieldValue(ClubFixture::kBlock, 2, QStringLiteral("Top")).toInt(), 28);
        QCOMPARE(fieldValue(ClubFixture::kBlock, 1, QStringLiteral("Top")).toInt(), 4);
        QCOMPARE(fieldValue(ClubFixture::kBlock, 1, QStringLiteral("Left")).toInt(), 100);
        // The header block keeps its layout outside the layout editor.
        QCOMPARE(fieldValue(0, 1, QStringLiteral("Left")).toInt(), 100);
    }

    void gridBlockSavesOnlyDisplayWidthsAndItsSize() {
        layoutForm(kGrid, kGridFields);
        {
            auto v = view(m_e1, false, 0, true);
            TTrainingselement *p = v->panels()[0];
            TDBTypeGrid *grid = p->grid();
            const int charWidth = grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
            const int zeit = grid->cursorModel()->columnOfField(QStringLiteral("Zeit"));
            grid->horizontalHeader()->resizeSection(zeit, 25 * charWidth + 8);
            QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier); // sizes the grid, not the panel
            v->saveLayout();
        }
        QCOMPARE(fieldValue(kGrid, 2, QStringLiteral("DisplayWidth")).toInt(), 25);
        QCOMPARE(fieldValue(kGrid, 1, QStringLiteral("DisplayWidth")).toInt(), 10);
        QCOMPARE(fieldValue(kGrid, 2, QStringLiteral("Left")).toInt(), 100);
        QCOMPARE(fieldValue(kGrid, 2, QStringLiteral("Top")).toInt(), 28);
        Query block(db(), QStringLiteral("select Height, Width from TRTABLE where TableNr = %1").arg(kGrid));
        block.open();
        QCOMPARE(block.asInt(QStringLiteral("Height")), 80);
        QCOMPARE(block.asInt(QStringLiteral("Width")), TTrainingseintrag::kWidth - 4);
    }
};

QTEST_MAIN(TestTTrainingseintrag)
#include "tst_ttrainingseintrag.moc"
