#include "live_poller.h"

#include "link_constants.h"
#include "serial_link.h"

#include <QTimer>

#include <algorithm>

namespace qv {

namespace {

constexpr std::chrono::milliseconds kDefaultInterval{1000};
// While the line is busy, a due poll looks again this often (and at once when an
// answer settles).
constexpr std::chrono::milliseconds kBusyRecheck = kChunkGap;

} // namespace

LivePoller::LivePoller(SerialLink& link, std::function<void()> requestRealTimeData, QObject* parent)
    : QObject(parent), m_link(link), m_requestRealTimeData(std::move(requestRealTimeData)),
      m_tick(new QTimer(this)), m_retry(new QTimer(this))
{
    m_tick->setInterval(kDefaultInterval);
    m_retry->setSingleShot(true);
    connect(m_tick, &QTimer::timeout, this, &LivePoller::pollWhenFree);
    connect(m_retry, &QTimer::timeout, this, &LivePoller::pollWhenFree);
    connect(&m_link, &SerialLink::frameSent, this, &LivePoller::onFrameSent);
    connect(&m_link, &SerialLink::bytesReceived, this, &LivePoller::onBytes);
    connect(&m_link, &SerialLink::chunkReceived, this, &LivePoller::onChunk);
    connect(&m_link, &SerialLink::settleTimerExpired, this, &LivePoller::onAnswerSettled);
    connect(&m_link, &SerialLink::closed, this,
            [this] { onPortGone(tr("Stopped: the port was closed.")); });
    connect(&m_link, &SerialLink::connectionLost, this, &LivePoller::portLost);
}

void LivePoller::start()
{
    m_tick->start();
    pollWhenFree();
}

void LivePoller::stop()
{
    m_tick->stop();
    m_retry->stop();
    m_pollPending = false;
}

void LivePoller::portLost(const QString& message)
{
    onPortGone(tr("Stopped: the port was lost (%1).").arg(message));
}

bool LivePoller::isRunning() const
{
    return m_tick->isActive();
}

void LivePoller::setInterval(std::chrono::milliseconds interval)
{
    m_tick->setInterval(interval);
}

std::chrono::milliseconds LivePoller::interval() const
{
    return m_tick->intervalAsDuration();
}

// A poll falls due: it goes out now, or as soon as the line is free; never twice.
void LivePoller::pollWhenFree()
{
    if (!isRunning())
        return;
    if (!m_link.isOpen()) {
        onPortGone(tr("Stopped: the port is not open."));
        return;
    }
    if (lineBusy()) {
        m_retry->start(kBusyRecheck);
        return;
    }
    m_retry->stop();
    poll();
}

void LivePoller::poll()
{
    if (m_pollPending)
        emit pollMissed(tr("no answer to the last request"));
    m_answer.clear();
    m_sendingPoll = true;
    m_requestRealTimeData();
    m_sendingPoll = false;
}

// Busy while an answer is settling or still coming in, and from any frame until its
// answer has settled or kAnswerWait has passed without a byte.
bool LivePoller::lineBusy() const
{
    if (m_link.isSettleTimerArmed())
        return true;
    if (m_sinceBytes.isValid() && !m_sinceBytes.hasExpired(kChunkGap.count()))
        return true;
    return !m_answerSettled && m_sinceFrame.isValid() &&
           !m_sinceFrame.hasExpired(kAnswerWait.count());
}

void LivePoller::onFrameSent()
{
    m_sinceFrame.start();
    m_answerSettled = false;
    // Somebody else's command takes the line: our poll's answer, if still due, is lost.
    m_pollPending = m_sendingPoll;
}

// An answer on its way keeps the wait for it going.
void LivePoller::onBytes()
{
    m_sinceBytes.start();
    if (!m_answerSettled)
        m_sinceFrame.start();
}

void LivePoller::onChunk(const QByteArray&, const QByteArray& latestReply)
{
    if (m_pollPending)
        m_answer = latestReply;
}

void LivePoller::onAnswerSettled()
{
    m_answerSettled = true;
    if (m_pollPending) {
        m_pollPending = false;
        const auto reading = readingFromStatusAnswer(
            std::string_view(m_answer.constData(), std::size_t(m_answer.size())),
            std::chrono::system_clock::now());
        if (reading)
            emit readingTaken(*reading);
        else
            emit pollMissed(tr("the answer held no complete reading"));
    }
    if (m_retry->isActive())
        m_retry->start(0);
}

void LivePoller::onPortGone(const QString& why)
{
    if (!isRunning())
        return;
    stop();
    emit stopped(why);
}

} // namespace qv
