#include "cli_run.h"

#include <QFile>
#include <QProcess>

CliRun runCli(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(QV418K_CLI_PATH), arguments);
    CliRun run;
    if (!process.waitForFinished(kRunMs)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("<did not finish>");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString describe(const CliRun& run)
{
    return QStringLiteral("exit %1\nstdout:\n%2\nstderr:\n%3")
        .arg(run.exitCode)
        .arg(run.out, run.err);
}

QStringList lines(const QString& text)
{
    QStringList all = text.split(u'\n');
    if (!all.isEmpty() && all.constLast().isEmpty()) {
        all.removeLast();
    }
    return all;
}

QByteArray sampleProfile()
{
    QFile file(QStringLiteral(QV_SAMPLE_PROFILE));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
