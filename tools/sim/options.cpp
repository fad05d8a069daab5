#include "options.h"

#include "fixed_decimal.h"

namespace qvsim {
namespace {

long long numberArgument(std::string_view option, std::string_view text, long long lowest,
                         long long highest)
{
    const auto value = parseInteger(text);
    if (!value || *value < lowest || *value > highest) {
        throw UsageError(std::string(option) + " needs a number from " + std::to_string(lowest) +
                         " to " + std::to_string(highest) + ", not '" + std::string(text) + "'");
    }
    return *value;
}

} // namespace

Options parseOptions(std::span<const std::string_view> arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view option = arguments[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        if (option == "--verbose" || option == "-v") {
            options.verbose = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            throw UsageError("unknown option or missing value: '" + std::string(option) + "'");
        }
        const std::string_view value = arguments[++i];
        if (option == "--link") {
            options.linkPath = std::string(value);
        } else if (option == "--tcp") {
            options.tcpPort = static_cast<std::uint16_t>(numberArgument(option, value, 0, 65535));
        } else if (option == "--control") {
            options.controlPath = std::string(value);
        } else if (option == "--seed") {
            options.seed = static_cast<std::uint32_t>(numberArgument(option, value, 0, 4294967295));
        } else if (option == "--split-ms") {
            options.splitMs = static_cast<int>(numberArgument(option, value, 1, 60000));
        } else {
            throw UsageError("unknown option '" + std::string(option) + "'");
        }
    }
    if (options.linkPath && options.tcpPort) {
        throw UsageError("--link makes no sense with --tcp");
    }
    return options;
}

std::string usage()
{
    return R"(Usage: qv418k-sim [OPTIONS]
A virtual QV418K-TR instrument for qv418k-config.

By default it creates a pseudo-terminal and prints its path:
  qv418k-sim: type /dev/pts/N into the COM Port box

Options:
  --link PATH      also make a symbolic link PATH to the pseudo-terminal (kept
                   pointing at the current one, removed at exit)
  --tcp PORT       listen on 127.0.0.1:PORT instead (0 picks a free port) and print
                   "socket://127.0.0.1:PORT" as the address; one client at a time
  --control PATH   also take control commands from clients of a unix stream socket
                   at PATH (each command gets its reply line on that socket too)
  --seed N         seed of the drifting readings and of garbage (default 1)
  --split-ms N     split every answer by a pause of N ms in the middle
  --verbose, -v    trace every frame received and answer sent on stderr
  --help, -h       this text

Control commands, one per line on stdin (and the control socket). Unless noted
they apply to the next answer only; several may be combined:
  split N          a pause of N ms in the middle of the answer
  silence          no answer
  garbage          random printable bytes instead of the answer
  nul              a NUL byte at the start of the answer's second half
  badindex         a letter in place of the baud-rate digit (parameter answer)
  long             the answer preceded by 2500 bytes of filler
  drop next        close the connection instead of answering
  refuse           refuse the next write frame ("ERR", nothing applied); queries
                   before it are answered as usual
  drop             close the connection now (a pseudo-terminal is replaced by a
                   new one and its path printed again)
  show             print the configuration: "qv418k-sim: config key=value ..."
  show line        print the line the program set on the pseudo-terminal:
                   "qv418k-sim: line 9600 8N1"; while it is not 9600 8N1 the
                   instrument hears nothing (a TCP port has no line settings)
  set KEY VALUE    change a setting: address baud parity variable ma4 ma20 pz1
                   pz2 ad1urv ad1lrv ad1start ad2urv ad2lrv ad2start (anything
                   the answer can show), or pin a reading: a01 a02 a03 (a number,
                   or "drift" to let it drift again)
  quit             stop
Every command is answered by one line: "qv418k-sim: ok <command>",
"qv418k-sim: config ...", "qv418k-sim: line ..." or "qv418k-sim: error <reason>".
The simulator stops on quit, SIGINT or SIGTERM; the end of stdin does not stop it.
)";
}

} // namespace qvsim
