#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qv {

// Window fields an answer can fill.
enum class Target {
    Station,
    MR485BT,
    MR485JN,
    ComboBox1,
    DAVL,
    DAVH,
    Edit1,
    Edit2,
    AD1H,
    AD1L,
    AD1LD,
    AD2H,
    AD2L,
    AD2LD,
    AD1XS,
    AD2XS,
    AD3XS,
};

// A value for one target: raw answer bytes for a text target, an item index for a
// combo box (an index without an item clears the selection and the text).
struct Assignment
{
    Target target;
    std::variant<std::string, int> value;
    bool operator==(const Assignment&) const = default;
};

// What an extraction found, in the order the targets are to be filled. When a digit
// fails to convert, `error` holds the operator's message and `assignments` stops
// just before the failing target. A digit position past the end of the text converts
// as empty text ("'' is not a valid integer value"). A digit is passed on as it is,
// whether or not its combo box has an item with that index.
struct Extraction
{
    std::vector<Assignment> assignments;
    std::optional<std::string> error;
};

// A fixed character pattern; positions holding std::nullopt match any character.
using TagPattern = std::vector<std::optional<char>>;

// First start position at which the whole tag lies within the text and matches.
std::optional<std::size_t> findTag(std::string_view text, const TagPattern& tag);

// Characters [start+offset, start+offset+width) that exist, up to the first NUL.
std::string sliceAt(std::string_view text, std::size_t start, std::size_t offset,
                    std::size_t width);

// The text before its first NUL character.
std::string_view cutAtNul(std::string_view text);

// Status answer ("STC?:", "A01:", "A02:", "A03:") searched in the full text.
Extraction extractStatus(std::string_view reply);

// Parameter answer ("STQ:", "MR4???:", "DAV:", "PA1:", "PA2:", "AD01:", "AD02:")
// searched in the text cut at its first NUL.
Extraction extractParameters(std::string_view reply);

// Whether an answer is whole: every tag of its layout is there, searched as the
// extraction searches it, with each of its values at full width (a NUL inside a value
// leaves it short). An answer that is not whole may still be extracted, as the window
// does once the line has settled.
bool statusAnswerComplete(std::string_view reply);
bool parameterAnswerComplete(std::string_view reply);

} // namespace qv
