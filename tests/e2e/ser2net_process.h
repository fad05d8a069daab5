#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Debian's ser2net run as a child process on 127.0.0.1, with a YAML configuration
// written into a temporary folder: one connection from a TCP port to a device.
class Ser2netProcess
{
public:
    enum class Mode { Raw, Rfc2217 };

    // The installed ser2net, or empty when it is not installed.
    static QString binary();
    // A TCP port on 127.0.0.1 that nothing listens on right now.
    static quint16 freePort();

    Ser2netProcess() = default;
    ~Ser2netProcess();
    Ser2netProcess(const Ser2netProcess&) = delete;
    Ser2netProcess& operator=(const Ser2netProcess&) = delete;

    // Starts ser2net serving `device` on `port` with the connector's line (e.g.
    // "9600n81") and waits until it listens; false with a warning when it does not.
    bool start(Mode mode, quint16 port, const QString& device, const QString& line);
    // SIGTERM and wait; then SIGKILL if it did not end.
    void stop();
    // SIGKILL, as a crash or a power cut of the device server.
    void kill();

    // "socket://127.0.0.1:PORT" or "rfc2217://127.0.0.1:PORT".
    QString address() const;

private:
    bool isListening() const;

    QTemporaryDir m_folder;
    QProcess m_process;
    Mode m_mode = Mode::Raw;
    quint16 m_port = 0;
};
