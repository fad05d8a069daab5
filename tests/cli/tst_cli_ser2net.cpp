// qv418k-cli through Debian's ser2net, a real serial device server, with the simulated
// instrument on a pseudo-terminal as ser2net's device: a profile read, then a changed
// one written and verified, over a raw TCP accepter (socket://) and over
// telnet(rfc2217) (rfc2217://).

#include "cli_run.h"
#include "profile.h"
#include "ser2net_process.h"
#include "sim_process.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Mode = Ser2netProcess::Mode;

Q_DECLARE_METATYPE(Ser2netProcess::Mode)

namespace {

// A configuration other than the simulator's factory one, in the instrument's form.
const QStringList kOtherSettings = {
    "set address 42", "set baud 4",        "set parity 2",     "set variable 1", "set ma4 03.50",
    "set ma20 19.75", "set ad1urv 120.5",  "set ad1lrv -01.5", "set ad1start 2", "set ad2urv 80",
    "set ad2lrv 10",  "set ad2start 11.5", "set pz1 150",      "set pz2 7",
};

} // namespace

class TestCliThroughSer2net : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void readThenWriteWithVerify_data();
    void readThenWriteWithVerify();

private:
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<Ser2netProcess> m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliThroughSer2net::initTestCase()
{
    if (Ser2netProcess::binary().isEmpty())
        QSKIP("ser2net is not installed (Debian package ser2net); the device server tests "
              "need it");
}

void TestCliThroughSer2net::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_sim = std::make_unique<SimProcess>();
    QVERIFY2(m_sim->address().startsWith("/dev/"), qPrintable(m_sim->address()));
}

void TestCliThroughSer2net::cleanup()
{
    m_server.reset();
    QVERIFY(!m_sim || m_sim->stop());
    m_sim.reset();
    m_dir.reset();
}

// Over RFC 2217 ser2net's connector starts at another line, where the instrument is
// deaf: only the line the tool sets on open lets it answer. A raw accepter passes bytes
// only, so its connector is at the instrument's line.
void TestCliThroughSer2net::readThenWriteWithVerify_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("connectorLine");
    QTest::newRow("rfc2217, connector at 19200e71") << Mode::Rfc2217 << QStringLiteral("19200e71");
    QTest::newRow("raw, connector at 9600n81") << Mode::Raw << QStringLiteral("9600n81");
}

void TestCliThroughSer2net::readThenWriteWithVerify()
{
    QFETCH(Mode, mode);
    QFETCH(QString, connectorLine);
    for (const QString& setting : kOtherSettings) {
        QVERIFY2(m_sim->apply(setting), qPrintable(setting));
    }
    m_server = std::make_unique<Ser2netProcess>();
    QVERIFY(m_server->start(mode, Ser2netProcess::freePort(), m_sim->address(), connectorLine));
    const QString port = m_server->address();

    const QString file = m_dir->filePath("unit.json");
    const CliRun read = runCli({"read", "--port", port, "--output", file});
    QVERIFY2(read.exitCode == 0 && read.out.isEmpty() && read.err.isEmpty(),
             qPrintable(describe(read)));
    QCOMPARE(m_sim->control("show line"), QStringLiteral("line 9600 8N1"));
    qv::Profile profile = qv::loadProfile(file);
    QCOMPARE(profile.readFrom, port);
    QCOMPARE(profile.settings.address, QStringLiteral("042"));
    QCOMPARE(profile.settings.baudRate, QStringLiteral("19200"));
    QCOMPARE(profile.settings.ad1Lrv, QStringLiteral("-01.5"));
    QCOMPARE(profile.settings.ad2Start, QStringLiteral("011.5"));
    QCOMPARE(profile.settings.ad2FineTuning, QStringLiteral("007"));

    profile.settings.address = QStringLiteral("017");
    profile.settings.output20mA = QStringLiteral("18.50");
    profile.settings.ad2Urv = QStringLiteral("095.5");
    qv::saveProfile(profile, file);
    const CliRun write = runCli({"write", file, "--port", port});
    QVERIFY2(write.exitCode == 0, qPrintable(describe(write)));
    QCOMPARE(lines(write.out),
             QStringList({port + ": written and verified", "1 of 1 units written and verified"}));
    const QMap<QString, QString> config = m_sim->config();
    QCOMPARE(config.value("address"), QStringLiteral("017"));
    QCOMPARE(config.value("ma20"), QStringLiteral("18.50"));
    QCOMPARE(config.value("ad2urv"), QStringLiteral("095.5"));
    QCOMPARE(config.value("ad1lrv"), QStringLiteral("-01.5"));
}

QTEST_GUILESS_MAIN(TestCliThroughSer2net)
#include "tst_cli_ser2net.moc"
