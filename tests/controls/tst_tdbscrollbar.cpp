#include "controls/TDBScrollBar.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

class TestTDBScrollBar : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_inst = std::make_unique<test::TempInstallation>();
        ClubFixture club(m_inst->db());
        m_rows = std::make_unique<Cursor>(m_inst->db(), QStringLiteral("TR_1"));
        m_rows->open(); // by SerienNr;TrNr;Order: Dauer 60, 15, 45, 120, 50, 30
        m_bar = std::make_unique<TDBScrollBar>();
        m_bar->setRange(0, 200);
        m_bar->setDataField(QStringLiteral("Dauer"));
        m_bar->setDataSource(m_rows.get());
    }
    void cleanup() {
        m_bar.reset();
        m_rows.reset();
        m_inst.reset();
    }

    void followsTheRowWithoutWriting() {
        QCOMPARE(m_bar->value(), 60);
        m_rows->next();
        QCOMPARE(m_bar->value(), 15);
        m_rows->last();
        QCOMPARE(m_bar->value(), 30);
        QVERIFY(!m_rows->isEditing());
    }

    void changeWritesTheColumn() {
        QSignalSpy changed(m_bar.get(), &TDBScrollBar::changed);
        m_bar->setValue(100);
        QCOMPARE(changed.count(), 1);
        QVERIFY(m_rows->isEditing());
        QCOMPARE(m_rows->value(QStringLiteral("Dauer")).toInt(), 100);
        m_rows->post();
        Cursor check(m_inst->db(), QStringLiteral("TR_1"));
        check.open();
        QCOMPARE(check.value(QStringLiteral("Dauer")).toInt(), 100);
    }

    void readOnlyNeverWrites() {
        QSignalSpy changed(m_bar.get(), &TDBScrollBar::changed);
        m_bar->setReadOnly(true);
        m_bar->setValue(100);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!m_rows->isEditing());
        QCOMPARE(m_rows->value(QStringLiteral("Dauer")).toInt(), 60);
    }

    void readOnlyCursorIsNotWritten() {
        m_rows->setReadOnly(true);
        m_bar->setValue(90);
        QVERIFY(!m_rows->isEditing());
        QCOMPARE(m_rows->value(QStringLiteral("Dauer")).toInt(), 60);
    }

    void nullValueShowsTheMinimum() {
        m_rows->edit();
        m_rows->setValue(QStringLiteral("Dauer"), QVariant());
        m_rows->post();
        QCOMPARE(m_bar->value(), 0);
        QVERIFY(!m_rows->isEditing());
        QVERIFY(m_rows->value(QStringLiteral("Dauer")).isNull());
    }

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<Cursor> m_rows;
    std::unique_ptr<TDBScrollBar> m_bar;
};

QTEST_MAIN(TestTDBScrollBar)
#include "tst_tdbscrollbar.moc"
