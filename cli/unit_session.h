#pragma once

#include "command_builder.h"
#include "exit_status.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QTimer;

namespace qv {
class SerialLink;
}

namespace qv::cli {

// One instrument on one port, driven through the serial link: opens the port and runs
// one exchange (a frame and its answer) at a time. Each step reports its outcome once,
// through its callback or through the failure handler, which ends the session. Nothing
// here throws.
//
// When an answer counts as taken:
// - parameter and status queries: as soon as the bytes received hold the whole answer
//   (every tag with full-width values); otherwise at the link's settle expiry, when
//   what has come is usable (a parameter answer: every tag, every digit converts);
// - the Communication Test: at the settle expiry, as in the window;
// - writes: when the line goes quiet after the answer (its chunk has ended).
// An answer not taken within the time-out fails the session with NoAnswer.
class UnitSession : public QObject
{
    Q_OBJECT
public:
    using FailureHandler = std::function<void(ExitStatus, const QString& message)>;
    using AnswerHandler = std::function<void(const QByteArray& answer)>;

    UnitSession(const QString& port, std::chrono::milliseconds timeout, QObject* parent = nullptr);
    ~UnitSession() override;

    const QString& port() const { return m_port; }
    // An open or an exchange is under way.
    bool isBusy() const { return m_awaiting != Awaiting::Nothing; }
    void setFailureHandler(FailureHandler handler) { m_onFailure = std::move(handler); }

    void open(std::function<void()> then);
    void exchange(const CommandFrame& frame, AnswerHandler then);
    void close();

private:
    enum class Awaiting { Nothing, Open, WholeParameters, WholeStatus, Settled, LineQuiet };

    void onBytes(const QByteArray& bytes);
    void onChunk(const QByteArray& chunk);
    void onSettled();
    void onDeadline();
    void take();
    void fail(ExitStatus status, const QString& message);

    QString m_port;
    std::chrono::milliseconds m_timeout;
    SerialLink* m_link;
    QTimer* m_deadline;
    Awaiting m_awaiting = Awaiting::Nothing;
    QByteArray m_frame;    // the frame whose answer is awaited, for messages
    QByteArray m_received; // every byte since it was sent
    QString m_lost;        // why the connection was lost, once it was
    FailureHandler m_onFailure;
    std::function<void()> m_onOpen;
    AnswerHandler m_onAnswer;
};

} // namespace qv::cli
