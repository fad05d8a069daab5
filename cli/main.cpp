// qv418k-cli: scripted, batch and parallel configuration of QV418K-TR instruments.

#include "cli_options.h"
#include "commands.h"
#include "console.h"
#include "exit_status.h"

#include <QCoreApplication>

using namespace qv::cli;

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qv418k-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QV_VERSION));

    Invocation invocation;
    try {
        invocation = parseArguments(QCoreApplication::arguments().mid(1));
    } catch (const UsageError& error) {
        printError(QString::fromStdString(error.what()));
        return exitCode(ExitStatus::UsageError);
    }

    switch (invocation.verb) {
    case Verb::Help:
        printText(invocation.helpText.toUtf8());
        return exitCode(ExitStatus::Done);
    case Verb::Version:
        printResult(QStringLiteral("qv418k-cli " QV_VERSION));
        return exitCode(ExitStatus::Done);
    case Verb::Ports:
        return runPorts(invocation);
    case Verb::Identify:
        return runIdentify(invocation);
    case Verb::Read:
        return runRead(invocation);
    case Verb::Diff:
        return runDiff(invocation);
    case Verb::Write:
        return runWrite(invocation);
    case Verb::Monitor:
        return runMonitor(invocation);
    }
    return exitCode(ExitStatus::UsageError);
}
