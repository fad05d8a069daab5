// Arbitrary text through the integer conversion, compared with a plain reference built
// on strtoll/strtoull where the text has one of the two accepted forms; every other
// text must be refused. Also the failure message and the "000" number format.

#include "fuzz_check.h"
#include "int_conversion.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool allOf(std::string_view text, const char* characters)
{
    return !text.empty() && text.find_first_not_of(characters) == std::string_view::npos;
}

constexpr const char* kDecimalDigits = "0123456789";
constexpr const char* kHexDigits = "0123456789abcdefABCDEF";

// Blanks, an optional sign, then either decimal digits or a hexadecimal prefix and
// hexadecimal digits, and nothing else. Other texts are refused (nullopt).
std::optional<std::int32_t> reference(std::string_view text)
{
    std::string_view rest = text.substr(std::min(text.find_first_not_of(' '), text.size()));
    const bool negative = !rest.empty() && rest[0] == '-';
    if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) {
        rest.remove_prefix(1);
    }

    for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (rest.starts_with(prefix)) {
            const std::string_view hexDigits = rest.substr(prefix.size());
            if (!allOf(hexDigits, kHexDigits)) {
                return std::nullopt;
            }
            errno = 0;
            const unsigned long long value =
                std::strtoull(std::string(hexDigits).c_str(), nullptr, 16);
            if (errno == ERANGE || value > 0xFFFFFFFFull) {
                return std::nullopt;
            }
            // A 32-bit pattern; the sign negates it with wrap-around.
            const auto bits = static_cast<std::uint32_t>(value);
            return static_cast<std::int32_t>(negative ? 0u - bits : bits);
        }
    }

    if (!allOf(rest, kDecimalDigits)) {
        return std::nullopt;
    }
    errno = 0;
    const std::string signedDigits = (negative ? "-" : "") + std::string(rest);
    const long long value = std::strtoll(signedDigits.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

void checkConversion(std::string_view text)
{
    const std::optional<std::int32_t> value = qv::parseInteger(text);
    FUZZ_CHECK(value == reference(text));

    const std::string message = "'" + std::string(text) + "' is not a valid integer value";
    FUZZ_CHECK(qv::invalidIntegerMessage(text) == message);
    try {
        const std::int32_t converted = qv::toInteger(text);
        FUZZ_CHECK(value && converted == *value);
    } catch (const qv::OperatorError& error) {
        FUZZ_CHECK(!value);
        // what() is a C string: a NUL in the text ends the message there.
        FUZZ_CHECK(std::string_view(error.what()) == message.substr(0, message.find('\0')));
    }
}

// printf's "%03lld" on the magnitude, a "-" in front for negative values.
std::string referenceZeroPadded(std::int32_t value)
{
    const long long wide = value;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%03lld", wide < 0 ? -wide : wide);
    return (wide < 0 ? "-" : "") + std::string(digits);
}

void checkZeroPadded(std::int32_t value)
{
    const std::string text = qv::formatZeroPadded(value);
    FUZZ_CHECK(text == referenceZeroPadded(value));
    FUZZ_CHECK(qv::parseInteger(text) == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkConversion(text);

    if (const auto value = qv::parseInteger(text)) {
        checkZeroPadded(*value);
    }
    // The first four bytes as a value too, so the format sees the whole int32 range.
    if (size >= sizeof(std::int32_t)) {
        std::int32_t value;
        std::memcpy(&value, data, sizeof value);
        checkZeroPadded(value);
    }
    return 0;
}
