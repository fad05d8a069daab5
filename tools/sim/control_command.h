#pragma once

#include "fault_plan.h"

#include <string>
#include <string_view>
#include <variant>

namespace qvsim {

// One line of the control channel.
struct ControlCommand
{
    enum class Kind {
        Fault, // misbehave on the next answer (split, silence, garbage, nul, badindex, long, drop
               // next) or refuse the next write (refuse)
        Drop,  // close the connection now
        Show,  // print the configuration
        ShowLine, // print the line settings
        Set,      // change a setting or pin a reading
        Quit,
    };
    Kind kind;
    FaultPlan fault;   // Fault
    std::string key;   // Set
    std::string value; // Set
};

struct ControlError
{
    std::string message;
};

// A blank line gives std::monostate.
using ParsedControl = std::variant<std::monostate, ControlCommand, ControlError>;

ParsedControl parseControlLine(std::string_view line);

// Adds the faults asked for in `more` to those already pending.
void addFaults(FaultPlan& pending, const FaultPlan& more);

// Takes the faults for the answer to the next frame out of `pending`. A refusal is
// kept pending until a write frame comes: queries before it are answered as usual.
FaultPlan takeFaultsFor(FaultPlan& pending, bool writeFrame);

// Names of the faults in the plan ("split 200 ms, nul"), for the log.
std::string describeFaults(const FaultPlan& faults);

} // namespace qvsim
