#include "reading.h"

#include "reply_parser.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qv {

namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

double readingNumber(std::string_view text)
{
    std::string_view number = trimmed(text);
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    if (number.empty() || number.find_first_not_of("-0123456789.") != std::string_view::npos)
        return kNotANumber;
    double value = kNotANumber;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                              std::chars_format::fixed);
    if (error != std::errc{} || end != number.data() + number.size() || !std::isfinite(value))
        return kNotANumber;
    return value;
}

double Reading::utodvValue() const
{
    return readingNumber(utodv);
}

double Reading::ad01Value() const
{
    return readingNumber(ad01);
}

double Reading::ad02Value() const
{
    return readingNumber(ad02);
}

std::optional<Reading> readingFromStatusAnswer(std::string_view answer,
                                               std::chrono::system_clock::time_point time)
{
    Reading reading{time, {}, {}, {}, {}};
    int found = 0;
    for (const Assignment& assignment : extractStatus(answer).assignments) {
        const auto* text = std::get_if<std::string>(&assignment.value);
        if (text == nullptr)
            continue;
        std::string* slot = nullptr;
        switch (assignment.target) {
        case Target::Station:
            slot = &reading.address;
            break;
        case Target::AD1XS:
            slot = &reading.utodv;
            break;
        case Target::AD2XS:
            slot = &reading.ad01;
            break;
        case Target::AD3XS:
            slot = &reading.ad02;
            break;
        default:
            break;
        }
        if (slot != nullptr) {
            *slot = *text;
            ++found;
        }
    }
    if (found < 4)
        return std::nullopt;
    return reading;
}

} // namespace qv
