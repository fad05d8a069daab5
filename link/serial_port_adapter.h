#pragma once

#include "port_adapter.h"

#include <QSerialPort>

namespace qv {

// A serial device (a UART, a USB adapter, a pseudo-terminal) on QSerialPort "Comm1",
// run at 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
class SerialPortAdapter : public PortAdapter
{
    Q_OBJECT
public:
    explicit SerialPortAdapter(QObject* parent = nullptr);

    // Opens at once: opened() or openFailed() is emitted before this returns.
    void open(const PortTarget& target) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;

private:
    void applyLineSettings();
    void assertModemLines();
    void onErrorOccurred(QSerialPort::SerialPortError error);
    QString openFailureMessage(QSerialPort::SerialPortError error) const;
    QString lossCause(QSerialPort::SerialPortError error) const;

    QSerialPort* m_port;
    QString m_typedName;
    // True from a successful open until close or loss; errors count only meanwhile.
    bool m_connected = false;
};

} // namespace qv
