// The whole program against the simulated instrument over socket://127.0.0.1:PORT, as
// over a serial device server: the same window and link, a TCP connection for a line.

#include "e2e_steps.h"
#include "sim_process.h"
#include "window_operator.h"

#include <QPushButton>
#include <QTest>

using qv::RequestCode;

class SocketTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openAndCommunicationTest();
    void readEditSetAndReadAgain();
    void realTimeDataFillsReadings();
    void dropClosesWindowAndSameAddressReopens();

private:
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<WindowOperator> m_operator;
};

void SocketTest::init()
{
    m_sim = std::make_unique<SimProcess>(QStringList{"--tcp", "0"});
    QVERIFY2(m_sim->address().startsWith("socket://127.0.0.1:"), qPrintable(m_sim->address()));
    m_operator = std::make_unique<WindowOperator>();
    QVERIFY(m_operator->open(m_sim->address()));
    QTRY_VERIFY(!m_operator->window().link().isSettleTimerArmed());
}

// Any error report a test did not take for itself was not expected.
void SocketTest::cleanup()
{
    const QStringList unexpected = m_operator ? m_operator->takeReports() : QStringList{};
    m_operator.reset();
    QVERIFY(!m_sim || m_sim->stop());
    m_sim.reset();
    QCOMPARE(unexpected, QStringList{});
}

void SocketTest::openAndCommunicationTest()
{
    QCOMPARE(m_operator->shown("Button10"), QString("Close"));
    QVERIFY(m_operator->control<QPushButton>("Button14")->isEnabled());

    m_operator->click("Button14");
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Memo8"), QString("QV418K-TR SIM V1.0\n"),
                              kAnswerTimeoutMs);

    m_operator->click("Button10");
    QCOMPARE(m_operator->shown("Button10"), QString("Open"));
    QVERIFY(!m_operator->control<QPushButton>("Button14")->isEnabled());
    QVERIFY(!m_operator->window().PortOpen());
}

void SocketTest::readEditSetAndReadAgain()
{
    QVERIFY(applyAll(*m_sim, {"set pz1 105", "set ad2urv 75.5"}));
    QVERIFY(readParametersMatchesInstrument(*m_operator, *m_sim));
    QCOMPARE(m_operator->shown("AD2H"), QString("075.5"));

    m_operator->retype("Station", "77");
    m_operator->click("Button4");
    QCOMPARE(m_operator->shown("discomm"), QString("TARVEN#ST:077#"));
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Memo8"), QString("OK\n"), kAnswerTimeoutMs);
    QCOMPARE(m_sim->config().value("address"), QString("077"));

    QTRY_VERIFY(!m_operator->window().link().isSettleTimerArmed());
    QVERIFY(readParametersMatchesInstrument(*m_operator, *m_sim));
}

void SocketTest::realTimeDataFillsReadings()
{
    QVERIFY(applyAll(*m_sim, {"set a01 4", "set a02 0", "set a03 -5.5"}));
    m_operator->click("Button124");
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("AD3XS"), QString("-05.50"), kAnswerTimeoutMs);
    QCOMPARE(m_operator->shown("AD1XS"), QString("04.000"));
    QCOMPARE(m_operator->shown("AD2XS"), QString("000.00"));
    QCOMPARE(m_operator->shown("Station"), QString("001"));
}

// The device server closes the connection: the window closes and says so once; the
// listener stays, so the same address opens again.
void SocketTest::dropClosesWindowAndSameAddressReopens()
{
    const QString address = m_sim->address();
    QVERIFY(m_sim->apply("drop"));
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Button10"), QString("Open"), kAnswerTimeoutMs);
    QVERIFY(!m_operator->control<QPushButton>("Button14")->isEnabled());
    QVERIFY(!m_operator->window().PortOpen());
    QTest::qWait(300);
    QCOMPARE(
        m_operator->takeReports(),
        QStringList{"Connection to " + address + " lost: The remote host closed the connection."});

    QCOMPARE(m_sim->address(), address);
    QVERIFY(m_operator->open(address));
    QVERIFY(readParametersMatchesInstrument(*m_operator, *m_sim));
}

QTEST_MAIN(SocketTest)
#include "tst_socket.moc"
