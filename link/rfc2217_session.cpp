#include "rfc2217_session.h"

#include <vector>

namespace qv {

namespace {

using telnet::Command;

// Options this client agrees to perform itself, and to let the server perform.
bool weWill(std::uint8_t option)
{
    return option == telnet::kOptionBinary || option == telnet::kOptionSuppressGoAhead ||
           option == telnet::kOptionComPort;
}

bool heMay(std::uint8_t option)
{
    return option == telnet::kOptionBinary || option == telnet::kOptionSuppressGoAhead;
}

std::string comPortCommand(std::uint8_t command, std::string_view value)
{
    std::string payload(1, static_cast<char>(command));
    payload += value;
    return telnet::subnegotiation(telnet::kOptionComPort, payload);
}

std::string oneByte(std::uint32_t value)
{
    return std::string(1, static_cast<char>(value));
}

// Network byte order, as RFC 2217 sends the baud rate.
std::string fourBytes(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::uint32_t readValue(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (const char byte : bytes)
        value = (value << 8) | static_cast<std::uint8_t>(byte);
    return value;
}

// A setting's value as the operator knows it.
std::string shownValue(std::uint8_t command, std::uint32_t value)
{
    if (command == comport::kSetParity) {
        static const char* const names[] = {"(ask)", "none", "odd", "even", "mark", "space"};
        return value < std::size(names) ? names[value] : std::to_string(value);
    }
    if (command == comport::kSetStopSize) {
        static const char* const names[] = {"(ask)", "1", "2", "1.5"};
        return value < std::size(names) ? names[value] : std::to_string(value);
    }
    return std::to_string(value);
}

// "a", "a and b", "a, b and c"
std::string listed(const std::vector<std::string>& items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

} // namespace

std::string Rfc2217Session::start()
{
    std::string out;
    for (const std::uint8_t option :
         {telnet::kOptionBinary, telnet::kOptionSuppressGoAhead, telnet::kOptionComPort}) {
        m_options[option].us = Side::WantYes;
        out += telnet::negotiation(Command::Kind::Will, option);
        if (heMay(option)) {
            m_options[option].him = Side::WantYes;
            out += telnet::negotiation(Command::Kind::Do, option);
        }
    }
    return out;
}

Rfc2217Session::Output Rfc2217Session::receive(std::string_view bytes)
{
    telnet::Decoded decoded = m_decoder.feed(bytes);
    Output out{std::move(decoded.data), {}};
    for (const Command& command : decoded.commands)
        handle(command, out.reply);
    return out;
}

std::string Rfc2217Session::awaited() const
{
    if (!m_heardTelnet)
        return "no answer to the Telnet negotiation";
    if (!m_lineSent)
        return "no answer to the COM-PORT-OPTION";
    std::vector<std::string> missing;
    for (const LineSetting& setting : m_line) {
        if (!setting.answered)
            missing.push_back(std::string("the ") + setting.name);
    }
    return "no acknowledgement of " + listed(missing);
}

void Rfc2217Session::handle(const Command& command, std::string& reply)
{
    m_heardTelnet = true;
    switch (command.kind) {
    case Command::Kind::Will:
        onWill(command.code, reply);
        break;
    case Command::Kind::Wont:
        onWont(command.code, reply);
        break;
    case Command::Kind::Do:
        onDo(command.code, reply);
        break;
    case Command::Kind::Dont:
        onDont(command.code, reply);
        break;
    case Command::Kind::Subnegotiation:
        if (command.code == telnet::kOptionComPort)
            onComPortAnswer(command.payload);
        break;
    case Command::Kind::Other:
        break; // NOP, GA, AYT and the like need nothing from a client
    }
}

// The server offers to perform an option: agreed once, refused otherwise. A state
// already reached is never answered again, so two peers cannot loop.
void Rfc2217Session::onWill(std::uint8_t option, std::string& reply)
{
    Side& him = m_options[option].him;
    if (him == Side::WantYes || him == Side::WantNo) {
        him = him == Side::WantYes ? Side::Yes : Side::No;
        return;
    }
    if (him == Side::Yes)
        return;
    if (heMay(option)) {
        him = Side::Yes;
        reply += telnet::negotiation(Command::Kind::Do, option);
    } else {
        reply += telnet::negotiation(Command::Kind::Dont, option);
    }
}

void Rfc2217Session::onWont(std::uint8_t option, std::string& reply)
{
    Side& him = m_options[option].him;
    if (him == Side::Yes)
        reply += telnet::negotiation(Command::Kind::Dont, option);
    him = Side::No;
}

void Rfc2217Session::onDo(std::uint8_t option, std::string& reply)
{
    Side& us = m_options[option].us;
    if (us == Side::WantYes || us == Side::WantNo) {
        us = us == Side::WantYes ? Side::Yes : Side::No;
    } else if (us == Side::No) {
        if (weWill(option)) {
            us = Side::Yes;
            reply += telnet::negotiation(Command::Kind::Will, option);
        } else {
            reply += telnet::negotiation(Command::Kind::Wont, option);
        }
    }
    if (option == telnet::kOptionComPort && us == Side::Yes && !m_lineSent)
        sendLineSettings(reply);
}

void Rfc2217Session::onDont(std::uint8_t option, std::string& reply)
{
    Side& us = m_options[option].us;
    if (us == Side::Yes)
        reply += telnet::negotiation(Command::Kind::Wont, option);
    us = Side::No;
    if (option == telnet::kOptionComPort && m_setup != Setup::Ready && m_setup != Setup::Mismatch)
        m_setup = Setup::Refused;
}

void Rfc2217Session::sendLineSettings(std::string& reply)
{
    for (const LineSetting& setting : m_line) {
        const bool isBaudRate = setting.command == comport::kSetBaudRate;
        reply += comPortCommand(setting.command,
                                isBaudRate ? fourBytes(setting.wanted) : oneByte(setting.wanted));
    }
    for (const std::uint8_t control :
         {comport::kControlNoFlowControl, comport::kControlDtrOn, comport::kControlRtsOn})
        reply += comPortCommand(comport::kSetControl, oneByte(control));
    m_lineSent = true;
    if (m_setup == Setup::AwaitingComPort)
        m_setup = Setup::AwaitingLine;
}

// The server's answer to a setting carries the value it really set. DTR and RTS answers
// are not needed: a device without modem lines never gives them.
void Rfc2217Session::onComPortAnswer(const std::string& payload)
{
    if (!m_lineSent || payload.size() < 2 ||
        static_cast<std::uint8_t>(payload[0]) <= comport::kServerOffset)
        return;
    const std::uint8_t command = static_cast<std::uint8_t>(payload[0]) - comport::kServerOffset;
    const std::string_view value = std::string_view(payload).substr(1);
    if (command == comport::kSetControl) {
        onControlAnswer(static_cast<std::uint8_t>(value[0]));
        return;
    }
    for (LineSetting& setting : m_line) {
        if (setting.command != command)
            continue;
        const bool isBaudRate = command == comport::kSetBaudRate;
        if (isBaudRate && value.size() < 4)
            return;
        setting.answered = readValue(isBaudRate ? value.substr(0, 4) : value.substr(0, 1));
        if (*setting.answered != setting.wanted && m_setup == Setup::AwaitingLine) {
            m_setup = Setup::Mismatch;
            m_mismatch = std::string("the server set the ") + setting.name + " to " +
                         shownValue(command, *setting.answered) + " instead of " +
                         shownValue(command, setting.wanted);
        }
    }
    updateReadiness();
}

// Only a flow control other than none is a wrong line; other control answers (the
// modem lines, break) need nothing.
void Rfc2217Session::onControlAnswer(std::uint8_t value)
{
    if (m_setup != Setup::AwaitingLine)
        return;
    if (value == comport::kControlXonXoff || value == comport::kControlHardwareFlow) {
        m_setup = Setup::Mismatch;
        m_mismatch = std::string("the server set the flow control to ") +
                     (value == comport::kControlXonXoff ? "XON/XOFF" : "hardware") +
                     " instead of none";
    }
}

void Rfc2217Session::updateReadiness()
{
    if (m_setup != Setup::AwaitingLine)
        return;
    for (const LineSetting& setting : m_line) {
        if (!setting.answered)
            return;
    }
    m_setup = Setup::Ready;
}

} // namespace qv
