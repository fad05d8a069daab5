// The link over rfc2217:// against a small Telnet server in the test, which answers the
// way a device server does (or misbehaves on purpose).

#include "link_event_log.h"
#include "serial_link.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using qv::SerialLink;
using Kind = LinkEventLog::Kind;

namespace {

constexpr int kWaitMs = 5000;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int value : values)
        out.append(char(value));
    return out;
}

QByteArray serverSays(std::initializer_list<int> payload)
{
    return bytes({0xFF, 0xFA, 0x2C}) + bytes(payload) + bytes({0xFF, 0xF0});
}

// ser2net 4.3's greeting and its answers to 9600 8N1 (none to DTR and RTS).
const QByteArray kGreeting =
    bytes({0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x01, 0xFF, 0xFE,
           0x01, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x2C});
const QByteArray kAcks = serverSays({0x65, 0x00, 0x00, 0x25, 0x80}) + serverSays({0x66, 8}) +
                         serverSays({0x67, 1}) + serverSays({0x68, 1}) + serverSays({0x69, 1});
// The client's SET-BAUDRATE 9600, as it must appear among what it sends.
const QByteArray kSetBaud9600 = serverSays({0x01, 0x00, 0x00, 0x25, 0x80});

} // namespace

class TestRfc2217Link : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensOnlyOnceTheLineIsAcknowledged();
    void receivedDataIsFreeOfTelnetWhateverTheSegments();
    void sentDataHasIacDoubled();
    void setupFailures_data();
    void setupFailures();
    void silentServerTimesOutWithAHint();
    void refusedConnectionFailsAndOpenRetries();
    void serverReasonBeforeHangingUpIsReported();
    void lossAfterOpenIsReportedOnceAndOpenRetries();

private:
    QString name() const
    {
        return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_server->serverPort());
    }
    // Starts the open and waits for the server's side of the connection.
    void connectPeer();
    // Answers the greeting and the acknowledgements as ser2net does; waits for opened().
    void openLikeSer2net();
    // Writes to the link in pieces of `size` bytes, each flushed on its own.
    void sendInPieces(const QByteArray& data, int size);

    std::unique_ptr<QTcpServer> m_server;
    QTcpSocket* m_peer = nullptr;
    QByteArray m_fromClient;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<LinkEventLog> m_log;
};

void TestRfc2217Link::init()
{
    m_server = std::make_unique<QTcpServer>();
    QVERIFY(m_server->listen(QHostAddress::LocalHost));
    m_link = std::make_unique<SerialLink>();
    m_log = std::make_unique<LinkEventLog>(*m_link);
    m_peer = nullptr;
    m_fromClient.clear();
}

void TestRfc2217Link::cleanup()
{
    m_log.reset();
    m_link.reset();
    m_server.reset();
}

void TestRfc2217Link::connectPeer()
{
    m_link->open(name());
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasPendingConnections(), kWaitMs);
    m_peer = m_server->nextPendingConnection();
    connect(m_peer, &QTcpSocket::readyRead, this, [this] { m_fromClient += m_peer->readAll(); });
}

void TestRfc2217Link::openLikeSer2net()
{
    connectPeer();
    m_peer->write(kGreeting);
    QTRY_VERIFY_WITH_TIMEOUT(m_fromClient.contains(kSetBaud9600), kWaitMs);
    QTest::qWait(50);
    QCOMPARE(m_log->count(Kind::Opened), 0);
    QVERIFY(!m_link->isOpen());
    m_peer->write(kAcks);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Opened), 1, kWaitMs);
    QVERIFY(m_link->isOpen());
}

void TestRfc2217Link::sendInPieces(const QByteArray& data, int size)
{
    for (qsizetype at = 0; at < data.size(); at += size) {
        m_peer->write(data.mid(at, size));
        m_peer->flush();
        QTest::qWait(5);
    }
}

// The client asks for BINARY, SGA and the COM-PORT-OPTION, refuses ECHO, sets 9600 8N1
// with no flow control and DTR/RTS on, and opens without DTR/RTS answers.
void TestRfc2217Link::opensOnlyOnceTheLineIsAcknowledged()
{
    openLikeSer2net();
    QVERIFY(m_fromClient.startsWith(bytes({0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x03,
                                           0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x2C})));
    for (const QByteArray& expected :
         {bytes({0xFF, 0xFE, 0x01}), kSetBaud9600, serverSays({0x02, 8}), serverSays({0x03, 1}),
          serverSays({0x04, 1}), serverSays({0x05, 1}), serverSays({0x05, 8}),
          serverSays({0x05, 11})})
        QVERIFY2(m_fromClient.contains(expected), qPrintable(expected.toHex(' ')));
    QCOMPARE(m_log->count(Kind::OpenFailed), 0);
}

void TestRfc2217Link::receivedDataIsFreeOfTelnetWhateverTheSegments()
{
    openLikeSer2net();
    QTRY_VERIFY_WITH_TIMEOUT(!m_link->isSettleTimerArmed(), kWaitMs);
    m_log->clear();
    const QByteArray wire = "STQ:0" + bytes({0xFF, 0xFF}) + "1\r\n" +
                            serverSays({0x6B, 0xFF, 0xFF}) + "MR485B:3,0" +
                            serverSays({0x6A, 0x60}) + bytes({0xFF, 0xF1}) + "\r\n";
    sendInPieces(wire, 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Settled), 1, kWaitMs);
    QCOMPARE(m_link->latestReply(), "STQ:0" + bytes({0xFF}) + "1\r\nMR485B:3,0\r\n");
}

void TestRfc2217Link::sentDataHasIacDoubled()
{
    openLikeSer2net();
    m_fromClient.clear();
    QVERIFY(m_link->send("PPPPPP#" + bytes({0xFF}) + "#"));
    const QByteArray expected = "PPPPPP#" + bytes({0xFF, 0xFF}) + "#";
    QTRY_COMPARE_WITH_TIMEOUT(m_fromClient, expected, kWaitMs);
}

void TestRfc2217Link::setupFailures_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("cause");

    QTest::newRow("COM-PORT-OPTION refused")
        << bytes({0xFF, 0xFB, 0x03, 0xFF, 0xFE, 0x2C})
        << "the server refuses the COM-PORT-OPTION (RFC 2217); for a plain connection type "
           "socket://127.0.0.1:%1";
    QTest::newRow("baud rate set to another value")
        << kGreeting + serverSays({0x65, 0x00, 0x01, 0xC2, 0x00})
        << "the server set the baud rate to 115200 instead of 9600; for a plain connection type "
           "socket://127.0.0.1:%1";
    QTest::newRow("parity set to even")
        << kGreeting + serverSays({0x67, 3})
        << "the server set the parity to even instead of none; for a plain connection type "
           "socket://127.0.0.1:%1";
}

void TestRfc2217Link::setupFailures()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, cause);
    connectPeer();
    m_peer->write(answer);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::OpenFailed), 1, kWaitMs);
    QCOMPARE(m_log->nth(Kind::OpenFailed, 0).message,
             "Cannot connect to " + name() + ": " +
                 cause.replace("%1", QString::number(m_server->serverPort())));
    QVERIFY(!m_link->isOpen());
    QTRY_COMPARE_WITH_TIMEOUT(m_peer->state(), QAbstractSocket::UnconnectedState, kWaitMs);
    QTest::qWait(200);
    QCOMPARE(m_log->count(Kind::OpenFailed), 1);
    QCOMPARE(m_log->count(Kind::Opened), 0);
    QCOMPARE(m_log->count(Kind::Lost), 0);
}

// A raw server (or none that speaks Telnet) never answers the negotiation.
void TestRfc2217Link::silentServerTimesOutWithAHint()
{
    connectPeer();
    QTest::qWait(2000);
    QCOMPARE(m_log->count(Kind::OpenFailed), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::OpenFailed), 1, kWaitMs);
    QCOMPARE(m_log->nth(Kind::OpenFailed, 0).message,
             QStringLiteral("Cannot connect to %1: the server sent no answer to the Telnet "
                            "negotiation within 3 s; for a plain connection type "
                            "socket://127.0.0.1:%2")
                 .arg(name())
                 .arg(m_server->serverPort()));
    QCOMPARE(m_log->count(Kind::Opened), 0);
}

// Nothing listens: the same report as for socket://, and the next open tries again.
void TestRfc2217Link::refusedConnectionFailsAndOpenRetries()
{
    const quint16 port = m_server->serverPort();
    m_server->close();
    m_link->open(QStringLiteral("rfc2217://127.0.0.1:%1").arg(port));
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::OpenFailed), 1, kWaitMs);
    QCOMPARE(
        m_log->nth(Kind::OpenFailed, 0).message,
        QStringLiteral("Cannot connect to rfc2217://127.0.0.1:%1: Connection refused").arg(port));
    QVERIFY(!m_link->isOpen());

    QVERIFY(m_server->listen(QHostAddress::LocalHost, port));
    m_log->clear();
    openLikeSer2net();
}

// ser2net refusing a client: its greeting, a line of text, and the connection closed.
void TestRfc2217Link::serverReasonBeforeHangingUpIsReported()
{
    connectPeer();
    m_peer->write(kGreeting + "Port already in use\r\n");
    m_peer->flush();
    m_peer->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::OpenFailed), 1, kWaitMs);
    QCOMPARE(m_log->nth(Kind::OpenFailed, 0).message,
             "Cannot connect to " + name() + ": the server said \"Port already in use\"");
    QTest::qWait(200);
    QCOMPARE(m_log->count(Kind::OpenFailed) + m_log->count(Kind::Lost), 1);
    QCOMPARE(m_log->count(Kind::Chunk), 0);
}

void TestRfc2217Link::lossAfterOpenIsReportedOnceAndOpenRetries()
{
    openLikeSer2net();
    m_peer->abort();
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Lost), 1, kWaitMs);
    const QString message = m_log->nth(Kind::Lost, 0).message;
    QVERIFY2(message.startsWith("Connection to " + name() + " lost: "), qPrintable(message));
    QVERIFY(!message.contains("said"));
    QVERIFY(!m_link->isOpen());
    QTest::qWait(300);
    QCOMPARE(m_log->count(Kind::Lost), 1);

    m_log->clear();
    m_fromClient.clear();
    openLikeSer2net();
}

QTEST_GUILESS_MAIN(TestRfc2217Link)
#include "tst_rfc2217_link.moc"
