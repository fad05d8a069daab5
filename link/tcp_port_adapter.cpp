#include "tcp_port_adapter.h"

#include "link_constants.h"

#include <QTcpSocket>
#include <QTimer>

namespace qv {

TcpPortAdapter::TcpPortAdapter(QObject* parent)
    : PortAdapter(parent), m_socket(new QTcpSocket(this)), m_connectTimer(new QTimer(this))
{
    m_connectTimer->setSingleShot(true);
    m_connectTimer->setInterval(kSocketConnectTimeout);
    connect(m_connectTimer, &QTimer::timeout, this, &TcpPortAdapter::onConnectTimedOut);
    connect(m_socket, &QTcpSocket::connected, this, &TcpPortAdapter::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpPortAdapter::dataArrived);
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
    m_state = State::Closed;
    m_connectTimer->stop();
    m_socket->abort();
}

bool TcpPortAdapter::isOpen() const
{
    return m_state == State::Connected;
}

bool TcpPortAdapter::write(const QByteArray& bytes)
{
    return m_state == State::Connected && m_socket->write(bytes) == bytes.size();
}

QByteArray TcpPortAdapter::readAll()
{
    return m_socket->readAll();
}

void TcpPortAdapter::onConnected()
{
    if (m_state != State::Connecting)
        return;
    m_connectTimer->stop();
    // Commands are a few bytes each: send them now rather than wait for more.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_state = State::Connected;
    emit opened();
}

void TcpPortAdapter::onErrorOccurred(QAbstractSocket::SocketError)
{
    if (m_state == State::Connecting)
        failConnect(m_socket->errorString());
    else if (m_state == State::Connected)
        loseConnection(m_socket->errorString());
}

void TcpPortAdapter::onDisconnected()
{
    if (m_state == State::Connected)
        loseConnection(QStringLiteral("The remote host closed the connection"));
}

void TcpPortAdapter::onConnectTimedOut()
{
    if (m_state == State::Connecting)
        failConnect(QStringLiteral("Connection timed out"));
}

void TcpPortAdapter::failConnect(const QString& cause)
{
    close();
    emit openFailed(QStringLiteral("Cannot connect to %1: %2").arg(m_typedName, cause));
}

void TcpPortAdapter::loseConnection(const QString& cause)
{
    m_state = State::Closed;
    // Bytes that came in before the loss are still handed on.
    if (m_socket->bytesAvailable() > 0)
        emit dataArrived();
    close();
    emit connectionLost(QStringLiteral("Connection to %1 lost: %2").arg(m_typedName, cause));
}

} // namespace qv
