#include "int_conversion.h"

namespace qv {

namespace {

constexpr char kBlank = ' ';
constexpr std::uint64_t kMaxHexValue = 0xFFFFFFFFu; // eight hexadecimal digits
constexpr std::uint64_t kMaxPositive = 2147483647u;
constexpr std::uint64_t kMaxNegative = 2147483648u; // magnitude of INT32_MIN

std::optional<int> digitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    if (value < 0 || value >= base) {
        return std::nullopt;
    }
    return value;
}

// Removes a hexadecimal prefix ("$", "x", "X", "0x", "0X") and says whether there was one.
bool consumeHexPrefix(std::string_view& rest)
{
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
        rest.remove_prefix(1);
        return true;
    }
    if (rest.starts_with("0x") || rest.starts_with("0X")) {
        rest.remove_prefix(2);
        return true;
    }
    return false;
}

// The magnitude of a run of digits, or nothing when the run is empty, holds another
// character or exceeds `limit`.
std::optional<std::uint64_t> parseMagnitude(std::string_view digits, int base, std::uint64_t limit)
{
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    for (char c : digits) {
        const auto digit = digitValue(c, base);
        if (!digit) {
            return std::nullopt;
        }
        magnitude = magnitude * static_cast<std::uint64_t>(base) + *digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return magnitude;
}

} // namespace

std::optional<std::int32_t> parseInteger(std::string_view text)
{
    std::string_view rest = text;
    while (rest.starts_with(kBlank)) {
        rest.remove_prefix(1);
    }
    const bool negative = rest.starts_with('-');
    if (negative || rest.starts_with('+')) {
        rest.remove_prefix(1);
    }

    if (consumeHexPrefix(rest)) {
        // Hexadecimal values are 32-bit patterns: $FFFFFFFF is -1, and a sign applies
        // to that pattern with two's-complement wrap-around.
        const auto magnitude = parseMagnitude(rest, 16, kMaxHexValue);
        if (!magnitude) {
            return std::nullopt;
        }
        auto bits = static_cast<std::uint32_t>(*magnitude);
        if (negative) {
            bits = 0u - bits;
        }
        return static_cast<std::int32_t>(bits);
    }

    const auto magnitude = parseMagnitude(rest, 10, negative ? kMaxNegative : kMaxPositive);
    if (!magnitude) {
        return std::nullopt;
    }
    const auto value = static_cast<std::int64_t>(*magnitude);
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string invalidIntegerMessage(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::int32_t toInteger(std::string_view text)
{
    const auto value = parseInteger(text);
    if (!value) {
        throw OperatorError(invalidIntegerMessage(text));
    }
    return *value;
}

std::string formatZeroPadded(std::int32_t value)
{
    constexpr std::size_t kMinDigits = 3;
    // Widened so that the magnitude of INT32_MIN fits.
    const std::int64_t wide = value;
    std::string digits = std::to_string(wide < 0 ? -wide : wide);
    if (digits.size() < kMinDigits) {
        digits.insert(0, kMinDigits - digits.size(), '0');
    }
    return wide < 0 ? "-" + digits : digits;
}

} // namespace qv
