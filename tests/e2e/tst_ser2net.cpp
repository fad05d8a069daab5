// The whole program through Debian's ser2net, a real serial device server, with the
// simulated instrument on a pseudo-terminal as ser2net's device: once with a raw TCP
// accepter (socket://) and once with telnet(rfc2217) (rfc2217://).

#include "e2e_steps.h"
#include "ser2net_process.h"
#include "sim_process.h"
#include "window_operator.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QTest>

using Mode = Ser2netProcess::Mode;

Q_DECLARE_METATYPE(Ser2netProcess::Mode)

namespace {

const QString kInstrumentLine = QStringLiteral("9600n81");
const QStringList kDistinctSettings = {
    "set address 42", "set baud 1",    "set parity 1", "set variable 1", "set ma4 3.5",
    "set ma20 19.5",  "set pz1 12",    "set pz2 105",  "set ad1urv 200", "set ad1lrv -10",
    "set ad1start 1", "set ad2urv 80", "set ad2lrv 5", "set ad2start 2",
};

void addModes()
{
    QTest::addColumn<Mode>("mode");
    QTest::newRow("raw") << Mode::Raw;
    QTest::newRow("rfc2217") << Mode::Rfc2217;
}

} // namespace

class Ser2netTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void readParametersAndSet_data() { addModes(); }
    void readParametersAndSet();
    void readParametersAtOnceAfterOpen_data() { addModes(); }
    void readParametersAtOnceAfterOpen();
    void killedWhileOpenThenRestarted_data() { addModes(); }
    void killedWhileOpenThenRestarted();
    void deviceMissingIsNamed_data() { addModes(); }
    void deviceMissingIsNamed();
    void portAlreadyTakenIsNamed_data() { addModes(); }
    void portAlreadyTakenIsNamed();
    void rfc2217SetsTheDeviceLine();
    void telnetServerOnSocketIsNamed();

private:
    // Starts ser2net for the simulator's pseudo-terminal (or `device`).
    bool startServer(Mode mode, const QString& line = kInstrumentLine, QString device = {});
    // Types the address, presses "Open" and waits for the one report it ends in.
    QString openExpectingReport(const QString& address);

    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<Ser2netProcess> m_server;
    std::unique_ptr<WindowOperator> m_operator;
    quint16 m_port = 0;
};

void Ser2netTest::initTestCase()
{
    if (Ser2netProcess::binary().isEmpty())
        QSKIP("ser2net is not installed (Debian package ser2net); the device server tests "
              "need it");
}

void Ser2netTest::init()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY2(m_sim->address().startsWith("/dev/"), qPrintable(m_sim->address()));
    m_operator = std::make_unique<WindowOperator>();
    m_port = Ser2netProcess::freePort();
}

// Any error report a test did not take for itself was not expected.
void Ser2netTest::cleanup()
{
    const QStringList unexpected = m_operator ? m_operator->takeReports() : QStringList{};
    m_operator.reset();
    m_server.reset();
    QVERIFY(!m_sim || m_sim->stop());
    m_sim.reset();
    QCOMPARE(unexpected, QStringList{});
}

bool Ser2netTest::startServer(Mode mode, const QString& line, QString device)
{
    m_server = std::make_unique<Ser2netProcess>();
    return m_server->start(mode, m_port, device.isEmpty() ? m_sim->address() : device, line);
}

QString Ser2netTest::openExpectingReport(const QString& address)
{
    QLineEdit* portName = m_operator->control<QComboBox>("SPREALCOM")->lineEdit();
    portName->selectAll();
    QTest::keyClicks(portName, address);
    m_operator->click("Button10");
    if (!QTest::qWaitFor([this] { return !m_operator->reports().isEmpty(); }, 8000))
        return QStringLiteral("<no report>");
    QTest::qWait(300); // a second report would show by now
    const QStringList reports = m_operator->takeReports();
    return reports.size() == 1 ? reports.first() : reports.join(QStringLiteral(" | "));
}

void Ser2netTest::readParametersAndSet()
{
    QFETCH(Mode, mode);
    QVERIFY(startServer(mode));
    QVERIFY(m_operator->open(m_server->address()));
    QVERIFY(applyAll(*m_sim, kDistinctSettings));
    QVERIFY(readParametersMatchesInstrument(*m_operator, *m_sim));

    m_operator->retype("Station", "77");
    m_operator->click("Button4");
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Memo8"), QString("OK\n"), kAnswerTimeoutMs);
    QCOMPARE(m_sim->config().value("address"), QString("077"));
}

// "Read Parameters" clicked the moment "Close" shows: nothing of the connection's set-up
// may cut or spoil the answer.
void Ser2netTest::readParametersAtOnceAfterOpen()
{
    QFETCH(Mode, mode);
    QVERIFY(startServer(mode));
    QVERIFY(applyAll(*m_sim, kDistinctSettings));
    const QMap<QString, QString> config = m_sim->config();
    // Runs after the window's own handler has turned the caption to "Close".
    QObject::connect(
        &m_operator->window().link(), &qv::SerialLink::opened,
        m_operator->control<QWidget>("Button32"),
        [this] {
            QCOMPARE(m_operator->shown("Button10"), QString("Close"));
            m_operator->click("Button32");
        },
        Qt::SingleShotConnection);
    QLineEdit* portName = m_operator->control<QComboBox>("SPREALCOM")->lineEdit();
    portName->selectAll();
    QTest::keyClicks(portName, m_server->address());
    m_operator->click("Button10");
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Memo8"), parameterAnswerView(config),
                              kAnswerTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(parameterLine(m_operator->parameters()), parameterLine(config),
                              kAnswerTimeoutMs);
    QTRY_COMPARE(m_operator->window().link().requestCode(), qv::RequestCode::rcIdle);
}

void Ser2netTest::killedWhileOpenThenRestarted()
{
    QFETCH(Mode, mode);
    QVERIFY(startServer(mode));
    QVERIFY(m_operator->open(m_server->address()));
    m_server->kill();
    QTRY_COMPARE_WITH_TIMEOUT(m_operator->shown("Button10"), QString("Open"), kAnswerTimeoutMs);
    QTest::qWait(300);
    const QStringList reports = m_operator->takeReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().startsWith("Connection to " + m_server->address() + " lost: "),
             qPrintable(reports.first()));
    QVERIFY(!m_operator->window().PortOpen());
    QVERIFY(!m_operator->control<QPushButton>("Button14")->isEnabled());

    QVERIFY(startServer(mode));
    QVERIFY(m_operator->open(m_server->address()));
    QVERIFY(readParametersMatchesInstrument(*m_operator, *m_sim));
}

void Ser2netTest::deviceMissingIsNamed()
{
    QFETCH(Mode, mode);
    QVERIFY(startServer(mode, kInstrumentLine, "/dev/qv418k-no-such-device"));
    // A report ending in a quote gets no period added.
    const QString reason = "the server said \"Device open failure: Value or file not found\"";
    const QString expected = mode == Mode::Raw
                                 ? "Connection to " + m_server->address() + " lost: " + reason
                                 : "Cannot connect to " + m_server->address() + ": " + reason;
    QCOMPARE(openExpectingReport(m_server->address()), expected);
    QCOMPARE(m_operator->shown("Button10"), QString("Open"));
    QVERIFY(!m_operator->window().PortOpen());
}

// Another client holds ser2net's port.
void Ser2netTest::portAlreadyTakenIsNamed()
{
    QFETCH(Mode, mode);
    QVERIFY(startServer(mode));
    QTcpSocket other;
    other.connectToHost(QHostAddress::LocalHost, m_port);
    QVERIFY(other.waitForConnected(3000));
    QTest::qWait(200);

    const QString report = openExpectingReport(m_server->address());
    QVERIFY2(
        report.contains(QRegularExpression("the server said \"Port('s device)? already in use\"$")),
        qPrintable(report));
    QVERIFY(!m_operator->window().PortOpen());
}

// ser2net's connector is at 115200 baud, 2 stop bits: over socket:// the instrument stays
// deaf; over rfc2217:// the program sets 9600 8N1 on the device itself and gets its
// answer. (A pseudo-terminal always keeps 8 bits without parity, so those two cannot be
// shown to change here.)
void Ser2netTest::rfc2217SetsTheDeviceLine()
{
    const QString otherLine = QStringLiteral("115200n82");
    QVERIFY(startServer(Mode::Raw, otherLine));
    QVERIFY(m_operator->open(m_server->address()));
    QTRY_COMPARE(m_sim->control("show line"), QString("line 115200 8N2"));
    m_operator->click("Button14");
    QTest::qWait(1500);
    QCOMPARE(m_operator->shown("Memo8"), QString());
    m_operator->click("Button10");
    m_server.reset();

    QVERIFY(startServer(Mode::Rfc2217, otherLine));
    QVERIFY(m_operator->open(m_server->address()));
    QCOMPARE(m_sim->control("show line"), QString("line 9600 8N1"));
    QVERIFY(readParametersMatchesInstrument(*m_operator, *m_sim));
}

// socket:// typed for a Telnet accepter: told once, closed, and no negotiation shown.
void Ser2netTest::telnetServerOnSocketIsNamed()
{
    QVERIFY(startServer(Mode::Rfc2217));
    const QString socketAddress = QStringLiteral("socket://127.0.0.1:%1").arg(m_port);
    const QString report = openExpectingReport(socketAddress);
    QCOMPARE(report, "The server at " + socketAddress + " speaks Telnet: type " +
                         m_server->address() + " instead.");
    QCOMPARE(m_operator->shown("Memo8"), QString());
    QCOMPARE(m_operator->shown("Button10"), QString("Open"));
}

QTEST_MAIN(Ser2netTest)
#include "tst_ser2net.moc"
