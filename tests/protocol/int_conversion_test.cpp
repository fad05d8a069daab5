#include "int_conversion.h"

#include "row_name.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace {

using namespace std::string_view_literals;
using qv::formatZeroPadded;
using qv::parseInteger;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// --- Conversion: text in, value out (nothing when the text is refused) ---

struct ConversionRow
{
    const char* name;
    std::string_view text;
    std::optional<std::int32_t> value;
};

class IntegerConversion : public testing::TestWithParam<ConversionRow>
{
};

TEST_P(IntegerConversion, GivesTheValueOrRefusesTheText)
{
    EXPECT_EQ(parseInteger(GetParam().text), GetParam().value)
        << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, IntegerConversion,
    testing::Values(ConversionRow{"ZeroIsZero", "0", 0}, ConversionRow{"SingleDigit", "7", 7},
                    ConversionRow{"SixDigitsOfTheAddressField", "123456", 123456},
                    ConversionRow{"LeadingZerosAreIgnored", "007", 7},
                    ConversionRow{"ManyLeadingZerosDoNotOverflow", "000000000002147483647", kMax},
                    ConversionRow{"MinusNegates", "-5", -5},
                    ConversionRow{"PlusIsAccepted", "+5", 5},
                    ConversionRow{"MinusZeroIsZero", "-0", 0},
                    ConversionRow{"LeadingBlankIsSkipped", " 12", 12},
                    ConversionRow{"SeveralLeadingBlanksBeforeASign", "   -3", -3}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    DecimalRange, IntegerConversion,
    testing::Values(ConversionRow{"LargestInt32", "2147483647", kMax},
                    ConversionRow{"SmallestInt32", "-2147483648", kMin},
                    ConversionRow{"OnePastLargestFails", "2147483648", std::nullopt},
                    ConversionRow{"OnePastSmallestFails", "-2147483649", std::nullopt},
                    ConversionRow{"FarBeyondInt32Fails", "99999999999999999999999", std::nullopt},
                    ConversionRow{"PlusSignedBeyondInt32Fails", "+2147483648", std::nullopt}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, IntegerConversion,
    testing::Values(ConversionRow{"DollarPrefix", "$10", 16},
                    ConversionRow{"LowerXPrefixLowerDigits", "x1f", 31},
                    ConversionRow{"UpperXPrefixUpperDigits", "X1F", 31},
                    ConversionRow{"ZeroXPrefix", "0x7fffffff", kMax},
                    ConversionRow{"ZeroUpperXPrefix", "0XFF", 255},
                    ConversionRow{"BlanksBeforeThePrefix", "  $A", 10},
                    ConversionRow{"MinusBeforeThePrefixNegates", "-$10", -16},
                    ConversionRow{"PlusBeforeThePrefix", "+0x10", 16},
                    ConversionRow{"AllOnesIsMinusOne", "$FFFFFFFF", -1},
                    ConversionRow{"TopBitIsSmallestInt32", "$80000000", kMin},
                    ConversionRow{"NegatedTopBitWrapsToItself", "-$80000000", kMin},
                    ConversionRow{"NegatedAllOnesIsOne", "-$FFFFFFFF", 1},
                    ConversionRow{"LeadingZeroDigitsBeyondEightAreHarmless", "$000000001", 1},
                    ConversionRow{"NineSignificantDigitsFail", "$100000000", std::nullopt},
                    ConversionRow{"FarBeyondThirtyTwoBitsFails", "0xFFFFFFFFFFFFFFFFFF",
                                  std::nullopt},
                    ConversionRow{"NonHexDigitFails", "$G", std::nullopt},
                    ConversionRow{"SignAfterThePrefixFails", "0x-5", std::nullopt},
                    ConversionRow{"HexDigitsWithoutPrefixFail", "1F", std::nullopt},
                    ConversionRow{"DoublePrefixFails", "$$1", std::nullopt}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    Refused, IntegerConversion,
    testing::Values(ConversionRow{"EmptyText", "", std::nullopt},
                    ConversionRow{"OnlyBlanks", "   ", std::nullopt},
                    ConversionRow{"LoneMinus", "-", std::nullopt},
                    ConversionRow{"LonePlus", "+", std::nullopt},
                    ConversionRow{"LoneDollar", "$", std::nullopt},
                    ConversionRow{"LoneX", "x", std::nullopt},
                    ConversionRow{"LoneZeroX", "0x", std::nullopt},
                    ConversionRow{"SignedLonePrefix", "-$", std::nullopt},
                    ConversionRow{"TrailingBlank", "12 ", std::nullopt},
                    ConversionRow{"BlankBetweenDigits", "1 2", std::nullopt},
                    ConversionRow{"BlankAfterSign", "- 5", std::nullopt},
                    ConversionRow{"TwoSigns", "+-5", std::nullopt},
                    ConversionRow{"DoubleMinus", "--5", std::nullopt},
                    ConversionRow{"DecimalPoint", "1.5", std::nullopt},
                    ConversionRow{"Letters", "abc", std::nullopt},
                    ConversionRow{"LeadingTabIsNotABlank", "\t5", std::nullopt},
                    ConversionRow{"TrailingNul", "5\0"sv, std::nullopt},
                    ConversionRow{"FullWidthDigits", "\xEF\xBC\x91\xEF\xBC\x92", std::nullopt},
                    ConversionRow{"ArabicIndicDigit", "\xD9\xA3", std::nullopt}),
    RowName{});

// --- Failure message: the whole text as given, between apostrophes ---

struct MessageRow
{
    const char* name;
    std::string_view text;
    const char* message;
};

class IntegerConversionMessage : public testing::TestWithParam<MessageRow>
{
};

TEST_P(IntegerConversionMessage, QuotesTheWholeText)
{
    try {
        qv::toInteger(GetParam().text);
        FAIL() << "no OperatorError for '" << GetParam().text << "'";
    } catch (const qv::OperatorError& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, IntegerConversionMessage,
                         testing::Values(MessageRow{"EmptyTextLeavesNothingBetweenApostrophes", "",
                                                    "'' is not a valid integer value"},
                                         MessageRow{"TrailingBlankIsQuoted", "12 ",
                                                    "'12 ' is not a valid integer value"},
                                         MessageRow{"LeadingBlanksAreQuotedToo", "  x",
                                                    "'  x' is not a valid integer value"},
                                         MessageRow{"OverflowQuotesTheDigits", "2147483648",
                                                    "'2147483648' is not a valid integer value"},
                                         MessageRow{"SingleLetter", "x",
                                                    "'x' is not a valid integer value"}),
                         RowName{});

TEST(IntegerConversionValue, ToIntegerReturnsTheConvertedValue)
{
    EXPECT_EQ(qv::toInteger(" -$FF"), -255);
}

// --- The "000" number format ---

struct FormatRow
{
    const char* name;
    std::int32_t value;
    const char* text;
};

class ZeroPaddedFormat : public testing::TestWithParam<FormatRow>
{
};

TEST_P(ZeroPaddedFormat, WritesAtLeastThreeDigits)
{
    EXPECT_EQ(formatZeroPadded(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ZeroPaddedFormat,
    testing::Values(FormatRow{"ZeroIsThreeZeros", 0, "000"},
                    FormatRow{"OneDigitGetsTwoZeros", 5, "005"},
                    FormatRow{"TwoDigitsGetOneZero", 47, "047"},
                    FormatRow{"ThreeDigitsUnchanged", 999, "999"},
                    FormatRow{"FourDigitsUnchanged", 1234, "1234"},
                    FormatRow{"NegativeOneDigitPaddedAfterTheSign", -5, "-005"},
                    FormatRow{"NegativeTwoDigits", -47, "-047"},
                    FormatRow{"NegativeFourDigits", -1234, "-1234"},
                    FormatRow{"LargestInt32", kMax, "2147483647"},
                    FormatRow{"SmallestInt32DoesNotOverflow", kMin, "-2147483648"}),
    RowName{});

} // namespace
