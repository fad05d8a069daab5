#pragma once

#include <QString>

namespace qv {

enum class HostSystem { Unix, Windows };

#ifdef Q_OS_WIN
inline constexpr HostSystem kThisHostSystem = HostSystem::Windows;
#else
inline constexpr HostSystem kThisHostSystem = HostSystem::Unix;
#endif

// What a port name typed or chosen by the operator refers to.
struct PortTarget
{
    enum class Kind {
        SerialDevice, // `device` is handed to QSerialPort as it stands
        TcpSocket,    // raw TCP to `host`:`port` (a serial device server)
        Rfc2217,      // Telnet with the COM-PORT-OPTION to `host`:`port`
        Invalid,      // `error` says why, as the operator's message
    };

    Kind kind = Kind::Invalid;
    QString typed; // the name as the operator gave it, used in messages
    QString device;
    QString host;
    quint16 port = 0;
    QString error;
};

// "COMn" (n >= 1, any case) is the n-th serial port: /dev/ttyS(n-1) on Unix, itself on
// Windows. "socket://HOST:PORT" is a raw TCP connection, "rfc2217://HOST:PORT" a Telnet
// device server that sets the line itself. Anything else is a device name opened as typed
// (Qt puts "/dev/" before a name without a leading "/").
PortTarget resolvePortName(const QString& typed, HostSystem system = kThisHostSystem);

} // namespace qv
