// qv418k-cli against the window and the wire, side by side in one run:
// - `qv418k-cli read`, from starting the command to the profile written (the process has
//   ended, the file is in place), against the window's "Read Parameters" click to
//   fields, and against the wire time of the exchange;
// - `qv418k-cli write` with verify of a full profile, to 1 unit and to 16 units at once.
// Every instrument is a qv418k-sim on its own pseudo-terminal.
//
//   bench_cli_timing [SAMPLES]      (default 20 reads, a quarter as many writes)

#include "bench_table.h"
#include "mainform1.h"
#include "sim_process.h"
#include "window_driver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <vector>

namespace {

// The simulator's line: 10 ms turnaround, then 10 bits a byte at 9600 baud. On a
// pseudo-terminal the frame itself arrives at once; on a real line its 15 bytes would
// add 15.6 ms to both the wire time and the measured times alike.
constexpr double kTurnaroundMs = 10.0;
constexpr double kByteMs = 10.0 / 9.6;
constexpr int kParameterAnswerBytes = 106;
constexpr int kParallelUnits = 16;
constexpr double kReadTargetMs = 30.0;
constexpr double kParallelTarget = 1.3;
constexpr int kRunTimeoutMs = 30000;

std::optional<double> runCliMs(const QStringList& arguments)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(QV418K_CLI_PATH), arguments);
    if (!process.waitForFinished(kRunTimeoutMs) || process.exitCode() != 0) {
        std::fprintf(stderr, "qv418k-cli %s failed: %s\n", qPrintable(arguments.join(' ')),
                     process.readAllStandardError().constData());
        return std::nullopt;
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

// Click to fields: "Read Parameters" pressed, until the AD1 URV field shows the value the
// simulator was just given (a new one each time).
std::optional<double> windowReadMs(Tmainform1& window, SimProcess& sim, int sample)
{
    const QString value = QStringLiteral("%1.5").arg(100 + sample % 800, 3, 10, QLatin1Char('0'));
    sim.control(QStringLiteral("set ad1urv ") + value);
    auto* field = window.findChild<QLineEdit*>(QStringLiteral("AD1H"));
    QElapsedTimer clock;
    std::optional<double> filled;
    const auto connection =
        QObject::connect(field, &QLineEdit::textChanged, [&](const QString& text) {
            if (text == value && !filled)
                filled = double(clock.nsecsElapsed()) / 1e6;
        });
    clock.start();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Button32")), Qt::LeftButton);
    (void)QTest::qWaitFor([&] { return filled.has_value(); }, 5000);
    QObject::disconnect(connection);
    while (window.link().isSettleTimerArmed())
        runEventLoopFor(10);
    return filled;
}

void printLatencyRow(const std::string& measure, const std::vector<double>& samples, int wanted,
                     double wireMs, bool withTarget)
{
    const double med = bench::median(samples);
    const double p95 = bench::percentile(samples, 0.95);
    const std::string count =
        std::to_string(samples.size()) +
        (int(samples.size()) == wanted ? "" : " of " + std::to_string(wanted));
    bench::printRow(measure + " (ms, median / p95 of " + count + ")",
                    bench::fixed(med, 1) + " / " + bench::fixed(p95, 1),
                    "wire " + bench::fixed(wireMs, 1),
                    "+" + bench::fixed(med - wireMs, 1) + " / +" + bench::fixed(p95 - wireMs, 1),
                    withTarget ? "<= wire + " + bench::fixed(kReadTargetMs, 0) : "for comparison",
                    withTarget ? bench::yesNo(p95 - wireMs <= kReadTargetMs) : "-");
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const int reads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int writes = std::max(1, reads / 4);
    QTemporaryDir dir;

    std::vector<std::unique_ptr<SimProcess>> sims;
    for (int i = 0; i < kParallelUnits + 1; ++i) {
        sims.push_back(std::make_unique<SimProcess>(QStringList{}));
        if (!sims.back()->isReady()) {
            std::fprintf(stderr, "simulator %d did not start\n", i);
            return 1;
        }
    }
    SimProcess& windowSim = *sims.back();
    const double wireMs = kTurnaroundMs + kParameterAnswerBytes * kByteMs;

    // The window first, on a simulator of its own (the port is held exclusively).
    std::vector<double> windowSamples;
    {
        Tmainform1 window;
        window.show();
        if (!QTest::qWaitForWindowExposed(&window) || !openPort(window, windowSim.address())) {
            std::fprintf(stderr, "the window could not open %s\n", qPrintable(windowSim.address()));
            return 1;
        }
        runEventLoopFor(300); // the settle expiry armed at construction
        for (int i = 0; i < reads; ++i) {
            if (const auto ms = windowReadMs(window, windowSim, i))
                windowSamples.push_back(*ms);
        }
    }

    std::vector<double> readSamples;
    const QString profile = dir.filePath("unit.json");
    for (int i = 0; i < reads; ++i) {
        if (const auto ms = runCliMs({"read", "--port", sims[0]->address(), "--output", profile}))
            readSamples.push_back(*ms);
    }

    // Writes alternate between two profiles, so every unit really changes each time.
    QByteArray golden;
    {
        QFile file(profile);
        if (file.open(QIODevice::ReadOnly))
            golden = file.readAll();
    }
    const QString profileA = dir.filePath("a.json");
    const QString profileB = dir.filePath("b.json");
    for (const auto& [path, urv] :
         {std::pair{profileA, "\"120.5\""}, std::pair{profileB, "\"110.5\""}}) {
        QFile file(path);
        QByteArray bytes = golden;
        bytes.replace("\"ad1_urv\": \"100.0\"", QByteArray("\"ad1_urv\": ") + urv);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    std::vector<double> oneUnit;
    std::vector<double> allUnits;
    for (int i = 0; i < writes; ++i) {
        const QString& file = i % 2 ? profileB : profileA;
        if (const auto ms = runCliMs({"write", file, "--port", sims[0]->address()}))
            oneUnit.push_back(*ms);
        QStringList arguments = {"write", file};
        for (int unit = 0; unit < kParallelUnits; ++unit)
            arguments << "--port" << sims[unit]->address();
        if (const auto ms = runCliMs(arguments))
            allUnits.push_back(*ms);
    }

    printLatencyRow("qv418k-cli read: start to profile written", readSamples, reads, wireMs, true);
    printLatencyRow("Window: Read Parameters click to fields", windowSamples, reads, wireMs, false);
    const double one = bench::median(oneUnit);
    const double all = bench::median(allUnits);
    bench::printRow("qv418k-cli write + verify, 1 unit (ms, median of " +
                        std::to_string(oneUnit.size()) + ")",
                    bench::fixed(one, 1), "-", "-", "for the record", "-");
    bench::printRow(
        "qv418k-cli write + verify, 16 units at once (ms, median of " +
            std::to_string(allUnits.size()) + ")",
        bench::fixed(all, 1), "1 unit " + bench::fixed(one, 1), bench::fixed(all / one, 2) + "x",
        "<= " + bench::fixed(kParallelTarget, 1) + "x", bench::yesNo(all / one <= kParallelTarget));
    return 0;
}
