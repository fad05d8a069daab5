#include "server_farewell.h"

#include "row_name.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct FarewellRow
{
    const char* name;
    std::string received;
    std::optional<std::string> text;
};

class ServerFarewell : public testing::TestWithParam<FarewellRow>
{
};

TEST_P(ServerFarewell, ReadsAReasonOnlyFromShortPlainText)
{
    EXPECT_EQ(qv::farewellText(GetParam().received), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServerFarewell,
    testing::Values(
        FarewellRow{"Ser2netPortInUse", "Port already in use\r\n", "Port already in use"},
        FarewellRow{"Ser2netDeviceMissing", "Device open failure: Value or file not found\r\n",
                    "Device open failure: Value or file not found"},
        FarewellRow{"LinesAreJoinedAndTrimmed", "\r\n  busy \r\n\ttry later\n", "busy try later"},
        FarewellRow{"NothingReceived", "", std::nullopt},
        FarewellRow{"OnlyLineBreaks", "\r\n\r\n", std::nullopt},
        FarewellRow{"ANulIsNoText", std::string("busy\0", 5), std::nullopt},
        FarewellRow{"HighBytesAreNoText", "busy\xFF", std::nullopt},
        FarewellRow{"LongestTextIsKept", std::string(qv::kMaxFarewellBytes, 'x'),
                    std::string(qv::kMaxFarewellBytes, 'x')},
        FarewellRow{"LongerTextIsNoReason", std::string(qv::kMaxFarewellBytes + 1, 'x'),
                    std::nullopt}),
    RowName{});

} // namespace
