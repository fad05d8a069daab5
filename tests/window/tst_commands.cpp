// Every command button, pressed with the mouse, with the frame read back at the far end
// of a pseudo-terminal.

#include "window_harness.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using qv::RequestCode;

Q_DECLARE_METATYPE(qv::RequestCode)

namespace {

const QString kPreviousFrame = "PPPPPP#VAR#";
const QString kEarlierAnswer = "earlier answer";

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void buttonSendsFrame_data();
    void buttonSendsFrame();
    void queryWithPortClosedStillShowsFrameAndSetsRequest();

private:
    void setUpFields(const QVariantMap& fields);

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<WindowHarness> m_harness;
};

void CommandsTest::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    m_harness = std::make_unique<WindowHarness>();
}

void CommandsTest::cleanup()
{
    m_harness.reset();
    m_pty.reset();
}

// Line edits take the text as it stands; a combo box takes an item index, or text typed
// over it when given as text.
void CommandsTest::setUpFields(const QVariantMap& fields)
{
    for (auto field = fields.begin(); field != fields.end(); ++field) {
        QWidget* widget = m_harness->control<QWidget>(qPrintable(field.key()));
        QVERIFY2(widget, qPrintable(field.key()));
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(field.value().toString());
            continue;
        }
        auto* combo = qobject_cast<QComboBox*>(widget);
        QVERIFY2(combo, qPrintable(field.key()));
        if (field.value().typeId() == QMetaType::Int) {
            combo->setCurrentIndex(field.value().toInt());
        } else {
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), field.value().toString());
        }
    }
}

void CommandsTest::buttonSendsFrame_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<RequestCode>("pendingBefore");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<RequestCode>("pendingAfter");
    QTest::addColumn<QString>("sendView");
    QTest::addColumn<QString>("report");

    const RequestCode idle = RequestCode::rcIdle;
    const RequestCode parameters = RequestCode::rcParameterRead;
    const RequestCode status = RequestCode::rcStatusRead;
    const QVariantMap initial;

    QTest::newRow("Communication Test asks VAR and awaits a link test")
        << "Button14" << initial << idle << QByteArray("PPPPPP#VAR#") << RequestCode::rcLinkTest
        << "PPPPPP#VAR#" << "";
    QTest::newRow("Read Parameters asks CHEACK1 (15 bytes) and awaits parameters")
        << "Button32" << initial << status << QByteArray("PPPPPP#CHEACK1#") << parameters
        << "PPPPPP#CHEACK1#" << "";
    QTest::newRow("Real-Time Data asks STATUS and awaits a status answer")
        << "Button124" << initial << idle << QByteArray("PPPPPP#STATUS#") << status
        << "PPPPPP#STATUS#" << "";
    QTest::newRow("Output Value asks AA and awaits a status answer")
        << "Button3" << initial << parameters << QByteArray("PPPPPP#AA#") << status
        << "PPPPPP#AA#" << "";

    QTest::newRow("address set sends the initial 000, leaving a pending query in place")
        << "Button4" << initial << parameters << QByteArray("TARVEN#ST:000#") << parameters
        << "TARVEN#ST:000#" << "";
    QTest::newRow("address 7 is sent zero-padded")
        << "Button4" << QVariantMap{{"Station", "7"}} << idle << QByteArray("TARVEN#ST:007#")
        << idle << "TARVEN#ST:007#" << "";
    QTest::newRow("address 123456 is sent in full")
        << "Button4" << QVariantMap{{"Station", "123456"}} << idle
        << QByteArray("TARVEN#ST:123456#") << idle << "TARVEN#ST:123456#" << "";
    QTest::newRow("an empty address is refused and nothing is sent")
        << "Button4" << QVariantMap{{"Station", ""}} << idle << QByteArray() << idle
        << kPreviousFrame << "'' is not a valid integer value.";

    QTest::newRow("RS-485 set sends both indices and leaves the send view as it was")
        << "Button188" << QVariantMap{{"MR485BT", 4}, {"MR485JN", 2}} << parameters
        << QByteArray("TARVEN#MR485B:4,2#") << parameters << kPreviousFrame << "";
    QTest::newRow("RS-485 set with no baud rate selected sends -1")
        << "Button188" << QVariantMap{{"MR485BT", -1}} << idle
        << QByteArray("TARVEN#MR485B:-1,0#") << idle << kPreviousFrame << "";
    QTest::newRow("RS-485 set with a typed parity that names no item sends -1")
        << "Button188" << QVariantMap{{"MR485JN", "Mark"}} << idle
        << QByteArray("TARVEN#MR485B:3,-1#") << idle << kPreviousFrame << "";
    QTest::newRow("RS-485 set with a typed parity that names an item sends its index")
        << "Button188" << QVariantMap{{"MR485JN", "Odd"}} << idle
        << QByteArray("TARVEN#MR485B:3,1#") << idle << kPreviousFrame << "";

    QTest::newRow("output set with empty values leaves empty slots")
        << "Button52" << initial << idle << QByteArray("TARVEN#DAV:0,,#") << idle
        << "TARVEN#DAV:0,,#" << "";
    QTest::newRow("output set sends the variable index and both values as typed")
        << "Button52" << QVariantMap{{"ComboBox1", 1}, {"DAVL", "4.00"}, {"DAVH", "-20.5"}}
        << idle << QByteArray("TARVEN#DAV:1,4.00,-20.5#") << idle << "TARVEN#DAV:1,4.00,-20.5#"
        << "";
    QTest::newRow("output set with no variable selected sends -1")
        << "Button52" << QVariantMap{{"ComboBox1", -1}, {"DAVL", "4"}, {"DAVH", "20"}} << idle
        << QByteArray("TARVEN#DAV:-1,4,20#") << idle << "TARVEN#DAV:-1,4,20#" << "";
    QTest::newRow("a 4 mA value holding a comma is refused and nothing is sent")
        << "Button52" << QVariantMap{{"DAVL", "4,5"}} << idle << QByteArray() << idle
        << kPreviousFrame << "'4,5' cannot be sent to the instrument.";

    QTest::newRow("AD1 set sends URV, LRV and starting point unchanged")
        << "AD1SET" << QVariantMap{{"AD1H", "100"}, {"AD1L", "0"}, {"AD1LD", "4"}} << idle
        << QByteArray("TARVEN#AD01:100,0,4#") << idle << "TARVEN#AD01:100,0,4#" << "";
    QTest::newRow("AD2 set sends -1.5 as it stands")
        << "AD2SET" << QVariantMap{{"AD2H", "-1.5"}, {"AD2L", "000.0"}, {"AD2LD", "4."}} << idle
        << QByteArray("TARVEN#AD02:-1.5,000.0,4.#") << idle << "TARVEN#AD02:-1.5,000.0,4.#"
        << "";
    QTest::newRow("an AD1 URV holding # is refused and nothing is sent")
        << "AD1SET" << QVariantMap{{"AD1H", "1#2"}} << idle << QByteArray() << idle
        << kPreviousFrame << "'1#2' cannot be sent to the instrument.";

    QTest::newRow("fine-tuning AD1 -5 is sent as -005")
        << "Button1" << QVariantMap{{"Edit1", "-5"}} << idle << QByteArray("TARVEN#PZ1:-005#")
        << idle << "TARVEN#PZ1:-005#" << "";
    QTest::newRow("fine-tuning AD1 150 is sent as 150")
        << "Button1" << QVariantMap{{"Edit1", "150"}} << idle << QByteArray("TARVEN#PZ1:150#")
        << idle << "TARVEN#PZ1:150#" << "";
    QTest::newRow("fine-tuning AD1 with a leading blank is sent as 012")
        << "Button1" << QVariantMap{{"Edit1", " 12"}} << idle << QByteArray("TARVEN#PZ1:012#")
        << idle << "TARVEN#PZ1:012#" << "";
    QTest::newRow("fine-tuning AD1 with a trailing blank is refused, quoting the blank")
        << "Button1" << QVariantMap{{"Edit1", "12 "}} << parameters << QByteArray() << parameters
        << kPreviousFrame << "'12 ' is not a valid integer value.";
    QTest::newRow("fine-tuning AD2 47 is sent as 047")
        << "Button2" << QVariantMap{{"Edit2", "47"}} << idle << QByteArray("TARVEN#PZ2:047#")
        << idle << "TARVEN#PZ2:047#" << "";
    QTest::newRow("fine-tuning AD2 holding letters is refused")
        << "Button2" << QVariantMap{{"Edit2", "abc"}} << idle << QByteArray() << idle
        << kPreviousFrame << "'abc' is not a valid integer value.";
}

void CommandsTest::buttonSendsFrame()
{
    QFETCH(QString, button);
    QFETCH(QVariantMap, fields);
    QFETCH(RequestCode, pendingBefore);
    QFETCH(QByteArray, frame);
    QFETCH(RequestCode, pendingAfter);
    QFETCH(QString, sendView);
    QFETCH(QString, report);

    QVERIFY(m_harness->openOn(*m_pty));
    qv::SerialLink& link = m_harness->window().link();
    // The settle timer is armed when the window is created; let that first expiry pass.
    QTRY_VERIFY(!link.isSettleTimerArmed());
    setUpFields(fields);
    link.setRequestCode(pendingBefore);
    auto* sendViewEdit = m_harness->control<QLineEdit>("discomm");
    auto* receiveView = m_harness->control<QPlainTextEdit>("Memo8");
    sendViewEdit->setText(kPreviousFrame);
    receiveView->setPlainText(kEarlierAnswer);

    m_harness->click(qPrintable(button));

    QCOMPARE(link.requestCode(), pendingAfter);
    QCOMPARE(sendViewEdit->text(), sendView);
    QCOMPARE(m_harness->reportTexts(), report.isEmpty() ? QStringList() : QStringList{report});
    QCOMPARE(receiveView->toPlainText(), report.isEmpty() ? QString() : kEarlierAnswer);
    if (frame.isEmpty()) {
        QTest::qWait(100);
        QCOMPARE(m_pty->takeReceived(), QByteArray());
    } else {
        QByteArray received = m_pty->receive(frame.size());
        QTest::qWait(20);
        received += m_pty->takeReceived();
        QCOMPARE(received, frame);
    }
}

// With no port open the frame is still shown and the query still awaited; the link
// drops the bytes without a word.
void CommandsTest::queryWithPortClosedStillShowsFrameAndSetsRequest()
{
    m_harness->control<QPlainTextEdit>("Memo8")->setPlainText(kEarlierAnswer);
    m_harness->click("Button32");
    QCOMPARE(m_harness->window().link().requestCode(), RequestCode::rcParameterRead);
    QCOMPARE(m_harness->control<QLineEdit>("discomm")->text(), QString("PPPPPP#CHEACK1#"));
    QCOMPARE(m_harness->control<QPlainTextEdit>("Memo8")->toPlainText(), QString());
    QVERIFY(m_harness->reports.isEmpty());
    QVERIFY(!m_harness->window().PortOpen());
}

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
