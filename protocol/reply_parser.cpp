#include "reply_parser.h"

#include "int_conversion.h"

namespace qv {

namespace {

constexpr char kNul = '\0';

// Answer tags; '?' marks a position that matches any character.
constexpr std::string_view kStatusAddressTag = "STC?:";
constexpr std::string_view kReading1Tag = "A01:";
constexpr std::string_view kReading2Tag = "A02:";
constexpr std::string_view kReading3Tag = "A03:";
constexpr std::string_view kAddressTag = "STQ:";
constexpr std::string_view kRs485Tag = "MR4???:";
constexpr std::string_view kOutputTag = "DAV:";
constexpr std::string_view kFineTuning1Tag = "PA1:";
constexpr std::string_view kFineTuning2Tag = "PA2:";
constexpr std::string_view kAd1RangeTag = "AD01:";
constexpr std::string_view kAd2RangeTag = "AD02:";
constexpr char kAnyCharacter = '?';

// A tag written as text, turned into the pattern the search compares with.
TagPattern pattern(std::string_view text)
{
    TagPattern tag;
    for (char c : text) {
        tag.push_back(c == kAnyCharacter ? std::nullopt : std::optional<char>(c));
    }
    return tag;
}

// A text value: `width` characters `offset` characters after the tag's first character.
struct TextField
{
    Target target;
    std::size_t offset;
    std::size_t width;
};

// A combo box index: the single digit `offset` characters after the tag's first character.
struct DigitField
{
    Target target;
    std::size_t offset;
};

using Field = std::variant<TextField, DigitField>;

struct TagLayout
{
    TagPattern tag;
    std::vector<Field> fields; // filled in this order
};

// Status answer: "STC?:ddd", "A01:dddddd", "A02:dddddd", "A03:dddddd".
const std::vector<TagLayout>& statusLayout()
{
    static const std::vector<TagLayout> layout = {
        {pattern(kStatusAddressTag), {TextField{Target::Station, 5, 3}}},
        {pattern(kReading1Tag), {TextField{Target::AD1XS, 4, 6}}},
        {pattern(kReading2Tag), {TextField{Target::AD2XS, 4, 6}}},
        {pattern(kReading3Tag), {TextField{Target::AD3XS, 4, 6}}},
    };
    return layout;
}

// Parameter answer: "STQ:ddd", "MR4???:b,p", "DAV:v,lllll,hhhhh", "PA1:ddd", "PA2:ddd",
// "AD01:uuuuu,lllll,sssss", "AD02:uuuuu,lllll,sssss". The characters between values
// are not examined.
const std::vector<TagLayout>& parameterLayout()
{
    static const std::vector<TagLayout> layout = {
        {pattern(kAddressTag), {TextField{Target::Station, 4, 3}}},
        {pattern(kRs485Tag), {DigitField{Target::MR485BT, 7}, DigitField{Target::MR485JN, 9}}},
        {pattern(kOutputTag),
         {DigitField{Target::ComboBox1, 4}, TextField{Target::DAVL, 6, 5},
          TextField{Target::DAVH, 12, 5}}},
        {pattern(kFineTuning1Tag), {TextField{Target::Edit1, 4, 3}}},
        {pattern(kFineTuning2Tag), {TextField{Target::Edit2, 4, 3}}},
        {pattern(kAd1RangeTag),
         {TextField{Target::AD1H, 5, 5}, TextField{Target::AD1L, 11, 5},
          TextField{Target::AD1LD, 17, 5}}},
        {pattern(kAd2RangeTag),
         {TextField{Target::AD2H, 5, 5}, TextField{Target::AD2L, 11, 5},
          TextField{Target::AD2LD, 17, 5}}},
    };
    return layout;
}

bool matchesAt(std::string_view text, std::size_t start, const TagPattern& tag)
{
    for (std::size_t i = 0; i < tag.size(); ++i) {
        if (tag[i] && text[start + i] != *tag[i]) {
            return false;
        }
    }
    return true;
}

// The digit at start+offset as an index. A position past the end of the text is
// converted as empty text, so it fails like any other non-digit.
std::variant<int, std::string> digitAt(std::string_view text, std::size_t start, std::size_t offset)
{
    const std::size_t position = start + offset;
    const std::string_view digit =
        position < text.size() ? text.substr(position, 1) : std::string_view();
    const auto value = parseInteger(digit);
    if (!value) {
        return invalidIntegerMessage(digit);
    }
    return *value;
}

// Fills the targets of every tag found, stopping at the first digit that fails.
Extraction extract(std::string_view text, const std::vector<TagLayout>& layout)
{
    Extraction result;
    for (const TagLayout& entry : layout) {
        const auto start = findTag(text, entry.tag);
        if (!start) {
            continue;
        }
        for (const Field& field : entry.fields) {
            if (const auto* textField = std::get_if<TextField>(&field)) {
                result.assignments.push_back(
                    {textField->target,
                     sliceAt(text, *start, textField->offset, textField->width)});
                continue;
            }
            const auto& digitField = std::get<DigitField>(field);
            auto digit = digitAt(text, *start, digitField.offset);
            if (auto* message = std::get_if<std::string>(&digit)) {
                result.error = std::move(*message);
                return result;
            }
            result.assignments.push_back({digitField.target, {}});
            result.assignments.back().value.emplace<int>(std::get<int>(digit));
        }
    }
    return result;
}

// Every tag found, and every value of it lies within the text before any NUL.
bool complete(std::string_view text, const std::vector<TagLayout>& layout)
{
    for (const TagLayout& entry : layout) {
        const auto start = findTag(text, entry.tag);
        if (!start) {
            return false;
        }
        for (const Field& field : entry.fields) {
            const auto* textField = std::get_if<TextField>(&field);
            const std::size_t offset =
                textField ? textField->offset : std::get<DigitField>(field).offset;
            const std::size_t width = textField ? textField->width : 1;
            if (sliceAt(text, *start, offset, width).size() != width) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

std::optional<std::size_t> findTag(std::string_view text, const TagPattern& tag)
{
    for (std::size_t start = 0; start + tag.size() <= text.size(); ++start) {
        if (matchesAt(text, start, tag)) {
            return start;
        }
    }
    return std::nullopt;
}

std::string sliceAt(std::string_view text, std::size_t start, std::size_t offset, std::size_t width)
{
    const std::size_t first = start + offset;
    if (first >= text.size()) {
        return {};
    }
    return std::string(cutAtNul(text.substr(first, width)));
}

std::string_view cutAtNul(std::string_view text)
{
    return text.substr(0, text.find(kNul));
}

Extraction extractStatus(std::string_view reply)
{
    return extract(reply, statusLayout());
}

Extraction extractParameters(std::string_view reply)
{
    return extract(cutAtNul(reply), parameterLayout());
}

bool statusAnswerComplete(std::string_view reply)
{
    return complete(reply, statusLayout());
}

bool parameterAnswerComplete(std::string_view reply)
{
    return complete(cutAtNul(reply), parameterLayout());
}

} // namespace qv
