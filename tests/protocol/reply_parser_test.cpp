#include "reply_parser.h"

#include "row_name.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;
using qv::Assignment;
using qv::Extraction;
using qv::Target;

// Writes a tag as text, '?' standing for a position that matches any character.
qv::TagPattern tag(std::string_view text)
{
    qv::TagPattern pattern;
    for (char c : text) {
        pattern.push_back(c == '?' ? std::nullopt : std::optional<char>(c));
    }
    return pattern;
}

Assignment text(Target target, std::string value)
{
    return {target, std::move(value)};
}

Assignment index(Target target, int value)
{
    return {target, value};
}

} // namespace

// Lets a failed comparison show the assignments instead of their bytes.
namespace qv {
void PrintTo(const Assignment& assignment, std::ostream* out)
{
    *out << "{target " << static_cast<int>(assignment.target) << ", ";
    if (const auto* value = std::get_if<std::string>(&assignment.value)) {
        *out << "text '" << *value << "'}";
    } else {
        *out << "index " << std::get<int>(assignment.value) << "}";
    }
}
} // namespace qv

namespace {

// --- Tag search ---

struct TagRow
{
    const char* name;
    std::string_view text;
    const char* tag;
    std::optional<std::size_t> start;
};

class TagSearch : public testing::TestWithParam<TagRow>
{
};

TEST_P(TagSearch, FindsTheFirstWholeOccurrence)
{
    EXPECT_EQ(qv::findTag(GetParam().text, tag(GetParam().tag)), GetParam().start);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, TagSearch,
    testing::Values(TagRow{"AtTheStart", "STQ:001", "STQ:", 0},
                    TagRow{"AfterOtherText", "xxDAV:1", "DAV:", 2},
                    TagRow{"FirstOfTwoOccurrences", "STQ:001STQ:002", "STQ:", 0},
                    TagRow{"EndingAtTheLastCharacter", "xxA03:", "A03:", 2},
                    TagRow{"CutShortByTheEndOfTheText", "xxA03", "A03:", std::nullopt},
                    TagRow{"InEmptyText", "", "A01:", std::nullopt},
                    TagRow{"AnyPositionMatchesADigit", "STC1:042", "STC?:", 0},
                    TagRow{"AnyPositionMatchesNul", "STC\0:042"sv, "STC?:", 0},
                    TagRow{"AnyPositionDoesNotMatchNothing", "STC:042", "STC?:", std::nullopt},
                    TagRow{"ThreeAnyPositions", "..MR4XYZ:1,2", "MR4???:", 2},
                    TagRow{"MatchingIsCaseSensitive", "stq:001", "STQ:", std::nullopt},
                    TagRow{"PartialMatchThenRealOne", "AD0AD01:", "AD01:", 3}),
    RowName{});

// --- Slices ---

struct SliceRow
{
    const char* name;
    std::string_view text;
    std::size_t start;
    std::size_t offset;
    std::size_t width;
    const char* slice;
};

class Slice : public testing::TestWithParam<SliceRow>
{
};

TEST_P(Slice, TakesTheCharactersThatExistUpToTheFirstNul)
{
    const SliceRow& row = GetParam();
    EXPECT_EQ(qv::sliceAt(row.text, row.start, row.offset, row.width), row.slice);
}

INSTANTIATE_TEST_SUITE_P(Slices, Slice,
                         testing::Values(SliceRow{"WithinTheText", "xxSTQ:123yy", 2, 4, 3, "123"},
                                         SliceRow{"CutAtTheEndOfTheText", "A03:12", 0, 4, 6, "12"},
                                         SliceRow{"StartingAtTheEnd", "A03:", 0, 4, 6, ""},
                                         SliceRow{"StartingPastTheEnd", "AD01:100", 0, 11, 5, ""},
                                         SliceRow{"CutAtANulInside",
                                                  "A01:12\0"
                                                  "456"sv,
                                                  0, 4, 6, "12"},
                                         SliceRow{"NulAfterTheSliceIsHarmless", "A01:123456\0"sv, 0,
                                                  4, 6, "123456"},
                                         SliceRow{"StartingOnANul",
                                                  "A01:\0"
                                                  "23456"sv,
                                                  0, 4, 6, ""}),
                         RowName{});

struct CutRow
{
    const char* name;
    std::string_view text;
    std::string_view cut;
};

class CutView : public testing::TestWithParam<CutRow>
{
};

TEST_P(CutView, EndsBeforeTheFirstNul)
{
    EXPECT_EQ(qv::cutAtNul(GetParam().text), GetParam().cut);
}

INSTANTIATE_TEST_SUITE_P(Views, CutView,
                         testing::Values(CutRow{"WithoutNulIsTheWholeText", "STQ:001", "STQ:001"},
                                         CutRow{"NulInTheMiddle", "ab\0cd\0ef"sv, "ab"},
                                         CutRow{"NulFirstGivesNothing", "\0ab"sv, ""},
                                         CutRow{"EmptyText", "", ""}),
                         RowName{});

// --- Extractions ---

struct ExtractionRow
{
    const char* name;
    std::string_view reply;
    std::vector<Assignment> assignments;
    std::optional<std::string> error = std::nullopt;
};

class StatusExtraction : public testing::TestWithParam<ExtractionRow>
{
};

TEST_P(StatusExtraction, FillsTheTargetsOfTheTagsFound)
{
    const Extraction extraction = qv::extractStatus(GetParam().reply);
    EXPECT_EQ(extraction.assignments, GetParam().assignments);
    EXPECT_EQ(extraction.error, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Status, StatusExtraction,
    testing::Values(
        ExtractionRow{"AddressAfterAnyFourthCharacter", "STC1:042", {text(Target::Station, "042")}},
        ExtractionRow{"ColonInTheFourthPlaceIsNoAddress", "STC:042", {}},
        ExtractionRow{"ThreeReadings",
                      "A01:012.50A02:-03.00A03:99.999",
                      {text(Target::AD1XS, "012.50"), text(Target::AD2XS, "-03.00"),
                       text(Target::AD3XS, "99.999")}},
        ExtractionRow{"ReadingCutAtTheEndOfTheText",
                      "A01:000001A03:12",
                      {text(Target::AD1XS, "000001"), text(Target::AD3XS, "12")}},
        ExtractionRow{"TagAtTheVeryEndEmptiesItsTarget", "A01:", {text(Target::AD1XS, "")}},
        ExtractionRow{"NulBeforeATagDoesNotHideIt",
                      "A01:000001\0A02:000002"sv,
                      {text(Target::AD1XS, "000001"), text(Target::AD2XS, "000002")}},
        ExtractionRow{"ReadingCutAtANulInside",
                      "A01:12\0"
                      "456"sv,
                      {text(Target::AD1XS, "12")}},
        ExtractionRow{
            "FirstOfTwoOccurrences", "A02:111111A02:222222", {text(Target::AD2XS, "111111")}},
        ExtractionRow{"TargetsInTheirOwnOrderNotTheReplyOrder",
                      "A03:3.3333A01:1.1111STCx:009",
                      {text(Target::Station, "009"), text(Target::AD1XS, "1.1111"),
                       text(Target::AD3XS, "3.3333")}},
        ExtractionRow{"ParameterTagsAreIgnored", "STQ:001DAV:x,1,2", {}},
        ExtractionRow{"NoTagChangesNothing", "hello", {}},
        ExtractionRow{"EmptyReplyChangesNothing", "", {}}),
    RowName{});

class ParameterExtraction : public testing::TestWithParam<ExtractionRow>
{
};

TEST_P(ParameterExtraction, FillsTheTargetsInOrderAndStopsAtAFailedDigit)
{
    const Extraction extraction = qv::extractParameters(GetParam().reply);
    EXPECT_EQ(extraction.assignments, GetParam().assignments);
    EXPECT_EQ(extraction.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, ParameterExtraction,
    testing::Values(
        ExtractionRow{"ShortAddress", "STQ:5", {text(Target::Station, "5")}},
        ExtractionRow{"FirstOfTwoAddresses", "STQ:123STQ:456", {text(Target::Station, "123")}},
        ExtractionRow{
            "BaudAndParity", "MR485B:4,2", {index(Target::MR485BT, 4), index(Target::MR485JN, 2)}},
        ExtractionRow{"BaudIndexWithoutAnItemIsPassedOn",
                      "MR485B:9,0",
                      {index(Target::MR485BT, 9), index(Target::MR485JN, 0)}},
        ExtractionRow{"BaudTagHasThreeAnyPositions",
                      "MR4XYZ:1,2",
                      {index(Target::MR485BT, 1), index(Target::MR485JN, 2)}},
        ExtractionRow{"SeparatorIsNotExamined",
                      "MR485B:4;2",
                      {index(Target::MR485BT, 4), index(Target::MR485JN, 2)}},
        ExtractionRow{"OutputVariableAndValues",
                      "DAV:1,04.00,20.00",
                      {index(Target::ComboBox1, 1), text(Target::DAVL, "04.00"),
                       text(Target::DAVH, "20.00")}},
        ExtractionRow{"FineTuningBoth",
                      "PA2:012PA1:150",
                      {text(Target::Edit1, "150"), text(Target::Edit2, "012")}},
        ExtractionRow{"Ad1Range",
                      "AD01:100.0,000.0,004.0",
                      {text(Target::AD1H, "100.0"), text(Target::AD1L, "000.0"),
                       text(Target::AD1LD, "004.0")}},
        ExtractionRow{"ShortAd1RangeEmptiesTheLaterFields",
                      "AD01:100",
                      {text(Target::AD1H, "100"), text(Target::AD1L, ""), text(Target::AD1LD, "")}},
        ExtractionRow{"Ad2Range",
                      "AD02:050.0,-10.0,001.5",
                      {text(Target::AD2H, "050.0"), text(Target::AD2L, "-10.0"),
                       text(Target::AD2LD, "001.5")}},
        ExtractionRow{"StatusTagsAreIgnored", "STC1:042A01:000001", {}},
        ExtractionRow{"MatchingIsCaseSensitive", "stq:001", {}},
        ExtractionRow{"NoTagChangesNothing", "hello", {}}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    WholeAnswer, ParameterExtraction,
    testing::Values(ExtractionRow{
        "EveryTargetInItsOwnOrder",
        "AD02:050.0,-10.0,001.5AD01:100.0,000.0,004.0PA2:012PA1:150"
        "DAV:0,04.00,20.00MR485B:3,1STQ:017",
        {text(Target::Station, "017"), index(Target::MR485BT, 3), index(Target::MR485JN, 1),
         index(Target::ComboBox1, 0), text(Target::DAVL, "04.00"), text(Target::DAVH, "20.00"),
         text(Target::Edit1, "150"), text(Target::Edit2, "012"), text(Target::AD1H, "100.0"),
         text(Target::AD1L, "000.0"), text(Target::AD1LD, "004.0"), text(Target::AD2H, "050.0"),
         text(Target::AD2L, "-10.0"), text(Target::AD2LD, "001.5")}}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    CutAtNul, ParameterExtraction,
    testing::Values(ExtractionRow{"TagAfterTheNulIsNotSearched",
                                  "STQ:001\0PA1:150"sv,
                                  {text(Target::Station, "001")}},
                    ExtractionRow{"StatusReadingsBehindANulAreNotSeen", "\0STQ:001"sv, {}},
                    ExtractionRow{"SliceEndsAtTheNul",
                                  "STQ:0\0"
                                  "12"sv,
                                  {text(Target::Station, "0")}},
                    ExtractionRow{"TagBrokenByANulIsNotFound", "ST\0Q:001STQ:002"sv, {}}),
    RowName{});

INSTANTIATE_TEST_SUITE_P(
    FailedDigit, ParameterExtraction,
    testing::Values(
        ExtractionRow{
            "LetterForBaudFillsNothing", "MR485B:x,0", {}, "'x' is not a valid integer value"},
        ExtractionRow{"LetterForParityKeepsTheBaud",
                      "MR485B:4,x",
                      {index(Target::MR485BT, 4)},
                      "'x' is not a valid integer value"},
        ExtractionRow{"BlankIsNotADigit", "MR485B: ,0", {}, "' ' is not a valid integer value"},
        ExtractionRow{"SignIsNotADigit", "MR485B:+,0", {}, "'+' is not a valid integer value"},
        ExtractionRow{"ParityPastTheEndKeepsTheBaud",
                      "MR485B:4",
                      {index(Target::MR485BT, 4)},
                      "'' is not a valid integer value"},
        ExtractionRow{"BaudTagAtTheVeryEnd", "MR485B:", {}, "'' is not a valid integer value"},
        ExtractionRow{"OutputVariableCutByANul",
                      "DAV:\0"
                      "1,04.00,20.00"sv,
                      {},
                      "'' is not a valid integer value"},
        ExtractionRow{"EarlierTagsKeepTheirValuesLaterOnesAreUntouched",
                      "STQ:001MR485B:4,xDAV:1,04.00,20.00PA1:150",
                      {text(Target::Station, "001"), index(Target::MR485BT, 4)},
                      "'x' is not a valid integer value"},
        ExtractionRow{
            "FailureInTheOutputVariableAfterRs485",
            "STQ:001MR485B:4,2DAV:z,04.00,20.00AD01:100.0,000.0,004.0",
            {text(Target::Station, "001"), index(Target::MR485BT, 4), index(Target::MR485JN, 2)},
            "'z' is not a valid integer value"}),
    RowName{});

} // namespace
