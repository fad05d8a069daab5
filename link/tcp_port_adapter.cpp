#include "tcp_port_adapter.h"

#include "link_constants.h"
#include "server_farewell.h"
#include "telnet_codec.h"

#include <QTcpSocket>
#include <QTimer>

namespace qv {

namespace {

const QString kRfc2217Scheme = QStringLiteral("rfc2217://");
const QString kRemoteClosed = QStringLiteral("The remote host closed the connection");

} // namespace

TcpPortAdapter::TcpPortAdapter(QObject* parent)
    : PortAdapter(parent), m_socket(new QTcpSocket(this)), m_connectTimer(new QTimer(this))
{
    m_connectTimer->setSingleShot(true);
    m_connectTimer->setInterval(kSocketConnectTimeout);
    connect(m_connectTimer, &QTimer::timeout, this, &TcpPortAdapter::onConnectTimedOut);
    connect(m_socket, &QTcpSocket::connected, this, &TcpPortAdapter::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpPortAdapter::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpPortAdapter::onErrorOccurred);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpPortAdapter::onDisconnected);
}

void TcpPortAdapter::open(const PortTarget& target)
{
    close();
    m_typedName = target.typed;
    m_state = State::Connecting;
    m_connectTimer->start();
    m_socket->connectToHost(target.host, target.port);
}

// Aborting rather than closing: output not yet sent is discarded, as on a serial port.
void TcpPortAdapter::close()
{
    const bool hadConnection = m_state != State::Closed;
    m_state = State::Closed;
    m_connectTimer->stop();
    m_socket->abort();
    m_data.clear();
    m_head.clear();
    m_farewell.clear();
    if (hadConnection)
        endSession();
}

bool TcpPortAdapter::isOpen() const
{
    return m_state == State::Connected;
}

bool TcpPortAdapter::write(const QByteArray& bytes)
{
    if (m_state != State::Connected)
        return false;
    m_sentData = true;
    const QByteArray wire = encode(bytes);
    return m_socket->write(wire) == wire.size();
}

QByteArray TcpPortAdapter::readAll()
{
    return std::exchange(m_data, {});
}

void TcpPortAdapter::startSession()
{
    m_checkingHead = true;
    reportOpened();
}

// A raw connection passes everything on, except a Telnet server's greeting: its
// negotiation would only be garbage in the receive view, and its NUL bytes would cut
// the answers that follow.
QByteArray TcpPortAdapter::decode(const QByteArray& received)
{
    if (!m_checkingHead)
        return received;
    m_head += received;
    if (m_head.size() < 2 && m_head.startsWith(char(telnet::kIac)))
        return {};
    m_checkingHead = false;
    if (telnet::startsNegotiation(m_head.toStdString())) {
        dropConnection(QStringLiteral("The server at %1 speaks Telnet: type %2 instead")
                           .arg(m_typedName, typedWithScheme(kRfc2217Scheme)));
        return {};
    }
    return std::exchange(m_head, {});
}

void TcpPortAdapter::reportOpened()
{
    m_state = State::Connected;
    emit opened();
}

void TcpPortAdapter::failOpen(const QString& cause)
{
    close();
    emit openFailed(QStringLiteral("Cannot connect to %1: %2").arg(m_typedName, cause));
}

void TcpPortAdapter::dropConnection(const QString& message)
{
    close();
    emit connectionLost(message);
}

void TcpPortAdapter::sendRaw(const QByteArray& bytes)
{
    if (m_state != State::Closed)
        m_socket->write(bytes);
}

QString TcpPortAdapter::typedWithScheme(const QString& scheme) const
{
    const qsizetype end = m_typedName.indexOf(QStringLiteral("://"));
    return end < 0 ? m_typedName : scheme + m_typedName.mid(end + 3);
}

void TcpPortAdapter::onConnected()
{
    if (m_state != State::Connecting)
        return;
    m_connectTimer->stop();
    // Commands are a few bytes each: send them now rather than wait for more.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_state = State::SettingUp;
    m_sentData = false;
    m_lastReceipt.start();
    startSession();
}

void TcpPortAdapter::onReadyRead()
{
    if (m_state == State::SettingUp || m_state == State::Connected)
        receive();
}

// What arrives while the session is still being set up is dropped, as a serial port
// purges its input on open; it still counts as the server's farewell.
void TcpPortAdapter::receive()
{
    const bool wasOpen = m_state == State::Connected;
    const QByteArray data = decode(m_socket->readAll());
    if (m_state == State::Closed || data.isEmpty())
        return;
    keepFarewell(data);
    if (wasOpen && m_state == State::Connected) {
        m_data += data;
        emit dataArrived();
    }
}

void TcpPortAdapter::keepFarewell(const QByteArray& data)
{
    m_lastReceipt.start();
    if (!m_sentData && m_farewell.size() <= qsizetype(kMaxFarewellBytes))
        m_farewell += data;
}

void TcpPortAdapter::onErrorOccurred(QAbstractSocket::SocketError)
{
    if (m_state == State::Connecting) {
        failOpen(m_socket->errorString());
    } else if (m_state == State::SettingUp || m_state == State::Connected) {
        loseConnection(m_socket->errorString());
    }
}

void TcpPortAdapter::onDisconnected()
{
    if (m_state == State::SettingUp || m_state == State::Connected)
        loseConnection(kRemoteClosed);
}

void TcpPortAdapter::onConnectTimedOut()
{
    if (m_state == State::Connecting)
        failOpen(QStringLiteral("Connection timed out"));
}

// A device server that refuses a client says why in a line of text and hangs up at
// once; that text, not the socket's error, is what the operator needs.
QString TcpPortAdapter::hangUpCause(const QString& socketCause) const
{
    if (m_sentData || m_lastReceipt.elapsed() > kFarewellWindow.count())
        return socketCause;
    const auto text = farewellText(m_farewell.toStdString());
    return text ? QStringLiteral("the server said \"%1\"").arg(QString::fromStdString(*text))
                : socketCause;
}

void TcpPortAdapter::loseConnection(const QString& cause)
{
    // Bytes that came in before the loss are still handed on.
    if (m_socket->bytesAvailable() > 0)
        receive();
    if (m_state == State::Closed)
        return;
    const QString reason = hangUpCause(cause);
    if (m_state == State::SettingUp) {
        failOpen(reason);
        return;
    }
    dropConnection(QStringLiteral("Connection to %1 lost: %2").arg(m_typedName, reason));
}

} // namespace qv
