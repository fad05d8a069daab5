// How the simulated instrument reads numbers from write frames and shows them in
// its fixed-width answer fields.
#include "fixed_decimal.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace qvsim {
namespace {

struct ParseCase
{
    std::string text;
    int decimals;
    std::optional<Units> expected;
};

std::ostream& operator<<(std::ostream& out, const ParseCase& c)
{
    return out << "'" << c.text << "' with " << c.decimals << " decimals";
}

class ParseDecimal : public testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseDecimal, ReadsTheTextAsStepsOfTheFormat)
{
    const ParseCase& c = GetParam();
    EXPECT_EQ(parseDecimal(c.text, c.decimals), c.expected) << "text '" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseDecimal,
    testing::Values(ParseCase{"100.0", 1, 1000},  // a range value as the answer shows it
                    ParseCase{"120.5", 1, 1205},  // one decimal kept exactly
                    ParseCase{"-1.5", 1, -15},    // negative, short
                    ParseCase{"-01.5", 1, -15},   // negative, zero-padded
                    ParseCase{"4", 1, 40},        // no decimal point
                    ParseCase{"5.", 1, 50},       // point without decimals
                    ParseCase{".5", 1, 5},        // decimals without a whole part
                    ParseCase{"+7", 1, 70},       // explicit plus
                    ParseCase{"03.50", 2, 350},   // a current as the answer shows it
                    ParseCase{"19.994", 2, 1999}, // extra decimals round down below half
                    ParseCase{"19.995", 2, 2000}, // and up from half
                    ParseCase{"-0.005", 2, -1},   // half rounds away from zero
                    ParseCase{"", 1, std::nullopt}, ParseCase{"-", 1, std::nullopt},
                    ParseCase{".", 1, std::nullopt}, ParseCase{"1.2.3", 1, std::nullopt},
                    ParseCase{" 1", 1, std::nullopt},  // leading blank
                    ParseCase{"1 ", 1, std::nullopt},  // trailing blank
                    ParseCase{"1e3", 1, std::nullopt}, // exponent
                    ParseCase{"0x10", 1, std::nullopt},
                    ParseCase{"1,5", 1, std::nullopt}, // decimal comma
                    ParseCase{"--1", 1, std::nullopt},
                    ParseCase{"99999999999999999999", 1, std::nullopt})); // absurdly long

struct FormatCase
{
    Units value;
    DecimalFormat format;
    std::string expected;
    bool fits;
};

std::ostream& operator<<(std::ostream& out, const FormatCase& c)
{
    return out << c.value << " shows as '" << c.expected << "'";
}

class FormatDecimal : public testing::TestWithParam<FormatCase>
{
};

TEST_P(FormatDecimal, ShowsTheValueZeroPaddedToItsWidth)
{
    const FormatCase& c = GetParam();
    EXPECT_EQ(formatDecimal(c.value, c.format), c.expected);
    EXPECT_EQ(fitsWidth(c.value, c.format), c.fits);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatDecimal,
    testing::Values(FormatCase{1000, kRangeFormat, "100.0", true},
                    FormatCase{0, kRangeFormat, "000.0", true},
                    FormatCase{40, kRangeFormat, "004.0", true},
                    FormatCase{-15, kRangeFormat, "-01.5", true},  // sign, then zeros
                    FormatCase{9999, kRangeFormat, "999.9", true}, // widest positive
                    FormatCase{-999, kRangeFormat, "-99.9", true}, // widest negative
                    FormatCase{10000, kRangeFormat, "1000.0", false},
                    FormatCase{-1000, kRangeFormat, "-100.0", false},
                    FormatCase{400, kCurrentFormat, "04.00", true},
                    FormatCase{-999, kCurrentFormat, "-9.99", true},
                    FormatCase{-1000, kCurrentFormat, "-10.00", false},
                    FormatCase{12000, kOutputReadingFormat, "12.000", true},
                    FormatCase{5000, kInputReadingFormat, "050.00", true},
                    FormatCase{-300, kInputReadingFormat, "-03.00", true}));

struct ClampCase
{
    Units value;
    DecimalFormat format;
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const ClampCase& c)
{
    return out << c.value << " clamps to '" << c.expected << "'";
}

class ClampToWidth : public testing::TestWithParam<ClampCase>
{
};

TEST_P(ClampToWidth, KeepsAReadingInsideItsField)
{
    const ClampCase& c = GetParam();
    EXPECT_EQ(formatDecimal(clampToWidth(c.value, c.format), c.format), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ClampToWidth,
                         testing::Values(ClampCase{123456, kInputReadingFormat, "999.99"},
                                         ClampCase{-123456, kInputReadingFormat, "-99.99"},
                                         ClampCase{4321, kInputReadingFormat, "043.21"},
                                         ClampCase{123456, kOutputReadingFormat, "99.999"},
                                         ClampCase{-123456, kOutputReadingFormat, "-9.999"}));

struct IntegerCase
{
    std::string text;
    std::optional<long long> expected;
};

std::ostream& operator<<(std::ostream& out, const IntegerCase& c)
{
    return out << "'" << c.text << "'";
}

class ParseInteger : public testing::TestWithParam<IntegerCase>
{
};

TEST_P(ParseInteger, ReadsSignedDecimalDigitsOnly)
{
    EXPECT_EQ(parseInteger(GetParam().text), GetParam().expected) << "'" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseInteger,
    testing::Values(IntegerCase{"007", 7}, IntegerCase{"-005", -5}, IntegerCase{"123456", 123456},
                    IntegerCase{"+3", 3}, IntegerCase{"", std::nullopt},
                    IntegerCase{"-", std::nullopt}, IntegerCase{"1.0", std::nullopt},
                    IntegerCase{" 1", std::nullopt}, IntegerCase{"$1F", std::nullopt}));

} // namespace
} // namespace qvsim
