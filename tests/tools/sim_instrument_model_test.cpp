// The simulated instrument: write frames applied or refused, and answers laid out so
// that a reader taking fixed-width slices at fixed offsets from each tag gets the
// stored values back exactly.
#include "instrument_model.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace qvsim {
namespace {

constexpr double kAnyTime = 12.5;

// --- A reader of our own, the way the configuration program reads answers: the
// first occurrence of a tag ('?' matches any character), then `width` characters
// starting `offset` characters after the tag's first character.
std::optional<std::size_t> findTag(std::string_view text, std::string_view pattern)
{
    for (std::size_t start = 0; start + pattern.size() <= text.size(); ++start) {
        bool match = true;
        for (std::size_t i = 0; i < pattern.size() && match; ++i) {
            match = pattern[i] == '?' || pattern[i] == text[start + i];
        }
        if (match) {
            return start;
        }
    }
    return std::nullopt;
}

std::string sliceAt(std::string_view text, std::string_view pattern, std::size_t offset,
                    std::size_t width)
{
    const auto start = findTag(text, pattern);
    if (!start || *start + offset >= text.size()) {
        return "<missing>";
    }
    return std::string(text.substr(*start + offset, width));
}

Frame write(std::string body)
{
    return Frame{Frame::Family::Write, std::move(body)};
}

Frame query(std::string keyword)
{
    return Frame{Frame::Family::Query, std::move(keyword)};
}

// `show` as a map of key to shown value; the readings only when asked for.
std::map<std::string, std::string> shownValues(const InstrumentModel& model,
                                               std::optional<double> readingsAt = std::nullopt)
{
    std::map<std::string, std::string> values;
    std::istringstream pairs(model.show(readingsAt.value_or(kAnyTime)));
    for (std::string pair; pairs >> pair;) {
        const std::size_t equals = pair.find('=');
        const std::string key = pair.substr(0, equals);
        if (readingsAt || !key.starts_with("a0")) {
            values[key] = pair.substr(equals + 1);
        }
    }
    return values;
}

// --- Write frames that are applied.

struct AppliedCase
{
    std::string body;
    std::map<std::string, std::string> changed; // key -> shown value afterwards
};

std::ostream& operator<<(std::ostream& out, const AppliedCase& c)
{
    return out << "'" << c.body << "'";
}

class WriteApplied : public testing::TestWithParam<AppliedCase>
{
};

TEST_P(WriteApplied, IsAcknowledgedAndChangesExactlyItsSettings)
{
    InstrumentModel model(1);
    std::map<std::string, std::string> expected = shownValues(model);
    for (const auto& [key, value] : GetParam().changed) {
        expected[key] = value;
    }
    EXPECT_EQ(model.answer(write(GetParam().body), kAnyTime).bytes, "OK\r\n");
    EXPECT_EQ(shownValues(model), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WriteApplied,
    testing::Values(
        AppliedCase{"ST:007", {{"address", "007"}}},
        AppliedCase{"ST:247", {{"address", "247"}}}, // highest MODBUS address
        AppliedCase{"ST:000", {{"address", "000"}}},
        AppliedCase{"MR485B:4,2", {{"baud", "4"}, {"parity", "2"}}},
        AppliedCase{"MR485B:0,1", {{"baud", "0"}, {"parity", "1"}}},
        AppliedCase{"DAV:1,03.50,19.75", {{"variable", "1"}, {"ma4", "03.50"}, {"ma20", "19.75"}}},
        AppliedCase{"DAV:0,4,20", {{"ma4", "04.00"}, {"ma20", "20.00"}}}, // shown in its width
        AppliedCase{"DAV:0,-9.99,99.99", {{"ma4", "-9.99"}, {"ma20", "99.99"}}}, // widest
        AppliedCase{"AD01:120.5,-1.5,3",
                    {{"ad1urv", "120.5"}, {"ad1lrv", "-01.5"}, {"ad1start", "003.0"}}},
        AppliedCase{"AD01:100,0,4", {}}, // the window's example: same values as the defaults
        // 0.04 rounds to the shown 000.0, the default starting point
        AppliedCase{"AD02:999.9,-99.9,0.04", {{"ad2urv", "999.9"}, {"ad2lrv", "-99.9"}}},
        AppliedCase{"PZ1:150", {{"pz1", "150"}}}, // a negative adjustment of 0.050
        AppliedCase{"PZ1:999", {{"pz1", "999"}}}, // the largest three digits
        AppliedCase{"PZ2:005", {{"pz2", "005"}}}));

// --- Write frames that are refused: error answer, nothing changes.

class WriteRefused : public testing::TestWithParam<std::string>
{
};

TEST_P(WriteRefused, GetsTheErrorAnswerAndChangesNothing)
{
    InstrumentModel model(1);
    const InstrumentConfig before = model.config();
    EXPECT_EQ(model.answer(write(GetParam()), kAnyTime).bytes, "ERR\r\n");
    EXPECT_EQ(model.config(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WriteRefused,
    testing::Values("ST:248",       // beyond the highest MODBUS address
                    "ST:-001",      // negative address
                    "ST:123456",    // the longest text the address box admits
                    "ST:",          // empty field
                    "ST:1,2",       // too many fields
                    "ST:abc",       // not a number
                    "ST:12 ",       // trailing blank
                    "MR485B:5,0",   // no sixth baud rate
                    "MR485B:3,3",   // no fourth parity
                    "MR485B:-1,0",  // a box with no selected item
                    "MR485B:4,7",   // a valid first field is not kept when the second is refused
                    "MR485B:3",     // too few fields
                    "MR485B:3,0,1", // too many fields
                    "DAV:2,04.00,20.00",  // no third output variable
                    "DAV:0,,",            // empty 4 mA and 20 mA boxes
                    "DAV:0,100.00,20.00", // does not fit five characters
                    "DAV:0,-10,20",       // "-10.00" does not fit either
                    "DAV:0,4mA,20",
                    "AD01:1000,0,0",   // "1000.0" does not fit
                    "AD01:100,-100,0", // "-100.0" does not fit
                    "AD01:100,0",      // too few fields
                    "AD01:100,0,4,5",  // too many fields
                    "AD01:1e2,0,0",    // exponent
                    "AD02:,,",         // empty range boxes
                    "PZ1:1000",        // beyond three digits
                    "PZ1:-005",        // negative fine-tuning
                    "PZ2:",
                    "XX:1",     // unknown tag
                    "ST",       // no colon
                    "st:001")); // tags are case-sensitive

// --- Queries.

TEST(Queries, AnUnknownKeywordGetsTheErrorAnswer)
{
    InstrumentModel model(1);
    for (const char* keyword : {"CHEACK2", "var", "", "STATUS1"}) {
        EXPECT_EQ(model.answer(query(keyword), kAnyTime).bytes, "ERR\r\n") << keyword;
    }
}

TEST(Queries, IdentificationHoldsNoAnswerTag)
{
    InstrumentModel model(1);
    const std::string text = model.answer(query("VAR"), kAnyTime).bytes;
    EXPECT_EQ(text, "QV418K-TR SIM V1.0\r\n");
    EXPECT_EQ(text.find(':'), std::string::npos); // every answer tag has a colon
}

// --- The parameter answer read back at the reader's offsets.

struct SliceCase
{
    std::string target; // the program's field that takes the value
    std::string tag;
    std::size_t offset;
    std::size_t width;
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const SliceCase& c)
{
    return out << c.target << " <- " << c.tag << " +" << c.offset;
}

class ParameterAnswerDefaults : public testing::TestWithParam<SliceCase>
{
};

TEST_P(ParameterAnswerDefaults, ShowsTheDefaultValueAtItsOffset)
{
    InstrumentModel model(1);
    const std::string text = model.answer(query("CHEACK1"), kAnyTime).bytes;
    const SliceCase& c = GetParam();
    EXPECT_EQ(sliceAt(text, c.tag, c.offset, c.width), c.expected) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParameterAnswerDefaults,
    testing::Values(
        SliceCase{"Station", "STQ:", 4, 3, "001"}, SliceCase{"MR485BT", "MR4???:", 7, 1, "3"},
        SliceCase{"MR485JN", "MR4???:", 9, 1, "0"}, SliceCase{"ComboBox1", "DAV:", 4, 1, "0"},
        SliceCase{"DAVL", "DAV:", 6, 5, "04.00"}, SliceCase{"DAVH", "DAV:", 12, 5, "20.00"},
        SliceCase{"Edit1", "PA1:", 4, 3, "000"}, SliceCase{"Edit2", "PA2:", 4, 3, "000"},
        SliceCase{"AD1H", "AD01:", 5, 5, "100.0"}, SliceCase{"AD1L", "AD01:", 11, 5, "000.0"},
        SliceCase{"AD1LD", "AD01:", 17, 5, "004.0"}, SliceCase{"AD2H", "AD02:", 5, 5, "050.0"},
        SliceCase{"AD2L", "AD02:", 11, 5, "000.0"}, SliceCase{"AD2LD", "AD02:", 17, 5, "000.0"}));

// Values written in the answer's own form come back exactly as written.
class ParameterAnswerAfterWrites : public testing::TestWithParam<SliceCase>
{
protected:
    void SetUp() override
    {
        for (const char* body : {"ST:042", "MR485B:4,2", "DAV:1,03.50,19.75", "PZ1:150", "PZ2:007",
                                 "AD01:120.5,-01.5,003.0", "AD02:999.9,-99.9,050.5"}) {
            ASSERT_EQ(m_model.answer(write(body), kAnyTime).bytes, "OK\r\n") << body;
        }
    }
    InstrumentModel m_model{1};
};

TEST_P(ParameterAnswerAfterWrites, ReadsBackTheWrittenText)
{
    const std::string text = m_model.answer(query("CHEACK1"), kAnyTime).bytes;
    const SliceCase& c = GetParam();
    EXPECT_EQ(sliceAt(text, c.tag, c.offset, c.width), c.expected) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParameterAnswerAfterWrites,
    testing::Values(
        SliceCase{"Station", "STQ:", 4, 3, "042"}, SliceCase{"MR485BT", "MR4???:", 7, 1, "4"},
        SliceCase{"MR485JN", "MR4???:", 9, 1, "2"}, SliceCase{"ComboBox1", "DAV:", 4, 1, "1"},
        SliceCase{"DAVL", "DAV:", 6, 5, "03.50"}, SliceCase{"DAVH", "DAV:", 12, 5, "19.75"},
        SliceCase{"Edit1", "PA1:", 4, 3, "150"}, SliceCase{"Edit2", "PA2:", 4, 3, "007"},
        SliceCase{"AD1H", "AD01:", 5, 5, "120.5"}, SliceCase{"AD1L", "AD01:", 11, 5, "-01.5"},
        SliceCase{"AD1LD", "AD01:", 17, 5, "003.0"}, SliceCase{"AD2H", "AD02:", 5, 5, "999.9"},
        SliceCase{"AD2L", "AD02:", 11, 5, "-99.9"}, SliceCase{"AD2LD", "AD02:", 17, 5, "050.5"}));

// A tag found earlier than its own line (inside another value, say) would make the
// reader take the wrong characters.
TEST(ParameterAnswer, EveryTagFirstOccursAtTheStartOfItsOwnLine)
{
    InstrumentModel model(1);
    ASSERT_EQ(model.answer(write("AD01:-99.9,-99.9,-99.9"), kAnyTime).bytes, "OK\r\n");
    ASSERT_EQ(model.set("baud", "9"), std::nullopt);
    const std::string text = model.answer(query("CHEACK1"), kAnyTime).bytes;
    for (const char* tag : {"STQ:", "MR4???:", "DAV:", "PA1:", "PA2:", "AD01:", "AD02:"}) {
        const auto at = findTag(text, tag);
        ASSERT_TRUE(at.has_value()) << tag;
        EXPECT_TRUE(*at == 0 || text.substr(*at - 2, 2) == "\r\n") << tag << " in " << text;
    }
    EXPECT_EQ(text.find('\0'), std::string::npos);
}

// --- The control channel's set, which may go beyond the instrument's own ranges.

struct SetCase
{
    std::string key;
    std::string value;
    bool accepted;
};

std::ostream& operator<<(std::ostream& out, const SetCase& c)
{
    return out << "set " << c.key << " " << c.value << (c.accepted ? " accepted" : " refused");
}

class SetByControl : public testing::TestWithParam<SetCase>
{
};

TEST_P(SetByControl, AcceptsWhatTheAnswerCanShow)
{
    InstrumentModel model(1);
    const SetCase& c = GetParam();
    const auto error = model.set(c.key, c.value);
    EXPECT_EQ(!error.has_value(), c.accepted) << error.value_or("");
    if (!c.accepted) {
        EXPECT_EQ(model.config(), InstrumentConfig{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SetByControl,
    testing::Values(SetCase{"baud", "9", true},   // an index without an item
                    SetCase{"baud", "10", false}, // two digits do not fit
                    SetCase{"address", "999", true}, SetCase{"address", "1000", false},
                    SetCase{"ma4", "-9.99", true}, SetCase{"ma4", "100", false},
                    SetCase{"ad2urv", "999.9", true}, SetCase{"pz1", "-1", false},
                    SetCase{"a01", "12.5", true}, SetCase{"a02", "1000", false},
                    SetCase{"a03", "drift", true}, SetCase{"nosuch", "1", false}));

TEST(SetByControl, AnOutOfRangeIndexShowsInTheParameterAnswer)
{
    InstrumentModel model(1);
    ASSERT_EQ(model.set("baud", "7"), std::nullopt);
    const std::string text = model.answer(query("CHEACK1"), kAnyTime).bytes;
    EXPECT_EQ(sliceAt(text, "MR4???:", 7, 1), "7");
}

// --- The status answer.

class StatusAnswer : public testing::TestWithParam<std::string>
{
};

TEST_P(StatusAnswer, ShowsAddressAndPinnedReadingsAtTheirOffsets)
{
    InstrumentModel model(1);
    ASSERT_EQ(model.answer(write("ST:042"), kAnyTime).bytes, "OK\r\n");
    ASSERT_EQ(model.set("a01", "12.5"), std::nullopt);
    ASSERT_EQ(model.set("a02", "-3"), std::nullopt);
    ASSERT_EQ(model.set("a03", "999.99"), std::nullopt);
    const std::string text = model.answer(query(GetParam()), kAnyTime).bytes;
    EXPECT_EQ(text, "STC1:042A01:12.500A02:-03.00A03:999.99\r\n");
    EXPECT_EQ(sliceAt(text, "STC?:", 5, 3), "042");
    EXPECT_EQ(sliceAt(text, "A01:", 4, 6), "12.500");
    EXPECT_EQ(sliceAt(text, "A02:", 4, 6), "-03.00");
    EXPECT_EQ(sliceAt(text, "A03:", 4, 6), "999.99");
}

// Both "Real-Time Data" and "Output Value" get the status answer.
INSTANTIATE_TEST_SUITE_P(Keywords, StatusAnswer, testing::Values("STATUS", "AA"));

// --- Live signals.

std::vector<Readings> sampleReadings(const InstrumentModel& model, double from, double to,
                                     double step)
{
    std::vector<Readings> samples;
    for (double t = from; t <= to; t += step) {
        std::map<std::string, std::string> values = shownValues(model, t);
        samples.push_back(Readings{*parseDecimal(values["a01"], 3), *parseDecimal(values["a02"], 2),
                                   *parseDecimal(values["a03"], 2)});
    }
    return samples;
}

TEST(LiveReadings, DriftSmoothlyInsideTheInputRange)
{
    InstrumentModel model(7);
    const std::vector<Readings> samples = sampleReadings(model, 0, 120, 0.1);
    Units lowest = samples.front().ad1;
    Units highest = lowest;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        // AD1 spans 0..100: at most 0.02 of its range in 0.1 s.
        EXPECT_LE(std::abs(samples[i].ad1 - samples[i - 1].ad1), 200) << "at sample " << i;
        lowest = std::min(lowest, samples[i].ad1);
        highest = std::max(highest, samples[i].ad1);
    }
    EXPECT_GE(lowest, 0);
    EXPECT_LE(highest, 10000);
    EXPECT_GT(highest - lowest, 1000) << "the reading hardly moves";
}

TEST(LiveReadings, AreRepeatableForASeedAndDifferBetweenSeeds)
{
    const InstrumentModel first(3);
    const InstrumentModel again(3);
    const InstrumentModel other(4);
    for (double t : {0.0, 1.7, 33.3}) {
        EXPECT_EQ(first.show(t), again.show(t));
    }
    EXPECT_NE(first.show(1.7), other.show(1.7));
}

struct OutputCase
{
    std::string variable;
    std::string pinnedKey; // the input the output follows
    std::string pinnedValue;
    std::string expectedOutput;
};

std::ostream& operator<<(std::ostream& out, const OutputCase& c)
{
    return out << "variable " << c.variable << ", " << c.pinnedKey << "=" << c.pinnedValue
               << " gives " << c.expectedOutput;
}

class OutputCurrent : public testing::TestWithParam<OutputCase>
{
};

TEST_P(OutputCurrent, FollowsTheSelectedInputFrom4To20mA)
{
    InstrumentModel model(1);
    const OutputCase& c = GetParam();
    ASSERT_EQ(model.answer(write("DAV:" + c.variable + ",04.00,20.00"), kAnyTime).bytes, "OK\r\n");
    ASSERT_EQ(model.set(c.pinnedKey, c.pinnedValue), std::nullopt);
    const std::string text = model.answer(query("STATUS"), kAnyTime).bytes;
    EXPECT_EQ(sliceAt(text, "A01:", 4, 6), c.expectedOutput) << text;
}

INSTANTIATE_TEST_SUITE_P(Rows, OutputCurrent,
                         testing::Values(OutputCase{"0", "a02", "50", "12.000"},  // AD1 mid-range
                                         OutputCase{"0", "a02", "0", "04.000"},   // at LRV
                                         OutputCase{"0", "a02", "100", "20.000"}, // at URV
                                         OutputCase{"0", "a02", "150", "20.000"}, // above URV
                                         OutputCase{"1", "a03", "12.5", "08.000"})); // AD2 0..50

TEST(LiveReadings, FineTuningShiftsTheInput)
{
    InstrumentModel plain(5);
    InstrumentModel raised(5);
    InstrumentModel lowered(5);
    ASSERT_EQ(raised.answer(write("PZ1:050"), kAnyTime).bytes, "OK\r\n");  // +0.050
    ASSERT_EQ(lowered.answer(write("PZ1:150"), kAnyTime).bytes, "OK\r\n"); // -0.050
    const Readings base = sampleReadings(plain, 3, 3, 1).front();
    EXPECT_NEAR(sampleReadings(raised, 3, 3, 1).front().ad1 - base.ad1, 5, 1);
    EXPECT_NEAR(sampleReadings(lowered, 3, 3, 1).front().ad1 - base.ad1, -5, 1);
}

} // namespace
} // namespace qvsim
