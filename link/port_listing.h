#pragma once

#include <QList>
#include <QString>

#include <optional>

class QSerialPortInfo;

namespace qv {

// A serial port the system reports, as plain values.
struct FoundPort
{
    QString name;         // what to open: a device path on Unix ("/dev/ttyUSB0"), "COMn" on Windows
    QString description;  // "FT232R USB UART"; empty when the system gives none
    QString manufacturer; // "FTDI"
    QString serialNumber; // "A10K3XYZ"
    std::optional<quint16> vendorId, productId; // USB identifiers, when it is a USB device

    // "0403:6001" (four lower-case hex digits each), empty unless both identifiers are known.
    QString usbId() const;
    // Description, maker and serial number, as far as known, for a list or a tool tip:
    // "FT232R USB UART, FTDI, serial A10K3XYZ"; empty when none is known.
    QString details() const;

    bool operator==(const FoundPort&) const = default;
};

// The ports in the order they are shown: by name, with numbers compared by value
// (ttyUSB2 before ttyUSB10, COM9 before COM10); entries without a name and repeated
// names are left out.
QList<FoundPort> orderedPorts(QList<FoundPort> ports);

// One port as the system describes it.
FoundPort foundPort(const QSerialPortInfo& info);

// The serial ports the system reports now (QSerialPortInfo), ordered.
QList<FoundPort> systemSerialPorts();

} // namespace qv
