#pragma once

#include "serial_link.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>

class QTimer;

// Everything a SerialLink reports, in order, with the time since the log started.
class LinkEventLog
{
public:
    enum class Kind { Opened, OpenFailed, Chunk, Settled, Lost };
    struct Event
    {
        Kind kind;
        qint64 atMs;
        QByteArray chunk;
        QByteArray latestReply;
        QString message;
        int settleRemainingMs; // Timer6's remaining time right after the event, -1 if idle
    };

    explicit LinkEventLog(qv::SerialLink& link);

    void clear() { m_events.clear(); }
    int count(Kind kind) const;
    // The n-th event of a kind (0-based); the test must have checked the count.
    const Event& nth(Kind kind, int n) const;
    QList<QByteArray> chunks() const;
    qsizetype chunkBytes() const;

private:
    void record(Kind kind, const QByteArray& chunk = {}, const QByteArray& reply = {},
                const QString& message = {});

    const QTimer* m_settleTimer;
    QElapsedTimer m_clock;
    QList<Event> m_events;
};
