#include "sim_process.h"

#include <QTest>

namespace {

const QByteArray kLinePrefix = "qv418k-sim: ";
const QByteArray kAddressStart = "type ";
const QByteArray kAddressEnd = " into the COM Port box";
const QString kConfigReply = QStringLiteral("config ");

constexpr int kReplyTimeoutMs = 5000;

} // namespace

SimProcess::SimProcess(const QStringList& arguments, QObject* parent) : QObject(parent)
{
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &SimProcess::readLines);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(QV418K_SIM_PATH), arguments);
    // isReady() tells the caller whether the address came in time.
    (void)QTest::qWaitFor([this] { return isReady(); }, kReplyTimeoutMs);
}

SimProcess::~SimProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(kReplyTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QString SimProcess::control(const QString& command)
{
    m_replies.clear();
    m_process.write(command.toUtf8() + '\n');
    if (!QTest::qWaitFor([this] { return !m_replies.isEmpty(); }, kReplyTimeoutMs))
        return {};
    return m_replies.takeFirst();
}

QMap<QString, QString> SimProcess::show()
{
    QMap<QString, QString> values;
    const QString reply = control(QStringLiteral("show"));
    if (!reply.startsWith(kConfigReply))
        return values;
    for (const QString& pair : reply.mid(kConfigReply.size()).split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals > 0)
            values.insert(pair.left(equals), pair.mid(equals + 1));
    }
    return values;
}

// Address lines come at start and after every drop, whenever the line is replaced;
// every other line is the reply to a control command.
void SimProcess::readLines()
{
    m_pending += m_process.readAllStandardOutput();
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (!line.startsWith(kLinePrefix))
            continue;
        line.remove(0, kLinePrefix.size());
        if (line.startsWith(kAddressStart) && line.endsWith(kAddressEnd)) {
            m_address = QString::fromUtf8(line.mid(
                kAddressStart.size(), line.size() - kAddressStart.size() - kAddressEnd.size()));
            ++m_addressCount;
        } else {
            m_replies.append(QString::fromUtf8(line));
        }
    }
}
