#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <stdexcept>

namespace qv::cli {

enum class Verb { Ports, Identify, Read, Write, Diff, Monitor, Help, Version };

// What the command line asks for, checked: a verb's required arguments are there and
// every number is in range.
struct Invocation
{
    Verb verb = Verb::Help;
    QStringList ports;     // one for every verb that talks to an instrument; write: one or more
    QString profile;       // write, diff
    QString output;        // read: the file, empty for stdout
    bool identify = false; // read: also the Communication Test answer
    bool json = false;     // ports
    bool verify = true;    // write
    std::chrono::milliseconds timeout{2000};
    std::chrono::milliseconds interval{1000}; // monitor
    std::optional<int> count;                 // monitor: rows, none for until Ctrl+C
    QString helpText;                         // Help: the text to print
};

// A command line that cannot be followed; what() says why, in one line.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// `arguments` without the program name. Throws UsageError.
Invocation parseArguments(const QStringList& arguments);

// The whole help: subcommands, common options and exit statuses.
QString helpText();

} // namespace qv::cli
