// Lines of the control channel: what each asks for, and what is refused.
#include "control_command.h"

#include <gtest/gtest.h>

#include <string>

namespace qvsim {
namespace {

using Kind = ControlCommand::Kind;

FaultPlan split(int ms)
{
    FaultPlan plan;
    plan.splitMs = ms;
    return plan;
}

FaultPlan flag(bool FaultPlan::*member)
{
    FaultPlan plan;
    plan.*member = true;
    return plan;
}

struct CommandCase
{
    std::string line;
    Kind kind;
    FaultPlan fault;
    std::string key;
    std::string value;
};

std::ostream& operator<<(std::ostream& out, const CommandCase& c)
{
    return out << "'" << c.line << "'";
}

class ControlLineAccepted : public testing::TestWithParam<CommandCase>
{
};

TEST_P(ControlLineAccepted, AsksForItsAction)
{
    const CommandCase& c = GetParam();
    const ParsedControl parsed = parseControlLine(c.line);
    const auto* command = std::get_if<ControlCommand>(&parsed);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->kind, c.kind);
    EXPECT_EQ(command->fault, c.fault);
    EXPECT_EQ(command->key, c.key);
    EXPECT_EQ(command->value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ControlLineAccepted,
    testing::Values(CommandCase{"split 200", Kind::Fault, split(200), "", ""},
                    CommandCase{"  split   200 \r", Kind::Fault, split(200), "", ""},
                    CommandCase{"silence", Kind::Fault, flag(&FaultPlan::silence), "", ""},
                    CommandCase{"garbage", Kind::Fault, flag(&FaultPlan::garbage), "", ""},
                    CommandCase{"nul", Kind::Fault, flag(&FaultPlan::nul), "", ""},
                    CommandCase{"badindex", Kind::Fault, flag(&FaultPlan::badIndex), "", ""},
                    CommandCase{"long", Kind::Fault, flag(&FaultPlan::longAnswer), "", ""},
                    CommandCase{"drop next", Kind::Fault, flag(&FaultPlan::dropConnection), "", ""},
                    CommandCase{"refuse", Kind::Fault, flag(&FaultPlan::refuseWrite), "", ""},
                    CommandCase{"drop", Kind::Drop, {}, "", ""},
                    CommandCase{"show", Kind::Show, {}, "", ""},
                    CommandCase{"show line", Kind::ShowLine, {}, "", ""},
                    CommandCase{"set baud 4", Kind::Set, {}, "baud", "4"},
                    CommandCase{"set a02 drift", Kind::Set, {}, "a02", "drift"},
                    CommandCase{"quit", Kind::Quit, {}, "", ""}));

class ControlLineRefused : public testing::TestWithParam<std::string>
{
};

TEST_P(ControlLineRefused, GivesAReason)
{
    const ParsedControl parsed = parseControlLine(GetParam());
    const auto* error = std::get_if<ControlError>(&parsed);
    ASSERT_NE(error, nullptr);
    EXPECT_FALSE(error->message.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, ControlLineRefused,
                         testing::Values("split", "split 0", "split x", "split 60001",
                                         "split 10 20", "drop now", "show all", "show line 2",
                                         "quit now", "nul 2", "refuse 1", "set baud",
                                         "set baud 4 5", "jump", "SHOW"));

TEST(ControlLine, BlankLinesAreIgnored)
{
    for (const char* line : {"", "   ", "\r", "\t "}) {
        EXPECT_TRUE(std::holds_alternative<std::monostate>(parseControlLine(line))) << line;
    }
}

TEST(ControlLine, FaultsForTheNextAnswerAddUp)
{
    FaultPlan pending;
    addFaults(pending, split(100));
    addFaults(pending, flag(&FaultPlan::nul));
    addFaults(pending, split(300)); // the later pause wins
    FaultPlan expected = flag(&FaultPlan::nul);
    expected.splitMs = 300;
    EXPECT_EQ(pending, expected);
}

// Other faults go to the next answer, whatever the frame; a refusal waits for a write.
TEST(ControlLine, ARefusalWaitsForTheNextWrite)
{
    FaultPlan pending = flag(&FaultPlan::refuseWrite);
    addFaults(pending, flag(&FaultPlan::nul));

    EXPECT_EQ(takeFaultsFor(pending, false), flag(&FaultPlan::nul));
    EXPECT_EQ(takeFaultsFor(pending, false), FaultPlan{});
    EXPECT_EQ(takeFaultsFor(pending, true), flag(&FaultPlan::refuseWrite));
    EXPECT_EQ(takeFaultsFor(pending, true), FaultPlan{});
    EXPECT_EQ(pending, FaultPlan{});
}

} // namespace
} // namespace qvsim
