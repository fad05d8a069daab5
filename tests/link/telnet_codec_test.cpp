#include "telnet_codec.h"

#include "row_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qv::telnet::Command;
using qv::telnet::Decoded;
using qv::telnet::Decoder;
using Kind = qv::telnet::Command::Kind;

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int value : values)
        out.push_back(static_cast<char>(value));
    return out;
}

// ser2net 4.3's greeting on a telnet(rfc2217) accepter, as captured.
const std::string kSer2netGreeting =
    bytes({0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x01, 0xFF, 0xFE,
           0x01, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x2C});

struct DecodeRow
{
    const char* name;
    std::string received;
    std::string data;
    std::vector<Command> commands;
};

class TelnetDecode : public testing::TestWithParam<DecodeRow>
{
};

Decoded decodeInPieces(const std::string& received, std::size_t pieceSize)
{
    Decoder decoder;
    Decoded out;
    for (std::size_t at = 0; at < received.size(); at += pieceSize)
        decoder.feed(std::string_view(received).substr(at, pieceSize), out);
    return out;
}

TEST_P(TelnetDecode, SeparatesDataFromCommandsWhereverTheStreamIsCut)
{
    const DecodeRow& row = GetParam();
    for (std::size_t pieceSize :
         {row.received.size() + 1, std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
        const Decoded out = decodeInPieces(row.received, pieceSize);
        EXPECT_EQ(out.data, row.data) << "pieces of " << pieceSize;
        EXPECT_EQ(out.commands, row.commands) << "pieces of " << pieceSize;
    }
}

const Command kWillSga{Kind::Will, 3, {}};

INSTANTIATE_TEST_SUITE_P(
    Rows, TelnetDecode,
    testing::Values(
        DecodeRow{"PlainTextPassesUnchanged", "STQ:001\r\n", "STQ:001\r\n", {}},
        DecodeRow{
            "NulAndHighBytesAreData", bytes({'A', 0, 0x80, 0xFE}), bytes({'A', 0, 0x80, 0xFE}), {}},
        DecodeRow{
            "DoubledIacIsOneDataByte", bytes({'A', 0xFF, 0xFF, 'B'}), bytes({'A', 0xFF, 'B'}), {}},
        DecodeRow{"Ser2netGreetingLeavesNoData",
                  kSer2netGreeting,
                  "",
                  {kWillSga,
                   {Kind::Do, 3, {}},
                   {Kind::Will, 1, {}},
                   {Kind::Dont, 1, {}},
                   {Kind::Do, 0, {}},
                   {Kind::Will, 0, {}},
                   {Kind::Do, 44, {}}}},
        DecodeRow{"NegotiationBetweenDataIsCutOut",
                  "OK" + bytes({0xFF, 0xFB, 0x03}) + "\r\n",
                  "OK\r\n",
                  {kWillSga}},
        DecodeRow{"SubnegotiationWithEscapedIacInside",
                  bytes({0xFF, 0xFA, 0x2C, 0x65, 0x00, 0xFF, 0xFF, 0x25, 0x80, 0xFF, 0xF0}) + "X",
                  "X",
                  {{Kind::Subnegotiation, 44, bytes({0x65, 0x00, 0xFF, 0x25, 0x80})}}},
        DecodeRow{"NotifyModemStateBetweenAnswerLines",
                  "STQ:001\r\n" + bytes({0xFF, 0xFA, 0x2C, 0x6B, 0x00, 0xFF, 0xF0}) + "PA1:000",
                  "STQ:001\r\nPA1:000",
                  {{Kind::Subnegotiation, 44, bytes({0x6B, 0x00})}}},
        DecodeRow{"NotifyLineStateWithSeValueInside",
                  bytes({0xFF, 0xFA, 0x2C, 0x6A, 0xF0, 0xFF, 0xF0}) + "A",
                  "A",
                  {{Kind::Subnegotiation, 44, bytes({0x6A, 0xF0})}}},
        DecodeRow{"OtherCommandsAreTakenOut",
                  bytes({'A', 0xFF, 0xF1, 'B', 0xFF, 0xF9}),
                  "AB",
                  {{Kind::Other, 0xF1, {}}, {Kind::Other, 0xF9, {}}}},
        DecodeRow{"SubnegotiationWithoutSeEndsAtTheNextCommand",
                  bytes({0xFF, 0xFA, 0x2C, 0x6B, 0x00, 0xFF, 0xFB, 0x03}) + "A",
                  "A",
                  {{Kind::Subnegotiation, 44, bytes({0x6B, 0x00})}, kWillSga}},
        DecodeRow{"IacAtTheEndWaitsForMore", bytes({'A', 0xFF}), "A", {}}),
    RowName{});

TEST(TelnetDecodeLimits, EndlessSubnegotiationKeepsOnlyItsStart)
{
    Decoder decoder;
    Decoded out = decoder.feed(bytes({0xFF, 0xFA, 0x2C}));
    decoder.feed(std::string(10 * qv::telnet::kMaxSubnegotiation, 'x'), out);
    EXPECT_TRUE(decoder.insideCommand());
    decoder.feed(bytes({0xFF, 0xF0}) + "data", out);
    ASSERT_EQ(out.commands.size(), 1u);
    EXPECT_EQ(out.commands[0].payload.size(), qv::telnet::kMaxSubnegotiation);
    EXPECT_EQ(out.data, "data");
}

TEST(TelnetEncode, DoublesEveryIacInDataAndSubnegotiations)
{
    EXPECT_EQ(qv::telnet::escape(bytes({'A', 0xFF, 0xFF, 'B'})),
              bytes({'A', 0xFF, 0xFF, 0xFF, 0xFF, 'B'}));
    EXPECT_EQ(qv::telnet::escape("PPPPPP#CHEACK1#"), "PPPPPP#CHEACK1#");
    EXPECT_EQ(qv::telnet::subnegotiation(44, bytes({0x01, 0x00, 0xFF, 0x25})),
              bytes({0xFF, 0xFA, 0x2C, 0x01, 0x00, 0xFF, 0xFF, 0x25, 0xFF, 0xF0}));
    EXPECT_EQ(qv::telnet::negotiation(Kind::Dont, 1), bytes({0xFF, 0xFE, 0x01}));
}

TEST(TelnetEncode, WhatIsEncodedDecodesBackToTheSameData)
{
    std::string all;
    for (int value = 0; value < 256; ++value)
        all.push_back(static_cast<char>(value));
    Decoder decoder;
    const Decoded out = decoder.feed(qv::telnet::escape(all + all));
    EXPECT_EQ(out.data, all + all);
    EXPECT_TRUE(out.commands.empty());
}

struct GreetingRow
{
    const char* name;
    std::string firstBytes;
    bool negotiation;
};

class TelnetGreeting : public testing::TestWithParam<GreetingRow>
{
};

TEST_P(TelnetGreeting, IsRecognisedByItsFirstTwoBytes)
{
    EXPECT_EQ(qv::telnet::startsNegotiation(GetParam().firstBytes), GetParam().negotiation);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TelnetGreeting,
    testing::Values(GreetingRow{"Ser2netGreeting", kSer2netGreeting, true},
                    GreetingRow{"IacDont", bytes({0xFF, 0xFE}), true},
                    GreetingRow{"IacWill", bytes({0xFF, 0xFB}), true},
                    GreetingRow{"IacIacIsData", bytes({0xFF, 0xFF, 0x01}), false},
                    GreetingRow{"IacSubnegotiationAloneIsNot", bytes({0xFF, 0xFA, 0x2C}), false},
                    GreetingRow{"LoneIacIsNotYetKnown", bytes({0xFF}), false},
                    GreetingRow{"AnAnswer", "STQ:001\r\n", false},
                    GreetingRow{"ServerText", "Port already in use\r\n", false}),
    RowName{});

} // namespace
