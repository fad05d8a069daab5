// A port held by another program, seen from the window: "Open" fails with the usual
// report and leaves the window closed; once the other program lets go (or dies), the
// next "Open" works. And the other way round: a port the window has open is refused to
// other programs.

#include "error_report.h"
#include "mainform1.h"
#include "pty_pair.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

constexpr int kWaitMs = 5000;

} // namespace

class PortContentionTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void portHeldElsewhereOpensOnceReleased_data();
    void portHeldElsewhereOpensOnceReleased();
    void portOpenInWindowIsRefusedToOthers();

private:
    // Starts the holder on the pty; returns its first line ("held", "refused: ...").
    QString startHolder();
    void pressOpen();
    QPushButton* openClose() const;

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<Tmainform1> m_window;
    std::unique_ptr<QProcess> m_holder;
    QStringList m_reports;
};

void PortContentionTest::init()
{
    m_reports.clear();
    setErrorReportSink([this](const QString&, const QString& text) { m_reports.append(text); });
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    m_window = std::make_unique<Tmainform1>();
    m_window->show();
    auto* port = m_window->findChild<QComboBox*>(QStringLiteral("SPREALCOM"));
    port->lineEdit()->selectAll();
    QTest::keyClicks(port->lineEdit(), m_pty->slavePath());
}

void PortContentionTest::cleanup()
{
    if (m_holder) {
        m_holder->kill();
        m_holder->waitForFinished();
    }
    m_holder.reset();
    m_window.reset();
    m_pty.reset();
    setErrorReportSink({});
}

QString PortContentionTest::startHolder()
{
    m_holder = std::make_unique<QProcess>();
    m_holder->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_holder->start(QStringLiteral(PORT_HOLDER_PATH), {m_pty->slavePath()});
    if (!m_holder->waitForStarted(kWaitMs))
        return QStringLiteral("<not started>");
    while (!m_holder->canReadLine() && m_holder->waitForReadyRead(kWaitMs)) {
    }
    return QString::fromUtf8(m_holder->readLine()).trimmed();
}

void PortContentionTest::pressOpen()
{
    QTest::mouseClick(openClose(), Qt::LeftButton);
}

QPushButton* PortContentionTest::openClose() const
{
    return m_window->findChild<QPushButton*>(QStringLiteral("Button10"));
}

void PortContentionTest::portHeldElsewhereOpensOnceReleased_data()
{
    QTest::addColumn<bool>("holderDies");
    QTest::newRow("the other program closes the port and exits") << false;
    QTest::newRow("the other program is killed, leaving its lock file behind") << true;
}

void PortContentionTest::portHeldElsewhereOpensOnceReleased()
{
    QFETCH(bool, holderDies);
    QCOMPARE(startHolder(), QStringLiteral("held"));

    pressOpen();
    QTRY_COMPARE_WITH_TIMEOUT(m_reports, QStringList{"Error opening serial port."}, kWaitMs);
    QCOMPARE(openClose()->text(), QStringLiteral("Open"));
    QVERIFY(!m_window->PortOpen());

    if (holderDies) {
        m_holder->kill();
    } else {
        m_holder->closeWriteChannel();
    }
    QVERIFY(m_holder->waitForFinished(kWaitMs));
    QCOMPARE(m_holder->exitStatus(), holderDies ? QProcess::CrashExit : QProcess::NormalExit);

    pressOpen();
    QTRY_COMPARE_WITH_TIMEOUT(openClose()->text(), QStringLiteral("Close"), kWaitMs);
    QVERIFY(m_window->PortOpen());
    QCOMPARE(m_reports.size(), 1);

    // The port really is ours: a frame reaches the far end.
    QTest::mouseClick(m_window->findChild<QPushButton*>(QStringLiteral("Button14")),
                      Qt::LeftButton);
    QByteArray sent;
    QTRY_COMPARE_WITH_TIMEOUT((sent += m_pty->takeReceived(), sent), QByteArray("PPPPPP#VAR#"),
                              kWaitMs);
}

void PortContentionTest::portOpenInWindowIsRefusedToOthers()
{
    pressOpen();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->PortOpen(), kWaitMs);

    QVERIFY(startHolder().startsWith(QStringLiteral("refused: ")));
    QVERIFY(m_holder->waitForFinished(kWaitMs));
    QCOMPARE(m_holder->exitCode(), 1);
    QVERIFY(m_window->PortOpen());
    QVERIFY(m_reports.isEmpty());
}

QTEST_MAIN(PortContentionTest)
#include "tst_port_contention.moc"
