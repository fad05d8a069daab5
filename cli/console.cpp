#include "console.h"

#include <QByteArray>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace qv::cli {

namespace {

bool stderrIsTerminal()
{
#ifdef Q_OS_UNIX
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return terminal;
#else
    return false;
#endif
}

void writeLine(std::FILE* stream, const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

void printResult(const QString& line)
{
    writeLine(stdout, line.toUtf8());
}

void printText(const QByteArray& text)
{
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

void printError(const QString& line)
{
    writeLine(stderr, ("qv418k-cli: " + line).toUtf8());
}

void printProgress(const QString& line)
{
    if (stderrIsTerminal()) {
        printError(line);
    }
}

} // namespace qv::cli
