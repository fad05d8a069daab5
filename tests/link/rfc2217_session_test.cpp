#include "rfc2217_session.h"

#include "row_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qv::Rfc2217Session;
using Setup = qv::Rfc2217Session::Setup;

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int value : values)
        out.push_back(static_cast<char>(value));
    return out;
}

std::string serverSays(std::initializer_list<int> payload)
{
    return bytes({0xFF, 0xFA, 0x2C}) + bytes(payload) + bytes({0xFF, 0xF0});
}

// ser2net 4.3 with a pseudo-terminal as its device, as captured: its greeting, and its
// answers to the line settings (no answer to DTR and RTS).
const std::string kGreeting =
    bytes({0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x01, 0xFF, 0xFE,
           0x01, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x2C});
const std::string kBaudAck = serverSays({0x65, 0x00, 0x00, 0x25, 0x80});
const std::string kDataSizeAck = serverSays({0x66, 8});
const std::string kParityAck = serverSays({0x67, 1});
const std::string kStopSizeAck = serverSays({0x68, 1});
const std::string kFlowAck = serverSays({0x69, 1});
const std::string kAllAcks = kBaudAck + kDataSizeAck + kParityAck + kStopSizeAck + kFlowAck;

// 9600 8N1, no flow control, DTR on, RTS on.
const std::string kLineSettings =
    serverSays({0x01, 0x00, 0x00, 0x25, 0x80}) + serverSays({0x02, 8}) + serverSays({0x03, 1}) +
    serverSays({0x04, 1}) + serverSays({0x05, 1}) + serverSays({0x05, 8}) + serverSays({0x05, 11});

TEST(Rfc2217Session, AsksForBinarySuppressGoAheadAndTheComPort)
{
    Rfc2217Session session;
    EXPECT_EQ(session.start(), bytes({0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x03, 0xFF,
                                      0xFD, 0x03, 0xFF, 0xFB, 0x2C}));
    EXPECT_EQ(session.setup(), Setup::AwaitingComPort);
    EXPECT_EQ(session.awaited(), "no answer to the Telnet negotiation");
}

TEST(Rfc2217Session, WithSer2netRefusesEchoSetsTheLineAndIsReadyWithoutModemLineAnswers)
{
    Rfc2217Session session;
    session.start();
    const Rfc2217Session::Output greeted = session.receive(kGreeting);
    EXPECT_EQ(greeted.data, "");
    // Only ECHO needs an answer; the rest agrees with what was asked for.
    EXPECT_EQ(greeted.reply, bytes({0xFF, 0xFE, 0x01}) + kLineSettings);
    EXPECT_EQ(session.setup(), Setup::AwaitingLine);

    const Rfc2217Session::Output acked = session.receive(kAllAcks + serverSays({0x6B, 0x00}));
    EXPECT_EQ(acked.reply, "");
    EXPECT_EQ(acked.data, "");
    EXPECT_EQ(session.setup(), Setup::Ready);

    const Rfc2217Session::Output answer =
        session.receive("STQ:0" + bytes({0xFF, 0xFF}) + serverSays({0x6A, 0x60}) + "01\r\n");
    EXPECT_EQ(answer.data, "STQ:0" + bytes({0xFF}) + "01\r\n");
    EXPECT_EQ(Rfc2217Session::encodeData(bytes({'#', 0xFF})), bytes({'#', 0xFF, 0xFF}));
}

struct SetupRow
{
    const char* name;
    std::string received; // after the client's start()
    Setup setup;
    std::string detail; // mismatch() for Mismatch, awaited() otherwise
};

class Rfc2217Setup : public testing::TestWithParam<SetupRow>
{
};

TEST_P(Rfc2217Setup, EndsReadyOnlyWhenTheFourLineSettingsAreAcknowledged)
{
    const SetupRow& row = GetParam();
    Rfc2217Session session;
    session.start();
    // Byte by byte: the outcome must not depend on how the answers were cut.
    for (const char byte : row.received)
        session.receive(std::string(1, byte));
    EXPECT_EQ(session.setup(), row.setup);
    if (row.setup == Setup::Mismatch) {
        EXPECT_EQ(session.mismatch(), row.detail);
    } else if (row.setup == Setup::AwaitingComPort || row.setup == Setup::AwaitingLine) {
        EXPECT_EQ(session.awaited(), row.detail);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Rfc2217Setup,
    testing::Values(
        SetupRow{"NothingFromTheServer", "", Setup::AwaitingComPort,
                 "no answer to the Telnet negotiation"},
        SetupRow{"PlainTelnetWithoutComPort", bytes({0xFF, 0xFB, 0x01, 0xFF, 0xFB, 0x03}),
                 Setup::AwaitingComPort, "no answer to the COM-PORT-OPTION"},
        SetupRow{"ServerRefusesComPort", bytes({0xFF, 0xFB, 0x03, 0xFF, 0xFE, 0x2C}),
                 Setup::Refused, ""},
        SetupRow{"ServerAcceptsButAcknowledgesNothing", kGreeting, Setup::AwaitingLine,
                 "no acknowledgement of the baud rate, the data size, the parity and the stop "
                 "size"},
        SetupRow{"ParityAndStopSizeNeverAcknowledged", kGreeting + kBaudAck + kDataSizeAck,
                 Setup::AwaitingLine, "no acknowledgement of the parity and the stop size"},
        SetupRow{"StopSizeNeverAcknowledged", kGreeting + kBaudAck + kDataSizeAck + kParityAck,
                 Setup::AwaitingLine, "no acknowledgement of the stop size"},
        SetupRow{"AllFourWithoutFlowControlAnswer",
                 kGreeting + kBaudAck + kDataSizeAck + kParityAck + kStopSizeAck, Setup::Ready, ""},
        SetupRow{"AcknowledgedInAnotherOrder",
                 kGreeting + kStopSizeAck + kParityAck + kDataSizeAck + kBaudAck, Setup::Ready, ""},
        SetupRow{"ModemLinesReportedOff",
                 kGreeting + kAllAcks + serverSays({0x69, 9}) + serverSays({0x69, 12}),
                 Setup::Ready, ""},
        SetupRow{"OtherBaudRate", kGreeting + serverSays({0x65, 0x00, 0x01, 0xC2, 0x00}),
                 Setup::Mismatch, "the server set the baud rate to 115200 instead of 9600"},
        SetupRow{"SevenDataBits", kGreeting + kBaudAck + serverSays({0x66, 7}), Setup::Mismatch,
                 "the server set the data size to 7 instead of 8"},
        SetupRow{"EvenParity", kGreeting + serverSays({0x67, 3}), Setup::Mismatch,
                 "the server set the parity to even instead of none"},
        SetupRow{"TwoStopBits", kGreeting + serverSays({0x68, 2}), Setup::Mismatch,
                 "the server set the stop size to 2 instead of 1"},
        SetupRow{"HardwareFlowControl", kGreeting + kBaudAck + serverSays({0x69, 3}),
                 Setup::Mismatch, "the server set the flow control to hardware instead of none"},
        SetupRow{"AcknowledgementBeforeComPortIsIgnored", kBaudAck + kDataSizeAck,
                 Setup::AwaitingComPort, "no answer to the COM-PORT-OPTION"},
        SetupRow{"ShortAnswerIsIgnored",
                 kGreeting + serverSays({0x65, 0x25}) + kDataSizeAck + kParityAck + kStopSizeAck,
                 Setup::AwaitingLine, "no acknowledgement of the baud rate"}),
    RowName{});

struct RefusalRow
{
    const char* name;
    std::string offered;
    std::string answer;
};

class Rfc2217Refusal : public testing::TestWithParam<RefusalRow>
{
};

TEST_P(Rfc2217Refusal, AnswersEachOfferOnceAndNeverLoops)
{
    Rfc2217Session session;
    session.start();
    EXPECT_EQ(session.receive(GetParam().offered).reply, GetParam().answer);
    // The same offer again changes nothing, so it is not answered twice unless refused.
    const std::string again = session.receive(GetParam().offered).reply;
    EXPECT_TRUE(again.empty() || again == GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Rfc2217Refusal,
    testing::Values(
        RefusalRow{"ServerWillEchoIsRefused", bytes({0xFF, 0xFB, 0x01}), bytes({0xFF, 0xFE, 0x01})},
        RefusalRow{"TerminalTypeIsRefused", bytes({0xFF, 0xFD, 0x18}), bytes({0xFF, 0xFC, 0x18})},
        RefusalRow{"ServerComPortIsRefused", bytes({0xFF, 0xFB, 0x2C}), bytes({0xFF, 0xFE, 0x2C})},
        RefusalRow{"BinaryAgreedAsAskedNeedsNoAnswer", bytes({0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x00}),
                   ""},
        RefusalRow{"DontForAnOptionNeverOnNeedsNoAnswer", bytes({0xFF, 0xFE, 0x01}), ""},
        RefusalRow{"WontBinaryRefusingOurDoNeedsNoAnswer", bytes({0xFF, 0xFC, 0x00}), ""}),
    RowName{});

} // namespace
