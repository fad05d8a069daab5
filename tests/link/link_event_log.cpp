#include "link_event_log.h"

#include <QTimer>

LinkEventLog::LinkEventLog(qv::SerialLink& link)
    : m_settleTimer(link.findChild<QTimer*>(QStringLiteral("Timer6")))
{
    if (m_settleTimer == nullptr)
        qFatal("the link has no QTimer named Timer6");
    m_clock.start();
    QObject::connect(&link, &qv::SerialLink::opened, &link, [this] { record(Kind::Opened); });
    QObject::connect(&link, &qv::SerialLink::openFailed, &link,
                     [this](const QString& message) { record(Kind::OpenFailed, {}, {}, message); });
    QObject::connect(&link, &qv::SerialLink::chunkReceived, &link,
                     [this](const QByteArray& chunk, const QByteArray& reply) {
                         record(Kind::Chunk, chunk, reply);
                     });
    QObject::connect(&link, &qv::SerialLink::settleTimerExpired, &link,
                     [this] { record(Kind::Settled); });
    QObject::connect(&link, &qv::SerialLink::connectionLost, &link,
                     [this](const QString& message) { record(Kind::Lost, {}, {}, message); });
}

int LinkEventLog::count(Kind kind) const
{
    return int(std::count_if(m_events.cbegin(), m_events.cend(),
                             [kind](const Event& event) { return event.kind == kind; }));
}

const LinkEventLog::Event& LinkEventLog::nth(Kind kind, int n) const
{
    for (const Event& event : m_events) {
        if (event.kind == kind && n-- == 0)
            return event;
    }
    qFatal("LinkEventLog::nth: no such event");
}

QList<QByteArray> LinkEventLog::chunks() const
{
    QList<QByteArray> result;
    for (const Event& event : m_events) {
        if (event.kind == Kind::Chunk)
            result.append(event.chunk);
    }
    return result;
}

qsizetype LinkEventLog::chunkBytes() const
{
    qsizetype total = 0;
    for (const QByteArray& chunk : chunks())
        total += chunk.size();
    return total;
}

void LinkEventLog::record(Kind kind, const QByteArray& chunk, const QByteArray& reply,
                          const QString& message)
{
    m_events.append(
        Event{kind, m_clock.elapsed(), chunk, reply, message, m_settleTimer->remainingTime()});
}
