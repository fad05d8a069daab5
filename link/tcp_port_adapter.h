#pragma once

#include "port_adapter.h"

#include <QAbstractSocket>

class QTcpSocket;
class QTimer;

namespace qv {

// A raw TCP connection to a serial device server ("socket://HOST:PORT"): the bytes on
// the socket are the bytes on the instrument's line.
class TcpPortAdapter : public PortAdapter
{
    Q_OBJECT
public:
    explicit TcpPortAdapter(QObject* parent = nullptr);

    // Connects in the background; opened() or openFailed() follows later, openFailed()
    // also when the connect has not finished within the connect time-out.
    void open(const PortTarget& target) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;

private:
    enum class State { Closed, Connecting, Connected };

    void onConnected();
    void onErrorOccurred(QAbstractSocket::SocketError error);
    void onDisconnected();
    void onConnectTimedOut();
    void failConnect(const QString& cause);
    void loseConnection(const QString& cause);

    QTcpSocket* m_socket;
    QTimer* m_connectTimer;
    QString m_typedName;
    State m_state = State::Closed;
};

} // namespace qv
