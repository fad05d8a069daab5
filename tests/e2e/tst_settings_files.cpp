// Settings files between the window and qv418k-cli, each against a simulated instrument:
// a profile the tool reads from one unit loads into the window, and what the window saves
// the tool writes to another unit, which then holds the first unit's settings.

#include "e2e_steps.h"
#include "file_chooser.h"
#include "sim_process.h"
#include "window_operator.h"

#include <QAction>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList kGoldenSettings = {
    "set address 42", "set baud 1",    "set parity 2", "set variable 1", "set ma4 3.5",
    "set ma20 19.5",  "set pz1 12",    "set pz2 105",  "set ad1urv 200", "set ad1lrv -10",
    "set ad1start 1", "set ad2urv 80", "set ad2lrv 5", "set ad2start 2",
};

// Runs qv418k-cli; its exit status, with stderr in the warning when it is not 0.
int runCli(const QStringList& arguments)
{
    QProcess cli;
    cli.start(QStringLiteral(QV418K_CLI_PATH), arguments);
    if (!cli.waitForFinished(30000)) {
        cli.kill();
        cli.waitForFinished();
        qWarning("qv418k-cli %s did not finish", qPrintable(arguments.join(' ')));
        return -1;
    }
    if (cli.exitCode() != 0)
        qWarning("qv418k-cli %s: exit %d: %s", qPrintable(arguments.join(' ')), cli.exitCode(),
                 cli.readAllStandardError().constData());
    return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
}

// The settings of `show`, without the readings, which drift.
QString settingsOf(SimProcess& sim)
{
    return parameterLine(sim.config());
}

} // namespace

class SettingsFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { setFileChooser({}); }
    void cliProfileLoadsAndWindowProfileWrites();
};

void SettingsFilesTest::cliProfileLoadsAndWindowProfileWrites()
{
    SimProcess golden;
    SimProcess blank;
    QVERIFY(golden.isRunning() && blank.isRunning());
    QVERIFY(applyAll(golden, kGoldenSettings));
    QVERIFY(settingsOf(golden) != settingsOf(blank));
    const QTemporaryDir folder;
    const QString readFile = folder.filePath("golden.json");
    const QString savedFile = folder.filePath("from-window.json");

    QCOMPARE(runCli({"read", "--port", golden.address(), "--output", readFile}), 0);

    WindowOperator op;
    setFileChooser([&](FileChoice choice, const QString&, const QString&) {
        return choice == FileChoice::Open ? readFile : savedFile;
    });
    op.window().findChild<QAction*>("actionLoadSettings")->trigger();
    QCOMPARE(op.reports(), QStringList{});
    QCOMPARE(parameterLine(op.parameters()), settingsOf(golden));

    op.window().findChild<QAction*>("actionSaveSettings")->trigger();
    QCOMPARE(op.reports(), QStringList{});
    QCOMPARE(runCli({"write", savedFile, "--port", blank.address()}), 0);
    QCOMPARE(settingsOf(blank), settingsOf(golden));
    QCOMPARE(runCli({"diff", readFile, "--port", blank.address()}), 0);
}

QTEST_MAIN(SettingsFilesTest)
#include "tst_settings_files.moc"
