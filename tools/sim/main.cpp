// qv418k-sim: a virtual QV418K-TR instrument on a pseudo-terminal or a TCP port, for
// trying and testing qv418k-config without the device.
#include "console.h"
#include "options.h"
#include "simulator.h"

#include <signal.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <string_view>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

void requestStop(int)
{
    g_stopRequested = 1;
}

// SIGINT and SIGTERM only set a flag. They stay blocked except while the loop waits,
// so they always wake the wait instead of slipping in just before it. Returns the
// mask to wait with.
sigset_t installSignalHandlers()
{
    struct sigaction action
    {
    };
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN); // a vanished client is noticed on the socket instead

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    return waitMask;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    qvsim::Options options;
    try {
        options = qvsim::parseOptions(arguments);
    } catch (const qvsim::UsageError& error) {
        qvsim::complain(error.what());
        qvsim::complain("see qv418k-sim --help");
        return 2;
    }
    if (options.help) {
        std::fputs(qvsim::usage().c_str(), stdout);
        return 0;
    }
    const sigset_t waitMask = installSignalHandlers();
    try {
        qvsim::Simulator simulator(options);
        simulator.run(g_stopRequested, waitMask);
    } catch (const std::exception& error) {
        qvsim::complain(error.what());
        return 1;
    }
    return 0;
}
