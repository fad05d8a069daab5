#include "write_job.h"

#include "answer_values.h"
#include "cli_output.h"
#include "console.h"
#include "interrupt_notifier.h"
#include "unit_session.h"

namespace qv::cli {

QList<WriteStep> writeSteps(const ProfileSettings& settings, const QString& file)
{
    checkSettings(settings, file);
    const FieldSnapshot fields = toFieldSnapshot(settings);
    QList<WriteStep> steps;
    std::optional<Command> last;
    for (const SettingField& field : settingFields()) {
        const QString key = QString::fromLatin1(field.key);
        if (last == field.command) {
            steps.last().keys << key;
            continue;
        }
        steps.append({buildCommand(field.command, fields), {key}});
        last = field.command;
    }
    return steps;
}

WriteJob::WriteJob(const QString& port, std::chrono::milliseconds timeout,
                   const QList<WriteStep>& steps, const ProfileSettings& expected, bool verify,
                   const InterruptNotifier& interrupt, QObject* parent)
    : QObject(parent), m_session(new UnitSession(port, timeout, this)), m_steps(steps),
      m_expected(expected), m_verify(verify), m_interrupt(interrupt)
{
    m_session->setFailureHandler([this](ExitStatus status, const QString& message) {
        printError(this->port() + QStringLiteral(": ") + message);
        finish(status, QStringLiteral("failed: ") + message + writtenSoFar());
    });
}

QString WriteJob::port() const
{
    return m_session->port();
}

void WriteJob::start()
{
    m_session->open([this] { sendNext(); });
}

void WriteJob::sendNext()
{
    if (m_interrupt.isInterrupted()) {
        finish(ExitStatus::Interrupted, QStringLiteral("interrupted") + writtenSoFar());
        return;
    }
    if (m_next == m_steps.size()) {
        verify();
        return;
    }
    m_session->exchange(m_steps[m_next].frame, [this](const QByteArray&) {
        printProgress(port() + QStringLiteral(": written ") + m_steps[m_next].keys.join(u' '));
        ++m_next;
        sendNext();
    });
}

void WriteJob::verify()
{
    if (!m_verify) {
        finish(ExitStatus::Done, QStringLiteral("written, not verified"));
        return;
    }
    m_session->exchange(buildCommand(Command::ParameterRead, {}),
                        [this](const QByteArray& answer) { compare(answer); });
}

void WriteJob::compare(const QByteArray& answer)
{
    QString problem;
    const std::optional<ProfileSettings> read = settingsFromAnswer(answer, &problem);
    if (!read) {
        printError(port() + QStringLiteral(": read-back unusable: ") + problem);
        finish(ExitStatus::NoAnswer, QStringLiteral("written, read-back unusable: ") + problem);
        return;
    }
    const QList<SettingDifference> found = differences(m_expected, *read);
    if (found.isEmpty()) {
        finish(ExitStatus::Done, QStringLiteral("written and verified"));
        return;
    }
    QStringList lines;
    for (const SettingDifference& difference : found) {
        lines << differenceLine(difference);
    }
    finish(ExitStatus::Differs, QStringLiteral("differs after writing: ") + lines.join("; "));
}

void WriteJob::finish(ExitStatus status, const QString& result)
{
    m_session->close();
    m_status = status;
    m_resultLine = port() + QStringLiteral(": ") + result;
    emit finished();
}

QString WriteJob::writtenSoFar() const
{
    QStringList keys;
    for (qsizetype i = 0; i < m_next; ++i) {
        keys << m_steps[i].keys;
    }
    return keys.isEmpty() ? QStringLiteral(" (nothing written)")
                          : QStringLiteral(" (written: %1)").arg(keys.join(QStringLiteral(", ")));
}

} // namespace qv::cli
