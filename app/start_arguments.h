#pragma once

#include <QString>
#include <QStringList>

namespace qv {

// What the command line asks of the program: run the window (with a port name to put
// into the COM Port box, if one was given), or only print something and exit.
struct StartRequest
{
    enum class Action { RunWindow, PrintAndExit };

    Action action = Action::RunWindow;
    QString portName; // empty: the box keeps its first item
    QString output;   // what to print before exiting
    bool toStderr = false;
    int exitCode = 0;
};

// Reads `qv418k-config [PORT]`, --help/-h and --version/-v; `arguments` starts with the
// program's own name, as argv does. A second port or an unknown option gives the usage
// on stderr and exit code 2. Opening the port stays the
// operator's choice: the name is only put into the box.
StartRequest parseStartArguments(const QStringList& arguments, const QString& version);

} // namespace qv
