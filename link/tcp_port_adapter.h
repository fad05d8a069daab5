#pragma once

#include "port_adapter.h"

#include <QAbstractSocket>
#include <QElapsedTimer>

class QTcpSocket;
class QTimer;

namespace qv {

// A raw TCP connection to a serial device server ("socket://HOST:PORT"): the bytes on
// the socket are the bytes on the instrument's line. A server that greets with Telnet
// negotiation is not taken for the instrument: the connection is closed with a message
// that names the rfc2217:// address instead. When the server hangs up just after
// sending a short text, as device servers do to give their reason, the report quotes it.
//
// The connection handling is shared with the Telnet (RFC 2217) adapter, which replaces
// the hooks below.
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

protected:
    // The TCP connection is up; a raw socket is open at once.
    virtual void startSession();
    // The received bytes as the instrument sent them.
    virtual QByteArray decode(const QByteArray& received);
    // The instrument's bytes as they go on the socket.
    virtual QByteArray encode(const QByteArray& data) { return data; }
    // The connection is gone (closed, lost or failed).
    virtual void endSession() {}

    // For the session: the line is ready, or it cannot be set up.
    void reportOpened();
    void failOpen(const QString& cause);
    // Closes an open connection and reports `message` as the reason, once.
    void dropConnection(const QString& message);
    void sendRaw(const QByteArray& bytes);
    // The typed address with another scheme ("rfc2217://" for "socket://HOST:PORT").
    QString typedWithScheme(const QString& scheme) const;
    const QString& typedName() const { return m_typedName; }

private:
    enum class State { Closed, Connecting, SettingUp, Connected };

    void onConnected();
    void onReadyRead();
    void onErrorOccurred(QAbstractSocket::SocketError error);
    void onDisconnected();
    void onConnectTimedOut();
    void receive();
    void keepFarewell(const QByteArray& data);
    QString hangUpCause(const QString& socketCause) const;
    void loseConnection(const QString& cause);

    QTcpSocket* m_socket;
    QTimer* m_connectTimer;
    QString m_typedName;
    State m_state = State::Closed;
    QByteArray m_data; // received for the link, not yet taken
    // Holds a first 0xFF until the next byte tells whether it starts Telnet negotiation.
    QByteArray m_head;
    bool m_checkingHead = false;
    // Text received before this program sent anything, and when it last came.
    QByteArray m_farewell;
    QElapsedTimer m_lastReceipt;
    bool m_sentData = false;
};

} // namespace qv
