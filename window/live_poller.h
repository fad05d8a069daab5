#pragma once

#include "reading.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QTimer;

namespace qv {

class SerialLink;

// Asks for Real-Time Data at an interval, through the same path as the form's button
// (so the form's labels, send and receive views update too), and reports each reading
// it gets back.
//
// It shares the line with the operator and never talks over anybody: a poll that falls
// due while another command's answer is pending waits until that answer has come in
// whole and settled, so the operator's commands go first and answers never interleave.
// An answer counts as pending from its command's frame until it has settled and no
// byte has come for a chunk gap. The link has no time-out, so a command that is never
// answered would hold the line for ever: after kAnswerWait without a byte, the line
// counts as free again.
class LivePoller : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kAnswerWait{2000};

    LivePoller(SerialLink& link, std::function<void()> requestRealTimeData,
               QObject* parent = nullptr);

    // Polls now and then at every interval; stopped() at once when the port is closed.
    void start();
    void stop();
    // The port went away: stops, saying so. The poller hears it from the link itself
    // too; this lets whoever hears it first (before a modal report) stop it at once.
    void portLost(const QString& message);
    bool isRunning() const;
    void setInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds interval() const;

signals:
    void readingTaken(const qv::Reading& reading);
    // A poll's answer did not settle in time, or held no complete reading.
    void pollMissed(const QString& why);
    // Polling ended by itself (port closed or lost), with the reason for the operator.
    void stopped(const QString& why);

private:
    void pollWhenFree();
    void poll();
    bool lineBusy() const;
    void onFrameSent();
    void onBytes();
    void onChunk(const QByteArray& chunk, const QByteArray& latestReply);
    void onAnswerSettled();
    void onPortGone(const QString& why);

    SerialLink& m_link;
    std::function<void()> m_requestRealTimeData;
    QTimer* m_tick;
    QTimer* m_retry;            // a poll due while the line is busy
    QElapsedTimer m_sinceFrame; // the last frame anybody sent, or the last byte after it
    QElapsedTimer m_sinceBytes; // the last bytes that came
    bool m_answerSettled = true;
    bool m_sendingPoll = false;
    bool m_pollPending = false; // our poll is on the line, its answer not yet settled
    QByteArray m_answer;        // what has arrived for the pending poll
};

} // namespace qv
