// "Read Parameters", click to fields, on three roads to the same simulated instrument in
// one run: straight on a pseudo-terminal, through ser2net's raw TCP accepter
// (socket://) and through its telnet(rfc2217) accepter (rfc2217://). Each road has a
// window and a simulator of its own; the samples take the roads in turn, so a load on
// the machine falls on all three alike.
//
//   bench_device_server [SAMPLES]      (default 30 per road)

#include "bench_table.h"
#include "ser2net_process.h"
#include "sim_process.h"
#include "window_operator.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;
using Mode = Ser2netProcess::Mode;

constexpr int kTimeoutMs = 5000;

struct Road
{
    const char* name;
    std::optional<Mode> server; // none: the window opens the pseudo-terminal itself
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<Ser2netProcess> ser2net;
    std::unique_ptr<WindowOperator> window;
    std::vector<double> samples;
};

bool setUp(Road& road)
{
    road.sim = std::make_unique<SimProcess>();
    QString address = road.sim->address();
    if (road.server) {
        road.ser2net = std::make_unique<Ser2netProcess>();
        if (!road.ser2net->start(*road.server, Ser2netProcess::freePort(), address,
                                 QStringLiteral("9600n81")))
            return false;
        address = road.ser2net->address();
    }
    road.window = std::make_unique<WindowOperator>();
    return road.window->open(address);
}

// Milliseconds from the click to the settle expiry that filled the fields with the
// instrument's settings; nullopt when they were not filled in time.
std::optional<double> measureOnce(Road& road)
{
    const QMap<QString, QString> config = road.sim->config();
    QEventLoop settled;
    Clock::time_point settledAt{};
    // Connected after the window's own dispatch, so this runs once the fields are filled.
    const QMetaObject::Connection connection = QObject::connect(
        &road.window->window().link(), &qv::SerialLink::settleTimerExpired, &settled, [&] {
            settledAt = Clock::now();
            settled.quit();
        });
    QTimer::singleShot(kTimeoutMs, &settled, &QEventLoop::quit);
    const Clock::time_point clickedAt = Clock::now();
    road.window->click("Button32");
    settled.exec();
    QObject::disconnect(connection);
    if (settledAt == Clock::time_point{} ||
        parameterLine(road.window->parameters()) != parameterLine(config))
        return std::nullopt;
    return std::chrono::duration<double, std::milli>(settledAt - clickedAt).count();
}

void waitFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const int wanted = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    if (Ser2netProcess::binary().isEmpty()) {
        std::fprintf(stderr, "ser2net is not installed\n");
        return 1;
    }
    Road roads[] = {
        {"a pseudo-terminal", std::nullopt, {}, {}, {}, {}},
        {"ser2net raw (socket://)", Mode::Raw, {}, {}, {}, {}},
        {"ser2net RFC 2217 (rfc2217://)", Mode::Rfc2217, {}, {}, {}, {}},
    };
    for (Road& road : roads) {
        if (!setUp(road)) {
            std::fprintf(stderr, "could not open %s\n", road.name);
            return 1;
        }
    }
    waitFor(300); // the settle timer armed at start expires

    for (int i = 0; i < wanted; ++i) {
        for (Road& road : roads) {
            if (const auto sample = measureOnce(road))
                road.samples.push_back(*sample);
            else
                std::fprintf(stderr, "%s: sample %d failed\n", road.name, i);
            waitFor(50);
        }
    }

    const double direct = bench::median(roads[0].samples);
    for (const Road& road : roads) {
        const double median = bench::median(road.samples);
        const bool complete = int(road.samples.size()) == wanted;
        bench::printRow("Read Parameters, click to fields, over " + std::string(road.name) +
                            " (ms, median / p95 of " + std::to_string(road.samples.size()) + ")",
                        bench::fixed(median, 1) + " / " +
                            bench::fixed(bench::percentile(road.samples, 0.95), 1),
                        road.server ? "pseudo-terminal " + bench::fixed(direct, 1) : "-",
                        road.server ? "+" + bench::fixed(median - direct, 1) + " ms" : "-",
                        "every sample filled", bench::yesNo(complete));
    }
    return 0;
}
