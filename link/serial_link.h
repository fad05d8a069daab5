#pragma once

#include "request_code.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QTimer;

#include <memory>

namespace qv {

// Owns the connection to the instrument and the state that ties a command to its
// answer: the pending request, the latest reply and the settle timer (Timer6).
// The window asks it to open, close and send, and reacts to what it reports.
class ChunkAssembler;
class PortAdapter;
struct PortTarget;

class SerialLink : public QObject
{
    Q_OBJECT
public:
    explicit SerialLink(QObject* parent = nullptr);
    ~SerialLink() override;

    // Opens "COMn", a device path, socket://HOST:PORT or rfc2217://HOST:PORT at 9600
    // 8N1. The outcome is reported through opened() or openFailed(); a serial device
    // reports before this returns. A socket connects in the background (rfc2217 also
    // waits for the server to set the line): until it reports, isOpen() is false, and
    // close() or another open() abandons it without a signal.
    // Opening never touches the request, the reply or the timer.
    void open(const QString& portName);
    // Closes the port; nothing happens when it is closed. Emits closed() when a port
    // (or a connect in progress) was given up.
    void close();
    bool isOpen() const; // PortOpen

    // Queues a frame on the open port. Returns false and sends nothing when the port
    // is closed or the frame is empty; a frame that is queued is reported by frameSent().
    bool send(const QByteArray& frame);

    RequestCode requestCode() const;
    void setRequestCode(RequestCode code);
    // A command is about to be sent; what arrives from now on is its answer. Everything
    // received before, bytes not yet cut into a chunk included, belongs to earlier
    // commands: an answer that has begun to arrive is settled now (settleTimerExpired,
    // with the request it was awaited for), one that has not is abandoned. Then the
    // reply starts empty, and `query` (rcIdle for a write) is what its answer is for.
    void beginCommand(RequestCode query);

    // Chunks received since the settle timer was last armed, one char per byte.
    const QByteArray& latestReply() const;
    void clearLatestReply();

    bool isSettleTimerArmed() const;

signals:
    void opened();
    void openFailed(const QString& message);
    // The operator closed the port (not emitted when the device went away).
    void closed();
    // A frame was queued on the open port; its answer may follow.
    void frameSent(const QByteArray& frame);
    // The device went away while open; the link is already closed when this is emitted.
    void connectionLost(const QString& message);
    // Bytes as they come from the port, before they are cut into chunks: for a caller
    // that can tell from the bytes alone that an answer is whole, without waiting for
    // the chunk gap. Chunks and the settle timer run as they always do.
    void bytesReceived(const QByteArray& bytes);
    // A chunk arrived; latestReply is what the receive view shows.
    void chunkReceived(const QByteArray& chunk, const QByteArray& latestReply);
    // Timer6 expired; it is already disarmed when this is emitted.
    void settleTimerExpired();

private:
    PortAdapter* adapterFor(const PortTarget& target) const;
    void onDataArrived();
    // Moves what the active port has received into the chunks.
    void takeArrivedBytes();
    void onChunk(const QByteArray& chunk);
    void onConnectionLost(const QString& message);

    PortAdapter* m_serialPort;
    PortAdapter* m_socketPort;
    PortAdapter* m_rfc2217Port;
    // The adapter of the last open(); null before the first and after close().
    PortAdapter* m_activePort = nullptr;
    ChunkAssembler* m_chunks;
    QTimer* m_settleTimer; // Timer6
    RequestCode m_requestCode = RequestCode::rcIdle;
    QByteArray m_latestReply;
};

} // namespace qv
