#include "sim_process.h"

#include <QDeadlineTimer>

namespace {

const QString kPrefix = QStringLiteral("qv418k-sim: ");
const QString kAddressStart = QStringLiteral("type ");
const QString kAddressEnd = QStringLiteral(" into the COM Port box");
const QString kConfigStart = QStringLiteral("config ");

} // namespace

SimProcess::SimProcess(const QStringList& options)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(QV418K_SIM_PATH), options);
    if (m_process.waitForStarted(3000))
        takeAddress(readLine());
}

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::control(const QString& command)
{
    m_process.write((command + '\n').toUtf8());
    m_process.waitForBytesWritten(1000);
    QString reply = readLine();
    // drop announces the new line before its own reply.
    while (takeAddress(reply))
        reply = readLine();
    return reply;
}

QMap<QString, QString> SimProcess::config()
{
    QMap<QString, QString> values;
    const QString reply = control(QStringLiteral("show"));
    if (!reply.startsWith(kConfigStart))
        return values;
    for (const QString& pair : reply.mid(kConfigStart.size()).split(' ', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf('=');
        values.insert(pair.left(equals), pair.mid(equals + 1));
    }
    return values;
}

bool SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.terminate();
    if (m_process.waitForFinished(3000))
        return true;
    m_process.kill();
    m_process.waitForFinished(1000);
    return false;
}

QString SimProcess::readLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(deadline.remainingTime()))
            return QStringLiteral("<no line from the simulator>");
    }
    QString line = QString::fromUtf8(m_process.readLine()).chopped(1);
    return line.startsWith(kPrefix) ? line.mid(kPrefix.size()) : line;
}

bool SimProcess::takeAddress(const QString& line)
{
    if (!line.startsWith(kAddressStart) || !line.endsWith(kAddressEnd))
        return false;
    m_address =
        line.mid(kAddressStart.size(), line.size() - kAddressStart.size() - kAddressEnd.size());
    return true;
}
