// The real window with its real link against qv418k-sim over a pseudo-terminal, for
// many mixed cycles with faults injected now and then: nothing may be lost, no error
// may be reported that no fault explains, and memory must not keep growing.
//
// QV_SOAK_CYCLES (default 60) and QV_SOAK_SEED (default 418) choose the run; the
// figures are printed on stdout, each line starting with "soak: ".

#include "soak_run.h"

#include <QTest>

#include <cstdio>

namespace {

// A sanity bound for a gross leak, far above what a healthy run grows by.
constexpr qint64 kGrossLeakKiB = 20 * 1024;

// AddressSanitizer holds freed memory in quarantine and maps shadow memory, so the RSS
// grows by tens of MiB in a healthy run; LeakSanitizer looks for leaks there instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kRssIsMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kRssIsMeaningful = false;
#else
constexpr bool kRssIsMeaningful = true;
#endif
#else
constexpr bool kRssIsMeaningful = true;
#endif

int environmentNumber(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

} // namespace

class SoakTest : public QObject
{
    Q_OBJECT
private slots:
    void mixedCyclesWithFaultsLoseNothing();
};

void SoakTest::mixedCyclesWithFaultsLoseNothing()
{
    SoakPlan plan;
    plan.cycles = environmentNumber("QV_SOAK_CYCLES", plan.cycles);
    plan.seed = quint32(environmentNumber("QV_SOAK_SEED", int(plan.seed)));
    std::printf("soak: %d cycles, seed %u, a fault every %d cycles\n", plan.cycles, plan.seed,
                plan.faultEvery);

    SoakRun run(plan);
    QVERIFY2(run.start(), qPrintable(run.figures().mismatches.join(u'\n')));
    run.runAll();
    const SoakFigures& figures = run.figures();
    figures.print(stdout);

    QVERIFY(figures.faults.total() > 0);
    QVERIFY2(figures.mismatches.isEmpty(), qPrintable(QStringLiteral("%1 mismatches, the first: %2")
                                                          .arg(figures.mismatches.size())
                                                          .arg(figures.mismatches.value(0))));
    if (!kRssIsMeaningful) {
        std::printf("soak: RSS bound not applied under AddressSanitizer\n");
        return;
    }
    QVERIFY2(figures.rssAtEndKiB - figures.rssAfterWarmupKiB < kGrossLeakKiB,
             qPrintable(QStringLiteral("RSS grew by %1 KiB")
                            .arg(figures.rssAtEndKiB - figures.rssAfterWarmupKiB)));
}

QTEST_MAIN(SoakTest)
#include "tst_soak.moc"
