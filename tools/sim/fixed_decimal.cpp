#include "fixed_decimal.h"

#include <cmath>

namespace qvsim {
namespace {

// More significant digits than this can never fit any answer field; refusing them
// early also keeps the arithmetic far from overflow.
constexpr std::size_t kMaxDigits = 12;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

Units powerOfTen(int exponent)
{
    Units result = 1;
    for (int i = 0; i < exponent; ++i) {
        result *= 10;
    }
    return result;
}

// Splits off an optional sign; returns true for '-'.
bool takeSign(std::string_view& text)
{
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        const bool negative = text.front() == '-';
        text.remove_prefix(1);
        return negative;
    }
    return false;
}

std::optional<Units> digitsValue(std::string_view digits)
{
    while (digits.size() > 1 && digits.front() == '0') {
        digits.remove_prefix(1);
    }
    if (digits.size() > kMaxDigits) {
        return std::nullopt;
    }
    Units value = 0;
    for (char c : digits) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<Units> parseDecimal(std::string_view text, int decimals)
{
    const bool negative = takeSign(text);
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if (whole.empty() && fraction.empty()) {
        return std::nullopt;
    }
    const auto wholeValue = whole.empty() ? std::optional<Units>(0) : digitsValue(whole);
    if (!wholeValue) {
        return std::nullopt;
    }
    for (char c : fraction) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
    }
    Units value = *wholeValue;
    for (int i = 0; i < decimals; ++i) {
        const char digit = static_cast<std::size_t>(i) < fraction.size() ? fraction[i] : '0';
        value = value * 10 + (digit - '0');
    }
    const bool roundUp = fraction.size() > static_cast<std::size_t>(decimals) &&
                         fraction[static_cast<std::size_t>(decimals)] >= '5';
    value += roundUp ? 1 : 0;
    return negative ? -value : value;
}

std::string formatDecimal(Units value, DecimalFormat format)
{
    const Units step = powerOfTen(format.decimals);
    const Units magnitude = value < 0 ? -value : value;
    std::string digits = std::to_string(magnitude / step);
    if (format.decimals > 0) {
        std::string fraction = std::to_string(magnitude % step);
        fraction.insert(0, static_cast<std::size_t>(format.decimals) - fraction.size(), '0');
        digits += '.' + fraction;
    }
    const std::string sign = value < 0 ? "-" : "";
    const std::size_t used = sign.size() + digits.size();
    if (used < format.width) {
        digits.insert(0, format.width - used, '0');
    }
    return sign + digits;
}

bool fitsWidth(Units value, DecimalFormat format)
{
    return formatDecimal(value, format).size() <= format.width;
}

Units clampToWidth(Units value, DecimalFormat format)
{
    // Every character but the decimal point holds a digit; a negative value gives
    // one of them to its sign.
    const int places = static_cast<int>(format.width) - (format.decimals > 0 ? 1 : 0);
    const Units highest = powerOfTen(places) - 1;
    const Units lowest = -(powerOfTen(places - 1) - 1);
    return value > highest ? highest : (value < lowest ? lowest : value);
}

Units toUnits(double value, int decimals)
{
    return std::llround(value * static_cast<double>(powerOfTen(decimals)));
}

double fromUnits(Units value, int decimals)
{
    return static_cast<double>(value) / static_cast<double>(powerOfTen(decimals));
}

std::optional<long long> parseInteger(std::string_view text)
{
    const bool negative = takeSign(text);
    if (text.empty()) {
        return std::nullopt;
    }
    const auto value = digitsValue(text);
    if (!value) {
        return std::nullopt;
    }
    return negative ? -*value : *value;
}

std::string formatPadded(long long value, int digits)
{
    std::string text = std::to_string(value < 0 ? -value : value);
    if (text.size() < static_cast<std::size_t>(digits)) {
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    }
    return value < 0 ? "-" + text : text;
}

} // namespace qvsim
