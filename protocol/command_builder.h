#pragma once

#include "request_code.h"

#include <optional>
#include <string>

namespace qv {

// One per command button of the window.
enum class Command {
    LinkTest,         // "Communication Test"
    ParameterRead,    // "Read Parameters"
    RealTimeData,     // "Real-Time Data"
    OutputValue,      // "Output Value"
    WriteAddress,     // "Set" beside the MODBUS address
    WriteRs485,       // "Set" in the RS485 group
    WriteOutput,      // "Set" in the current output group
    WriteAd1Range,    // "Set" in the AD1 row
    WriteAd2Range,    // "Set" in the AD2 row
    WriteFineTuning1, // "Set" beside fine-tuning AD1
    WriteFineTuning2, // "Set" beside fine-tuning AD2
};

// The field contents a frame is composed from, as UTF-8 text and list indices
// (-1 for a combo box with no selected item). Defaults are the window's initial values.
struct FieldSnapshot
{
    std::string station = "000";
    int baudIndex = 3;
    int parityIndex = 0;
    int outputVariableIndex = 0;
    std::string davl, davh;
    std::string ad1h, ad1l, ad1ld;
    std::string ad2h, ad2l, ad2ld;
    std::string edit1 = "000";
    std::string edit2 = "000";
};

struct CommandFrame
{
    std::string bytes;                      // sent exactly as it stands, no terminator
    std::optional<RequestCode> requestCode; // set by queries only
    bool showInSendView = true;             // the RS-485 write leaves the send view alone
};

// Composes the frame of a command from the fields it uses, converted left to right.
// Throws OperatorError with the operator's message for the first field that fails, and
// nothing is composed then:
// - an address or fine-tuning field that is not an integer:
//   "'<text>' is not a valid integer value";
// - a raw-text field (output values, range values) holding "#", "," or a byte outside
//   printable ASCII, any of which would corrupt the frame:
//   "'<text>' cannot be sent to the instrument".
// Raw text is otherwise sent verbatim: empty, blank or odd-looking values included.
CommandFrame buildCommand(Command command, const FieldSnapshot& fields);

} // namespace qv
