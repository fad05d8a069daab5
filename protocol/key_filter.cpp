#include "key_filter.h"

namespace qv {

namespace {

// A typed character other than backspace is refused once the field holds more than this.
constexpr std::size_t kNumericLengthLimit = 4;
constexpr std::size_t kAddressLengthLimit = 5;

bool isDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

bool inCharacterSet(FieldFilter filter, char32_t c)
{
    if (c == kBackspace || isDigit(c)) {
        return true;
    }
    return filter == FieldFilter::Numeric && (c == U'.' || c == U'-');
}

std::size_t lengthLimit(FieldFilter filter)
{
    return filter == FieldFilter::Numeric ? kNumericLengthLimit : kAddressLengthLimit;
}

} // namespace

bool filterAccepts(FieldFilter filter, char32_t typed, std::size_t currentLength)
{
    if (!inCharacterSet(filter, typed)) {
        return false;
    }
    return typed == kBackspace || currentLength <= lengthLimit(filter);
}

} // namespace qv
