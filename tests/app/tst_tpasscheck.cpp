#include "app/LoginValues.h"
#include "app/TPassCheck.h"
#include "base/Log.h"
#include "base/PasswordCode.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using Kind = velmora::test::MessageRecorder::Kind;

namespace {
const QString kWrong = QStringLiteral("Ungültiges Paßwort.");

// The number left-aligned in a column of seven characters, the tag right after it.
QString logTail(int personNr, const QString &tag) {
    return QLatin1Char(' ') + QString::number(personNr).leftJustified(7) + tag;
}

void setPerson(Database &db, int personNr, const QVariant &code, const QVariant &status) {
    Cursor c(db, QStringLiteral("PERSON"));
    c.open();
    QVERIFY(c.locate(QStringLiteral("PersonNr"), personNr));
    c.edit();
    c.setValue(QStringLiteral("Paßwort"), code);
    c.setValue(QStringLiteral("Status"), status);
    c.post();
}
} // namespace

class TestTPassCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_inst = std::make_unique<test::TempInstallation>();
        ClubFixture club(m_inst->db());
        Database &db = m_inst->db();
        setPerson(db, ClubFixture::kAnna, PasswordCode(ClubFixture::kAnna, QStringLiteral("geheim")), "T");
        setPerson(db, ClubFixture::kCoach, PasswordCode(ClubFixture::kCoach, QStringLiteral("trainer")), "T");
        setPerson(db, ClubFixture::kJugend, PasswordCode(ClubFixture::kJugend, QStringLiteral("gruppe")), "G");
        // Paul has no code at all; Otto's code is that of the empty password.
        setPerson(db, ClubFixture::kPaul, QVariant(), "T");
        setPerson(db, ClubFixture::kOtto, PasswordCode(ClubFixture::kOtto, QString()), "T");
        InitPaths(m_inst->dir() + QStringLiteral("/velmora5"), m_inst->dir(), db.directory(),
                  m_inst->copyDb().directory());
        InitLog();
        m_logStart = logLines().size();
    }
    void cleanup() {
        settings().Wappen.clear();
        m_inst.reset();
    }

    void opensOnTheFirstPersonWithTwoColumns() {
        TPassCheck w(nullptr, QStringLiteral("TB"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Zugangskontrolle zu Velmora 5.3"));
        QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(w.attempts(), 0);
        QCOMPARE(w.tag(), QStringLiteral("TB"));
        QCOMPARE(w.dbgPerson->objectName(), QStringLiteral("dbgPerson"));
        QCOMPARE(w.txtPasswort->echoMode(), QLineEdit::Password);
        QCOMPARE(w.btnOk->text(), QStringLiteral("OK"));
        QVERIFY(w.btnOk->isDefault());
        QCOMPARE(w.btnAbbruch->text(), QStringLiteral("Abbruch"));
        QVERIFY(w.dbgPerson->horizontalHeader()->isHidden());
        QVERIFY(w.dbgPerson->verticalHeader()->isHidden());
        QCOMPARE(w.dbgPerson->typePrefix(), QStringLiteral("T"));
        const CursorModel *model = w.dbgPerson->cursorModel();
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->fieldName(0), QStringLiteral("Nachname"));
        QCOMPARE(model->fieldName(1), QStringLiteral("Vorname"));
        QCOMPARE(model->displayWidth(0), 20);
        QCOMPARE(model->displayWidth(1), 15);
        // Senioren has no status and sorts first.
        QCOMPARE(w.tblPerson().recNo(), 0);
        QCOMPARE(w.personNr(), int(ClubFixture::kSenioren));
        QVERIFY(w.isGroup());
        QCOMPARE(w.dbgPerson->currentIndex().row(), 0);
    }

    void rightPasswordLogsIn() {
        test::MessageRecorder messages;
        TPassCheck w(nullptr, QStringLiteral("TB"));
        QVERIFY(w.locatePerson(ClubFixture::kAnna));
        w.setPassword(QStringLiteral("geheim"));
        w.btnOkClick();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(messages.entries().isEmpty());
        QCOMPARE(w.personNr(), int(ClubFixture::kAnna));
        QCOMPARE(w.gruppenNr(), int(ClubFixture::kJugend));
        QCOMPARE(w.vorname(), QStringLiteral("Anna"));
        QCOMPARE(w.nachname(), QStringLiteral("Berg"));
        QVERIFY(!w.isGroup());
        const QStringList lines = newLogLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("P   ")), qPrintable(lines[0]));
        QVERIFY2(lines[0].endsWith(logTail(ClubFixture::kAnna, QStringLiteral("TB"))), qPrintable(lines[0]));
    }

    void fourthWrongPasswordCloses() {
        test::MessageRecorder messages;
        TPassCheck w(nullptr, QStringLiteral("1."));
        QSignalSpy finished(&w, &QDialog::finished);
        w.show();
        QVERIFY(w.locatePerson(ClubFixture::kAnna));
        for (int attempt = 1; attempt <= 3; ++attempt) {
            w.setPassword(QStringLiteral("falsch%1").arg(attempt));
            QTest::mouseClick(w.btnOk, Qt::LeftButton);
            QVERIFY(w.isVisible()); // still open
            QCOMPARE(finished.size(), 0);
            QCOMPARE(w.attempts(), attempt);
            QCOMPARE(messages.texts(Kind::Error).size(), attempt);
        }
        // The right password after three failures still works; the fourth failure closes.
        w.setPassword(QStringLiteral("GEHEIM"));
        QTest::mouseClick(w.btnOk, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
        QCOMPARE(messages.texts(Kind::Error), QStringList(4, kWrong));
        const QStringList lines = newLogLines();
        QCOMPARE(lines.size(), 4);
        for (const QString &line : lines) {
            QVERIFY2(line.startsWith(QStringLiteral("P X ")), qPrintable(line));
            QVERIFY2(line.endsWith(logTail(ClubFixture::kAnna, QStringLiteral("1."))), qPrintable(line));
        }
    }

    void rightPasswordAfterThreeFailures() {
        test::MessageRecorder messages;
        TPassCheck w(nullptr, QStringLiteral("TB"));
        QVERIFY(w.locatePerson(ClubFixture::kCoach));
        for (int attempt = 0; attempt < 3; ++attempt) {
            w.setPassword(QStringLiteral("x"));
            w.btnOkClick();
        }
        w.setPassword(QStringLiteral("trainer"));
        w.btnOkClick();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const QStringList lines = newLogLines();
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[3].startsWith(QStringLiteral("P   ")));
    }

    void emptyPasswordIsRefused_data() {
        QTest::addColumn<int>("person");
        QTest::newRow("person with a password") << int(ClubFixture::kAnna);
        QTest::newRow("person without any code") << int(ClubFixture::kPaul);
        QTest::newRow("code of the empty password") << int(ClubFixture::kOtto);
    }
    void emptyPasswordIsRefused() {
        QFETCH(int, person);
        test::MessageRecorder messages;
        TPassCheck w(nullptr, QStringLiteral("TB"));
        w.show();
        QVERIFY(w.locatePerson(person));
        w.setPassword(QString());
        w.btnOkClick();
        QVERIFY(w.isVisible()); // still open for another attempt
        QCOMPARE(w.attempts(), 1);
        QCOMPARE(messages.texts(Kind::Error), QStringList{kWrong});
        const QStringList lines = newLogLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].startsWith(QStringLiteral("P X ")));
        QVERIFY(lines[0].contains(QString::number(person)));
    }

    void groupLogsInUnderItsCoach() {
        test::MessageRecorder messages;
        TPassCheck w(nullptr, QStringLiteral("TB"));
        QVERIFY(w.locatePerson(ClubFixture::kJugend));
        QVERIFY(w.isGroup());
        w.setPassword(QStringLiteral("gruppe"));
        w.btnOkClick();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        const LoginValues v = LoginValuesFor(m_inst->db(), w.personNr());
        QCOMPARE(v.personNr, int(ClubFixture::kJugend));
        QCOMPARE(v.gruppenNr, int(ClubFixture::kJugend));
        QCOMPARE(v.trainerNr, int(ClubFixture::kCoach));
        QCOMPARE(v.statusText, QStringLiteral("Angemeldet:  Jugend"));
    }

    void loginValuesOfAPerson() {
        const LoginValues v = LoginValuesFor(m_inst->db(), ClubFixture::kAnna);
        QCOMPARE(v.personNr, int(ClubFixture::kAnna));
        QCOMPARE(v.gruppenNr, int(ClubFixture::kJugend));
        QCOMPARE(v.trainerNr, int(ClubFixture::kAnna));
        QCOMPARE(v.statusText, QStringLiteral("Angemeldet: Anna Berg"));
        // A group without a coach has none.
        QCOMPARE(LoginValuesFor(m_inst->db(), ClubFixture::kSenioren).trainerNr, 0);
        QVERIFY_THROWS_EXCEPTION(VelmoraError, LoginValuesFor(m_inst->db(), 4711));
    }

    void typeAheadFindsTheFamilyName() {
        TPassCheck w(nullptr, QStringLiteral("TB"));
        // The search reads the current row: it must be one of status T.
        QVERIFY(w.locatePerson(ClubFixture::kAnna));
        QTest::keyClicks(w.dbgPerson, QStringLiteral("me"));
        QCOMPARE(w.personNr(), int(ClubFixture::kPaul));
        QCOMPARE(w.dbgPerson->currentIndex().row(), w.tblPerson().recNo());
        QVERIFY(!w.isGroup());
        QTest::keyClick(w.dbgPerson, Qt::Key_Down);
        QCOMPARE(w.personNr(), int(ClubFixture::kCoach));
        QTest::keyClicks(w.dbgPerson, QStringLiteral("b"));
        QCOMPARE(w.personNr(), int(ClubFixture::kAnna));
    }

    void keyboard() {
        test::MessageRecorder messages;
        TPassCheck w(nullptr, QStringLiteral("TB"));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.dbgPerson->setFocus();
        QVERIFY(w.locatePerson(ClubFixture::kOtto));
        QTest::keyClicks(w.dbgPerson, QStringLiteral("berg"));
        QCOMPARE(w.personNr(), int(ClubFixture::kAnna));
        QTest::keyClick(w.dbgPerson, Qt::Key_Tab);
        QVERIFY(w.txtPasswort->hasFocus());
        QVERIFY(w.dbgPerson->typedText().isEmpty());
        // Function keys go nowhere, in the grid as in the password edit.
        for (QWidget *target : {static_cast<QWidget *>(w.dbgPerson), static_cast<QWidget *>(w.txtPasswort)}) {
            for (int key : {int(Qt::Key_F1), int(Qt::Key_F12), int(Qt::Key_F24)}) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QApplication::sendEvent(target, &press);
                QVERIFY(press.isAccepted());
            }
        }
        QKeyEvent notAFunctionKey(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(w.txtPasswort, &notAFunctionKey);
        QVERIFY(!notAFunctionKey.isAccepted());
        QTest::keyClicks(w.txtPasswort, QStringLiteral("geheim"));
        QCOMPARE(w.txtPasswort->displayText(), QString(6, QLatin1Char('*')));
        QTest::keyClick(w.txtPasswort, Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(messages.entries().isEmpty());
    }

    void escapeCancels() {
        TPassCheck w(nullptr, QStringLiteral("TB"));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.dbgPerson->setFocus();
        QTest::keyClick(w.dbgPerson, Qt::Key_Escape);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(!w.isVisible());
        QCOMPARE(newLogLines().size(), 0);
    }

    void abbruchCancels() {
        TPassCheck w(nullptr, QStringLiteral("TB"));
        QSignalSpy finished(&w, &QDialog::finished);
        w.show();
        QVERIFY(w.isVisible());
        QTest::mouseClick(w.btnAbbruch, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(QDialog::Rejected));
        QCOMPARE(newLogLines().size(), 0);
    }

    void crest_data() {
        QTest::addColumn<bool>("readable");
        QTest::newRow("a picture") << true;
        QTest::newRow("not a picture") << false;
    }
    void crest() {
        QFETCH(bool, readable);
        test::MessageRecorder messages;
        const QString file = m_inst->dir() + QStringLiteral("/wappen.png");
        if (readable) {
            QImage image(300, 200, QImage::Format_RGB32);
            image.fill(Qt::red);
            QVERIFY(image.save(file));
        } else {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("kein Bild");
        }
        settings().Wappen = file;
        TPassCheck w(nullptr, QStringLiteral("TB"));
        const QPixmap shown = w.imgWappen->pixmap();
        QCOMPARE(!shown.isNull(), readable);
        if (readable)
            QVERIFY(shown.width() <= w.pnlWappen->width() && shown.height() <= w.pnlWappen->height());
        QVERIFY(messages.entries().isEmpty());
    }

private:
    QStringList logLines() const {
        QFile f(paths().logFileName);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QStringList newLogLines() const { return logLines().mid(m_logStart); }

    std::unique_ptr<test::TempInstallation> m_inst;
    int m_logStart = 0;
};

QTEST_MAIN(TestTPassCheck)
#include "tst_tpasscheck.moc"
