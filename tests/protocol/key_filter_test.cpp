#include "key_filter.h"

#include "row_name.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

using qv::FieldFilter;
using qv::filterAccepts;
using qv::kBackspace;

struct KeyRow
{
    const char* name;
    FieldFilter filter;
    char32_t typed;
    std::size_t currentLength;
    bool accepted;
};

class KeyFilter : public testing::TestWithParam<KeyRow>
{
};

TEST_P(KeyFilter, LetsThroughOrSwallowsTheCharacter)
{
    const KeyRow& row = GetParam();
    EXPECT_EQ(filterAccepts(row.filter, row.typed, row.currentLength), row.accepted);
}

constexpr FieldFilter kNumeric = FieldFilter::Numeric;
constexpr FieldFilter kAddress = FieldFilter::Address;

INSTANTIATE_TEST_SUITE_P(
    NumericCharacters, KeyFilter,
    testing::Values(KeyRow{"AcceptsZero", kNumeric, U'0', 0, true},
                    KeyRow{"AcceptsNine", kNumeric, U'9', 0, true},
                    KeyRow{"AcceptsPoint", kNumeric, U'.', 0, true},
                    KeyRow{"AcceptsMinus", kNumeric, U'-', 0, true},
                    KeyRow{"AcceptsBackspace", kNumeric, kBackspace, 0, true},
                    KeyRow{"RefusesLetter", kNumeric, U'a', 0, false},
                    KeyRow{"RefusesExponent", kNumeric, U'e', 0, false},
                    KeyRow{"RefusesPlus", kNumeric, U'+', 0, false},
                    KeyRow{"RefusesBlank", kNumeric, U' ', 0, false},
                    KeyRow{"RefusesComma", kNumeric, U',', 0, false},
                    KeyRow{"RefusesDelimiter", kNumeric, U'#', 0, false},
                    KeyRow{"RefusesSlashBeforeZero", kNumeric, U'/', 0, false},
                    KeyRow{"RefusesColonAfterNine", kNumeric, U':', 0, false},
                    KeyRow{"RefusesTab", kNumeric, U'\t', 0, false},
                    KeyRow{"RefusesCarriageReturn", kNumeric, U'\r', 0, false},
                    KeyRow{"RefusesNul", kNumeric, U'\0', 0, false},
                    KeyRow{"RefusesDelete", kNumeric, 0x7F, 0, false},
                    KeyRow{"RefusesAccentedLetter", kNumeric, U'\u00E9', 0, false},
                    KeyRow{"RefusesFullWidthDigit", kNumeric, U'\uFF11', 0, false},
                    KeyRow{"RefusesArabicIndicDigit", kNumeric, U'\u0663', 0, false},
                    KeyRow{"RefusesCodePointWhoseLowByteIsADigit", kNumeric, 0x130, 0, false}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    NumericLength, KeyFilter,
    testing::Values(KeyRow{"FourCharactersAcceptADigit", kNumeric, U'5', 4, true},
                    KeyRow{"FiveCharactersRefuseADigit", kNumeric, U'6', 5, false},
                    KeyRow{"FiveCharactersRefuseAPoint", kNumeric, U'.', 5, false},
                    KeyRow{"FiveCharactersAcceptBackspace", kNumeric, kBackspace, 5, true},
                    KeyRow{"PastedLongTextAcceptsBackspace", kNumeric, kBackspace, 12, true},
                    KeyRow{"PastedLongTextRefusesAMinus", kNumeric, U'-', 12, false}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(AddressCharacters, KeyFilter,
                         testing::Values(KeyRow{"AcceptsZero", kAddress, U'0', 0, true},
                                         KeyRow{"AcceptsNine", kAddress, U'9', 0, true},
                                         KeyRow{"AcceptsBackspace", kAddress, kBackspace, 0, true},
                                         KeyRow{"RefusesPoint", kAddress, U'.', 0, false},
                                         KeyRow{"RefusesMinus", kAddress, U'-', 0, false},
                                         KeyRow{"RefusesPlus", kAddress, U'+', 0, false},
                                         KeyRow{"RefusesLetter", kAddress, U'x', 0, false},
                                         KeyRow{"RefusesBlank", kAddress, U' ', 0, false},
                                         KeyRow{"RefusesFullWidthDigit", kAddress, U'\uFF10', 0,
                                                false}),
                         RowName{});

INSTANTIATE_TEST_SUITE_P(
    AddressLength, KeyFilter,
    testing::Values(KeyRow{"ThreeZerosAcceptAFourthDigit", kAddress, U'1', 3, true},
                    KeyRow{"FiveCharactersAcceptASixthDigit", kAddress, U'6', 5, true},
                    KeyRow{"SixCharactersRefuseADigit", kAddress, U'7', 6, false},
                    KeyRow{"SixCharactersAcceptBackspace", kAddress, kBackspace, 6, true}),
    RowName{});

// Beyond the rows above: no other code point, however exotic, gets through.
TEST(KeyFilterSweep, OnlyTheListedCharactersPassAnEmptyField)
{
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        const bool digit = c >= U'0' && c <= U'9';
        const bool numericExtra = c == U'.' || c == U'-';
        ASSERT_EQ(filterAccepts(kNumeric, c, 0), digit || numericExtra || c == kBackspace)
            << "numeric filter, code point " << static_cast<unsigned>(c);
        ASSERT_EQ(filterAccepts(kAddress, c, 0), digit || c == kBackspace)
            << "address filter, code point " << static_cast<unsigned>(c);
    }
}

} // namespace
