#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>

// Counts by name, kept in the order the names were declared.
class Tally
{
public:
    explicit Tally(const QStringList& names);
    void add(const QString& name);
    int total() const;
    // "name n, name n, ..." for the names counted at least once.
    QString describe() const;

private:
    QStringList m_names;
    QList<int> m_counts;
};

// What a soak run did and saw, printed at its end.
struct SoakFigures
{
    SoakFigures(const QStringList& cycleKinds, const QStringList& faultKinds)
        : cycles(cycleKinds), faults(faultKinds)
    {
    }

    Tally cycles;
    Tally faults;
    // Split answers the window received whole before its settle time ran out, and
    // those whose second part came after it.
    int splitsWhole = 0;
    int splitsInTwo = 0;
    int reportsExpected = 0;
    int reportsUnexpected = 0;
    int reportsMissing = 0;
    qint64 answerBytesCompared = 0;
    qint64 fieldsCompared = 0;
    qint64 fieldsFilledByAnswers = 0;
    qint64 settingsCompared = 0;
    int warmupCycles = 0;
    qint64 rssAfterWarmupKiB = 0;
    qint64 rssAtEndKiB = 0;
    double wallSeconds = 0;
    // One line per thing that was not as expected.
    QStringList mismatches;

    void print(std::FILE* out) const;
};

// The resident set size of this process, from /proc/self/status (0 when unknown).
qint64 residentKiB();
