// Cutting the received byte stream into frames: frames split over several reads,
// several in one read, and garbage skipped up to the next header.
#include "frame_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvsim {
namespace {

struct SplitCase
{
    std::string description;
    std::vector<std::string> reads;  // what arrives, read by read
    std::vector<std::string> frames; // frames taken out, as they stood on the line
    std::string discarded;
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c)
{
    return out << c.description;
}

class FrameSplitting : public testing::TestWithParam<SplitCase>
{
};

TEST_P(FrameSplitting, TakesOutEveryCompleteFrame)
{
    FrameSplitter splitter;
    std::vector<std::string> frames;
    std::string discarded;
    for (const std::string& read : GetParam().reads) {
        splitter.feed(read);
        while (const auto frame = splitter.next()) {
            frames.push_back(frame->text());
        }
        discarded += splitter.takeDiscarded();
    }
    EXPECT_EQ(frames, GetParam().frames);
    EXPECT_EQ(discarded, GetParam().discarded);
}

const std::string kLostEnd = "TARVEN#ST:" + std::string(200, '1');

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameSplitting,
    testing::Values(
        SplitCase{"a query in one read", {"PPPPPP#CHEACK1#"}, {"PPPPPP#CHEACK1#"}, ""},
        SplitCase{"a query split inside its header and keyword",
                  {"PPP", "PPP#CHE", "ACK1#"},
                  {"PPPPPP#CHEACK1#"},
                  ""},
        SplitCase{"a write split before its end mark",
                  {"TARVEN#AD01:100.0,000.0,004.0", "#"},
                  {"TARVEN#AD01:100.0,000.0,004.0#"},
                  ""},
        SplitCase{"two frames back to back",
                  {"PPPPPP#VAR#TARVEN#ST:007#"},
                  {"PPPPPP#VAR#", "TARVEN#ST:007#"},
                  ""},
        SplitCase{"three frames byte by byte",
                  {"P", "P", "P", "P", "P", "P", "#", "A", "A", "#", "T", "A",
                   "R", "V", "E", "N", "#", "P", "Z", "1", ":", "0", "#", "PPPPPP#STATUS#"},
                  {"PPPPPP#AA#", "TARVEN#PZ1:0#", "PPPPPP#STATUS#"},
                  ""},
        SplitCase{
            "garbage before a frame is dropped", {"xyz\r\nPPPPPP#AA#"}, {"PPPPPP#AA#"}, "xyz\r\n"},
        SplitCase{"garbage alone is dropped, a later frame still found",
                  {"hello", "PPPPPP#VAR#"},
                  {"PPPPPP#VAR#"},
                  "hello"},
        SplitCase{"a header split across reads after garbage",
                  {"##TARVE", "N#ST:1#"},
                  {"TARVEN#ST:1#"},
                  "##"},
        SplitCase{"a frame cut short by a new header is dropped",
                  {"PPPPPP#CHETARVEN#PZ1:005#"},
                  {"TARVEN#PZ1:005#"},
                  "PPPPPP#CHE"},
        SplitCase{"a header whose end mark never comes is given up",
                  {kLostEnd, "PPPPPP#VAR#"},
                  {"PPPPPP#VAR#"},
                  kLostEnd},
        SplitCase{"an empty query body is still a frame", {"PPPPPP##"}, {"PPPPPP##"}, ""},
        SplitCase{
            "a near-header is garbage", {"PPPPP#VAR#PPPPPP#AA#"}, {"PPPPPP#AA#"}, "PPPPP#VAR#"}));

TEST(FrameSplitter, ResetForgetsAHalfReceivedFrame)
{
    FrameSplitter splitter;
    splitter.feed("PPPPPP#CHE");
    splitter.reset();
    splitter.feed("ACK1#PPPPPP#VAR#");
    const auto frame = splitter.next();
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->text(), "PPPPPP#VAR#");
    EXPECT_FALSE(splitter.next().has_value());
}

TEST(FrameSplitter, SeparatesFamilyAndBody)
{
    FrameSplitter splitter;
    splitter.feed("TARVEN#DAV:0,04.00,20.00#PPPPPP#CHEACK1#");
    EXPECT_EQ(splitter.next(), (Frame{Frame::Family::Write, "DAV:0,04.00,20.00"}));
    EXPECT_EQ(splitter.next(), (Frame{Frame::Family::Query, "CHEACK1"}));
}

} // namespace
} // namespace qvsim
