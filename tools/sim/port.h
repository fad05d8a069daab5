#pragma once

#include "line_settings.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qvsim {

// What one look at the connection brought.
struct PortInput
{
    enum class Event { None, Connected, Disconnected };
    std::string bytes;
    Event event = Event::None;
};

// The simulated instrument's end of the line: a pseudo-terminal or a TCP socket.
class Port
{
public:
    virtual ~Port() = default;

    // What the operator types into the program's COM Port box.
    virtual std::string address() const = 0;

    // The descriptor to wait on for input (or for a client to connect).
    virtual int pollFd() const = 0;

    // Called when pollFd() is ready; never blocks.
    virtual PortInput receive() = 0;

    // Writes without blocking; returns how many bytes were taken.
    virtual std::size_t send(std::string_view bytes) = 0;

    // The line settings the program set, where the connection has them (a serial
    // line does, a TCP socket does not).
    virtual std::optional<LineSettings> lineSettings() const { return std::nullopt; }

    // Takes the line away from the program as an unplugged device would, then makes
    // the port ready for a new connection (address() may change).
    virtual void drop() = 0;
};

} // namespace qvsim
