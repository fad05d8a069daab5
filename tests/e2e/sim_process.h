#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

// The built qv418k-sim run as a child process, as an operator's helper would run it:
// its line address read from what it prints, its control commands written to its stdin,
// one reply line read back for each.
class SimProcess
{
public:
    // Starts the simulator with these options and waits for its first address line.
    explicit SimProcess(const QStringList& options = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // What the simulator last told the operator to type into the COM Port box.
    QString address() const { return m_address; }

    // Sends one control command and returns its reply line without the "qv418k-sim: "
    // prefix ("ok split 150", "config ...", "error ..."). A command that makes a new
    // line (drop) also updates address().
    QString control(const QString& command);
    // Waits for the line the simulator announces after dropping the connection when a
    // frame came (`drop next`); true once address() names it.
    bool awaitNewLine(int timeoutMs = 5000) { return takeAddress(readLine(timeoutMs)); }
    // Sends a command and tells whether it was accepted.
    bool apply(const QString& command) { return control(command) == "ok " + command; }
    // The configuration as `show` prints it, key by key.
    QMap<QString, QString> config();

    // Stops it with SIGTERM, as the start script does; true when it exited in time.
    bool stop();

private:
    QString readLine(int timeoutMs = 3000);
    // Takes an address line, or returns false and leaves the line unread.
    bool takeAddress(const QString& line);

    QProcess m_process;
    QString m_address;
};
