// Any typed code point into a field of any length: each filter lets through exactly its
// own characters, and refuses everything but backspace once the field is over its limit.

#include "fuzz_check.h"
#include "key_filter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using qv::FieldFilter;

struct FilterRule
{
    FieldFilter filter;
    std::u32string_view characters; // backspace included
    std::size_t limit;              // longest text a character may still be typed into
};

constexpr FilterRule kRules[] = {
    {FieldFilter::Numeric, U"0123456789.-\b", 4},
    {FieldFilter::Address, U"0123456789\b", 5},
};

void check(const FilterRule& rule, char32_t typed, std::size_t length)
{
    const bool inSet = rule.characters.find(typed) != std::u32string_view::npos;
    const bool expected = inSet && (typed == U'\b' || length <= rule.limit);
    FUZZ_CHECK(qv::filterAccepts(rule.filter, typed, length) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto typed = input.ConsumeIntegral<char32_t>();
    // Mostly lengths around the limits, sometimes any size_t.
    const std::size_t length = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::size_t>(0, 8)
                                                   : input.ConsumeIntegral<std::size_t>();
    for (const FilterRule& rule : kRules) {
        check(rule, typed, length);
    }
    return 0;
}
