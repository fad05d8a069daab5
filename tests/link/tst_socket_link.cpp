#include "link_event_log.h"
#include "serial_link.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using qv::SerialLink;
using Kind = LinkEventLog::Kind;

namespace {

constexpr int kWaitMs = 5000;
const QByteArray kQueryFrame = "PPPPPP#CHEACK1#";

QString socketName(quint16 port)
{
    return QStringLiteral("socket://127.0.0.1:%1").arg(port);
}

// A port on which nothing listens: taken, then given back.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

} // namespace

// The link against a local TCP server standing in for a serial device server.
class TestSocketLink : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void connectsInTheBackgroundAndSendsFramesExact();
    void burstWithShortGapsIsOneChunk();
    void chunksWhileSettlingAreAppended();
    void refusedConnectionFailsToOpen();
    void badAddressFailsToOpen_data();
    void badAddressFailsToOpen();
    void connectThatNeverFinishesFailsAfterTimeout();
    void closeDuringConnectCancelsIt();
    void secondOpenDuringConnectReplacesIt();
    void serverClosingLosesConnectionOnce();
    void bytesBeforeServerCloseAreDelivered();
    void telnetServerIsNamedAndClosed_data();
    void telnetServerIsNamedAndClosed();
    void serverReasonBeforeHangingUpIsQuoted();
    void answerBeforeHangingUpIsNoReason();

private:
    void connectLink();

    std::unique_ptr<QTcpServer> m_server;
    QTcpSocket* m_peer = nullptr; // the server's side of the link's connection
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<LinkEventLog> m_log;
};

void TestSocketLink::init()
{
    m_server = std::make_unique<QTcpServer>();
    QVERIFY(m_server->listen(QHostAddress::LocalHost));
    m_link = std::make_unique<SerialLink>();
    m_log = std::make_unique<LinkEventLog>(*m_link);
    m_peer = nullptr;
}

void TestSocketLink::cleanup()
{
    m_log.reset();
    m_link.reset();
    m_server.reset();
}

void TestSocketLink::connectLink()
{
    m_link->open(socketName(m_server->serverPort()));
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Opened), 1, kWaitMs);
    QVERIFY(m_link->isOpen());
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasPendingConnections(), kWaitMs);
    m_peer = m_server->nextPendingConnection();
}

void TestSocketLink::connectsInTheBackgroundAndSendsFramesExact()
{
    m_link->open(socketName(m_server->serverPort()));
    // Not connected yet: open() returned without waiting.
    QCOMPARE(m_log->count(Kind::Opened), 0);
    QVERIFY(!m_link->isOpen());
    QVERIFY(!m_link->send(kQueryFrame));

    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Opened), 1, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_server->hasPendingConnections(), kWaitMs);
    m_peer = m_server->nextPendingConnection();
    QVERIFY(m_link->send(kQueryFrame));
    QVERIFY(m_link->send("STCAVE#STC?:#"));
    QByteArray received;
    const QByteArray expected = kQueryFrame + "STCAVE#STC?:#";
    QTRY_COMPARE_WITH_TIMEOUT((received += m_peer->readAll(), received), expected, kWaitMs);
    QCOMPARE(m_log->count(Kind::OpenFailed), 0);
}

void TestSocketLink::burstWithShortGapsIsOneChunk()
{
    connectLink();
    m_peer->write("STC0:");
    m_peer->flush();
    QTest::qWait(30);
    m_peer->write("001,A01:");
    m_peer->flush();
    QTest::qWait(30);
    m_peer->write(QByteArray("012.34\0", 7));
    m_peer->flush();
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 1, kWaitMs);
    QTest::qWait(200);
    QCOMPARE(m_log->chunks(), QList<QByteArray>{QByteArray("STC0:001,A01:012.34\0", 20)});
}

void TestSocketLink::chunksWhileSettlingAreAppended()
{
    connectLink();
    QTRY_VERIFY_WITH_TIMEOUT(!m_link->isSettleTimerArmed(), kWaitMs);
    m_log->clear();
    m_peer->write("STQ:001,");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 1, kWaitMs);
    m_peer->write("DAV:004.0#");
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Chunk), 2, kWaitMs);
    QCOMPARE(m_link->latestReply(), QByteArray("STQ:001,DAV:004.0#"));
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Settled), 1, kWaitMs);
}

void TestSocketLink::refusedConnectionFailsToOpen()
{
    const quint16 port = closedPort();
    m_link->open(socketName(port));
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::OpenFailed), 1, kWaitMs);
    QCOMPARE(
        m_log->nth(Kind::OpenFailed, 0).message,
        QStringLiteral("Cannot connect to socket://127.0.0.1:%1: Connection refused").arg(port));
    QVERIFY(!m_link->isOpen());
    QTest::qWait(200);
    QCOMPARE(m_log->count(Kind::OpenFailed), 1);
    QCOMPARE(m_log->count(Kind::Opened), 0);

    // The next open tries again.
    connectLink();
}

void TestSocketLink::badAddressFailsToOpen_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("no port") << "socket://127.0.0.1"
                             << "Cannot connect to socket://127.0.0.1: expected ";
    QTest::newRow("port out of range")
        << "socket://127.0.0.1:70000"
        << "Cannot connect to socket://127.0.0.1:70000: invalid port";
    QTest::newRow("a host name that cannot resolve")
        << "socket://no-such-host.invalid:4001"
        << "Cannot connect to socket://no-such-host.invalid:4001: ";
}

void TestSocketLink::badAddressFailsToOpen()
{
    QFETCH(QString, portName);
    QFETCH(QString, messageStart);
    m_link->open(portName);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::OpenFailed), 1, 2 * kWaitMs);
    const QString message = m_log->nth(Kind::OpenFailed, 0).message;
    QVERIFY2(message.startsWith(messageStart) && message.size() > messageStart.size(),
             qPrintable(message));
    QVERIFY(!m_link->isOpen());
}

// A listener whose accept queue is full drops further SYNs, so a connect to it hangs
// until the link gives up.
void TestSocketLink::connectThatNeverFinishesFailsAfterTimeout()
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&address), length) == 0);
    QVERIFY(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0);
    QVERIFY(::listen(listener, 0) == 0);
    const quint16 port = ntohs(address.sin_port);

    // Fill the accept queue without accepting.
    QList<QTcpSocket*> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.append(new QTcpSocket(this));
        fillers.last()->connectToHost(QHostAddress::LocalHost, port);
    }
    QTest::qWait(300);

    m_link->open(socketName(port));
    QTest::qWait(3000);
    QCOMPARE(m_log->count(Kind::OpenFailed), 0); // still trying: the connect hangs
    QVERIFY(!m_link->isOpen());
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::OpenFailed), 1, 3 * kWaitMs);
    QCOMPARE(
        m_log->nth(Kind::OpenFailed, 0).message,
        QStringLiteral("Cannot connect to socket://127.0.0.1:%1: Connection timed out").arg(port));
    QCOMPARE(m_log->count(Kind::Opened), 0);
    QVERIFY(!m_link->isOpen());
    qDeleteAll(fillers);
    ::close(listener);
}

// Closing while the connect is under way abandons it silently: the operator asked for
// the port to be closed, so neither opened() nor openFailed() follows.
void TestSocketLink::closeDuringConnectCancelsIt()
{
    m_link->open(socketName(m_server->serverPort()));
    m_link->close();
    QTest::qWait(300);
    QCOMPARE(m_log->count(Kind::Opened), 0);
    QCOMPARE(m_log->count(Kind::OpenFailed), 0);
    QVERIFY(!m_link->isOpen());
    QVERIFY(!m_link->send(kQueryFrame));
}

// A second open while the first is connecting abandons the first silently.
void TestSocketLink::secondOpenDuringConnectReplacesIt()
{
    QTcpServer second;
    QVERIFY(second.listen(QHostAddress::LocalHost));
    m_link->open(socketName(m_server->serverPort()));
    m_link->open(socketName(second.serverPort()));
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Opened), 1, kWaitMs);
    QTest::qWait(200);
    QCOMPARE(m_log->count(Kind::Opened), 1);
    QCOMPARE(m_log->count(Kind::OpenFailed), 0);

    QTRY_VERIFY_WITH_TIMEOUT(second.hasPendingConnections(), kWaitMs);
    QTcpSocket* peer = second.nextPendingConnection();
    QVERIFY(m_link->send(kQueryFrame));
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT((received += peer->readAll(), received), kQueryFrame, kWaitMs);
}

void TestSocketLink::serverClosingLosesConnectionOnce()
{
    connectLink();
    m_peer->close();
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Lost), 1, kWaitMs);
    QVERIFY(!m_link->isOpen());
    const QString prefix =
        QStringLiteral("Connection to %1 lost: ").arg(socketName(m_server->serverPort()));
    const QString message = m_log->nth(Kind::Lost, 0).message;
    QVERIFY2(message.startsWith(prefix) && message.size() > prefix.size(), qPrintable(message));
    QTest::qWait(300);
    QCOMPARE(m_log->count(Kind::Lost), 1);
    QVERIFY(!m_link->send(kQueryFrame));

    // The next open connects afresh.
    m_log->clear();
    connectLink();
}

void TestSocketLink::bytesBeforeServerCloseAreDelivered()
{
    connectLink();
    m_peer->write("AD01:100.0");
    m_peer->close(); // flushes, then closes
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Lost), 1, kWaitMs);
    QCOMPARE(m_log->chunks(), QList<QByteArray>{"AD01:100.0"});
    QVERIFY(m_log->nth(Kind::Chunk, 0).atMs <= m_log->nth(Kind::Lost, 0).atMs);
}

void TestSocketLink::telnetServerIsNamedAndClosed_data()
{
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<int>("pieceSize");
    // ser2net's telnet(rfc2217) greeting: IAC WILL SGA, IAC DO SGA, ... IAC DO COM-PORT.
    const QByteArray ser2net = QByteArray::fromHex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2c");
    QTest::newRow("whole greeting") << ser2net << int(ser2net.size());
    QTest::newRow("greeting cut after its first byte") << ser2net << 1;
    QTest::newRow("IAC DONT first") << QByteArray::fromHex("fffe01") << 3;
}

// Its negotiation is never taken for an answer: no chunk, one report naming the address
// to use instead.
void TestSocketLink::telnetServerIsNamedAndClosed()
{
    QFETCH(QByteArray, greeting);
    QFETCH(int, pieceSize);
    connectLink();
    for (qsizetype at = 0; at < greeting.size(); at += pieceSize) {
        m_peer->write(greeting.mid(at, pieceSize));
        m_peer->flush();
        QTest::qWait(20);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Lost), 1, kWaitMs);
    const quint16 port = m_server->serverPort();
    QCOMPARE(m_log->nth(Kind::Lost, 0).message,
             QStringLiteral("The server at socket://127.0.0.1:%1 speaks Telnet: type "
                            "rfc2217://127.0.0.1:%1 instead")
                 .arg(port));
    QVERIFY(!m_link->isOpen());
    QTRY_COMPARE_WITH_TIMEOUT(m_peer->state(), QAbstractSocket::UnconnectedState, kWaitMs);
    QTest::qWait(200);
    QCOMPARE(m_log->count(Kind::Lost), 1);
    QCOMPARE(m_log->count(Kind::Chunk), 0);
}

// ser2net refusing a client: a line of text, then the connection closed at once.
void TestSocketLink::serverReasonBeforeHangingUpIsQuoted()
{
    connectLink();
    m_peer->write("Port already in use\r\n");
    m_peer->close();
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Lost), 1, kWaitMs);
    QCOMPARE(m_log->nth(Kind::Lost, 0).message,
             QStringLiteral("Connection to %1 lost: the server said \"Port already in use\"")
                 .arg(socketName(m_server->serverPort())));
    QCOMPARE(m_log->chunks(), QList<QByteArray>{"Port already in use\r\n"});
}

// Text that came after a frame was sent is the instrument's answer, not a reason.
void TestSocketLink::answerBeforeHangingUpIsNoReason()
{
    connectLink();
    QVERIFY(m_link->send(kQueryFrame));
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT((received += m_peer->readAll(), received), kQueryFrame, kWaitMs);
    m_peer->write("OK\r\n");
    m_peer->close();
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(Kind::Lost), 1, kWaitMs);
    QCOMPARE(m_log->nth(Kind::Lost, 0).message,
             QStringLiteral("Connection to %1 lost: The remote host closed the connection")
                 .arg(socketName(m_server->serverPort())));
}

QTEST_GUILESS_MAIN(TestSocketLink)
#include "tst_socket_link.moc"
