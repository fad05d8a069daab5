#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qv {

// A failure whose what() is the text shown to the operator as it stands.
class OperatorError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Text-to-integer conversion used for the address and fine-tuning fields and for
// the index digits of answers. Leading blanks are skipped, an optional sign follows,
// then decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X".
// Hexadecimal values up to FFFFFFFF are taken as 32-bit patterns ("$FFFFFFFF" is -1).
// Anything else (empty text, a lone sign or prefix, trailing blanks, a decimal value
// outside int32, a longer hexadecimal value) fails.
std::optional<std::int32_t> parseInteger(std::string_view text);

// "'<text>' is not a valid integer value"
std::string invalidIntegerMessage(std::string_view text);

// parseInteger, throwing OperatorError(invalidIntegerMessage(text)) on failure.
std::int32_t toInteger(std::string_view text);

// The "000" number format: at least three digits with leading zeros, a leading "-"
// for negative values (5 -> "005", 1234 -> "1234", -5 -> "-005").
std::string formatZeroPadded(std::int32_t value);

} // namespace qv
