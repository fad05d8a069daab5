#include "rfc2217_port_adapter.h"

#include "link_constants.h"
#include "rfc2217_session.h"

#include <QTimer>

namespace qv {

namespace {

QByteArray toBytes(const std::string& bytes)
{
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

Rfc2217PortAdapter::Rfc2217PortAdapter(QObject* parent)
    : TcpPortAdapter(parent), m_setupTimer(new QTimer(this))
{
    m_setupTimer->setSingleShot(true);
    m_setupTimer->setInterval(kComPortSetupTimeout);
    connect(m_setupTimer, &QTimer::timeout, this, &Rfc2217PortAdapter::onSetupTimedOut);
}

Rfc2217PortAdapter::~Rfc2217PortAdapter() = default;

void Rfc2217PortAdapter::startSession()
{
    m_session = std::make_unique<Rfc2217Session>();
    m_ready = false;
    m_setupTimer->start();
    sendRaw(toBytes(m_session->start()));
}

QByteArray Rfc2217PortAdapter::decode(const QByteArray& received)
{
    if (!m_session)
        return {};
    Rfc2217Session::Output out = m_session->receive(received.toStdString());
    if (!out.reply.empty())
        sendRaw(toBytes(out.reply));
    checkSetup();
    return toBytes(out.data);
}

QByteArray Rfc2217PortAdapter::encode(const QByteArray& data)
{
    return toBytes(Rfc2217Session::encodeData(data.toStdString()));
}

void Rfc2217PortAdapter::endSession()
{
    m_setupTimer->stop();
    m_session.reset();
    m_ready = false;
}

// Called after every piece received: the first time the line is ready the port opens;
// a refusal or a wrong setting ends the connection with one report.
void Rfc2217PortAdapter::checkSetup()
{
    if (m_ready)
        return;
    switch (m_session->setup()) {
    case Rfc2217Session::Setup::Ready:
        m_ready = true;
        m_setupTimer->stop();
        reportOpened();
        return;
    case Rfc2217Session::Setup::Refused:
        failOpen(QStringLiteral("the server refuses the COM-PORT-OPTION (RFC 2217); %1")
                     .arg(plainConnectionHint()));
        return;
    case Rfc2217Session::Setup::Mismatch:
        failOpen(QStringLiteral("%1; %2").arg(QString::fromStdString(m_session->mismatch()),
                                              plainConnectionHint()));
        return;
    case Rfc2217Session::Setup::AwaitingComPort:
    case Rfc2217Session::Setup::AwaitingLine:
        return;
    }
}

// The modem lines are not waited for: a device without them (a pseudo-terminal) never
// acknowledges DTR and RTS, and a local port tolerates the same.
void Rfc2217PortAdapter::onSetupTimedOut()
{
    if (!m_session || m_ready)
        return;
    QString cause = QStringLiteral("the server sent %1 within %2 s")
                        .arg(QString::fromStdString(m_session->awaited()))
                        .arg(kComPortSetupTimeout.count() / 1000);
    if (m_session->setup() == Rfc2217Session::Setup::AwaitingComPort)
        cause += QStringLiteral("; ") + plainConnectionHint();
    failOpen(cause);
}

QString Rfc2217PortAdapter::plainConnectionHint() const
{
    return QStringLiteral("for a plain connection type %1")
        .arg(typedWithScheme(QStringLiteral("socket://")));
}

} // namespace qv
