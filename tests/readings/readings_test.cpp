#include "reading.h"
#include "reading_history.h"
#include "readings_csv.h"
#include "row_name.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

const Clock::time_point kStart = Clock::from_time_t(1'800'000'000);

// --- A reading from a status answer -------------------------------------------------

struct AnswerRow
{
    const char* name;
    std::string answer;
    bool found;
    const char* address;
    const char* utodv;
    const char* ad01;
    const char* ad02;
};

class ReadingFromAnswer : public testing::TestWithParam<AnswerRow>
{
};

TEST_P(ReadingFromAnswer, TakesTheFourValuesAsTheLabelsShowThem)
{
    const AnswerRow& row = GetParam();
    const auto reading = qv::readingFromStatusAnswer(row.answer, kStart);
    ASSERT_EQ(reading.has_value(), row.found);
    if (!row.found)
        return;
    EXPECT_EQ(reading->time, kStart);
    EXPECT_EQ(reading->address, row.address);
    EXPECT_EQ(reading->utodv, row.utodv);
    EXPECT_EQ(reading->ad01, row.ad01);
    EXPECT_EQ(reading->ad02, row.ad02);
}

INSTANTIATE_TEST_SUITE_P(
    StatusAnswers, ReadingFromAnswer,
    testing::Values(AnswerRow{"SimulatorAnswer", "STC1:001A01:12.000A02:050.00A03:025.00\r\n", true,
                              "001", "12.000", "050.00", "025.00"},
                    AnswerRow{"NegativeReadingsAndOtherAddress",
                              "STC1:247A01:04.000A02:-10.00A03:-00.50\r\n", true, "247", "04.000",
                              "-10.00", "-00.50"},
                    AnswerRow{"AnswerAfterLeadingNoise",
                              "xxOK\r\nSTC1:042A01:20.000A02:100.00A03:000.00", true, "042",
                              "20.000", "100.00", "000.00"},
                    AnswerRow{"MissingThirdReadingIsNoReading", "STC1:001A01:12.000A02:050.00\r\n",
                              false, "", "", "", ""},
                    AnswerRow{"WriteAnswerIsNoReading", "OK\r\n", false, "", "", "", ""},
                    AnswerRow{"EmptyAnswerIsNoReading", "", false, "", "", "", ""}),
    RowName());

// --- Numbers for drawing --------------------------------------------------------------

struct NumberRow
{
    const char* name;
    const char* text;
    double value; // NaN: not a number
};

class ReadingNumber : public testing::TestWithParam<NumberRow>
{
};

TEST_P(ReadingNumber, ConvertsOnlyPlainDecimals)
{
    const NumberRow& row = GetParam();
    const double value = qv::readingNumber(row.text);
    if (std::isnan(row.value))
        EXPECT_TRUE(std::isnan(value)) << value;
    else
        EXPECT_DOUBLE_EQ(value, row.value);
}

constexpr double kNaN = NAN;

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadingNumber,
    testing::Values(NumberRow{"ZeroPadded", "050.00", 50.0}, NumberRow{"Negative", "-00.50", -0.5},
                    NumberRow{"PlusSign", "+12.000", 12.0}, NumberRow{"Blanks", " 12.5 ", 12.5},
                    NumberRow{"Empty", "", kNaN}, NumberRow{"Letters", "12.0A0", kNaN},
                    NumberRow{"Exponent", "1e5", kNaN}, NumberRow{"TwoPoints", "1.2.3", kNaN},
                    NumberRow{"OnlyASign", "-", kNaN}, NumberRow{"Hexadecimal", "0x10", kNaN}),
    RowName());

// --- The bounded history --------------------------------------------------------------

qv::Reading readingAt(Clock::time_point time, const char* ad01 = "050.00")
{
    return {time, "001", "12.000", ad01, "025.00"};
}

TEST(ReadingHistory, KeepsOnlyTheLastSpan)
{
    qv::ReadingHistory history(10s, 1000);
    for (int second = 0; second <= 30; ++second)
        history.add(readingAt(kStart + std::chrono::seconds(second)));
    ASSERT_EQ(history.readings().size(), 11u);
    EXPECT_EQ(history.readings().front().time, kStart + 20s);
    EXPECT_EQ(history.readings().back().time, kStart + 30s);
}

TEST(ReadingHistory, NeverHoldsMoreThanItsCapacity)
{
    // Readings far faster than the span allows, and a clock that jumps back: the
    // capacity still bounds what is kept, and the newest readings are the ones kept.
    qv::ReadingHistory history(1h, 100);
    for (int i = 0; i < 10'000; ++i)
        history.add(readingAt(kStart + std::chrono::milliseconds(i % 2 == 0 ? i : -i)));
    EXPECT_EQ(history.readings().size(), 100u);
    EXPECT_EQ(history.readings().back().time, kStart - 9999ms);
}

TEST(ReadingHistory, AnHourAtTheShortestIntervalFitsExactly)
{
    // The live window's history: one hour at 0.5 s, and one reading more.
    qv::ReadingHistory history(1h, 7201);
    for (int i = 0; i < 3 * 7200; ++i)
        history.add(readingAt(kStart + std::chrono::milliseconds(500 * i)));
    EXPECT_EQ(history.readings().size(), 7201u);
    EXPECT_EQ(history.readings().back().time - history.readings().front().time, 1h);
}

TEST(ReadingHistory, AClockSetForwardDropsEverythingOlder)
{
    qv::ReadingHistory history(10s, 1000);
    history.add(readingAt(kStart));
    history.add(readingAt(kStart + 1s));
    history.add(readingAt(kStart + 2h));
    ASSERT_EQ(history.readings().size(), 1u);
    EXPECT_EQ(history.readings().front().time, kStart + 2h);
}

// --- CSV --------------------------------------------------------------------------------

class ReadingsCsv : public testing::Test
{
protected:
    void SetUp() override
    {
        // Far from UTC, so a local time would show.
        m_oldZone = std::getenv("TZ") ? std::getenv("TZ") : "";
        setenv("TZ", "Asia/Kathmandu", 1);
        tzset();
    }
    void TearDown() override
    {
        setenv("TZ", m_oldZone.c_str(), 1);
        tzset();
    }

private:
    std::string m_oldZone;
};

TEST_F(ReadingsCsv, HeaderNamesTheColumns)
{
    EXPECT_EQ(qv::readingsCsvHeader(), "time,address,UTODV,AD01,AD02\n");
}

TEST_F(ReadingsCsv, RowHoldsUtcTimeToTheMillisecondAndTheValuesAsWritten)
{
    qv::Reading reading = readingAt(kStart + 1234ms, "-05.00");
    EXPECT_EQ(qv::readingsCsvRow(reading), "2027-01-15T08:00:01.234Z,001,12.000,-05.00,025.00\n");
}

TEST_F(ReadingsCsv, ValuesThatWouldBreakTheRowAreQuoted)
{
    qv::Reading reading{kStart, "0,1", "1\"2", "a\r\nb", "ok"};
    EXPECT_EQ(qv::readingsCsvRow(reading),
              "2027-01-15T08:00:00.000Z,\"0,1\",\"1\"\"2\",\"a\r\nb\",ok\n");
}

TEST_F(ReadingsCsv, TimesBefore1970CountTheFractionForward)
{
    qv::Reading reading = readingAt(Clock::from_time_t(0) - 250ms);
    EXPECT_EQ(qv::readingsCsvRow(reading).substr(0, 24), "1969-12-31T23:59:59.750Z");
}

} // namespace
