// Reply-to-fields latency of the real window and link: the bench plays the instrument
// on a pseudo-terminal's master, so it knows when the last byte of an answer went out,
// and notes when the settle-timer expiry has filled the window's fields. The protocol's
// floor is 100 ms of silence to end the chunk, then what is left of the 200 ms settle
// time counted from the first chunk: 300 ms after the last byte for an answer that
// arrives as one chunk, less for an answer whose first part came earlier.
//
//   bench_reply_latency [SAMPLES]      (default 40 per kind of answer)

#include "bench_table.h"
#include "mainform1.h"
#include "window_driver.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kChunkGap = 100ms;
constexpr auto kSettle = 200ms;
constexpr auto kByteAt9600Baud = std::chrono::nanoseconds(1'041'667); // 10 bits a byte
constexpr double kTargetExcessMs = 10.0;
constexpr int kTimeoutMs = 5000;

// One kind of answer and how the instrument sends it.
struct Scenario
{
    const char* query; // the query whose answer it is, and its button
    const char* button;
    const char* field; // a field the answer fills, with a new value each time
    bool paced;        // bytes at 9600 baud instead of all at once
    int pauseMs;       // > 0: a pause before the last tag (two chunks)
    QByteArray (*answer)(int sample);
    QString (*fieldValue)(int sample);
};

QString outputReading(int sample)
{
    return QStringLiteral("%1").arg(10.0 + sample / 1000.0, 6, 'f', 3, QLatin1Char('0'));
}

QString ad2Reading(int sample)
{
    return QStringLiteral("%1").arg(100.0 + sample / 100.0, 6, 'f', 2, QLatin1Char('0'));
}

QString ad1Urv(int sample)
{
    return QStringLiteral("%1").arg(100.0 + sample / 10.0, 5, 'f', 1, QLatin1Char('0'));
}

QByteArray statusAnswer(int sample)
{
    return "STC1:001A01:" + outputReading(sample).toLatin1() +
           "A02:050.00A03:" + ad2Reading(sample).toLatin1() + "\r\n";
}

QByteArray parameterAnswer(int sample)
{
    return "STQ:001\r\nMR485B:3,0\r\nDAV:0,04.00,20.00\r\nPA1:000\r\nPA2:000\r\nAD01:" +
           ad1Urv(sample).toLatin1() + ",000.0,004.0\r\nAD02:050.0,000.0,000.0\r\n";
}

const Scenario kScenarios[] = {
    {"Real-Time Data", "Button124", "AD1XS", false, 0, statusAnswer, outputReading},
    {"Real-Time Data", "Button124", "AD1XS", true, 0, statusAnswer, outputReading},
    {"Read Parameters", "Button32", "AD1H", true, 0, parameterAnswer, ad1Urv},
    // The reading checked is in the second part, so the answer must be dispatched whole.
    {"Real-Time Data", "Button124", "AD3XS", false, 120, statusAnswer, ad2Reading},
};

// "Read Parameters answer, 106 B at 9600 baud"
std::string describe(const Scenario& scenario)
{
    std::string text = std::string(scenario.query) + " answer, " +
                       std::to_string(scenario.answer(0).size()) + " B " +
                       (scenario.paced ? "at 9600 baud" : "at once");
    if (scenario.pauseMs > 0)
        text += ", in two parts " + std::to_string(scenario.pauseMs) + " ms apart";
    return text;
}

// The instrument's side of a pseudo-terminal.
class Instrument
{
public:
    Instrument()
    {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::close(slave);
        m_path = QString::fromLocal8Bit(name);
    }
    ~Instrument() { ::close(m_master); }

    QString path() const { return m_path; }

    // Waits for a whole frame from the program (ended by its second '#').
    bool awaitFrame()
    {
        QByteArray frame;
        const auto deadline = Clock::now() + std::chrono::milliseconds(kTimeoutMs);
        while (frame.count('#') < 2 && Clock::now() < deadline) {
            pollfd entry{m_master, POLLIN, 0};
            if (::poll(&entry, 1, 50) <= 0)
                continue;
            char buffer[256];
            const ssize_t count = ::read(m_master, buffer, sizeof buffer);
            if (count > 0)
                frame.append(buffer, count);
        }
        return frame.count('#') >= 2;
    }

    // Sends the bytes, paced or at once; returns when the last one was handed over.
    Clock::time_point send(const QByteArray& bytes, bool paced)
    {
        if (!paced) {
            writeAll(bytes.constData(), bytes.size());
            return Clock::now();
        }
        auto due = Clock::now();
        for (const char byte : bytes) {
            std::this_thread::sleep_until(due);
            writeAll(&byte, 1);
            due += kByteAt9600Baud;
        }
        return Clock::now();
    }

private:
    void writeAll(const char* data, qsizetype size)
    {
        while (size > 0) {
            const ssize_t count = ::write(m_master, data, size_t(size));
            if (count <= 0)
                return;
            data += count;
            size -= count;
        }
    }

    int m_master = -1;
    QString m_path;
};

struct Sample
{
    double latencyMs;
    double floorMs;
};

double ms(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Answers the query the window sends from a thread of its own, so that the window's
// event loop runs undisturbed meanwhile, and returns the sample once the fields are
// filled; nullopt when the fields did not get the answer's value.
std::optional<Sample> measureOnce(Tmainform1& window, Instrument& instrument,
                                  const Scenario& scenario, int index)
{
    const QByteArray answer = scenario.answer(index);
    const QString expected = scenario.fieldValue(index);
    // Split before the last tag ("A03:"), as a slow instrument might pause.
    const qsizetype split = scenario.pauseMs > 0 ? answer.lastIndexOf("A03:") : answer.size();

    std::atomic<bool> sent{false};
    Clock::time_point firstPartEnd{};
    Clock::time_point lastByte{};
    std::thread device([&] {
        if (!instrument.awaitFrame())
            return;
        firstPartEnd = instrument.send(answer.left(split), scenario.paced);
        lastByte = firstPartEnd;
        if (split < answer.size()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(scenario.pauseMs));
            lastByte = instrument.send(answer.mid(split), scenario.paced);
        }
        sent = true;
    });

    QEventLoop filled;
    Clock::time_point filledAt{};
    const QMetaObject::Connection connection =
        QObject::connect(&window.link(), &qv::SerialLink::settleTimerExpired, &filled, [&] {
            filledAt = Clock::now();
            filled.quit();
        });
    QTimer::singleShot(kTimeoutMs, &filled, &QEventLoop::quit);
    QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(scenario.button)),
                      Qt::LeftButton);
    filled.exec();
    QObject::disconnect(connection);
    device.join();

    QWidget* field = window.findChild<QWidget*>(QString::fromLatin1(scenario.field));
    const QString shown = qobject_cast<QLineEdit*>(field) ? qobject_cast<QLineEdit*>(field)->text()
                                                          : qobject_cast<QLabel*>(field)->text();
    if (!sent || filledAt == Clock::time_point{} || shown != expected)
        return std::nullopt;
    const auto floorAt = firstPartEnd + kChunkGap + kSettle;
    return Sample{ms(filledAt - lastByte), ms(floorAt - lastByte)};
}

void report(const Scenario& scenario, const std::vector<Sample>& samples, int wanted)
{
    std::vector<double> latency, excess, floors;
    for (const Sample& sample : samples) {
        latency.push_back(sample.latencyMs);
        excess.push_back(sample.latencyMs - sample.floorMs);
        floors.push_back(sample.floorMs);
    }
    const double p95Excess = bench::percentile(excess, 0.95);
    const bool complete = int(samples.size()) == wanted;
    bench::printRow("Reply to fields: " + describe(scenario) + " (ms, median / p95 of " +
                        std::to_string(samples.size()) + ")",
                    bench::fixed(bench::median(latency), 1) + " / " +
                        bench::fixed(bench::percentile(latency, 0.95), 1),
                    "floor " + bench::fixed(bench::median(floors), 1),
                    "+" + bench::fixed(bench::median(excess), 1) + " / +" +
                        bench::fixed(p95Excess, 1),
                    "<= floor + " + bench::fixed(kTargetExcessMs, 0),
                    bench::yesNo(complete && p95Excess <= kTargetExcessMs));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const int wanted = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    Instrument instrument;
    Tmainform1 window;
    window.show();
    if (instrument.path().isEmpty() || !QTest::qWaitForWindowExposed(&window) ||
        !openPort(window, instrument.path())) {
        std::fprintf(stderr, "could not open a pseudo-terminal in the window\n");
        return 1;
    }
    // The settle timer is armed when the window is made; let that expiry pass.
    runEventLoopFor(300);

    for (const Scenario& scenario : kScenarios) {
        std::vector<Sample> samples;
        for (int i = 0; i < wanted; ++i) {
            if (const auto sample = measureOnce(window, instrument, scenario, i))
                samples.push_back(*sample);
            else
                std::fprintf(stderr, "%s: sample %d failed\n", describe(scenario).c_str(), i);
            // A part that came after the expiry re-arms the timer; let that expiry pass.
            while (window.link().isSettleTimerArmed())
                runEventLoopFor(10);
        }
        report(scenario, samples, wanted);
    }
    return 0;
}
