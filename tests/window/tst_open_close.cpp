// The Open/Close button and what the window shows of the port's state.

#include "window_harness.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QTest>

using qv::RequestCode;

class OpenCloseTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_harness = std::make_unique<WindowHarness>(); }
    void cleanup() { m_harness.reset(); }

    void failedOpenLeavesWindowClosedAndNextPressTriesAgain();
    void failedOpenAfterCloseLeavesCommunicationTestDisabled();
    void typedComNameBeyondTheListIsTheOneOpened();
    void openAndCloseOverPseudoTerminal();
    void lostDeviceClosesWindowAndReportsOnce();

private:
    QPushButton* openClose() const { return m_harness->control<QPushButton>("Button10"); }
    QPushButton* linkTest() const { return m_harness->control<QPushButton>("Button14"); }
    void typePortName(const QString& name);

    std::unique_ptr<WindowHarness> m_harness;
};

void OpenCloseTest::typePortName(const QString& name)
{
    auto* port = m_harness->control<QComboBox>("SPREALCOM");
    port->lineEdit()->selectAll();
    QTest::keyClicks(port->lineEdit(), name);
    QCOMPARE(port->currentText(), name);
}

// A port name beyond the list (typed by the operator) that does not exist.
void OpenCloseTest::failedOpenLeavesWindowClosedAndNextPressTriesAgain()
{
    typePortName("COM99");
    m_harness->click("Button10");
    QTRY_COMPARE(m_harness->reportTexts(), QStringList{"Error opening serial port."});
    QCOMPARE(openClose()->text(), QString("Open"));
    QVERIFY(!m_harness->window().PortOpen());
    QVERIFY(linkTest()->isEnabled());

    m_harness->click("Button10");
    QTRY_COMPARE(m_harness->reports.size(), 2);
    QCOMPARE(m_harness->reports.last().text, QString("Error opening serial port."));
    QCOMPARE(openClose()->text(), QString("Open"));
    QVERIFY(!m_harness->window().PortOpen());
}

void OpenCloseTest::failedOpenAfterCloseLeavesCommunicationTestDisabled()
{
    PtyPair pty;
    QVERIFY(m_harness->openOn(pty));
    m_harness->click("Button10");
    QVERIFY(!linkTest()->isEnabled());

    typePortName("/dev/qv418k-no-such-port");
    m_harness->click("Button10");
    QTRY_COMPARE(m_harness->reports.size(), 1);
    QCOMPARE(openClose()->text(), QString("Open"));
    QVERIFY(!linkTest()->isEnabled());
    QVERIFY(!m_harness->window().PortOpen());
}

// COM20 is not among the items, but typed in it names the twentieth serial port.
void OpenCloseTest::typedComNameBeyondTheListIsTheOneOpened()
{
    typePortName("COM20");
    m_harness->click("Button10");
    auto* port = m_harness->window().link().findChild<QSerialPort*>("Comm1");
    QVERIFY(port);
    QCOMPARE(port->portName(), QString("ttyS19"));
    if (!QFile::exists("/dev/ttyS19")) {
        QTRY_COMPARE(m_harness->reportTexts(), QStringList{"Error opening serial port."});
        QCOMPARE(openClose()->text(), QString("Open"));
    }
}

void OpenCloseTest::openAndCloseOverPseudoTerminal()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    linkTest()->setEnabled(false);
    QVERIFY(m_harness->openOn(pty));
    QCOMPARE(openClose()->text(), QString("Close"));
    QVERIFY(linkTest()->isEnabled());
    m_harness->window().link().setRequestCode(RequestCode::rcStatusRead);

    m_harness->click("Button10");
    QCOMPARE(openClose()->text(), QString("Open"));
    QVERIFY(!linkTest()->isEnabled());
    QVERIFY(!m_harness->window().PortOpen());

    // Opening again works, and the pending request survives the cycle.
    m_harness->click("Button10");
    QTRY_COMPARE(openClose()->text(), QString("Close"));
    QVERIFY(m_harness->window().PortOpen());
    QVERIFY(linkTest()->isEnabled());
    QCOMPARE(m_harness->window().link().requestCode(), RequestCode::rcStatusRead);
    QVERIFY(m_harness->reports.isEmpty());
}

// The far end hangs up (an unplugged adapter): the window returns to the closed state as
// a "Close" press would, and tells the operator once.
void OpenCloseTest::lostDeviceClosesWindowAndReportsOnce()
{
    PtyPair pty;
    QVERIFY(m_harness->openOn(pty));
    pty.closeMaster();
    QTRY_COMPARE(openClose()->text(), QString("Open"));
    QVERIFY(!linkTest()->isEnabled());
    QVERIFY(!m_harness->window().PortOpen());
    QTest::qWait(300);
    QCOMPARE(m_harness->reports.size(), 1);
    QVERIFY(!m_harness->reports.first().text.isEmpty());
}

QTEST_MAIN(OpenCloseTest)
#include "tst_open_close.moc"
