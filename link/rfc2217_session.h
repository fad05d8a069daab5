#pragma once

// The client's side of a Telnet connection with the COM-PORT-OPTION (RFC 2217), in plain
// C++: it answers the server's option negotiation, asks for the instrument's line
// (9600 baud, 8 data bits, no parity, 1 stop bit, no flow control, DTR and RTS on) and
// follows the server's acknowledgements. The bytes to send and the data received go in
// and out as strings; the caller owns the socket and the clock.

#include "telnet_codec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// The COM-PORT-OPTION's commands (client to server; the server answers with 100 more).
namespace comport {
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kServerOffset = 100;

inline constexpr std::uint8_t kParityNone = 1;
inline constexpr std::uint8_t kStopSizeOne = 1;
inline constexpr std::uint8_t kControlNoFlowControl = 1;
inline constexpr std::uint8_t kControlXonXoff = 2;
inline constexpr std::uint8_t kControlHardwareFlow = 3;
inline constexpr std::uint8_t kControlDtrOn = 8;
inline constexpr std::uint8_t kControlDtrOff = 9;
inline constexpr std::uint8_t kControlRtsOn = 11;
inline constexpr std::uint8_t kControlRtsOff = 12;
} // namespace comport

class Rfc2217Session
{
public:
    enum class Setup {
        AwaitingComPort, // the server has not yet agreed to the COM-PORT-OPTION
        AwaitingLine,    // the line settings are sent, not all acknowledged yet
        Ready,           // baud rate, data size, parity and stop size acknowledged
        Refused,         // the server refuses the COM-PORT-OPTION
        Mismatch,        // the server set a line setting to another value
    };

    struct Output
    {
        std::string data;  // received data, free of every Telnet command
        std::string reply; // bytes to send back: negotiation answers, line settings
    };

    // What to send right after connecting: the options this client wants.
    std::string start();
    Output receive(std::string_view bytes);
    // Data for the wire (0xFF doubled).
    static std::string encodeData(std::string_view data) { return telnet::escape(data); }

    Setup setup() const { return m_setup; }
    // Whether the server has sent any Telnet command at all.
    bool heardTelnet() const { return m_heardTelnet; }
    // For Mismatch: which setting and both values, e.g. "the server set the baud rate to
    // 115200 instead of 9600".
    const std::string& mismatch() const { return m_mismatch; }
    // While not Ready: what the server has not sent yet, e.g. "no answer to the Telnet
    // negotiation", "no acknowledgement of the parity and the stop size".
    std::string awaited() const;

private:
    enum class Side { No, Yes, WantNo, WantYes };
    struct OptionState
    {
        Side us = Side::No;  // whether this client performs the option (WILL)
        Side him = Side::No; // whether the server performs it (DO)
    };
    // The four settings that must be acknowledged, in the order they are sent.
    struct LineSetting
    {
        const char* name;
        std::uint8_t command;
        std::uint32_t wanted;
        std::optional<std::uint32_t> answered;
    };

    void handle(const telnet::Command& command, std::string& reply);
    void onWill(std::uint8_t option, std::string& reply);
    void onWont(std::uint8_t option, std::string& reply);
    void onDo(std::uint8_t option, std::string& reply);
    void onDont(std::uint8_t option, std::string& reply);
    void onComPortAnswer(const std::string& payload);
    void onControlAnswer(std::uint8_t value);
    void sendLineSettings(std::string& reply);
    void updateReadiness();

    telnet::Decoder m_decoder;
    std::array<OptionState, 256> m_options{};
    std::array<LineSetting, 4> m_line{{
        {"baud rate", comport::kSetBaudRate, 9600, {}},
        {"data size", comport::kSetDataSize, 8, {}},
        {"parity", comport::kSetParity, comport::kParityNone, {}},
        {"stop size", comport::kSetStopSize, comport::kStopSizeOne, {}},
    }};
    Setup m_setup = Setup::AwaitingComPort;
    bool m_heardTelnet = false;
    bool m_lineSent = false;
    std::string m_mismatch;
};

} // namespace qv
