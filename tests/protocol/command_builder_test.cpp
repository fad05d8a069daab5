#include "command_builder.h"

#include "int_conversion.h"
#include "row_name.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using qv::buildCommand;
using qv::Command;
using qv::FieldSnapshot;
using qv::RequestCode;

// Changes a snapshot of the window's initial values into the fields of one case.
using FieldSetup = void (*)(FieldSnapshot&);

void initialValues(FieldSnapshot&) {}

// --- Queries: fixed frames that set the pending request ---

struct QueryRow
{
    const char* name;
    Command command;
    const char* frame;
    RequestCode requestCode;
};

class QueryFrame : public testing::TestWithParam<QueryRow>
{
};

TEST_P(QueryFrame, IsTheKeywordBetweenDelimitersAndSetsTheRequest)
{
    const qv::CommandFrame frame = buildCommand(GetParam().command, FieldSnapshot{});
    EXPECT_EQ(frame.bytes, GetParam().frame);
    EXPECT_EQ(frame.requestCode, GetParam().requestCode);
    EXPECT_TRUE(frame.showInSendView);
}

TEST_P(QueryFrame, IgnoresFieldsThatCannotBeConverted)
{
    FieldSnapshot fields;
    fields.station = "bad";
    fields.davl = "#";
    EXPECT_EQ(buildCommand(GetParam().command, fields).bytes, GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(Queries, QueryFrame,
                         testing::Values(QueryRow{"CommunicationTest", Command::LinkTest,
                                                  "PPPPPP#VAR#", RequestCode::rcLinkTest},
                                         QueryRow{"ReadParameters", Command::ParameterRead,
                                                  "PPPPPP#CHEACK1#", RequestCode::rcParameterRead},
                                         QueryRow{"RealTimeData", Command::RealTimeData,
                                                  "PPPPPP#STATUS#", RequestCode::rcStatusRead},
                                         QueryRow{"OutputValue", Command::OutputValue, "PPPPPP#AA#",
                                                  RequestCode::rcStatusRead}),
                         RowName{});

TEST(QueryFrameLength, ReadParametersIsFifteenBytes)
{
    EXPECT_EQ(buildCommand(Command::ParameterRead, FieldSnapshot{}).bytes.size(), 15u);
}

// --- Writes: fields composed into the frame, pending request untouched ---

struct WriteRow
{
    const char* name;
    Command command;
    FieldSetup setup;
    const char* frame;
};

class WriteFrame : public testing::TestWithParam<WriteRow>
{
};

TEST_P(WriteFrame, ComposesTheFieldsInFrameOrder)
{
    FieldSnapshot fields;
    GetParam().setup(fields);
    const qv::CommandFrame frame = buildCommand(GetParam().command, fields);
    EXPECT_EQ(frame.bytes, GetParam().frame);
    EXPECT_EQ(frame.requestCode, std::nullopt);
    EXPECT_EQ(frame.showInSendView, GetParam().command != Command::WriteRs485);
}

INSTANTIATE_TEST_SUITE_P(
    InitialValues, WriteFrame,
    testing::Values(WriteRow{"AddressSendsThreeZeros", Command::WriteAddress, initialValues,
                             "TARVEN#ST:000#"},
                    WriteRow{"Rs485SendsBaud9600AndNoParity", Command::WriteRs485, initialValues,
                             "TARVEN#MR485B:3,0#"},
                    WriteRow{"OutputWithEmptyValuesLeavesEmptySlots", Command::WriteOutput,
                             initialValues, "TARVEN#DAV:0,,#"},
                    WriteRow{"Ad2RangeWithEmptyFieldsLeavesEmptySlots", Command::WriteAd2Range,
                             initialValues, "TARVEN#AD02:,,#"},
                    WriteRow{"FineTuning1SendsThreeZeros", Command::WriteFineTuning1, initialValues,
                             "TARVEN#PZ1:000#"},
                    WriteRow{"FineTuning2SendsThreeZeros", Command::WriteFineTuning2, initialValues,
                             "TARVEN#PZ2:000#"}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    Address, WriteFrame,
    testing::Values(WriteRow{"SevenIsPaddedToThreeDigits", Command::WriteAddress,
                             [](FieldSnapshot& f) { f.station = "7"; }, "TARVEN#ST:007#"},
                    WriteRow{"SixDigitsAreSentWhole", Command::WriteAddress,
                             [](FieldSnapshot& f) { f.station = "123456"; }, "TARVEN#ST:123456#"},
                    WriteRow{"LeadingZerosAreNormalised", Command::WriteAddress,
                             [](FieldSnapshot& f) { f.station = "0042"; }, "TARVEN#ST:042#"},
                    WriteRow{"HexadecimalIsSentInDecimal", Command::WriteAddress,
                             [](FieldSnapshot& f) { f.station = "$1F"; }, "TARVEN#ST:031#"},
                    WriteRow{"OtherFieldsAreNotExamined", Command::WriteAddress,
                             [](FieldSnapshot& f) {
                                 f.davl = "#";
                                 f.edit1 = "bad";
                             },
                             "TARVEN#ST:000#"}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    Rs485, WriteFrame,
    testing::Values(WriteRow{"BaudAndParityIndices", Command::WriteRs485,
                             [](FieldSnapshot& f) {
                                 f.baudIndex = 4;
                                 f.parityIndex = 2;
                             },
                             "TARVEN#MR485B:4,2#"},
                    WriteRow{"UnselectedBaudSendsMinusOne", Command::WriteRs485,
                             [](FieldSnapshot& f) { f.baudIndex = -1; }, "TARVEN#MR485B:-1,0#"},
                    WriteRow{"UnselectedParitySendsMinusOne", Command::WriteRs485,
                             [](FieldSnapshot& f) { f.parityIndex = -1; }, "TARVEN#MR485B:3,-1#"}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    Output, WriteFrame,
    testing::Values(WriteRow{"VariableAndBothValues", Command::WriteOutput,
                             [](FieldSnapshot& f) {
                                 f.outputVariableIndex = 1;
                                 f.davl = "04.00";
                                 f.davh = "20.00";
                             },
                             "TARVEN#DAV:1,04.00,20.00#"},
                    WriteRow{"UnselectedVariableSendsMinusOne", Command::WriteOutput,
                             [](FieldSnapshot& f) {
                                 f.outputVariableIndex = -1;
                                 f.davh = "20";
                             },
                             "TARVEN#DAV:-1,,20#"},
                    WriteRow{"NegativeDecimalIsNotReformatted", Command::WriteOutput,
                             [](FieldSnapshot& f) {
                                 f.davl = "-1.5";
                                 f.davh = "--1.2.";
                             },
                             "TARVEN#DAV:0,-1.5,--1.2.#"}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    Ranges, WriteFrame,
    testing::Values(WriteRow{"Ad1UrvLrvAndStartingPoint", Command::WriteAd1Range,
                             [](FieldSnapshot& f) {
                                 f.ad1h = "100";
                                 f.ad1l = "0";
                                 f.ad1ld = "4";
                             },
                             "TARVEN#AD01:100,0,4#"},
                    WriteRow{"Ad2ValuesAsReadFromTheInstrument", Command::WriteAd2Range,
                             [](FieldSnapshot& f) {
                                 f.ad2h = "100.0";
                                 f.ad2l = "000.0";
                                 f.ad2ld = "004.0";
                             },
                             "TARVEN#AD02:100.0,000.0,004.0#"},
                    WriteRow{"MinusOnePointFiveIsSentUnchanged", Command::WriteAd1Range,
                             [](FieldSnapshot& f) { f.ad1l = "-1.5"; }, "TARVEN#AD01:,-1.5,#"},
                    WriteRow{"BlanksAreSentVerbatim", Command::WriteAd2Range,
                             [](FieldSnapshot& f) {
                                 f.ad2h = " 1 ";
                                 f.ad2ld = " ";
                             },
                             "TARVEN#AD02: 1 ,, #"},
                    WriteRow{"PastedTextLongerThanTheTypingLimit", Command::WriteAd1Range,
                             [](FieldSnapshot& f) { f.ad1h = "123456789"; },
                             "TARVEN#AD01:123456789,,#"},
                    WriteRow{"PrintableAsciiEdgesAreSent", Command::WriteAd1Range,
                             [](FieldSnapshot& f) {
                                 f.ad1h = "~";
                                 f.ad1l = "a!";
                             },
                             "TARVEN#AD01:~,a!,#"}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    FineTuning, WriteFrame,
    testing::Values(WriteRow{"MinusFiveIsPaddedAfterTheSign", Command::WriteFineTuning1,
                             [](FieldSnapshot& f) { f.edit1 = "-5"; }, "TARVEN#PZ1:-005#"},
                    WriteRow{"OneHundredFiftyUnchanged", Command::WriteFineTuning1,
                             [](FieldSnapshot& f) { f.edit1 = "150"; }, "TARVEN#PZ1:150#"},
                    WriteRow{"LeadingBlankIsSkipped", Command::WriteFineTuning1,
                             [](FieldSnapshot& f) { f.edit1 = " 12"; }, "TARVEN#PZ1:012#"},
                    WriteRow{"SecondChannelUsesEdit2", Command::WriteFineTuning2,
                             [](FieldSnapshot& f) {
                                 f.edit1 = "1";
                                 f.edit2 = "47";
                             },
                             "TARVEN#PZ2:047#"}),
    RowName{});

// --- Refusals: nothing is composed, the operator gets the message ---

struct RefusalRow
{
    const char* name;
    Command command;
    FieldSetup setup;
    const char* message;
};

class RefusedWrite : public testing::TestWithParam<RefusalRow>
{
};

TEST_P(RefusedWrite, ThrowsTheOperatorMessage)
{
    FieldSnapshot fields;
    GetParam().setup(fields);
    try {
        const qv::CommandFrame frame = buildCommand(GetParam().command, fields);
        FAIL() << "composed '" << frame.bytes << "' instead of refusing";
    } catch (const qv::OperatorError& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    IntegerFields, RefusedWrite,
    testing::Values(
        RefusalRow{"EmptyStation", Command::WriteAddress, [](FieldSnapshot& f) { f.station = ""; },
                   "'' is not a valid integer value"},
        RefusalRow{"StationWithTrailingBlank", Command::WriteAddress,
                   [](FieldSnapshot& f) { f.station = "12 "; },
                   "'12 ' is not a valid integer value"},
        RefusalRow{"FineTuningWithTrailingBlank", Command::WriteFineTuning1,
                   [](FieldSnapshot& f) { f.edit1 = "12 "; }, "'12 ' is not a valid integer value"},
        RefusalRow{"FineTuningWithDecimalPoint", Command::WriteFineTuning2,
                   [](FieldSnapshot& f) { f.edit2 = "1.5"; }, "'1.5' is not a valid integer value"},
        RefusalRow{"FineTuningWithLetters", Command::WriteFineTuning1,
                   [](FieldSnapshot& f) { f.edit1 = "abc"; }, "'abc' is not a valid integer value"},
        RefusalRow{"FineTuningBeyondInt32", Command::WriteFineTuning2,
                   [](FieldSnapshot& f) { f.edit2 = "2147483648"; },
                   "'2147483648' is not a valid integer value"}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(RawTextFields, RefusedWrite,
                         testing::Values(RefusalRow{"DelimiterInOutputValue", Command::WriteOutput,
                                                    [](FieldSnapshot& f) { f.davl = "1#2"; },
                                                    "'1#2' cannot be sent to the instrument"},
                                         RefusalRow{"SeparatorInOutputValue", Command::WriteOutput,
                                                    [](FieldSnapshot& f) { f.davh = "1,5"; },
                                                    "'1,5' cannot be sent to the instrument"},
                                         RefusalRow{"NonAsciiLetter", Command::WriteAd1Range,
                                                    [](FieldSnapshot& f) {
                                                        f.ad1h = "\xC3\xA9"
                                                                 "5";
                                                    },
                                                    "'\xC3\xA9"
                                                    "5' cannot be sent to the instrument"},
                                         RefusalRow{"Tab", Command::WriteAd1Range,
                                                    [](FieldSnapshot& f) { f.ad1l = "\t1"; },
                                                    "'\t1' cannot be sent to the instrument"},
                                         RefusalRow{"LineFeed", Command::WriteAd2Range,
                                                    [](FieldSnapshot& f) { f.ad2h = "1\n"; },
                                                    "'1\n' cannot be sent to the instrument"},
                                         RefusalRow{"Delete", Command::WriteAd1Range,
                                                    [](FieldSnapshot& f) { f.ad1ld = "1\x7F"; },
                                                    "'1\x7F' cannot be sent to the instrument"},
                                         RefusalRow{"ControlCharacter", Command::WriteAd2Range,
                                                    [](FieldSnapshot& f) { f.ad2ld = "\x01"; },
                                                    "'\x01' cannot be sent to the instrument"},
                                         RefusalRow{"SeparatorInAd2Lrv", Command::WriteAd2Range,
                                                    [](FieldSnapshot& f) { f.ad2l = ","; },
                                                    "',' cannot be sent to the instrument"}),
                         RowName{});

INSTANTIATE_TEST_SUITE_P(
    FirstFailingFieldInFrameOrder, RefusedWrite,
    testing::Values(RefusalRow{"Ad1UrvBeforeLrv", Command::WriteAd1Range,
                               [](FieldSnapshot& f) {
                                   f.ad1h = "1#";
                                   f.ad1l = "2,";
                               },
                               "'1#' cannot be sent to the instrument"},
                    RefusalRow{"Ad1LrvBeforeStartingPoint", Command::WriteAd1Range,
                               [](FieldSnapshot& f) {
                                   f.ad1ld = "3#";
                                   f.ad1l = "2,";
                               },
                               "'2,' cannot be sent to the instrument"},
                    RefusalRow{"FourMilliampBeforeTwentyMilliamp", Command::WriteOutput,
                               [](FieldSnapshot& f) {
                                   f.davh = "#h";
                                   f.davl = "#l";
                               },
                               "'#l' cannot be sent to the instrument"}),
    RowName{});

} // namespace
