#pragma once

// Telnet (RFC 854) framing of a byte stream: data with 0xFF doubled, option negotiation
// (WILL, WONT, DO, DONT) and subnegotiations, in plain C++ so it can be tested and fuzzed
// on its own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::telnet {

inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;

// Options this program knows by name.
inline constexpr std::uint8_t kOptionBinary = 0;
inline constexpr std::uint8_t kOptionEcho = 1;
inline constexpr std::uint8_t kOptionSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptionComPort = 44;

// A subnegotiation longer than this keeps only its first bytes; nothing this program
// reads comes near it, and a server that never ends one cannot make it grow unbounded.
inline constexpr std::size_t kMaxSubnegotiation = 512;

// One Telnet command found in the stream.
struct Command
{
    enum class Kind { Will, Wont, Do, Dont, Subnegotiation, Other };
    Kind kind = Kind::Other;
    // The option for negotiation and subnegotiation; the command byte itself for Other
    // (NOP, GA, AYT, ...).
    std::uint8_t code = 0;
    // A subnegotiation's bytes after the option, IAC IAC already undone.
    std::string payload;

    bool operator==(const Command&) const = default;
};

// What one piece of received bytes held.
struct Decoded
{
    std::string data;
    std::vector<Command> commands;
};

// Splits a received stream into data and commands. A command may be cut anywhere
// between two pieces: the decoder keeps what it has seen and completes it with the next
// piece, so the result never depends on where the stream was cut.
class Decoder
{
public:
    // Appends the piece's data and commands to `out`.
    void feed(std::string_view bytes, Decoded& out);
    Decoded feed(std::string_view bytes);
    // True while the bytes seen so far end inside a command.
    bool insideCommand() const { return m_state != State::Data; }

private:
    enum class State { Data, Iac, Negotiation, SubOption, SubData, SubIac };

    void afterIac(std::uint8_t byte, Decoded& out);
    void endSubnegotiation(Decoded& out);

    State m_state = State::Data;
    Command::Kind m_negotiation = Command::Kind::Will;
    Command m_sub;
};

// Data ready for the wire: every 0xFF doubled.
std::string escape(std::string_view data);
// IAC followed by WILL, WONT, DO or DONT and the option.
std::string negotiation(Command::Kind kind, std::uint8_t option);
// IAC SB option payload IAC SE, with 0xFF in the payload doubled.
std::string subnegotiation(std::uint8_t option, std::string_view payload);

// Whether a connection's first bytes are Telnet option negotiation (IAC WILL, WONT, DO or
// DONT), the way a Telnet server greets a client.
bool startsNegotiation(std::string_view firstBytes);

} // namespace qv::telnet
