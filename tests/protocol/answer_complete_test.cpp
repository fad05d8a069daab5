#include "reply_parser.h"

#include "row_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct CompleteRow
{
    const char* name;
    std::string reply;
    bool complete;
};

const std::string kParameters = "STQ:001\r\nMR485B:3,0\r\nDAV:0,04.00,20.00\r\nPA1:000\r\n"
                                "PA2:000\r\nAD01:100.0,000.0,004.0\r\nAD02:050.0,000.0,000.0\r\n";
const std::string kStatus = "STC1:001A01:12.000A02:050.00A03:025.00\r\n";

class ParameterAnswer : public testing::TestWithParam<CompleteRow>
{
};

TEST_P(ParameterAnswer, IsCompleteWithEveryTagAndFullWidthValues)
{
    EXPECT_EQ(qv::parameterAnswerComplete(GetParam().reply), GetParam().complete);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ParameterAnswer,
    testing::Values(
        CompleteRow{"WholeAnswer", kParameters, true},
        CompleteRow{"WithoutLineEnd", kParameters.substr(0, kParameters.size() - 2), true},
        CompleteRow{"TagsInAnotherOrder",
                    "AD02:050.0,000.0,000.0 AD01:100.0,000.0,004.0 PA2:000 PA1:000 "
                    "DAV:0,04.00,20.00 MR485B:3,0 STQ:001",
                    true},
        CompleteRow{"LastValueOneCharacterShort", kParameters.substr(0, kParameters.size() - 3),
                    false},
        CompleteRow{"FirstHalfOnly", kParameters.substr(0, kParameters.find("AD01:")), false},
        CompleteRow{"NulBeforeTheRangeTags",
                    kParameters.substr(0, 60) + "\0"s + kParameters.substr(60), false},
        CompleteRow{"AddressShortAtTheEnd",
                    "MR485B:3,0 DAV:0,04.00,20.00 PA1:000 PA2:000 AD01:100.0,000.0,004.0 "
                    "AD02:050.0,000.0,000.0 STQ:01",
                    false},
        CompleteRow{"ParityDigitNotYetThere",
                    "STQ:001 DAV:0,04.00,20.00 PA1:000 PA2:000 AD01:100.0,000.0,004.0 "
                    "AD02:050.0,000.0,000.0 MR485B:3,",
                    false},
        CompleteRow{"StatusAnswer", kStatus, false}, CompleteRow{"Nothing", "", false}),
    RowName{});

class StatusAnswer : public testing::TestWithParam<CompleteRow>
{
};

TEST_P(StatusAnswer, IsCompleteWithItsFourTagsAndFullWidthValues)
{
    EXPECT_EQ(qv::statusAnswerComplete(GetParam().reply), GetParam().complete);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StatusAnswer,
    testing::Values(
        CompleteRow{"WholeAnswer", kStatus, true},
        CompleteRow{"LastReadingCutAtTheEnd", "STC1:001A01:12.000A02:050.00A03:12", false},
        CompleteRow{"WithoutAddress", "A01:12.000A02:050.00A03:025.00\r\n", false},
        CompleteRow{"NulBetweenTagsIsNoHarm", "STC1:001A01:12.000\0A02:050.00A03:025.00\r\n"s,
                    true},
        CompleteRow{"NulInsideAReading", "STC1:001A01:12.000A02:050.00A03:02\0.00\r\n"s, false},
        CompleteRow{"ParameterAnswer", kParameters, false}),
    RowName{});

} // namespace
