#pragma once

#include "tcp_port_adapter.h"

#include <memory>

class QTimer;

namespace qv {

class Rfc2217Session;

// A serial port on a Telnet device server with the COM-PORT-OPTION
// ("rfc2217://HOST:PORT"). After the TCP connect it negotiates the options and sets the
// line the program uses on a local port; it reports opened() only once the server has
// acknowledged the baud rate, data size, parity and stop size. Telnet commands never
// reach the link, and 0xFF in sent data is doubled.
class Rfc2217PortAdapter : public TcpPortAdapter
{
    Q_OBJECT
public:
    explicit Rfc2217PortAdapter(QObject* parent = nullptr);
    ~Rfc2217PortAdapter() override;

protected:
    void startSession() override;
    QByteArray decode(const QByteArray& received) override;
    QByteArray encode(const QByteArray& data) override;
    void endSession() override;

private:
    void checkSetup();
    void onSetupTimedOut();
    QString plainConnectionHint() const;

    std::unique_ptr<Rfc2217Session> m_session;
    QTimer* m_setupTimer;
    bool m_ready = false;
};

} // namespace qv
