#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The built qv418k-cli run to its end, as a script would run it.

// Generous: the machine may be busy building while the tests run.
inline constexpr int kRunMs = 30000;

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& arguments);

// Exit status, stdout and stderr, for a failure message.
QString describe(const CliRun& run);

// Lines without the last empty one after the final newline.
QStringList lines(const QString& text);

// docs/sample-profile.json as it is checked in.
QByteArray sampleProfile();
