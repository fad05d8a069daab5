#include "commands.h"

#include "answer_values.h"
#include "cli_output.h"
#include "console.h"
#include "exit_status.h"
#include "interrupt_notifier.h"
#include "port_listing.h"
#include "profile.h"
#include "unit_session.h"
#include "write_job.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <functional>
#include <memory>

namespace qv::cli {

namespace {

// Runs `start` inside an event loop until `finish` is called; returns its status.
// `start` runs once the loop is up, so a failure reported at once still ends it.
class CommandLoop
{
public:
    int run(const std::function<void()>& start)
    {
        QTimer::singleShot(0, &m_loop, start);
        m_loop.exec();
        return exitCode(m_status);
    }

    void finish(ExitStatus status)
    {
        m_status = status;
        m_loop.quit();
    }

private:
    QEventLoop m_loop;
    ExitStatus m_status = ExitStatus::Done;
};

// One port's session whose failure is printed and ends the loop with its status.
std::unique_ptr<UnitSession> sessionFor(const Invocation& invocation, CommandLoop& loop)
{
    auto session = std::make_unique<UnitSession>(invocation.ports.first(), invocation.timeout);
    const QString port = session->port();
    session->setFailureHandler([port, &loop](ExitStatus status, const QString& message) {
        printError(port + QStringLiteral(": ") + message);
        loop.finish(status);
    });
    return session;
}

// Reads the unit's settings (the port is open) and hands them on; an answer that does
// not give all 14 usable values ends the loop with NoAnswer.
void readParameters(UnitSession& session, CommandLoop& loop,
                    const std::function<void(const ProfileSettings&)>& then)
{
    session.exchange(buildCommand(Command::ParameterRead, {}),
                     [&session, &loop, then](const QByteArray& answer) {
                         QString problem;
                         const auto settings = settingsFromAnswer(answer, &problem);
                         if (!settings) {
                             printError(session.port() + QStringLiteral(": ") + problem);
                             loop.finish(ExitStatus::NoAnswer);
                             return;
                         }
                         then(*settings);
                     });
}

// Opens the port, then reads the unit's settings.
void readSettings(UnitSession& session, CommandLoop& loop,
                  const std::function<void(const ProfileSettings&)>& then)
{
    session.open([&session, &loop, then] { readParameters(session, loop, then); });
}

// Whether a file can be made at `path` (its folder exists and is writable), so a read
// is not done for nothing.
bool canWrite(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    return !file.isDir() && folder.isDir() && folder.isWritable();
}

// The profile of a read, on stdout or into the file. A value the instrument gave that a
// profile cannot hold makes the answer unusable; a file that cannot be written is the
// caller's to mend.
ExitStatus putProfile(const Profile& profile, const QString& output)
{
    try {
        checkSettings(profile.settings, profile.readFrom);
        if (output.isEmpty()) {
            printText(serializeProfile(profile));
        } else {
            saveProfile(profile, output);
        }
        return ExitStatus::Done;
    } catch (const ProfileError& error) {
        const bool fromInstrument = !error.key().isEmpty();
        printError(fromInstrument
                       ? QStringLiteral("%1: the answer holds %2 = %3: %4")
                             .arg(profile.readFrom, error.key(), error.value(), error.reason())
                       : QString::fromStdString(error.what()));
        return fromInstrument ? ExitStatus::NoAnswer : ExitStatus::UsageError;
    }
}

// A profile from the command line, checked before any port is opened.
std::optional<Profile> loadChecked(const QString& file)
{
    try {
        return loadProfile(file);
    } catch (const ProfileError& error) {
        printError(QString::fromStdString(error.what()));
        return std::nullopt;
    }
}

} // namespace

int runPorts(const Invocation& invocation)
{
    const QList<FoundPort> ports = systemSerialPorts();
    printText(invocation.json ? portsJson(ports) : portsTable(ports).toUtf8());
    return exitCode(ExitStatus::Done);
}

int runIdentify(const Invocation& invocation)
{
    CommandLoop loop;
    const auto session = sessionFor(invocation, loop);
    return loop.run([&] {
        session->open([&] {
            session->exchange(buildCommand(Command::LinkTest, {}), [&](const QByteArray& answer) {
                printResult(QString::fromLatin1(answer).trimmed());
                loop.finish(ExitStatus::Done);
            });
        });
    });
}

int runRead(const Invocation& invocation)
{
    if (!invocation.output.isEmpty() && !canWrite(invocation.output)) {
        printError(invocation.output + QStringLiteral(": cannot be written"));
        return exitCode(ExitStatus::UsageError);
    }
    CommandLoop loop;
    const auto session = sessionFor(invocation, loop);
    Profile profile;
    profile.readFrom = session->port();
    const auto readAndPut = [&] {
        readParameters(*session, loop, [&](const ProfileSettings& settings) {
            const QDateTime now = QDateTime::currentDateTimeUtc();
            profile.readAt = now.addMSecs(-now.time().msec()); // whole seconds
            profile.settings = settings;
            loop.finish(putProfile(profile, invocation.output));
        });
    };
    return loop.run([&] {
        session->open([&] {
            if (!invocation.identify) {
                readAndPut();
                return;
            }
            session->exchange(buildCommand(Command::LinkTest, {}), [&](const QByteArray& answer) {
                profile.identification = QString::fromLatin1(answer).trimmed();
                readAndPut();
            });
        });
    });
}

int runDiff(const Invocation& invocation)
{
    const std::optional<Profile> profile = loadChecked(invocation.profile);
    if (!profile) {
        return exitCode(ExitStatus::UsageError);
    }
    CommandLoop loop;
    const auto session = sessionFor(invocation, loop);
    return loop.run([&] {
        readSettings(*session, loop, [&](const ProfileSettings& settings) {
            const QList<SettingDifference> found = differences(profile->settings, settings);
            for (const SettingDifference& difference : found) {
                printResult(differenceLine(difference));
            }
            loop.finish(found.isEmpty() ? ExitStatus::Done : ExitStatus::Differs);
        });
    });
}

int runWrite(const Invocation& invocation)
{
    const std::optional<Profile> profile = loadChecked(invocation.profile);
    if (!profile) {
        return exitCode(ExitStatus::UsageError);
    }
    QList<WriteStep> steps;
    try {
        steps = writeSteps(profile->settings, invocation.profile);
    } catch (const std::exception& error) {
        printError(QString::fromStdString(error.what()));
        return exitCode(ExitStatus::UsageError);
    }

    InterruptNotifier interrupt;
    CommandLoop loop;
    std::vector<std::unique_ptr<WriteJob>> jobs;
    qsizetype running = invocation.ports.size();
    for (const QString& port : invocation.ports) {
        jobs.push_back(std::make_unique<WriteJob>(port, invocation.timeout, steps,
                                                  profile->settings, invocation.verify, interrupt));
        QObject::connect(jobs.back().get(), &WriteJob::finished, [&running, &loop] {
            if (--running == 0) {
                loop.finish(ExitStatus::Done);
            }
        });
    }
    loop.run([&] {
        for (const auto& job : jobs) {
            job->start();
        }
    });

    ExitStatus worst = ExitStatus::Done;
    qsizetype succeeded = 0;
    for (const auto& job : jobs) {
        printResult(job->resultLine());
        succeeded += job->status() == ExitStatus::Done ? 1 : 0;
        worst = std::max(worst, job->status());
    }
    printResult(QStringLiteral("%1 of %2 units %3")
                    .arg(succeeded)
                    .arg(jobs.size())
                    .arg(invocation.verify ? QStringLiteral("written and verified")
                                           : QStringLiteral("written")));
    return exitCode(worst);
}

int runMonitor(const Invocation& invocation)
{
    InterruptNotifier interrupt;
    CommandLoop loop;
    const auto session = sessionFor(invocation, loop);
    QTimer pollTimer;
    pollTimer.setSingleShot(true);
    int rows = 0;
    QObject::connect(&interrupt, &InterruptNotifier::interrupted,
                     [&loop] { loop.finish(ExitStatus::Done); });

    // Each poll starts `interval` after the one before, or when its answer comes if
    // that is later.
    std::function<void()> poll = [&] {
        pollTimer.start(invocation.interval);
        session->exchange(buildCommand(Command::RealTimeData, {}), [&](const QByteArray& answer) {
            printResult(csvRow(QDateTime::currentDateTimeUtc(), readingsFromAnswer(answer)));
            if (invocation.count && ++rows == *invocation.count) {
                loop.finish(ExitStatus::Done);
            } else if (!pollTimer.isActive()) {
                poll();
            }
        });
    };
    QObject::connect(&pollTimer, &QTimer::timeout, [&] {
        if (!session->isBusy()) {
            poll();
        }
    });
    return loop.run([&] {
        session->open([&] {
            printResult(csvHeader());
            poll();
        });
    });
}

} // namespace qv::cli
