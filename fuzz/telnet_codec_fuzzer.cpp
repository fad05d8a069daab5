// Arbitrary bytes as what a Telnet device server sends, and as a script of data and
// commands to encode: the decoder and the RFC 2217 session must hold their properties
// whatever the server (or the network's segmenting) does.

#include "fuzz_check.h"
#include "rfc2217_session.h"
#include "telnet_codec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using qv::telnet::Command;
using qv::telnet::Decoded;
using qv::telnet::Decoder;

// Decodes in pieces whose sizes cycle through `sizes` (each at least 1).
Decoded decodeInPieces(std::string_view wire, std::string_view sizes)
{
    Decoder decoder;
    Decoded out;
    std::size_t turn = 0;
    while (!wire.empty()) {
        const std::size_t size =
            sizes.empty() ? 1 : 1 + static_cast<std::uint8_t>(sizes[turn++ % sizes.size()]) % 7;
        decoder.feed(wire.substr(0, size), out);
        wire.remove_prefix(std::min(size, wire.size()));
    }
    return out;
}

// Property: where the stream is cut never changes what it decodes to.
void checkSplitInvariance(std::string_view input)
{
    Decoder whole;
    const Decoded once = whole.feed(input);
    const Decoded pieces = decodeInPieces(input, input.substr(0, 8));
    FUZZ_CHECK(pieces.data == once.data);
    FUZZ_CHECK(pieces.commands == once.commands);
    FUZZ_CHECK(decodeInPieces(input, {}).data == once.data);
    // Each data byte 0xFF cost two bytes on the wire, every other one byte.
    FUZZ_CHECK(once.data.size() <= input.size());
}

struct Script
{
    std::string wire;
    std::string data;
    std::vector<Command> commands;
};

// Reads the input as a script of data and commands, encoded as a server would send them.
Script buildScript(std::string_view input)
{
    Script script;
    std::size_t at = 0;
    const auto next = [&]() -> std::uint8_t {
        return at < input.size() ? static_cast<std::uint8_t>(input[at++]) : 0;
    };
    while (at < input.size()) {
        const std::uint8_t op = next();
        if (op % 4 == 0) {
            const std::string chunk(input.substr(at, next() % 24));
            at += chunk.size();
            script.data += chunk;
            script.wire += qv::telnet::escape(chunk);
        } else if (op % 4 == 1) {
            static constexpr Command::Kind kinds[] = {Command::Kind::Will, Command::Kind::Wont,
                                                      Command::Kind::Do, Command::Kind::Dont};
            const Command command{kinds[next() % 4], next(), {}};
            script.wire += qv::telnet::negotiation(command.kind, command.code);
            script.commands.push_back(command);
        } else if (op % 4 == 2) {
            const std::uint8_t option = next();
            const std::string payload(input.substr(at, next() % 24));
            at += payload.size();
            script.wire += qv::telnet::subnegotiation(option, payload);
            script.commands.push_back(Command{Command::Kind::Subnegotiation, option, payload});
        } else {
            // NOP, DM, BRK, IP, AO, AYT, EC, EL, GA: 241..249.
            const auto code = static_cast<std::uint8_t>(241 + next() % 9);
            script.wire += std::string{char(qv::telnet::kIac), char(code)};
            script.commands.push_back(Command{Command::Kind::Other, code, {}});
        }
    }
    return script;
}

// Property: no Telnet byte leaks into the data, and no data byte is lost or taken for a
// command, however the encoded stream is cut.
void checkRoundTrip(std::string_view input)
{
    const Script script = buildScript(input);
    const Decoded out = decodeInPieces(script.wire, input.substr(input.size() / 2));
    FUZZ_CHECK(out.data == script.data);
    FUZZ_CHECK(out.commands == script.commands);
}

// Property: the session passes data through exactly as the decoder finds it, and what it
// sends back is Telnet commands only (nothing the device would receive as data).
void checkSession(std::string_view input)
{
    qv::Rfc2217Session session;
    std::string reply = session.start();
    std::string data;
    for (std::size_t at = 0; at < input.size(); at += 5) {
        const qv::Rfc2217Session::Output out = session.receive(input.substr(at, 5));
        data += out.data;
        reply += out.reply;
    }
    Decoder plain;
    FUZZ_CHECK(data == plain.feed(input).data);

    Decoder replies;
    const Decoded sent = replies.feed(reply);
    FUZZ_CHECK(sent.data.empty());
    FUZZ_CHECK(!replies.insideCommand());
    for (const Command& command : sent.commands) {
        FUZZ_CHECK(command.kind != Command::Kind::Other);
        FUZZ_CHECK(command.kind != Command::Kind::Subnegotiation ||
                   command.code == qv::telnet::kOptionComPort);
    }
    const auto setup = session.setup();
    FUZZ_CHECK(setup != qv::Rfc2217Session::Setup::Mismatch || !session.mismatch().empty());
    if (setup != qv::Rfc2217Session::Setup::Ready)
        FUZZ_CHECK(!session.awaited().empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    checkSplitInvariance(input);
    checkRoundTrip(input);
    checkSession(input);
    return 0;
}
