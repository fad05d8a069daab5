#include "port_listing.h"

#include <QSerialPortInfo>
#include <QStringList>

#include <algorithm>

namespace qv {

namespace {

QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

// The name to open: QSerialPortInfo's portName() is "ttyUSB0" on Unix, which Qt would
// open as /dev/ttyUSB0 too, but the full path is what an operator types and recognises.
QString nameToOpen(const QSerialPortInfo& info)
{
#ifdef Q_OS_WIN
    return info.portName();
#else
    return info.systemLocation().isEmpty() ? info.portName() : info.systemLocation();
#endif
}

// Names compared case-insensitively, runs of digits by their value, so that ttyUSB2 comes
// before ttyUSB10. (QCollator's numeric mode needs ICU and a locale, neither of which a
// minimal system is sure to have.)
bool namedBefore(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && a[i].isDigit()) {
                ++i;
            }
            while (j < b.size() && b[j].isDigit()) {
                ++j;
            }
            const qulonglong numberA = a.mid(startA, i - startA).toULongLong();
            const qulonglong numberB = b.mid(startB, j - startB).toULongLong();
            if (numberA != numberB) {
                return numberA < numberB;
            }
            continue;
        }
        const int order = QString::compare(a.mid(i, 1), b.mid(j, 1), Qt::CaseInsensitive);
        if (order != 0) {
            return order < 0;
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

QString FoundPort::usbId() const
{
    if (!vendorId || !productId) {
        return {};
    }
    return hex4(*vendorId) + ':' + hex4(*productId);
}

QString FoundPort::details() const
{
    QStringList parts;
    if (!description.isEmpty()) {
        parts << description;
    }
    if (!manufacturer.isEmpty()) {
        parts << manufacturer;
    }
    if (!serialNumber.isEmpty()) {
        parts << QStringLiteral("serial ") + serialNumber;
    }
    return parts.join(QStringLiteral(", "));
}

QList<FoundPort> orderedPorts(QList<FoundPort> ports)
{
    ports.removeIf([](const FoundPort& port) { return port.name.isEmpty(); });
    std::stable_sort(ports.begin(), ports.end(), [](const FoundPort& a, const FoundPort& b) {
        return namedBefore(a.name, b.name);
    });
    const auto repeated =
        std::unique(ports.begin(), ports.end(),
                    [](const FoundPort& a, const FoundPort& b) { return a.name == b.name; });
    ports.erase(repeated, ports.end());
    return ports;
}

FoundPort foundPort(const QSerialPortInfo& info)
{
    FoundPort port;
    port.name = nameToOpen(info);
    port.description = info.description();
    port.manufacturer = info.manufacturer();
    port.serialNumber = info.serialNumber();
    if (info.hasVendorIdentifier()) {
        port.vendorId = info.vendorIdentifier();
    }
    if (info.hasProductIdentifier()) {
        port.productId = info.productIdentifier();
    }
    return port;
}

QList<FoundPort> systemSerialPorts()
{
    QList<FoundPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ports.append(foundPort(info));
    }
    return orderedPorts(std::move(ports));
}

} // namespace qv
