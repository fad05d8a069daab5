#include "line_settings.h"

#include <gtest/gtest.h>

namespace qvsim {
namespace {

struct LineCase
{
    const char* name;
    speed_t speed;
    tcflag_t cflag;
    LineSettings expected;
    const char* shown;
};

class LineSettingsOfTerminal : public testing::TestWithParam<LineCase>
{
};

TEST_P(LineSettingsOfTerminal, ReadsSpeedAndFraming)
{
    const LineCase& row = GetParam();
    termios attributes{};
    cfmakeraw(&attributes);
    attributes.c_cflag =
        (attributes.c_cflag & ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB)) | row.cflag;
    cfsetspeed(&attributes, row.speed);
    const LineSettings line = lineSettingsOf(attributes);
    EXPECT_EQ(line, row.expected);
    EXPECT_EQ(describeLine(line), row.shown);
    const bool instrumentLine = describeLine(row.expected) == "9600 8N1";
    EXPECT_EQ(line == kInstrumentLine, instrumentLine);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineSettingsOfTerminal,
    testing::Values(
        LineCase{"InstrumentLine", B9600, CS8, {9600, 8, 'N', 1}, "9600 8N1"},
        LineCase{
            "Ser2netConnector115200e71", B115200, CS7 | PARENB, {115200, 7, 'E', 1}, "115200 7E1"},
        LineCase{"OddParity", B9600, CS8 | PARENB | PARODD, {9600, 8, 'O', 1}, "9600 8O1"},
        LineCase{"TwoStopBits", B9600, CS8 | CSTOPB, {9600, 8, 'N', 2}, "9600 8N2"},
        LineCase{"OtherSpeed", B19200, CS8, {19200, 8, 'N', 1}, "19200 8N1"},
        LineCase{
            "MarkParity", B9600, CS8 | PARENB | CMSPAR | PARODD, {9600, 8, 'M', 1}, "9600 8M1"},
        LineCase{"PtyDefaultSpeedFiveBits", B38400, CS5, {38400, 5, 'N', 1}, "38400 5N1"}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace qvsim
