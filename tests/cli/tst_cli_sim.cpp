// qv418k-cli run as a program against running simulators, as a script would run it:
// exit statuses, stdout and stderr, and what the simulators ended up holding.

#include "cli_run.h"
#include "profile.h"
#include "sim_process.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <signal.h>
#include <vector>

namespace {

// A well-formed monitor row: an ISO time and four readings, the address 001.
bool isReadingRow(const QString& line)
{
    const QStringList fields = line.split(u',');
    if (fields.size() != 5 || fields[1] != QLatin1String("001")) {
        return false;
    }
    if (!QDateTime::fromString(fields[0], Qt::ISODateWithMs).isValid()) {
        return false;
    }
    for (int i = 2; i < 5; ++i) {
        bool number = false;
        fields[i].toDouble(&number);
        if (!number) {
            return false;
        }
    }
    return true;
}

// What the simulator's `show` calls each profile setting, and how it shows it.
const QList<QPair<QString, QString>> kSimKeys = {
    {"address", "address"},          {"baud_rate", "baud"},      {"parity", "parity"},
    {"output_variable", "variable"}, {"output_4ma", "ma4"},      {"output_20ma", "ma20"},
    {"ad1_urv", "ad1urv"},           {"ad1_lrv", "ad1lrv"},      {"ad1_start", "ad1start"},
    {"ad2_urv", "ad2urv"},           {"ad2_lrv", "ad2lrv"},      {"ad2_start", "ad2start"},
    {"ad1_fine_tuning", "pz1"},      {"ad2_fine_tuning", "pz2"},
};

// A configuration other than the simulator's factory one, in the instrument's form.
const QList<QPair<QString, QString>> kOtherSettings = {
    {"address", "042"},    {"baud", "4"},       {"parity", "2"},     {"variable", "1"},
    {"ma4", "03.50"},      {"ma20", "19.75"},   {"ad1urv", "120.5"}, {"ad1lrv", "-01.5"},
    {"ad1start", "002.0"}, {"ad2urv", "080.0"}, {"ad2lrv", "010.0"}, {"ad2start", "011.5"},
    {"pz1", "150"},        {"pz2", "007"},
};

} // namespace

class TestCliAgainstSimulator : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void versionAndHelp();
    void portsAreListed();
    void identifyPrintsTheAnswer();
    void readWriteReadGivesTheSameSettings();
    void readOverASocket();
    void badInvocation_data();
    void badInvocation();
    void parallelWriteKeepsEachUnitsFailureItsOwn();
    void refusedValueShowsInTheReadBack();
    void diffListsWhatDiffers();
    void unusableAnswers_data();
    void unusableAnswers();
    void splitAnswerIsStillTaken();
    void portThatCannotBeOpened();
    void monitorPrintsTheRowsAskedFor();
    void monitorEndsWhenTheLineIsLost();
    void ctrlCEndsMonitorWithWholeRows();
    void ctrlCStopsWriteAfterTheFrameOnTheLine();

private:
    SimProcess& startSim(const QStringList& options = {});
    QString writeFile(const QString& name, const QByteArray& bytes);
    // The simulator's configuration in profile keys.
    QMap<QString, QString> simSettings(SimProcess& sim);

    std::vector<std::unique_ptr<SimProcess>> m_sims;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliAgainstSimulator::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCliAgainstSimulator::cleanup()
{
    for (auto& sim : m_sims) {
        QVERIFY(sim->stop());
    }
    m_sims.clear();
    m_dir.reset();
}

SimProcess& TestCliAgainstSimulator::startSim(const QStringList& options)
{
    m_sims.push_back(std::make_unique<SimProcess>(options));
    SimProcess& sim = *m_sims.back();
    if (!sim.isRunning() || sim.address().isEmpty()) {
        qWarning("the simulator did not start");
    }
    return sim;
}

QString TestCliAgainstSimulator::writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

QMap<QString, QString> TestCliAgainstSimulator::simSettings(SimProcess& sim)
{
    const QMap<QString, QString> config = sim.config();
    QMap<QString, QString> settings;
    for (const auto& [profileKey, simKey] : kSimKeys) {
        settings.insert(profileKey, config.value(simKey));
    }
    return settings;
}

void TestCliAgainstSimulator::versionAndHelp()
{
    const CliRun version = runCli({"--version"});
    QCOMPARE(version.exitCode, 0);
    QVERIFY(version.out.startsWith("qv418k-cli "));
    for (const QStringList& arguments : {QStringList{"--help"}, QStringList{"write", "--help"}}) {
        const CliRun help = runCli(arguments);
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.contains("Exit status:") && help.out.contains("monitor"),
                 qPrintable(describe(help)));
    }
}

void TestCliAgainstSimulator::portsAreListed()
{
    const CliRun table = runCli({"ports"});
    QCOMPARE(table.exitCode, 0);
    QVERIFY2(table.out.startsWith("DEVICE"), qPrintable(describe(table)));

    const CliRun json = runCli({"ports", "--json"});
    QCOMPARE(json.exitCode, 0);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.out.toUtf8(), &error);
    QVERIFY2(document.isArray(), qPrintable(describe(json)));
    const QJsonArray ports = document.array();
    QCOMPARE(ports.size(), lines(table.out).size() - 1);
    for (const QJsonValue& port : ports) {
        QVERIFY(port.toObject().value("device").isString());
        QVERIFY(port.toObject().contains("usb_id"));
    }
}

void TestCliAgainstSimulator::identifyPrintsTheAnswer()
{
    SimProcess& sim = startSim();
    const CliRun run = runCli({"identify", "--port", sim.address()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("QV418K-TR SIM V1.0\n"));
    QCOMPARE(run.err, QString());
}

void TestCliAgainstSimulator::readWriteReadGivesTheSameSettings()
{
    SimProcess& golden = startSim();
    SimProcess& blank = startSim();
    for (const auto& [key, value] : kOtherSettings) {
        QVERIFY(golden.apply(QStringLiteral("set %1 %2").arg(key, value)));
    }
    const QString goldenFile = m_dir->filePath("golden.json");
    const CliRun read =
        runCli({"read", "--port", golden.address(), "--output", goldenFile, "--identify"});
    QVERIFY2(read.exitCode == 0 && read.out.isEmpty(), qPrintable(describe(read)));

    const CliRun write = runCli({"write", goldenFile, "--port", blank.address()});
    QVERIFY2(write.exitCode == 0, qPrintable(describe(write)));
    QCOMPARE(lines(write.out), QStringList({blank.address() + ": written and verified",
                                            "1 of 1 units written and verified"}));

    const CliRun readBack = runCli({"read", "--port", blank.address()});
    QVERIFY2(readBack.exitCode == 0, qPrintable(describe(readBack)));
    const qv::Profile written = qv::loadProfile(goldenFile);
    const qv::Profile copy = qv::parseProfile(readBack.out.toUtf8(), "stdout");
    QCOMPARE(copy.settings, written.settings);
    QCOMPARE(written.readFrom, golden.address());
    QCOMPARE(written.identification, QStringLiteral("QV418K-TR SIM V1.0"));
    QVERIFY(copy.identification.isEmpty());
    QCOMPARE(written.settings.ad1Lrv, QStringLiteral("-01.5"));
    QCOMPARE(written.settings.baudRate, QStringLiteral("19200"));
    QCOMPARE(simSettings(blank), simSettings(golden));
}

void TestCliAgainstSimulator::readOverASocket()
{
    SimProcess& sim = startSim({"--tcp", "0"});
    QVERIFY(sim.address().startsWith("socket://127.0.0.1:"));
    const CliRun run = runCli({"read", "--port", sim.address()});
    QVERIFY2(run.exitCode == 0, qPrintable(describe(run)));
    QCOMPARE(qv::parseProfile(run.out.toUtf8(), "stdout").settings.ad1Urv, QStringLiteral("100.0"));
}

// Nothing is sent: the simulator is armed to drop its line at the first frame, which
// would announce a new line.
void TestCliAgainstSimulator::badInvocation_data()
{
    QTest::addColumn<QByteArray>("profile"); // empty: no profile file is written
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");

    const QByteArray sample = sampleProfile();
    const auto changed = [&sample](const char* from, const char* to) {
        QByteArray bytes = sample;
        return bytes.replace(from, to);
    };
    const QStringList write = {"write", "PROFILE", "--port", "PORT"};
    QTest::newRow("not JSON") << QByteArray("{\"format\": ") << write << "PROFILE: not JSON";
    QTest::newRow("newer version") << changed("\"version\": 1", "\"version\": 2") << write
                                   << "PROFILE: version = 2: written by a newer program";
    QTest::newRow("baud rate not in the list")
        << changed("\"9600\"", "\"9601\"") << write << "PROFILE: settings.baud_rate = \"9601\"";
    QTest::newRow("range value with a delimiter")
        << changed("\"100.0\"", "\"10#.0\"") << write << "PROFILE: settings.ad1_urv = \"10#.0\"";
    QTest::newRow("fine-tuning not an integer")
        << changed("\"ad2_fine_tuning\": \"000\"", "\"ad2_fine_tuning\": \"0x\"") << write
        << "PROFILE: settings.ad2_fine_tuning = \"0x\"";
    QTest::newRow("setting missing")
        << changed("\"parity\": \"None\",", "") << write << "PROFILE: settings.parity: missing";
    QTest::newRow("unknown key") << changed("\"model\"", "\"colour\": \"red\", \"model\"") << write
                                 << "PROFILE: colour = \"red\": unknown key";
    QTest::newRow("diff with a bad profile")
        << changed("\"None\"", "\"none\"") << QStringList{"diff", "PROFILE", "--port", "PORT"}
        << "PROFILE: settings.parity = \"none\"";
    QTest::newRow("profile file missing")
        << QByteArray() << QStringList{"write", "/nonexistent/p.json", "--port", "PORT"}
        << "/nonexistent/p.json: cannot be read";
    QTest::newRow("output folder missing")
        << QByteArray() << QStringList{"read", "--port", "PORT", "--output", "/nonexistent/p.json"}
        << "/nonexistent/p.json: cannot be written";
    QTest::newRow("the same port twice")
        << sample << QStringList{"write", "PROFILE", "--port", "PORT", "--port", "PORT"}
        << "--port PORT is given twice";
    QTest::newRow("no port") << QByteArray() << QStringList{"read"} << "--port is required";
    QTest::newRow("two ports to read")
        << QByteArray() << QStringList{"read", "--port", "PORT", "--port", "PORT"}
        << "only write takes more than one --port";
    QTest::newRow("unknown option")
        << QByteArray() << QStringList{"read", "--port", "PORT", "--fast"}
        << "Unknown option 'fast'";
    QTest::newRow("time-out not a number")
        << QByteArray() << QStringList{"read", "--port", "PORT", "--timeout", "soon"}
        << "--timeout takes a whole number from 1";
    QTest::newRow("count of zero")
        << QByteArray() << QStringList{"monitor", "--port", "PORT", "--count", "0"}
        << "--count takes a whole number from 1";
    QTest::newRow("unknown command")
        << QByteArray() << QStringList{"flash", "--port", "PORT"} << "unknown command \"flash\"";
    QTest::newRow("write without a profile")
        << QByteArray() << QStringList{"write", "--port", "PORT"} << "a profile FILE is required";
}

void TestCliAgainstSimulator::badInvocation()
{
    QFETCH(QByteArray, profile);
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    SimProcess& sim = startSim();
    QVERIFY(sim.apply("drop next"));
    const QString file = profile.isEmpty() ? QString() : writeFile("bad.json", profile);
    arguments.replaceInStrings("PROFILE", file);
    arguments.replaceInStrings("PORT", sim.address());
    error.replace("PROFILE", file);
    error.replace("PORT", sim.address());

    const CliRun run = runCli(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QCOMPARE(lines(run.err).size(), 1);
    QVERIFY2(run.err.startsWith("qv418k-cli: " + error), qPrintable(describe(run)));
    QVERIFY2(!sim.awaitNewLine(300), "the simulator saw a frame");
}

// Five units at once: one refuses the first setting, one goes silent, one drops its
// line mid-write, two verify.
void TestCliAgainstSimulator::parallelWriteKeepsEachUnitsFailureItsOwn()
{
    SimProcess& first = startSim();
    SimProcess& refusing = startSim();
    SimProcess& silent = startSim();
    SimProcess& dropped = startSim({"--tcp", "0"});
    SimProcess& last = startSim({"--tcp", "0"});
    // The same value the others take, turned down once: the address frame goes first.
    QVERIFY(refusing.apply("refuse"));
    QVERIFY(silent.apply("silence"));
    // The first answer is slow (2500 bytes of filler first); once the first frame has
    // been acted on, the line is armed to drop at the second.
    QVERIFY(dropped.apply("long"));
    QByteArray profile = sampleProfile();
    profile.replace("\"001\"", "\"017\"").replace("\"100.0\"", "\"120.5\"");
    const QString file = writeFile("unit.json", profile);

    QProcess write;
    write.start(QStringLiteral(QV418K_CLI_PATH),
                {"write", file, "--timeout", "5000", "--port", first.address(), "--port",
                 refusing.address(), "--port", silent.address(), "--port", dropped.address(),
                 "--port", last.address()});
    QVERIFY(QTest::qWaitFor([&] { return dropped.config().value("address") == "017"; }, kRunMs));
    QVERIFY(dropped.apply("drop next"));
    QVERIFY(write.waitForFinished(kRunMs));
    const CliRun run = {write.exitCode(), QString::fromUtf8(write.readAllStandardOutput()),
                        QString::fromUtf8(write.readAllStandardError())};

    QCOMPARE(run.exitCode, 4); // the highest of 0, 1, 4, 3, 0
    const QStringList out = lines(run.out);
    QCOMPARE(out.size(), 6);
    QCOMPARE(out[0], first.address() + ": written and verified");
    QCOMPARE(out[1], refusing.address() + ": differs after writing: settings.address: profile "
                                          "\"017\", instrument \"001\"");
    QCOMPARE(out[2], silent.address() + ": failed: no complete answer to TARVEN#ST:017# within "
                                        "5000 ms (nothing received) (nothing written)");
    QCOMPARE(out[3], dropped.address() + ": failed: Connection to " + dropped.address() +
                         " lost: The remote host closed the connection (written: address)");
    QCOMPARE(out[4], last.address() + ": written and verified");
    QCOMPARE(out[5], QStringLiteral("2 of 5 units written and verified"));
    // One error line each for the two that failed, naming the port; a difference is a
    // result, not an error.
    const QStringList err = lines(run.err);
    QCOMPARE(err.size(), 2);
    QVERIFY(err.filter(silent.address()).size() == 1 && err.filter(dropped.address()).size() == 1);
    QCOMPARE(first.config().value("ad1urv"), QStringLiteral("120.5"));
    QCOMPARE(last.config().value("ad1urv"), QStringLiteral("120.5"));
    // The refusal stopped nothing on that unit: the later settings went in.
    QCOMPARE(refusing.config().value("address"), QStringLiteral("001"));
    QCOMPARE(refusing.config().value("ad1urv"), QStringLiteral("120.5"));
}

// The simulator refuses a fine-tuning below 0 (the window sends -005 without a
// question); the write goes on, and the read-back names the setting.
void TestCliAgainstSimulator::refusedValueShowsInTheReadBack()
{
    SimProcess& sim = startSim();
    QByteArray profile = sampleProfile();
    profile.replace("\"ad1_fine_tuning\": \"000\"", "\"ad1_fine_tuning\": \"-5\"");
    profile.replace("\"050.0\"", "\"060.0\"");
    const CliRun run = runCli({"write", writeFile("p.json", profile), "--port", sim.address()});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(lines(run.out),
             QStringList({sim.address() + ": differs after writing: settings.ad1_fine_tuning: "
                                          "profile \"-5\", instrument \"000\"",
                          "0 of 1 units written and verified"}));
    QCOMPARE(sim.config().value("ad2urv"), QStringLiteral("060.0")); // later frames went on
}

void TestCliAgainstSimulator::diffListsWhatDiffers()
{
    SimProcess& sim = startSim();
    const QString file = writeFile("p.json", sampleProfile());
    const CliRun same = runCli({"diff", file, "--port", sim.address()});
    QCOMPARE(same.exitCode, 0);
    QCOMPARE(same.out, QString());

    QVERIFY(sim.apply("set ad1urv 120.5"));
    QVERIFY(sim.apply("set parity 1"));
    QVERIFY(sim.apply("set pz2 7")); // shown as 007, and the profile's 000 differs
    const CliRun changed = runCli({"diff", file, "--port", sim.address()});
    QCOMPARE(changed.exitCode, 1);
    QCOMPARE(lines(changed.out),
             QStringList({"settings.parity: profile \"None\", instrument \"Odd\"",
                          "settings.ad1_urv: profile \"100.0\", instrument \"120.5\"",
                          "settings.ad2_fine_tuning: profile \"000\", instrument \"007\""}));
}

void TestCliAgainstSimulator::unusableAnswers_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QString>("error");

    QTest::newRow("read: silence") << QStringList{"silence"} << "read"
                                   << "no complete answer to PPPPPP#CHEACK1# within 800 ms "
                                      "(nothing received)";
    QTest::newRow("read: letter in place of the baud digit") << QStringList{"badindex"} << "read"
                                                             << "'x' is not a valid integer value";
    QTest::newRow("read: garbage") << QStringList{"garbage"} << "read"
                                   << "the parameter answer lacks some of its tags";
    QTest::newRow("read: baud index without an item") << QStringList{"set baud 7"} << "read"
                                                      << "settings.baud_rate = \"\": not one of";
    QTest::newRow("identify: silence") << QStringList{"silence"} << "identify"
                                       << "no complete answer to PPPPPP#VAR#";
    QTest::newRow("monitor: silence") << QStringList{"silence"} << "monitor"
                                      << "no complete answer to PPPPPP#STATUS#";
}

void TestCliAgainstSimulator::unusableAnswers()
{
    QFETCH(QStringList, faults);
    QFETCH(QString, verb);
    QFETCH(QString, error);
    SimProcess& sim = startSim();
    for (const QString& fault : faults) {
        QVERIFY(sim.apply(fault));
    }
    const CliRun run = runCli({verb, "--port", sim.address(), "--timeout", "800"});
    QCOMPARE(run.exitCode, 4);
    QCOMPARE(lines(run.err).size(), 1);
    QVERIFY2(run.err.startsWith("qv418k-cli: " + sim.address() + ": "), qPrintable(run.err));
    QVERIFY2(run.err.contains(error), qPrintable(describe(run)));
}

// A pause in the middle of the answer, longer than the chunk gap: taken whole all the same.
void TestCliAgainstSimulator::splitAnswerIsStillTaken()
{
    SimProcess& sim = startSim();
    QVERIFY(sim.apply("split 400"));
    const CliRun run = runCli({"read", "--port", sim.address()});
    QVERIFY2(run.exitCode == 0, qPrintable(describe(run)));
    QCOMPARE(qv::parseProfile(run.out.toUtf8(), "stdout").settings.ad2Urv, QStringLiteral("050.0"));
}

void TestCliAgainstSimulator::portThatCannotBeOpened()
{
    for (const QString& port :
         {QStringLiteral("/nonexistent/ttyUSB9"), QStringLiteral("socket://127.0.0.1:notaport")}) {
        const CliRun run = runCli({"identify", "--port", port});
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.startsWith("qv418k-cli: " + port + ": "), qPrintable(describe(run)));
    }
}

void TestCliAgainstSimulator::monitorPrintsTheRowsAskedFor()
{
    SimProcess& sim = startSim();
    const CliRun run =
        runCli({"monitor", "--port", sim.address(), "--interval", "100", "--count", "3"});
    QCOMPARE(run.exitCode, 0);
    const QStringList rows = lines(run.out);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], QStringLiteral("time,address,UTODV,AD01,AD02"));
    for (int i = 1; i < rows.size(); ++i) {
        QVERIFY2(isReadingRow(rows[i]), qPrintable(rows[i]));
    }
}

// The line dropped while monitoring, as an unplugged adapter: the rows so far stay, and
// the loss is the error.
void TestCliAgainstSimulator::monitorEndsWhenTheLineIsLost()
{
    SimProcess& sim = startSim();
    QProcess monitor;
    monitor.start(QStringLiteral(QV418K_CLI_PATH),
                  {"monitor", "--port", sim.address(), "--interval", "100"});
    QTRY_VERIFY_WITH_TIMEOUT(monitor.peek(1 << 16).count('\n') >= 3, kRunMs);
    QVERIFY(sim.apply("drop"));
    QVERIFY(monitor.waitForFinished(kRunMs));
    QCOMPARE(monitor.exitCode(), 3);
    const QStringList rows = lines(QString::fromUtf8(monitor.readAllStandardOutput()));
    QVERIFY(rows.size() >= 3);
    for (int i = 1; i < rows.size(); ++i) {
        QVERIFY2(isReadingRow(rows[i]), qPrintable(rows[i]));
    }
    const QString err = QString::fromUtf8(monitor.readAllStandardError());
    const QString port = monitor.arguments().at(2);
    QVERIFY2(err.startsWith("qv418k-cli: " + port + ": Connection to " + port + " lost: "),
             qPrintable(err));
}

void TestCliAgainstSimulator::ctrlCEndsMonitorWithWholeRows()
{
    SimProcess& sim = startSim();
    QProcess monitor;
    monitor.start(QStringLiteral(QV418K_CLI_PATH),
                  {"monitor", "--port", sim.address(), "--interval", "50"});
    QTRY_VERIFY_WITH_TIMEOUT(monitor.peek(1 << 16).count('\n') >= 3, kRunMs);
    ::kill(static_cast<pid_t>(monitor.processId()), SIGINT);
    QVERIFY(monitor.waitForFinished(kRunMs));
    QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(monitor.exitCode(), 0);
    const QString out = QString::fromUtf8(monitor.readAllStandardOutput());
    QVERIFY(out.endsWith(u'\n'));
    const QStringList rows = lines(out);
    QVERIFY(rows.size() >= 3);
    for (int i = 1; i < rows.size(); ++i) {
        QVERIFY2(isReadingRow(rows[i]), qPrintable(rows[i]));
    }
}

// The answer to the first frame (the address) comes after 2500 bytes of filler, about
// 2.6 s of a busy line; Ctrl+C comes while it is on the line, and the write stops once
// it is answered.
void TestCliAgainstSimulator::ctrlCStopsWriteAfterTheFrameOnTheLine()
{
    SimProcess& sim = startSim();
    QVERIFY(sim.apply("long"));
    QByteArray profile = sampleProfile();
    profile.replace("\"001\"", "\"017\"").replace("\"100.0\"", "\"120.5\"");
    QProcess write;
    write.start(QStringLiteral(QV418K_CLI_PATH), {"write", writeFile("p.json", profile), "--port",
                                                  sim.address(), "--timeout", "10000"});
    QVERIFY(write.waitForStarted());
    QTest::qWait(500);
    ::kill(static_cast<pid_t>(write.processId()), SIGINT);
    QVERIFY(write.waitForFinished(kRunMs));
    QCOMPARE(write.exitCode(), 130);
    const QStringList out = lines(QString::fromUtf8(write.readAllStandardOutput()));
    QCOMPARE(out.value(0), sim.address() + ": interrupted (written: address)");
    QCOMPARE(sim.config().value("address"), QStringLiteral("017"));
    QCOMPARE(sim.config().value("ad1urv"), QStringLiteral("100.0")); // never sent
}

QTEST_GUILESS_MAIN(TestCliAgainstSimulator)
#include "tst_cli_sim.moc"
