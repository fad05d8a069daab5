#include "serial_port_adapter.h"

#include <QFileInfo>
#include <QMetaEnum>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/stat.h>
#endif

namespace qv {

namespace {

const QString kErrorOpeningPort = QStringLiteral("Error opening serial port");
// The trailing blank is part of the message.
const QString kNotCommHandle = QStringLiteral("File handle is not a comm handle ");

// The path Qt opens for a port name: names without a leading "/" live in /dev.
QString systemLocation(const QString& portName)
{
#ifdef Q_OS_UNIX
    if (!portName.startsWith(QLatin1Char('/')))
        return QStringLiteral("/dev/") + portName;
#endif
    return portName;
}

// Whether the open failed because the path names something other than a serial
// device: a regular file, a directory, or a character device that is no terminal
// (/dev/null), on which Qt's terminal set-up fails with "Inappropriate ioctl".
bool isExistingNonSerialPath(const QString& path, QSerialPort::SerialPortError error)
{
#ifdef Q_OS_UNIX
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return !S_ISCHR(info.st_mode) || error == QSerialPort::UnsupportedOperationError;
#else
    Q_UNUSED(path);
    Q_UNUSED(error);
    return false;
#endif
}

// A terminal whose other end went away (a closed pty master, an unplugged USB adapter)
// is hung up: reads return end-of-file and Qt's error text is a stale errno.
bool isHungUp(qintptr handle)
{
#ifdef Q_OS_UNIX
    pollfd probe{static_cast<int>(handle), POLLIN, 0};
    return ::poll(&probe, 1, 0) > 0 && (probe.revents & POLLHUP) != 0;
#else
    Q_UNUSED(handle);
    return false;
#endif
}

} // namespace

SerialPortAdapter::SerialPortAdapter(QObject* parent)
    : PortAdapter(parent), m_port(new QSerialPort(this))
{
    m_port->setObjectName(QStringLiteral("Comm1"));
    connect(m_port, &QSerialPort::readyRead, this, &SerialPortAdapter::dataArrived);
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialPortAdapter::onErrorOccurred);
}

void SerialPortAdapter::open(const PortTarget& target)
{
    close();
    m_typedName = target.typed;
    if (target.device.isEmpty()) {
        emit openFailed(kErrorOpeningPort);
        return;
    }
    m_port->setPortName(target.device);
    applyLineSettings();
    if (!m_port->open(QIODevice::ReadWrite)) {
        emit openFailed(openFailureMessage(m_port->error()));
        return;
    }
    assertModemLines();
    // Qt does not purge what the driver collected before the open; stale bytes would
    // otherwise arrive as the first chunk.
    m_port->clear(QSerialPort::AllDirections);
    m_connected = true;
    emit opened();
}

void SerialPortAdapter::close()
{
    m_connected = false;
    if (!m_port->isOpen())
        return;
    m_port->clear(QSerialPort::AllDirections);
    m_port->close();
}

bool SerialPortAdapter::isOpen() const
{
    return m_connected;
}

bool SerialPortAdapter::write(const QByteArray& bytes)
{
    return m_connected && m_port->write(bytes) == bytes.size();
}

QByteArray SerialPortAdapter::readAll()
{
    return m_port->readAll();
}

// Applied by Qt when the port opens.
void SerialPortAdapter::applyLineSettings()
{
    m_port->setBaudRate(QSerialPort::Baud9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
}

// DTR and RTS are asserted where the device has them. A pseudo-terminal has none and
// refuses with UnsupportedOperationError; the port works all the same.
void SerialPortAdapter::assertModemLines()
{
    m_port->setDataTerminalReady(true);
    m_port->setRequestToSend(true);
}

// Debian's Qt 6.4 reports a device that went away as ReadError over and over, with the
// port still open. Any real error while connected closes the port once and is reported
// once; errors after that (NotOpenError from the close itself) are ignored.
void SerialPortAdapter::onErrorOccurred(QSerialPort::SerialPortError error)
{
    if (!m_connected || error == QSerialPort::NoError ||
        error == QSerialPort::UnsupportedOperationError)
        return;
    const QString message =
        QStringLiteral("Connection to %1 lost: %2").arg(m_typedName, lossCause(error));
    m_connected = false;
    // Bytes that came in before the loss are still handed on.
    if (m_port->bytesAvailable() > 0)
        emit dataArrived();
    if (m_port->isOpen())
        m_port->close();
    emit connectionLost(message);
}

QString SerialPortAdapter::openFailureMessage(QSerialPort::SerialPortError error) const
{
    // Missing, locked by another program (Qt's lock file), or permission denied.
    if (error == QSerialPort::DeviceNotFoundError || error == QSerialPort::PermissionError)
        return kErrorOpeningPort;
    if (isExistingNonSerialPath(systemLocation(m_port->portName()), error))
        return kNotCommHandle;
    return QStringLiteral("Cannot open %1: %2").arg(m_typedName, m_port->errorString());
}

QString SerialPortAdapter::lossCause(QSerialPort::SerialPortError error) const
{
    if (isHungUp(m_port->handle()))
        return QStringLiteral("Device hung up");
    const QString text = m_port->errorString();
    if (!text.isEmpty() && text != QLatin1String("Unknown error"))
        return text;
    return QString::fromLatin1(
        QMetaEnum::fromType<QSerialPort::SerialPortError>().valueToKey(error));
}

} // namespace qv
