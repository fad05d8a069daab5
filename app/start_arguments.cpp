#include "start_arguments.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace qv {

namespace {

constexpr int kUsageExitCode = 2;

QString helpText(const QString& program)
{
    return QStringLiteral(
               "Usage: %1 [PORT]\n"
               "Configuration utility for the QV418K-TR instrument.\n"
               "\n"
               "PORT is put into the COM Port box; press \"Open\" to open it. It is named as\n"
               "the box takes it: COM1..COM19 (/dev/ttyS0..18 on Linux), a device path such as\n"
               "/dev/ttyUSB0, or socket://HOST:PORT for a serial device server.\n"
               "\n"
               "Options:\n"
               "  -h, --help     show this help and exit\n"
               "  -v, --version  show the version and exit\n")
        .arg(program);
}

StartRequest printAndExit(const QString& text, bool toStderr, int exitCode)
{
    StartRequest request;
    request.action = StartRequest::Action::PrintAndExit;
    request.output = text;
    request.toStderr = toStderr;
    request.exitCode = exitCode;
    return request;
}

StartRequest usageError(const QString& program, const QString& problem)
{
    return printAndExit(QStringLiteral("%1: %2\n\n%3").arg(program, problem, helpText(program)),
                        true, kUsageExitCode);
}

} // namespace

StartRequest parseStartArguments(const QStringList& arguments, const QString& version)
{
    const QStringList argv =
        arguments.isEmpty() ? QStringList{QStringLiteral("qv418k-config")} : arguments;
    const QString program = QFileInfo(argv.first()).fileName();
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption showVersion(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(showVersion);
    parser.addPositionalArgument(QStringLiteral("PORT"), QString());
    if (!parser.parse(argv))
        return usageError(program, parser.errorText());
    if (parser.isSet(help))
        return printAndExit(helpText(program), false, 0);
    if (parser.isSet(showVersion))
        return printAndExit(QStringLiteral("%1 %2\n").arg(program, version), false, 0);
    const QStringList ports = parser.positionalArguments();
    if (ports.size() > 1)
        return usageError(program, QStringLiteral("one port at most, got %1").arg(ports.size()));
    StartRequest request;
    if (!ports.isEmpty())
        request.portName = ports.first();
    return request;
}

} // namespace qv
