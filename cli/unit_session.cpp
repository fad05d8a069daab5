#include "unit_session.h"

#include "answer_values.h"
#include "latest_reply.h"
#include "link_constants.h"
#include "reply_parser.h"
#include "serial_link.h"

#include <QTimer>

#include <utility>

namespace qv::cli {

namespace {

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// Received bytes shown in a one-line message: printable ASCII as it is, the rest escaped.
QString shown(const QByteArray& bytes)
{
    constexpr qsizetype kShownBytes = 60;
    QString text;
    for (char c : bytes.left(kShownBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte >= 0x20 && byte < 0x7F
                    ? QString(QLatin1Char(c))
                    : QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return bytes.size() > kShownBytes ? text + QStringLiteral("...") : text;
}

} // namespace

UnitSession::UnitSession(const QString& port, std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), m_port(port), m_timeout(timeout), m_link(new SerialLink(this)),
      m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &UnitSession::onDeadline);
    connect(m_link, &SerialLink::opened, this, [this] {
        if (m_awaiting == Awaiting::Open) {
            m_deadline->stop();
            m_awaiting = Awaiting::Nothing;
            const auto handler = std::exchange(m_onOpen, nullptr);
            handler();
        }
    });
    connect(m_link, &SerialLink::openFailed, this,
            [this](const QString& message) { fail(ExitStatus::PortError, message); });
    connect(m_link, &SerialLink::connectionLost, this, [this](const QString& message) {
        // Lost between two exchanges, it is reported when the next one is tried.
        m_lost = message; // "Connection to PORT lost: cause"
        fail(ExitStatus::PortError, m_lost);
    });
    connect(m_link, &SerialLink::bytesReceived, this, &UnitSession::onBytes);
    connect(m_link, &SerialLink::chunkReceived, this, &UnitSession::onChunk);
    connect(m_link, &SerialLink::settleTimerExpired, this, &UnitSession::onSettled);
}

UnitSession::~UnitSession() = default;

void UnitSession::open(std::function<void()> then)
{
    m_onOpen = std::move(then);
    m_awaiting = Awaiting::Open;
    m_deadline->start(m_timeout);
    m_link->open(m_port);
}

void UnitSession::exchange(const CommandFrame& frame, AnswerHandler then)
{
    m_onAnswer = std::move(then);
    m_frame = QByteArray::fromStdString(frame.bytes);
    m_received.clear();
    // Whatever an earlier answer left is never taken for this one.
    m_link->beginCommand(frame.requestCode.value_or(RequestCode::rcIdle));
    switch (frame.requestCode.value_or(RequestCode::rcIdle)) {
    case RequestCode::rcParameterRead:
        m_awaiting = Awaiting::WholeParameters;
        break;
    case RequestCode::rcStatusRead:
        m_awaiting = Awaiting::WholeStatus;
        break;
    case RequestCode::rcLinkTest:
        m_awaiting = Awaiting::Settled;
        break;
    case RequestCode::rcIdle:
        m_awaiting = Awaiting::LineQuiet;
        break;
    }
    m_deadline->start(m_timeout);
    if (!m_link->send(m_frame)) {
        fail(ExitStatus::PortError,
             m_lost.isEmpty() ? QStringLiteral("the port is not open") : m_lost);
    }
}

void UnitSession::close()
{
    m_awaiting = Awaiting::Nothing;
    m_deadline->stop();
    m_link->close();
}

void UnitSession::onBytes(const QByteArray& bytes)
{
    if (m_awaiting == Awaiting::Nothing || m_awaiting == Awaiting::Open) {
        return;
    }
    appendWithinLimit(m_received, bytes);
    const bool whole =
        (m_awaiting == Awaiting::WholeParameters && parameterAnswerComplete(view(m_received)) &&
         !extractParameters(view(m_received)).error) ||
        (m_awaiting == Awaiting::WholeStatus && statusAnswerComplete(view(m_received)));
    if (whole) {
        take();
    }
}

// A chunk ends after the chunk gap, or at the maximum chunk size while bytes keep
// coming; only the first means the line has gone quiet.
void UnitSession::onChunk(const QByteArray& chunk)
{
    if (m_awaiting == Awaiting::LineQuiet && !m_received.isEmpty() &&
        chunk.size() < kMaxChunkSize) {
        take();
    }
}

// The window's timing: whatever has come is taken once the line has settled, when it
// can be used; a parameter answer that is not yet usable may still be completed by a
// later chunk, which re-arms the settle timer.
void UnitSession::onSettled()
{
    if (m_received.isEmpty()) {
        return;
    }
    QString problem;
    switch (m_awaiting) {
    case Awaiting::WholeParameters:
        if (settingsFromAnswer(m_received, &problem)) {
            take();
        }
        break;
    case Awaiting::WholeStatus:
    case Awaiting::Settled:
        take();
        break;
    default:
        break;
    }
}

void UnitSession::onDeadline()
{
    if (m_awaiting == Awaiting::Open) {
        fail(ExitStatus::PortError,
             QStringLiteral("not opened within %1 ms").arg(m_timeout.count()));
        return;
    }
    QString message = QStringLiteral("no complete answer to %1 within %2 ms")
                          .arg(QString::fromLatin1(m_frame))
                          .arg(m_timeout.count());
    QString problem;
    if (m_received.isEmpty()) {
        message += QStringLiteral(" (nothing received)");
    } else if (m_awaiting == Awaiting::WholeParameters &&
               !settingsFromAnswer(m_received, &problem)) {
        message += QStringLiteral(" (%1; received \"%2\")").arg(problem, shown(m_received));
    } else {
        message += QStringLiteral(" (received \"%1\")").arg(shown(m_received));
    }
    fail(ExitStatus::NoAnswer, message);
}

void UnitSession::take()
{
    m_awaiting = Awaiting::Nothing;
    m_deadline->stop();
    // The handler and the answer are taken out first: the handler may start the next
    // exchange, which sets a new handler and clears what was received.
    const AnswerHandler handler = std::exchange(m_onAnswer, nullptr);
    const QByteArray answer = m_received;
    handler(answer);
}

void UnitSession::fail(ExitStatus status, const QString& message)
{
    if (m_awaiting == Awaiting::Nothing) {
        return; // nothing was pending: the session has already reported
    }
    close();
    if (m_onFailure) {
        m_onFailure(status, message);
    }
}

} // namespace qv::cli
