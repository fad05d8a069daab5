#include "cli_options.h"

#include <QCommandLineParser>

#include <limits>

namespace qv::cli {

namespace {

struct VerbName
{
    const char* name;
    Verb verb;
};

constexpr VerbName kVerbs[] = {
    {"ports", Verb::Ports}, {"identify", Verb::Identify}, {"read", Verb::Read},
    {"write", Verb::Write}, {"diff", Verb::Diff},         {"monitor", Verb::Monitor},
};

const QCommandLineOption
    kPort(QStringLiteral("port"),
          QStringLiteral("The port: COMn, a device path, socket://HOST:PORT or "
                         "rfc2217://HOST:PORT."),
          QStringLiteral("P"));
const QCommandLineOption
    kTimeout(QStringLiteral("timeout"),
             QStringLiteral("No complete answer within MS is an error (default 2000)."),
             QStringLiteral("MS"), QStringLiteral("2000"));
const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help")},
                               QStringLiteral("This text."));
const QCommandLineOption
    kOutput(QStringLiteral("output"),
            QStringLiteral("Write the profile into FILE (atomically) instead of stdout."),
            QStringLiteral("FILE"));
const QCommandLineOption
    kIdentify(QStringLiteral("identify"),
              QStringLiteral("Also keep the Communication Test answer in the profile."));
const QCommandLineOption kJson(QStringLiteral("json"), QStringLiteral("Print JSON."));
const QCommandLineOption kNoVerify(QStringLiteral("no-verify"),
                                   QStringLiteral("Do not read the settings back and compare."));
const QCommandLineOption kInterval(QStringLiteral("interval"),
                                   QStringLiteral("Poll every MS (default 1000)."),
                                   QStringLiteral("MS"), QStringLiteral("1000"));
const QCommandLineOption kCount(QStringLiteral("count"),
                                QStringLiteral("Stop after N rows (default: until Ctrl+C)."),
                                QStringLiteral("N"));

int positiveNumber(const QCommandLineParser& parser, const QCommandLineOption& option)
{
    bool ok = false;
    const QString text = parser.value(option);
    const int value = text.toInt(&ok);
    if (!ok || value < 1) {
        throw UsageError(QStringLiteral("--%1 takes a whole number from 1, not \"%2\"")
                             .arg(option.names().constLast(), text)
                             .toStdString());
    }
    return value;
}

Verb verbNamed(const QString& name)
{
    for (const VerbName& entry : kVerbs) {
        if (name == QLatin1String(entry.name)) {
            return entry.verb;
        }
    }
    throw UsageError(QStringLiteral("unknown command \"%1\" (see --help)").arg(name).toStdString());
}

void addOptions(QCommandLineParser& parser, Verb verb)
{
    parser.addOption(kHelp);
    if (verb == Verb::Ports) {
        parser.addOption(kJson);
        return;
    }
    parser.addOption(kPort);
    parser.addOption(kTimeout);
    if (verb == Verb::Read) {
        parser.addOption(kOutput);
        parser.addOption(kIdentify);
    } else if (verb == Verb::Write) {
        parser.addOption(kNoVerify);
    } else if (verb == Verb::Monitor) {
        parser.addOption(kInterval);
        parser.addOption(kCount);
    }
}

// The profile argument of write and diff; no positional argument for the others.
void takePositional(const QCommandLineParser& parser, Invocation& invocation)
{
    QStringList positional = parser.positionalArguments();
    positional.removeFirst(); // the verb
    const bool takesProfile = invocation.verb == Verb::Write || invocation.verb == Verb::Diff;
    if (takesProfile && positional.size() == 1) {
        invocation.profile = positional.first();
        return;
    }
    if (takesProfile && positional.isEmpty()) {
        throw UsageError("a profile FILE is required");
    }
    if (!positional.isEmpty()) {
        throw UsageError(QStringLiteral("unexpected argument \"%1\"")
                             .arg(positional.at(takesProfile ? 1 : 0))
                             .toStdString());
    }
}

void takePorts(const QCommandLineParser& parser, Invocation& invocation)
{
    invocation.ports = parser.values(kPort);
    if (invocation.ports.isEmpty()) {
        throw UsageError("--port is required");
    }
    if (invocation.verb != Verb::Write && invocation.ports.size() > 1) {
        throw UsageError("only write takes more than one --port");
    }
    for (const QString& port : invocation.ports) {
        if (port.isEmpty()) {
            throw UsageError("--port is empty");
        }
        if (invocation.ports.count(port) > 1) {
            throw UsageError(QStringLiteral("--port %1 is given twice").arg(port).toStdString());
        }
    }
}

} // namespace

QString helpText()
{
    return QStringLiteral(
        "Usage: qv418k-cli COMMAND [OPTIONS]\n"
        "Configures QV418K-TR instruments from the command line, with profile files\n"
        "(see qv418k-cli(1) and docs/profile-format.md).\n"
        "\n"
        "Commands:\n"
        "  ports [--json]                     serial ports found: device, description,\n"
        "                                     maker, serial number, USB vendor:product\n"
        "  identify --port P                  the Communication Test answer\n"
        "  read --port P [--output FILE] [--identify]\n"
        "                                     the settings, as a profile on stdout or in FILE\n"
        "                                     (--identify: with the Communication Test answer)\n"
        "  write FILE --port P [--port P2 ...] [--no-verify]\n"
        "                                     every setting of the profile written, then\n"
        "                                     read back and compared; several ports at once\n"
        "  diff FILE --port P                 read, then list the settings that differ\n"
        "  monitor --port P [--interval MS] [--count N]\n"
        "                                     Real-Time Data polled, CSV on stdout:\n"
        "                                     time,address,UTODV,AD01,AD02\n"
        "\n"
        "Common options:\n"
        "  --port P        COMn, a device path (/dev/ttyUSB0), socket://HOST:PORT or\n"
        "                  rfc2217://HOST:PORT\n"
        "  --timeout MS    no complete answer within MS is an error (default 2000)\n"
        "  -h, --help      this text (also after a command)\n"
        "  --version       the program's version\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  the instrument differs from the profile (diff, or write's read-back)\n"
        "  2  usage or profile error; nothing was sent (read: or FILE could not be written)\n"
        "  3  a port could not be opened or was lost\n"
        "  4  no complete answer in time, or one whose values cannot be used\n"
        "  130  write interrupted by Ctrl+C (the settings written are reported)\n"
        "With several ports, write exits with the highest status of any port.\n");
}

Invocation parseArguments(const QStringList& arguments)
{
    Invocation invocation;
    if (arguments.isEmpty()) {
        throw UsageError("a command is required (see --help)");
    }
    const QString& first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        invocation.helpText = helpText();
        return invocation;
    }
    if (first == QLatin1String("--version")) {
        invocation.verb = Verb::Version;
        return invocation;
    }
    invocation.verb = verbNamed(first);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addOptions(parser, invocation.verb);
    if (!parser.parse(QStringList{QStringLiteral("qv418k-cli")} + arguments)) {
        throw UsageError(parser.errorText().toStdString());
    }
    if (parser.isSet(kHelp)) {
        invocation.helpText = helpText();
        invocation.verb = Verb::Help;
        return invocation;
    }
    takePositional(parser, invocation);
    if (invocation.verb == Verb::Ports) {
        invocation.json = parser.isSet(kJson);
        return invocation;
    }
    takePorts(parser, invocation);
    invocation.timeout = std::chrono::milliseconds(positiveNumber(parser, kTimeout));
    if (invocation.verb == Verb::Read) {
        invocation.output = parser.value(kOutput);
        invocation.identify = parser.isSet(kIdentify);
    } else if (invocation.verb == Verb::Write) {
        invocation.verify = !parser.isSet(kNoVerify);
    } else if (invocation.verb == Verb::Monitor) {
        invocation.interval = std::chrono::milliseconds(positiveNumber(parser, kInterval));
        if (parser.isSet(kCount)) {
            invocation.count = positiveNumber(parser, kCount);
        }
    }
    return invocation;
}

} // namespace qv::cli
