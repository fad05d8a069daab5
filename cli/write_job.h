#pragma once

#include "command_builder.h"
#include "exit_status.h"
#include "profile.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>

namespace qv::cli {

class InterruptNotifier;
class UnitSession;

// A write frame and the profile keys it carries.
struct WriteStep
{
    CommandFrame frame;
    QStringList keys; // "address", "baud_rate", ...
};

// The seven write frames of a profile, in the window's order, all built before any is
// sent. Throws ProfileError (through the profile check) or OperatorError.
QList<WriteStep> writeSteps(const ProfileSettings& settings, const QString& file);

// Writes a profile to the unit on one port: every frame in turn, each sent once the
// answer to the one before has come, then (unless told not to) a parameter read whose
// settings are compared with the profile. Reports once through finished(); a failure
// of this unit touches no other.
class WriteJob : public QObject
{
    Q_OBJECT
public:
    WriteJob(const QString& port, std::chrono::milliseconds timeout, const QList<WriteStep>& steps,
             const ProfileSettings& expected, bool verify, const InterruptNotifier& interrupt,
             QObject* parent = nullptr);

    void start();

    QString port() const;
    ExitStatus status() const { return m_status; }
    // The port's result, one line: "PORT: written and verified", "PORT: differs: ...".
    QString resultLine() const { return m_resultLine; }

signals:
    void finished();

private:
    void sendNext();
    void verify();
    void compare(const QByteArray& answer);
    void finish(ExitStatus status, const QString& result);
    QString writtenSoFar() const;

    UnitSession* m_session;
    QList<WriteStep> m_steps;
    ProfileSettings m_expected;
    bool m_verify;
    const InterruptNotifier& m_interrupt;
    qsizetype m_next = 0; // the step to send next; those before it were answered
    ExitStatus m_status = ExitStatus::Done;
    QString m_resultLine;
};

} // namespace qv::cli
