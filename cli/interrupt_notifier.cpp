#include "interrupt_notifier.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace qv::cli {

#ifdef Q_OS_UNIX

namespace {

// The self-pipe: the signal handler may only write a byte; the event loop reads it.
int g_pipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent)
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // no Ctrl+C handling: the default action ends the program
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptNotifier::onReadable);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

InterruptNotifier::~InterruptNotifier()
{
    if (m_notifier == nullptr) {
        return;
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void InterruptNotifier::onReadable()
{
    char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (!m_interrupted) {
        m_interrupted = true;
        emit interrupted();
    }
}

#else

// Elsewhere Ctrl+C keeps its default action and ends the program at once.
InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent) {}
InterruptNotifier::~InterruptNotifier() = default;
void InterruptNotifier::onReadable() {}

#endif

} // namespace qv::cli
