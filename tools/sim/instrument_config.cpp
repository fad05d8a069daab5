#include "instrument_config.h"

#include <array>

namespace qvsim {
namespace {

using C = InstrumentConfig;

constexpr std::array kSettings{
    Setting{"address", &C::address, std::nullopt, 3, 0, 247},
    Setting{"baud", &C::baudIndex, std::nullopt, 1, 0, 4},
    Setting{"parity", &C::parityIndex, std::nullopt, 1, 0, 2},
    Setting{"variable", &C::outputVariable, std::nullopt, 1, 0, 1},
    Setting{"ma4", &C::current4mA, kCurrentFormat, 0, 0, 0},
    Setting{"ma20", &C::current20mA, kCurrentFormat, 0, 0, 0},
    Setting{"pz1", &C::fineTuning1, std::nullopt, 3, 0, 999},
    Setting{"pz2", &C::fineTuning2, std::nullopt, 3, 0, 999},
    Setting{"ad1urv", &C::ad1Urv, kRangeFormat, 0, 0, 0},
    Setting{"ad1lrv", &C::ad1Lrv, kRangeFormat, 0, 0, 0},
    Setting{"ad1start", &C::ad1Start, kRangeFormat, 0, 0, 0},
    Setting{"ad2urv", &C::ad2Urv, kRangeFormat, 0, 0, 0},
    Setting{"ad2lrv", &C::ad2Lrv, kRangeFormat, 0, 0, 0},
    Setting{"ad2start", &C::ad2Start, kRangeFormat, 0, 0, 0},
};

long long largestShown(int digits)
{
    long long value = 1;
    for (int i = 0; i < digits; ++i) {
        value *= 10;
    }
    return value - 1;
}

} // namespace

std::span<const Setting> settings()
{
    return kSettings;
}

const Setting* findSetting(std::string_view key)
{
    for (const Setting& setting : kSettings) {
        if (setting.key == key) {
            return &setting;
        }
    }
    return nullptr;
}

std::optional<long long> parseSetting(const Setting& setting, std::string_view text, Limits limits)
{
    if (setting.decimal) {
        const auto value = parseDecimal(text, setting.decimal->decimals);
        if (!value || !fitsWidth(*value, *setting.decimal)) {
            return std::nullopt;
        }
        return value;
    }
    const auto value = parseInteger(text);
    const bool instrument = limits == Limits::Instrument;
    const long long lowest = instrument ? setting.lowest : 0;
    const long long highest = instrument ? setting.highest : largestShown(setting.digits);
    if (!value || *value < lowest || *value > highest) {
        return std::nullopt;
    }
    return value;
}

std::string showSetting(const InstrumentConfig& config, const Setting& setting)
{
    const long long value = config.*setting.member;
    return setting.decimal ? formatDecimal(value, *setting.decimal)
                           : formatPadded(value, setting.digits);
}

} // namespace qvsim
