#include "reply_dispatch.h"

#include "row_name.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;
using qv::RequestCode;

constexpr std::string_view kWholeParameterAnswer =
    "STQ:017MR485B:3,1DAV:0,04.00,20.00PA1:150PA2:012"
    "AD01:100.0,000.0,004.0AD02:050.0,-10.0,001.5";

struct DispatchRow
{
    const char* name;
    RequestCode pending;
    std::string_view reply;
    RequestCode next;
    bool clearLatestReply;
    std::size_t assignments;
    bool failed;
};

class Dispatch : public testing::TestWithParam<DispatchRow>
{
};

TEST_P(Dispatch, SettlesThePendingRequest)
{
    const DispatchRow& row = GetParam();
    const qv::DispatchOutcome outcome = qv::dispatchReply(row.pending, row.reply);
    EXPECT_EQ(outcome.next, row.next);
    EXPECT_EQ(outcome.clearLatestReply, row.clearLatestReply);
    EXPECT_EQ(outcome.extraction.assignments.size(), row.assignments);
    EXPECT_EQ(outcome.extraction.error.has_value(), row.failed);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, Dispatch,
    testing::Values(
        DispatchRow{"LinkTestOnlyReturnsToIdle", RequestCode::rcLinkTest, kWholeParameterAnswer,
                    RequestCode::rcIdle, false, 0, false},
        DispatchRow{"LinkTestIgnoresABadDigit", RequestCode::rcLinkTest, "MR485B:x,0",
                    RequestCode::rcIdle, false, 0, false},
        DispatchRow{"StatusReadFillsReadingsAndKeepsTheReply", RequestCode::rcStatusRead,
                    "STC1:042A01:012.50A02:-03.00A03:99.999", RequestCode::rcIdle, false, 4, false},
        DispatchRow{"StatusReadSearchesPastANul", RequestCode::rcStatusRead,
                    "A01:000001\0A02:000002"sv, RequestCode::rcIdle, false, 2, false},
        DispatchRow{"StatusReadIgnoresParameterTags", RequestCode::rcStatusRead,
                    kWholeParameterAnswer, RequestCode::rcIdle, false, 0, false},
        DispatchRow{"StatusReadWithoutTagsStillReturnsToIdle", RequestCode::rcStatusRead, "",
                    RequestCode::rcIdle, false, 0, false},
        DispatchRow{"CompletedParameterReadClearsTheReply", RequestCode::rcParameterRead,
                    kWholeParameterAnswer, RequestCode::rcIdle, true, 14, false},
        DispatchRow{"ParameterReadStopsAtTheNul", RequestCode::rcParameterRead,
                    "A01:000001\0STQ:001"sv, RequestCode::rcIdle, true, 0, false},
        DispatchRow{"ParameterReadWithoutTagsStillCompletes", RequestCode::rcParameterRead,
                    "garbage", RequestCode::rcIdle, true, 0, false},
        DispatchRow{"FailedParameterReadStaysPending", RequestCode::rcParameterRead, "MR485B:x,0",
                    RequestCode::rcParameterRead, false, 0, true},
        DispatchRow{"PartlyFilledParameterReadStaysPending", RequestCode::rcParameterRead,
                    "STQ:001MR485B:4,x", RequestCode::rcParameterRead, false, 2, true},
        DispatchRow{"IdleTakesNothingFromAnAnswer", RequestCode::rcIdle, kWholeParameterAnswer,
                    RequestCode::rcIdle, false, 0, false}),
    RowName{});

// The dispatch hands the window the extraction itself, not a copy of something else.
TEST(DispatchExtraction, ParameterReadCarriesTheFailedDigitMessage)
{
    const qv::DispatchOutcome outcome =
        qv::dispatchReply(RequestCode::rcParameterRead, "STQ:001MR485B:q,0");
    ASSERT_EQ(outcome.extraction.assignments.size(), 1u);
    EXPECT_EQ(outcome.extraction.assignments[0],
              (qv::Assignment{qv::Target::Station, std::string("001")}));
    EXPECT_EQ(outcome.extraction.error, "'q' is not a valid integer value");
}

TEST(DispatchExtraction, StatusReadCarriesTheAddress)
{
    const qv::DispatchOutcome outcome = qv::dispatchReply(RequestCode::rcStatusRead, "STC1:042");
    ASSERT_EQ(outcome.extraction.assignments.size(), 1u);
    EXPECT_EQ(outcome.extraction.assignments[0],
              (qv::Assignment{qv::Target::Station, std::string("042")}));
}

// One text read both ways: a status answer is searched whole, a parameter answer only
// up to its first NUL.
TEST(DispatchExtraction, OneTextWithANulReadAsStatusAndAsParameters)
{
    constexpr std::string_view text =
        "STQ:007A01:012.50\0A02:-03.00STC1:042AD01:100.0,000.0,004.0"sv;
    using qv::Assignment;
    using qv::Target;
    EXPECT_EQ(qv::dispatchReply(RequestCode::rcStatusRead, text).extraction.assignments,
              (std::vector<Assignment>{{Target::Station, std::string("042")},
                                       {Target::AD1XS, std::string("012.50")},
                                       {Target::AD2XS, std::string("-03.00")}}));
    EXPECT_EQ(qv::dispatchReply(RequestCode::rcParameterRead, text).extraction.assignments,
              (std::vector<Assignment>{{Target::Station, std::string("007")}}));
}

} // namespace
