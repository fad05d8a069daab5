#pragma once

#include "port_name.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace qv {

// One kind of connection (a serial device, a raw TCP socket) seen the same way by the
// serial link: open, close, write, read what arrived, and hear about failures.
class PortAdapter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts opening; the outcome is reported through opened() or openFailed(). An
    // adapter that was open or opening is closed first.
    virtual void open(const PortTarget& target) = 0;
    // Closes without a signal and discards pending input and output; harmless when
    // closed, and cancels an open in progress.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues the bytes; false when nothing could be queued.
    virtual bool write(const QByteArray& bytes) = 0;
    // Everything received and not yet taken.
    virtual QByteArray readAll() = 0;

signals:
    void opened();
    void openFailed(const QString& message);
    void dataArrived();
    // The connection broke while open; the adapter is already closed when this is emitted.
    void connectionLost(const QString& message);
};

} // namespace qv
