#pragma once

#include "control_channel.h"
#include "control_command.h"
#include "fault_plan.h"
#include "frame_splitter.h"
#include "instrument_model.h"
#include "options.h"
#include "paced_sender.h"
#include "port.h"

#include <signal.h>

#include <csignal>
#include <memory>
#include <random>

namespace qvsim {

// Ties the line, the control channel and the instrument together in one poll loop.
class Simulator
{
public:
    explicit Simulator(const Options& options); // throws std::system_error

    // Runs until `quit`, or until `stopRequested` is set by a signal handler. The
    // loop waits with `waitMask` in force, so a signal blocked elsewhere can only
    // arrive while it waits.
    void run(const volatile std::sig_atomic_t& stopRequested, const sigset_t& waitMask);

private:
    using Clock = PacedSender::Clock;

    void announceAddress();
    void receiveFromPort(Clock::time_point now);
    void ignoreOnWrongLine(std::string& bytes);
    void answerFrame(const Frame& frame, Clock::time_point now);
    void handleControl(const ControlLine& line, Clock::time_point now);
    void execute(const ControlCommand& command, const ControlLine& line, Clock::time_point now);
    void reply(const ControlLine& line, const std::string& text);
    void dropConnection();
    void pumpAnswers(Clock::time_point now);
    FaultPlan takeFaults(const Frame& frame);
    double secondsSinceStart(Clock::time_point now) const;
    void traceDiscarded();
    void trace(const std::string& text) const;

    Options m_options;
    std::unique_ptr<Port> m_port;
    ControlChannel m_control;
    InstrumentModel m_model;
    FrameSplitter m_splitter;
    PacedSender m_sender;
    FaultPlan m_nextFaults;
    std::mt19937 m_random;
    Clock::time_point m_start = Clock::now();
    bool m_quit = false;
};

} // namespace qvsim
