// Misbehaviour on demand: how each fault changes what goes on the line.
#include "answer_composer.h"
#include "fault_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace qvsim {
namespace {

using std::chrono::milliseconds;

class FaultShaping : public testing::Test
{
protected:
    Transmission shape(const Answer& answer, const FaultPlan& faults)
    {
        return shapeAnswer(answer, faults, m_random);
    }

    const Answer m_parameters = composeParameters(InstrumentConfig{});
    const Answer m_status = composeStatus(InstrumentConfig{}, Readings{12000, 5000, 2500});
    std::mt19937 m_random{1};
};

TEST_F(FaultShaping, WithoutFaultsTheAnswerGoesOutWhole)
{
    const Transmission t = shape(m_parameters, {});
    ASSERT_EQ(t.steps.size(), 1u);
    EXPECT_EQ(t.steps[0].pauseBefore, milliseconds(0));
    EXPECT_EQ(t.steps[0].bytes, m_parameters.bytes);
    EXPECT_FALSE(t.dropConnection);
}

TEST_F(FaultShaping, SplitPausesAtALineBoundaryInTheMiddle)
{
    FaultPlan faults;
    faults.splitMs = 250;
    const Transmission t = shape(m_parameters, faults);
    ASSERT_EQ(t.steps.size(), 2u);
    EXPECT_EQ(t.steps[1].pauseBefore, milliseconds(250));
    EXPECT_EQ(t.bytes(), m_parameters.bytes);
    EXPECT_TRUE(t.steps[0].bytes.ends_with("PA2:000\r\n")) << t.steps[0].bytes;
    EXPECT_TRUE(t.steps[1].bytes.starts_with("AD01:")) << t.steps[1].bytes;
}

TEST_F(FaultShaping, NulStartsTheSecondHalfOfTheParameterAnswer)
{
    FaultPlan faults;
    faults.nul = true;
    const std::string bytes = shape(m_parameters, faults).bytes();
    ASSERT_EQ(std::count(bytes.begin(), bytes.end(), '\0'), 1);
    const std::string beforeNul = bytes.substr(0, bytes.find('\0'));
    // A reader that stops at the NUL sees the first tags but not the range tags.
    EXPECT_NE(beforeNul.find("PA2:"), std::string::npos);
    EXPECT_EQ(beforeNul.find("AD01:"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.find('\0') + 1), m_parameters.bytes.substr(beforeNul.size()));
}

TEST_F(FaultShaping, NulInTheStatusAnswerStartsTheFirstTagOfItsSecondHalf)
{
    FaultPlan faults;
    faults.nul = true;
    EXPECT_EQ(shape(m_status, faults).bytes(),
              std::string("STC1:001A01:12.000A02:050.00\0A03:025.00\r\n", 41));
}

TEST_F(FaultShaping, NulAndSplitTogetherPauseJustBeforeTheNul)
{
    FaultPlan faults;
    faults.nul = true;
    faults.splitMs = 150;
    const Transmission t = shape(m_parameters, faults);
    ASSERT_EQ(t.steps.size(), 2u);
    EXPECT_EQ(t.steps[1].bytes.front(), '\0');
}

TEST_F(FaultShaping, BadIndexPutsALetterInPlaceOfTheBaudDigitOnly)
{
    FaultPlan faults;
    faults.badIndex = true;
    std::string expected = m_parameters.bytes;
    expected.replace(expected.find("MR485B:3,0"), 10, "MR485B:x,0");
    EXPECT_EQ(shape(m_parameters, faults).bytes(), expected);
    EXPECT_EQ(shape(m_status, faults).bytes(), m_status.bytes); // no baud digit there
}

TEST_F(FaultShaping, LongPutsTaglessFillerPastOneReceiveBlockBeforeTheAnswer)
{
    FaultPlan faults;
    faults.longAnswer = true;
    const std::string bytes = shape(m_status, faults).bytes();
    EXPECT_GT(bytes.size(), 2048u + m_status.bytes.size());
    EXPECT_TRUE(bytes.ends_with(m_status.bytes));
    const std::string filler = bytes.substr(0, bytes.size() - m_status.bytes.size());
    EXPECT_EQ(filler.find_first_of(":#"), std::string::npos);
}

TEST_F(FaultShaping, GarbageReplacesTheAnswerWithPrintableTaglessBytes)
{
    FaultPlan faults;
    faults.garbage = true;
    const std::string bytes = shape(m_parameters, faults).bytes();
    EXPECT_EQ(bytes.size(), m_parameters.bytes.size());
    EXPECT_EQ(bytes.find_first_of(":#"), std::string::npos);
    EXPECT_TRUE(
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= ' ' && c <= '~'; }));
}

TEST_F(FaultShaping, GarbageIsRepeatableForASeed)
{
    FaultPlan faults;
    faults.garbage = true;
    std::mt19937 again{1};
    EXPECT_EQ(shape(m_status, faults).bytes(), shapeAnswer(m_status, faults, again).bytes());
}

TEST_F(FaultShaping, SilenceSendsNothing)
{
    FaultPlan faults;
    faults.silence = true;
    const Transmission t = shape(m_parameters, faults);
    EXPECT_TRUE(t.steps.empty());
    EXPECT_FALSE(t.dropConnection);
}

TEST_F(FaultShaping, DropNextClosesTheConnectionInsteadOfAnswering)
{
    FaultPlan faults;
    faults.dropConnection = true;
    const Transmission t = shape(m_parameters, faults);
    EXPECT_TRUE(t.steps.empty());
    EXPECT_TRUE(t.dropConnection);
}

} // namespace
} // namespace qvsim
