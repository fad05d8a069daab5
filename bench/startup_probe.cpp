// Start-up time, memory and idle CPU of two Qt programs side by side, watched from the X
// server rather than from inside the programs (run it under xvfb-run):
//
//   bench_startup RUNS PROGRAM REFERENCE [NOTE]
//
// With a NOTE the rows compare a variant of the reference, not the program: each
// measure is followed by the note, no target applies and the idle CPU is not measured.
//
// For each run the probe starts the program and notes the time from fork() to
// - "mapped": the server reports the program's top-level window mapped (MapNotify);
// - "painted": the program has answered two _NET_WM_PING messages sent one after the
//   other once the window is mapped. Qt answers a ping from its event loop; the expose
//   that the map caused reaches the program before the first ping, and Qt paints a
//   widget window while handling that expose, so the second answer comes after the
//   first paint.
// Then it reads VmRSS and VmHWM from /proc/PID/status and stops the program. Runs
// alternate between the two programs; a first warm-up run of each is not counted.
// Afterwards each program idles for 10 s once shown and its CPU time is taken from
// /proc/PID/stat (clock ticks, all threads).

#include "bench_table.h"

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kEventTimeout = 20s;
constexpr auto kIdleWindow = 10s;
constexpr auto kIdleSettle = 1s;
constexpr double kTargetRatio = 1.3;
constexpr double kTargetIdlePercent = 0.5;

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

class XServer
{
public:
    XServer()
    {
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&screens);
        m_root = screens.data->root;
        // Map notifications of every top-level window, and the answers to pings, which
        // Qt sends to the root window for its structure-notify listeners.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        m_protocols = atom("WM_PROTOCOLS");
        m_ping = atom("_NET_WM_PING");
        xcb_flush(m_connection);
        m_ok = true;
    }
    ~XServer() { xcb_disconnect(m_connection); }

    bool ok() const { return m_ok; }

    // The first top-level window mapped from now on, and when.
    std::optional<std::pair<xcb_window_t, Clock::time_point>> awaitMap()
    {
        while (xcb_generic_event_t* event = nextEvent()) {
            const auto type = event->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                const xcb_window_t window = map->window;
                const bool overrideRedirect = map->override_redirect != 0;
                std::free(event);
                if (!overrideRedirect)
                    return std::make_pair(window, Clock::now());
                continue;
            }
            std::free(event);
        }
        return std::nullopt;
    }

    // Sends a _NET_WM_PING to the window and waits for the program's answer.
    std::optional<Clock::time_point> ping(xcb_window_t window, uint32_t serial)
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = m_protocols;
        message.data.data32[0] = m_ping;
        message.data.data32[1] = serial;
        message.data.data32[2] = window;
        xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
        while (xcb_generic_event_t* event = nextEvent()) {
            const auto type = event->response_type & 0x7f;
            bool answered = false;
            if (type == XCB_CLIENT_MESSAGE) {
                const auto* reply = reinterpret_cast<xcb_client_message_event_t*>(event);
                answered = reply->type == m_protocols && reply->data.data32[0] == m_ping &&
                           reply->data.data32[1] == serial;
            }
            std::free(event);
            if (answered)
                return Clock::now();
        }
        return std::nullopt;
    }

private:
    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }

    // The next event, or null when none came in time.
    xcb_generic_event_t* nextEvent()
    {
        const auto deadline = Clock::now() + kEventTimeout;
        for (;;) {
            if (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
                return event;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd entry{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, int(left.count())) <= 0)
                return nullptr;
        }
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_protocols = XCB_ATOM_NONE;
    xcb_atom_t m_ping = XCB_ATOM_NONE;
    bool m_ok = false;
};

pid_t launch(const std::string& program)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

void stop(pid_t pid)
{
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

// A "Key:   1234 kB" line of /proc/PID/status, in KiB.
double statusKiB(pid_t pid, const std::string& key)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::stod(line.substr(key.size() + 1));
    }
    return NAN;
}

// utime + stime of /proc/PID/stat (every thread), in seconds.
double cpuSeconds(pid_t pid)
{
    std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(statFile)), {});
    // Fields after the command name, which is in parentheses and may hold blanks.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field && index <= 15; ++index) {
        if (index == 14 || index == 15)
            ticks += std::stod(field);
    }
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

struct Samples
{
    std::vector<double> mappedMs, paintedMs, rssMiB, hwmMiB;
};

// One start: false when the window never showed.
bool measureStart(XServer& x, const std::string& program, Samples& samples, uint32_t& serial)
{
    const auto start = Clock::now();
    const pid_t pid = launch(program);
    const auto mapped = x.awaitMap();
    std::optional<Clock::time_point> painted;
    if (mapped) {
        painted = x.ping(mapped->first, ++serial);
        if (painted)
            painted = x.ping(mapped->first, ++serial);
    }
    if (painted) {
        samples.mappedMs.push_back(millisecondsBetween(start, mapped->second));
        samples.paintedMs.push_back(millisecondsBetween(start, *painted));
        samples.rssMiB.push_back(statusKiB(pid, "VmRSS") / 1024.0);
        samples.hwmMiB.push_back(statusKiB(pid, "VmHWM") / 1024.0);
    }
    stop(pid);
    return painted.has_value();
}

// CPU share of one core while the shown window idles.
std::optional<double> idlePercent(XServer& x, const std::string& program)
{
    const pid_t pid = launch(program);
    const bool shown = x.awaitMap().has_value();
    std::optional<double> percent;
    if (shown) {
        std::this_thread::sleep_for(kIdleSettle);
        const double before = cpuSeconds(pid);
        std::this_thread::sleep_for(kIdleWindow);
        percent =
            100.0 * (cpuSeconds(pid) - before) / std::chrono::duration<double>(kIdleWindow).count();
    }
    stop(pid);
    return percent;
}

void printRatioRow(const std::string& measure, const std::vector<double>& ours,
                   const std::vector<double>& reference, int decimals, const std::string& note)
{
    const double a = bench::median(ours);
    const double b = bench::median(reference);
    const double ratio = a / b;
    if (!note.empty()) {
        bench::printRow(measure + ": " + note, bench::fixed(a, decimals), bench::fixed(b, decimals),
                        bench::fixed(ratio, 2) + "x", "for comparison", "-");
        return;
    }
    bench::printRow(measure, bench::fixed(a, decimals), bench::fixed(b, decimals),
                    bench::fixed(ratio, 2) + "x", "<= " + bench::fixed(kTargetRatio, 1) + "x",
                    bench::yesNo(ratio <= kTargetRatio));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM REFERENCE [NOTE] (under an X server)\n",
                     argv[0]);
        return 2;
    }
    const std::string note = argc == 5 ? argv[4] : "";
    const int runs = std::max(1, std::atoi(argv[1]));
    const std::string programs[] = {argv[2], argv[3]};
    XServer x;
    if (!x.ok()) {
        std::fprintf(stderr, "no X server (run under xvfb-run)\n");
        return 1;
    }

    Samples samples[2];
    uint32_t serial = 0;
    for (int run = 0; run <= runs; ++run) {
        for (int p = 0; p < 2; ++p) {
            Samples warmup;
            Samples& into = run == 0 ? warmup : samples[p];
            if (!measureStart(x, programs[p], into, serial)) {
                std::fprintf(stderr, "%s: no window within %lld s\n", programs[p].c_str(),
                             static_cast<long long>(kEventTimeout.count()));
                return 1;
            }
            if (run > 0)
                std::printf("# run %d %s: mapped %.1f ms, painted %.1f ms, VmRSS %.1f MiB, "
                            "VmHWM %.1f MiB\n",
                            run, programs[p].c_str(), into.mappedMs.back(), into.paintedMs.back(),
                            into.rssMiB.back(), into.hwmMiB.back());
        }
    }

    const std::string ofRuns = ", median of " + std::to_string(runs);
    printRatioRow("Start-up to window mapped (ms" + ofRuns + ")", samples[0].mappedMs,
                  samples[1].mappedMs, 1, note);
    printRatioRow("Start-up to first paint (ms" + ofRuns + ")", samples[0].paintedMs,
                  samples[1].paintedMs, 1, note);
    printRatioRow("VmRSS once painted (MiB" + ofRuns + ")", samples[0].rssMiB, samples[1].rssMiB, 1,
                  note);
    printRatioRow("VmHWM once painted (MiB" + ofRuns + ")", samples[0].hwmMiB, samples[1].hwmMiB, 1,
                  note);
    if (!note.empty())
        return 0;

    const auto ours = idlePercent(x, programs[0]);
    const auto reference = idlePercent(x, programs[1]);
    if (!ours || !reference)
        return 1;
    bench::printRow("CPU idling 10 s, window shown, port closed (% of one core, 0.1 % steps)",
                    bench::fixed(*ours, 2), bench::fixed(*reference, 2), "-",
                    "< " + bench::fixed(kTargetIdlePercent, 1) + " %",
                    bench::yesNo(*ours < kTargetIdlePercent));
    return 0;
}
