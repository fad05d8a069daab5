#include "simulator.h"

#include "console.h"
#include "pty_port.h"
#include "tcp_port.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace qvsim {
namespace {

std::unique_ptr<Port> makePort(const Options& options)
{
    if (options.tcpPort) {
        return std::make_unique<TcpPort>(*options.tcpPort);
    }
    return std::make_unique<PtyPort>(options.linkPath);
}

short readyEvents(const std::vector<pollfd>& fds, int fd)
{
    for (const pollfd& entry : fds) {
        if (entry.fd == fd) {
            return entry.revents;
        }
    }
    return 0;
}

timespec timeUntil(PacedSender::Clock::time_point when, PacedSender::Clock::time_point now)
{
    const auto wait = std::max(std::chrono::nanoseconds(0), when - now);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    return timespec{static_cast<time_t>(seconds.count()),
                    static_cast<long>((wait - seconds).count())};
}

// Long answers (filler) are cut in the trace to their start and end.
std::string abridged(std::string_view bytes)
{
    constexpr std::size_t kShown = 80;
    if (bytes.size() <= 3 * kShown) {
        return quoted(bytes);
    }
    return quoted(bytes.substr(0, kShown)) + " ... " + quoted(bytes.substr(bytes.size() - kShown)) +
           " (" + std::to_string(bytes.size()) + " bytes)";
}

// The command as typed, without surrounding blanks or a CR, for its reply.
std::string trimmed(std::string_view text)
{
    const std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

} // namespace

Simulator::Simulator(const Options& options)
    : m_options(options), m_port(makePort(options)), m_control(options.controlPath),
      m_model(options.seed), m_random(options.seed)
{
}

void Simulator::run(const volatile std::sig_atomic_t& stopRequested, const sigset_t& waitMask)
{
    announceAddress();
    while (!m_quit && stopRequested == 0) {
        std::vector<pollfd> fds{{m_port->pollFd(), POLLIN, 0}};
        m_control.addPollFds(fds);
        const auto wake = m_sender.nextWake(Clock::now());
        const timespec timeout = wake ? timeUntil(*wake, Clock::now()) : timespec{};
        const int ready = ppoll(fds.data(), fds.size(), wake ? &timeout : nullptr, &waitMask);
        if (ready < 0 && errno != EINTR) {
            throw std::system_error(errno, std::generic_category(), "ppoll");
        }
        const Clock::time_point now = Clock::now();
        if (ready > 0 && readyEvents(fds, fds.front().fd) != 0) {
            receiveFromPort(now);
        }
        for (const ControlLine& line : m_control.collect(fds)) {
            handleControl(line, now);
        }
        pumpAnswers(now);
    }
}

void Simulator::announceAddress()
{
    announce("type " + m_port->address() + " into the COM Port box");
}

void Simulator::receiveFromPort(Clock::time_point now)
{
    PortInput input = m_port->receive();
    if (input.event == PortInput::Event::Connected) {
        trace("client connected");
    }
    ignoreOnWrongLine(input.bytes);
    m_splitter.feed(input.bytes);
    while (const auto frame = m_splitter.next()) {
        traceDiscarded();
        answerFrame(*frame, now);
    }
    traceDiscarded();
    if (input.event == PortInput::Event::Disconnected) {
        trace("client disconnected");
        m_splitter.reset();
        m_sender.clear();
    }
}

// A UART at another speed or framing reads only garbage; the instrument hears nothing
// it could answer until the line is back at 9600 8N1.
void Simulator::ignoreOnWrongLine(std::string& bytes)
{
    const auto line = m_port->lineSettings();
    if (bytes.empty() || !line || *line == kInstrumentLine) {
        return;
    }
    trace("deaf at " + describeLine(*line) + ", ignored " + quoted(bytes));
    bytes.clear();
}

void Simulator::answerFrame(const Frame& frame, Clock::time_point now)
{
    trace("frame " + quoted(frame.text()));
    const FaultPlan faults = takeFaults(frame);
    const Answer answer = faults.refuseWrite ? InstrumentModel::refusal()
                                             : m_model.answer(frame, secondsSinceStart(now));
    const Transmission transmission = shapeAnswer(answer, faults, m_random);
    const std::string faultNote = faults == FaultPlan{} ? "" : " [" + describeFaults(faults) + "]";
    trace("answer " + abridged(transmission.bytes()) + faultNote);
    m_sender.enqueue(transmission, now + kTurnaround);
}

void Simulator::handleControl(const ControlLine& line, Clock::time_point now)
{
    const ParsedControl parsed = parseControlLine(line.text);
    if (const auto* error = std::get_if<ControlError>(&parsed)) {
        reply(line, "error " + error->message);
    } else if (const auto* command = std::get_if<ControlCommand>(&parsed)) {
        execute(*command, line, now);
    }
}

void Simulator::execute(const ControlCommand& command, const ControlLine& line,
                        Clock::time_point now)
{
    const std::string ok = "ok " + trimmed(line.text);
    switch (command.kind) {
    case ControlCommand::Kind::Fault:
        addFaults(m_nextFaults, command.fault);
        reply(line, ok);
        return;
    case ControlCommand::Kind::Drop:
        dropConnection();
        reply(line, ok);
        return;
    case ControlCommand::Kind::Show:
        reply(line, "config " + m_model.show(secondsSinceStart(now)));
        return;
    case ControlCommand::Kind::ShowLine:
        if (const auto settings = m_port->lineSettings()) {
            reply(line, "line " + describeLine(*settings));
        } else {
            reply(line, "error a TCP port has no line settings");
        }
        return;
    case ControlCommand::Kind::Set:
        if (const auto error = m_model.set(command.key, command.value)) {
            reply(line, "error " + *error);
        } else {
            reply(line, ok);
        }
        return;
    case ControlCommand::Kind::Quit:
        reply(line, ok);
        m_quit = true;
        return;
    }
}

void Simulator::reply(const ControlLine& line, const std::string& text)
{
    announce(text);
    m_control.reply(line, text);
}

void Simulator::dropConnection()
{
    m_port->drop();
    m_splitter.reset();
    m_sender.clear();
    trace("connection dropped");
    announceAddress();
}

void Simulator::pumpAnswers(Clock::time_point now)
{
    const auto write = [this](std::string_view bytes) { return m_port->send(bytes); };
    if (m_sender.pump(now, write)) {
        dropConnection();
    }
}

FaultPlan Simulator::takeFaults(const Frame& frame)
{
    FaultPlan faults = takeFaultsFor(m_nextFaults, frame.family == Frame::Family::Write);
    if (!faults.splitMs) {
        faults.splitMs = m_options.splitMs;
    }
    return faults;
}

double Simulator::secondsSinceStart(Clock::time_point now) const
{
    return std::chrono::duration<double>(now - m_start).count();
}

void Simulator::traceDiscarded()
{
    if (const std::string dropped = m_splitter.takeDiscarded(); !dropped.empty()) {
        trace("discarded " + quoted(dropped));
    }
}

void Simulator::trace(const std::string& text) const
{
    if (m_options.verbose) {
        complain(text);
    }
}

} // namespace qvsim
