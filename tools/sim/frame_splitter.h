#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvsim {

// A complete frame as received: its family and the text between header and end mark
// ("CHEACK1" for a query, "AD01:100.0,000.0,004.0" for a write).
struct Frame
{
    enum class Family { Query, Write };
    Family family;
    std::string body;

    std::string text() const; // the frame as it stood on the line
    bool operator==(const Frame&) const = default;
};

// Cuts the received byte stream into frames. Frames carry no terminator beyond their
// end mark and may arrive split or back to back; anything that is not part of a
// frame is dropped up to the next header.
class FrameSplitter
{
public:
    void feed(std::string_view bytes);

    // The next complete frame, or nullopt when more bytes are needed.
    std::optional<Frame> next();

    // Bytes dropped while looking for a header since the last call, for the log.
    std::string takeDiscarded();

    // Forgets everything (the connection was closed).
    void reset();

private:
    void discard(std::size_t count);
    void keepOnlyPossibleHeaderStart();

    std::string m_buffer;
    std::string m_discarded;
};

} // namespace qvsim
