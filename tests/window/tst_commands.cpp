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

    const auto row = [](const char* sentence, const char* button, const QVariantMap& fields,
                        RequestCode pendingBefore, const QByteArray& frame,
                        RequestCode pendingAfter, const QString& sendView, const QString& report) {
        QTest::newRow(sentence) << button << fields << pendingBefore << frame << pendingAfter
                                << sendView << report;
    };
    // A frame that went out is shown in the send view; a refused one leaves it alone.
    const auto sent = [&row](const char* sentence, const char* button, const QVariantMap& fields,
                             RequestCode pendingBefore, const QByteArray& frame,
                             RequestCode pendingAfter) {
        row(sentence, button, fields, pendingBefore, frame, pendingAfter, frame, "");
    };
    const auto refused = [&row](const char* sentence, const char* button, const QVariantMap& fields,
                                const QString& report) {
        row(sentence, button, fields, RequestCode::rcParameterRead, {},
            RequestCode::rcParameterRead, kPreviousFrame, report);
    };

    const RequestCode idle = RequestCode::rcIdle;
    const RequestCode parameters = RequestCode::rcParameterRead;
    const RequestCode status = RequestCode::rcStatusRead;
    const QVariantMap initial;

    sent("Communication Test asks VAR and awaits a link test", "Button14", initial, idle,
         "PPPPPP#VAR#", RequestCode::rcLinkTest);
    sent("Read Parameters asks CHEACK1 (15 bytes) and awaits parameters", "Button32", initial,
         status, "PPPPPP#CHEACK1#", parameters);
    sent("Real-Time Data asks STATUS and awaits a status answer", "Button124", initial, idle,
         "PPPPPP#STATUS#", status);
    sent("Output Value asks AA and awaits a status answer", "Button3", initial, parameters,
         "PPPPPP#AA#", status);

    sent("address set sends the initial 000 and gives up a query still unanswered", "Button4",
         initial, parameters, "TARVEN#ST:000#", idle);
    sent("address 7 is sent zero-padded", "Button4", {{"Station", "7"}}, idle, "TARVEN#ST:007#",
         idle);
    sent("address 123456 is sent in full", "Button4", {{"Station", "123456"}}, idle,
         "TARVEN#ST:123456#", idle);
    refused("an empty address is refused and nothing is sent", "Button4", {{"Station", ""}},
            "'' is not a valid integer value.");

    row("RS-485 set sends both indices and leaves the send view as it was", "Button188",
        {{"MR485BT", 4}, {"MR485JN", 2}}, parameters, "TARVEN#MR485B:4,2#", idle, kPreviousFrame,
        "");
    row("RS-485 set with no baud rate selected sends -1", "Button188", {{"MR485BT", -1}}, idle,
        "TARVEN#MR485B:-1,0#", idle, kPreviousFrame, "");
    row("RS-485 set with a typed parity that names no item sends -1", "Button188",
        {{"MR485JN", "Mark"}}, idle, "TARVEN#MR485B:3,-1#", idle, kPreviousFrame, "");
    row("RS-485 set with a typed parity that names an item sends its index", "Button188",
        {{"MR485JN", "Odd"}}, idle, "TARVEN#MR485B:3,1#", idle, kPreviousFrame, "");

    sent("output set with empty values leaves empty slots", "Button52", initial, idle,
         "TARVEN#DAV:0,,#", idle);
    sent("output set sends the variable index and both values as typed", "Button52",
         {{"ComboBox1", 1}, {"DAVL", "4.00"}, {"DAVH", "-20.5"}}, idle, "TARVEN#DAV:1,4.00,-20.5#",
         idle);
    sent("output set with no variable selected sends -1", "Button52",
         {{"ComboBox1", -1}, {"DAVL", "4"}, {"DAVH", "20"}}, idle, "TARVEN#DAV:-1,4,20#", idle);
    refused("a 4 mA value holding a comma is refused and nothing is sent", "Button52",
            {{"DAVL", "4,5"}}, "'4,5' cannot be sent to the instrument.");

    sent("AD1 set sends URV, LRV and starting point unchanged", "AD1SET",
         {{"AD1H", "100"}, {"AD1L", "0"}, {"AD1LD", "4"}}, idle, "TARVEN#AD01:100,0,4#", idle);
    sent("AD2 set sends -1.5 as it stands", "AD2SET",
         {{"AD2H", "-1.5"}, {"AD2L", "000.0"}, {"AD2LD", "4."}}, idle, "TARVEN#AD02:-1.5,000.0,4.#",
         idle);
    refused("an AD1 URV holding # is refused and nothing is sent", "AD1SET", {{"AD1H", "1#2"}},
            "'1#2' cannot be sent to the instrument.");

    sent("fine-tuning AD1 -5 is sent as -005", "Button1", {{"Edit1", "-5"}}, idle,
         "TARVEN#PZ1:-005#", idle);
    sent("fine-tuning AD1 150 is sent as 150", "Button1", {{"Edit1", "150"}}, idle,
         "TARVEN#PZ1:150#", idle);
    sent("fine-tuning AD1 with a leading blank is sent as 012", "Button1", {{"Edit1", " 12"}}, idle,
         "TARVEN#PZ1:012#", idle);
    refused("fine-tuning AD1 with a trailing blank is refused, quoting the blank", "Button1",
            {{"Edit1", "12 "}}, "'12 ' is not a valid integer value.");
    sent("fine-tuning AD2 47 is sent as 047", "Button2", {{"Edit2", "47"}}, idle, "TARVEN#PZ2:047#",
         idle);
    refused("fine-tuning AD2 holding letters is refused", "Button2", {{"Edit2", "abc"}},
            "'abc' is not a valid integer value.");
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
