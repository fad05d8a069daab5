#include "telnet_codec.h"

namespace qv::telnet {

namespace {

char byteChar(std::uint8_t byte)
{
    return static_cast<char>(byte);
}

} // namespace

Decoded Decoder::feed(std::string_view bytes)
{
    Decoded out;
    feed(bytes, out);
    return out;
}

void Decoder::feed(std::string_view bytes, Decoded& out)
{
    for (const char raw : bytes) {
        const auto byte = static_cast<std::uint8_t>(raw);
        switch (m_state) {
        case State::Data:
            if (byte == kIac)
                m_state = State::Iac;
            else
                out.data.push_back(raw);
            break;
        case State::Iac:
            afterIac(byte, out);
            break;
        case State::Negotiation:
            out.commands.push_back(Command{m_negotiation, byte, {}});
            m_state = State::Data;
            break;
        case State::SubOption:
            m_sub = Command{Command::Kind::Subnegotiation, byte, {}};
            m_state = State::SubData;
            break;
        case State::SubData:
            if (byte == kIac)
                m_state = State::SubIac;
            else if (m_sub.payload.size() < kMaxSubnegotiation)
                m_sub.payload.push_back(raw);
            break;
        case State::SubIac:
            if (byte == kIac) {
                if (m_sub.payload.size() < kMaxSubnegotiation)
                    m_sub.payload.push_back(raw);
                m_state = State::SubData;
            } else {
                // IAC SE ends it; any other command ends it too and is then read as
                // itself, so a server that forgot the SE loses no more than that.
                endSubnegotiation(out);
                if (byte != kSe)
                    afterIac(byte, out);
            }
            break;
        }
    }
}

void Decoder::afterIac(std::uint8_t byte, Decoded& out)
{
    switch (byte) {
    case kIac:
        out.data.push_back(byteChar(kIac));
        m_state = State::Data;
        return;
    case kWill:
    case kWont:
    case kDo:
    case kDont:
        m_negotiation = byte == kWill   ? Command::Kind::Will
                        : byte == kWont ? Command::Kind::Wont
                        : byte == kDo   ? Command::Kind::Do
                                        : Command::Kind::Dont;
        m_state = State::Negotiation;
        return;
    case kSb:
        m_state = State::SubOption;
        return;
    default:
        out.commands.push_back(Command{Command::Kind::Other, byte, {}});
        m_state = State::Data;
        return;
    }
}

void Decoder::endSubnegotiation(Decoded& out)
{
    out.commands.push_back(std::move(m_sub));
    m_sub = Command{};
    m_state = State::Data;
}

std::string escape(std::string_view data)
{
    std::string out;
    out.reserve(data.size());
    for (const char byte : data) {
        out.push_back(byte);
        if (static_cast<std::uint8_t>(byte) == kIac)
            out.push_back(byte);
    }
    return out;
}

std::string negotiation(Command::Kind kind, std::uint8_t option)
{
    const std::uint8_t verb = kind == Command::Kind::Will   ? kWill
                              : kind == Command::Kind::Wont ? kWont
                              : kind == Command::Kind::Do   ? kDo
                                                            : kDont;
    return {byteChar(kIac), byteChar(verb), byteChar(option)};
}

std::string subnegotiation(std::uint8_t option, std::string_view payload)
{
    std::string out{byteChar(kIac), byteChar(kSb), byteChar(option)};
    out += escape(payload);
    out.push_back(byteChar(kIac));
    out.push_back(byteChar(kSe));
    return out;
}

bool startsNegotiation(std::string_view firstBytes)
{
    if (firstBytes.size() < 2 || static_cast<std::uint8_t>(firstBytes[0]) != kIac)
        return false;
    const auto verb = static_cast<std::uint8_t>(firstBytes[1]);
    return verb >= kWill && verb <= kDont;
}

} // namespace qv::telnet
