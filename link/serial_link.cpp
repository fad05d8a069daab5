#include "serial_link.h"

#include "chunk_assembler.h"
#include "latest_reply.h"
#include "link_constants.h"
#include "port_name.h"
#include "rfc2217_port_adapter.h"
#include "serial_port_adapter.h"
#include "tcp_port_adapter.h"

#include <QTimer>

namespace qv {

SerialLink::SerialLink(QObject* parent)
    : QObject(parent), m_serialPort(new SerialPortAdapter(this)),
      m_socketPort(new TcpPortAdapter(this)), m_rfc2217Port(new Rfc2217PortAdapter(this)),
      m_chunks(new ChunkAssembler(this)), m_settleTimer(new QTimer(this))
{
    for (PortAdapter* port : {m_serialPort, m_socketPort, m_rfc2217Port}) {
        connect(port, &PortAdapter::opened, this, &SerialLink::opened);
        connect(port, &PortAdapter::openFailed, this, &SerialLink::openFailed);
        connect(port, &PortAdapter::dataArrived, this, &SerialLink::onDataArrived);
        connect(port, &PortAdapter::connectionLost, this, &SerialLink::onConnectionLost);
    }
    connect(m_chunks, &ChunkAssembler::chunkReady, this, &SerialLink::onChunk);

    m_settleTimer->setObjectName(QStringLiteral("Timer6"));
    m_settleTimer->setSingleShot(true);
    m_settleTimer->setTimerType(Qt::PreciseTimer);
    m_settleTimer->setInterval(kSettleInterval);
    connect(m_settleTimer, &QTimer::timeout, this, &SerialLink::settleTimerExpired);
    // Armed from the start; its first expiry finds nothing pending.
    m_settleTimer->start();
}

SerialLink::~SerialLink() = default;

void SerialLink::open(const QString& portName)
{
    close();
    const PortTarget target = resolvePortName(portName);
    if (target.kind == PortTarget::Kind::Invalid) {
        emit openFailed(target.error);
        return;
    }
    m_activePort = adapterFor(target);
    m_activePort->open(target);
}

// Also abandons a socket connect still in progress, without a signal.
void SerialLink::close()
{
    if (m_activePort == nullptr)
        return;
    m_activePort->close();
    m_activePort = nullptr;
    m_chunks->discard();
    emit closed();
}

bool SerialLink::isOpen() const
{
    return m_activePort != nullptr && m_activePort->isOpen();
}

bool SerialLink::send(const QByteArray& frame)
{
    if (frame.isEmpty() || !isOpen() || !m_activePort->write(frame))
        return false;
    emit frameSent(frame);
    return true;
}

RequestCode SerialLink::requestCode() const
{
    return m_requestCode;
}

void SerialLink::setRequestCode(RequestCode code)
{
    m_requestCode = code;
}

void SerialLink::beginCommand(RequestCode query)
{
    if (m_activePort != nullptr)
        takeArrivedBytes();
    m_chunks->flush();
    if (m_settleTimer->isActive()) {
        m_settleTimer->stop();
        emit settleTimerExpired();
    }
    // Whatever came while that answer was being dealt with (an error box waits for the
    // operator) still predates the command.
    m_settleTimer->stop();
    m_chunks->discard();
    m_latestReply.clear();
    m_requestCode = query;
}

const QByteArray& SerialLink::latestReply() const
{
    return m_latestReply;
}

void SerialLink::clearLatestReply()
{
    m_latestReply.clear();
}

bool SerialLink::isSettleTimerArmed() const
{
    return m_settleTimer->isActive();
}

PortAdapter* SerialLink::adapterFor(const PortTarget& target) const
{
    switch (target.kind) {
    case PortTarget::Kind::TcpSocket:
        return m_socketPort;
    case PortTarget::Kind::Rfc2217:
        return m_rfc2217Port;
    case PortTarget::Kind::SerialDevice:
    case PortTarget::Kind::Invalid:
        break;
    }
    return m_serialPort;
}

void SerialLink::onDataArrived()
{
    auto* port = qobject_cast<PortAdapter*>(sender());
    if (port == nullptr || port != m_activePort)
        return;
    takeArrivedBytes();
}

void SerialLink::takeArrivedBytes()
{
    const QByteArray bytes = m_activePort->readAll();
    if (bytes.isEmpty())
        return;
    emit bytesReceived(bytes);
    m_chunks->append(bytes);
}

// A chunk that comes while Timer6 runs belongs to the same answer and is appended, so
// an answer split over several chunks is dispatched whole. The first chunk after an
// expiry starts a new reply and arms the timer; arming never restarts a running timer.
void SerialLink::onChunk(const QByteArray& chunk)
{
    if (m_settleTimer->isActive()) {
        appendWithinLimit(m_latestReply, chunk);
    } else {
        m_latestReply = chunk;
        m_settleTimer->start();
    }
    emit chunkReceived(chunk, m_latestReply);
}

// The adapter has already closed; what was collected before the loss is still a chunk.
void SerialLink::onConnectionLost(const QString& message)
{
    if (sender() != m_activePort)
        return;
    m_activePort = nullptr;
    m_chunks->flush();
    emit connectionLost(message);
}

} // namespace qv
