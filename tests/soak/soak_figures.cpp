#include "soak_figures.h"

#include <QFile>

namespace {

// Mismatches printed in full; the rest are only counted.
constexpr int kMismatchesShown = 20;

double mebibytes(qint64 kib)
{
    return double(kib) / 1024.0;
}

} // namespace

Tally::Tally(const QStringList& names) : m_names(names), m_counts(names.size(), 0) {}

void Tally::add(const QString& name)
{
    const qsizetype at = m_names.indexOf(name);
    if (at >= 0)
        ++m_counts[at];
}

int Tally::total() const
{
    int sum = 0;
    for (const int count : m_counts)
        sum += count;
    return sum;
}

QString Tally::describe() const
{
    QStringList parts;
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_counts[i] > 0)
            parts.append(QStringLiteral("%1 %2").arg(m_names[i]).arg(m_counts[i]));
    }
    return parts.join(QStringLiteral(", "));
}

void SoakFigures::print(std::FILE* out) const
{
    const auto line = [out](const QString& text) {
        std::fprintf(out, "soak: %s\n", qPrintable(text));
    };
    line(QStringLiteral("cycles %1 (%2)").arg(cycles.total()).arg(cycles.describe()));
    line(QStringLiteral("faults injected %1 (%2)").arg(faults.total()).arg(faults.describe()));
    line(QStringLiteral("split answers dispatched whole %1, in two parts %2")
             .arg(splitsWhole)
             .arg(splitsInTwo));
    line(QStringLiteral("errors reported %1 (expected %2, unexpected %3), expected but missing %4")
             .arg(reportsExpected + reportsUnexpected)
             .arg(reportsExpected)
             .arg(reportsUnexpected)
             .arg(reportsMissing));
    line(QStringLiteral("values checked %1: answer bytes %2, window fields %3 (%4 filled by "
                        "answers), simulator settings %5")
             .arg(answerBytesCompared + fieldsCompared + settingsCompared)
             .arg(answerBytesCompared)
             .arg(fieldsCompared)
             .arg(fieldsFilledByAnswers)
             .arg(settingsCompared));
    line(QStringLiteral("RSS after %1 warm-up cycles %2 MiB, at end %3 MiB, growth %4 KiB")
             .arg(warmupCycles)
             .arg(mebibytes(rssAfterWarmupKiB), 0, 'f', 1)
             .arg(mebibytes(rssAtEndKiB), 0, 'f', 1)
             .arg(rssAtEndKiB - rssAfterWarmupKiB));
    line(QStringLiteral("wall time %1 s").arg(wallSeconds, 0, 'f', 1));
    line(QStringLiteral("mismatches %1").arg(mismatches.size()));
    for (qsizetype i = 0; i < mismatches.size() && i < kMismatchesShown; ++i)
        line(QStringLiteral("  ") + mismatches[i]);
    std::fflush(out);
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}
