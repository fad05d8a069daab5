#include "ser2net_process.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

namespace {

constexpr int kListenTimeoutMs = 5000;
// The state of a listening socket in /proc/net/tcp.
const QString kListenState = QStringLiteral("0A");

} // namespace

QString Ser2netProcess::binary()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    if (!found.isEmpty())
        return found;
    return QStandardPaths::findExecutable(QStringLiteral("ser2net"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
}

quint16 Ser2netProcess::freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

Ser2netProcess::~Ser2netProcess()
{
    stop();
}

bool Ser2netProcess::start(Mode mode, quint16 port, const QString& device, const QString& line)
{
    m_mode = mode;
    m_port = port;
    const QString accepter =
        mode == Mode::Raw ? QStringLiteral("tcp") : QStringLiteral("telnet(rfc2217),tcp");
    const QString config = QStringLiteral("connection: &qv418k\n"
                                          "  accepter: %1,127.0.0.1,%2\n"
                                          "  connector: serialdev,%3,%4,local\n")
                               .arg(accepter)
                               .arg(port)
                               .arg(device, line);
    const QString configPath = m_folder.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(configPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) != config.size()) {
        qWarning("cannot write %s", qPrintable(configPath));
        return false;
    }
    file.close();
    // -n: stay in the foreground, -u: no UUCP lock files, -P: a pid file of our own.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(binary(),
                    {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), configPath,
                     QStringLiteral("-P"), m_folder.filePath(QStringLiteral("ser2net.pid"))});
    if (!m_process.waitForStarted(3000)) {
        qWarning("ser2net did not start: %s", qPrintable(m_process.errorString()));
        return false;
    }
    if (!QTest::qWaitFor([this] { return isListening(); }, kListenTimeoutMs)) {
        qWarning("ser2net does not listen on 127.0.0.1:%u", port);
        return false;
    }
    return true;
}

void Ser2netProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void Ser2netProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(3000);
}

QString Ser2netProcess::address() const
{
    const QString scheme =
        m_mode == Mode::Raw ? QStringLiteral("socket") : QStringLiteral("rfc2217");
    return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(m_port);
}

// Read from the kernel's socket table rather than by connecting, which would make
// ser2net open the device.
bool Ser2netProcess::isListening() const
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QString local =
        QStringLiteral("0100007F:%1").arg(m_port, 4, 16, QLatin1Char('0')).toUpper();
    const QString any =
        QStringLiteral("00000000:%1").arg(m_port, 4, 16, QLatin1Char('0')).toUpper();
    for (const QByteArray& row : table.readAll().split('\n')) {
        const QStringList fields = QString::fromLatin1(row).simplified().split(' ');
        if (fields.size() > 3 && (fields[1] == local || fields[1] == any) &&
            fields[3] == kListenState)
            return true;
    }
    return false;
}
