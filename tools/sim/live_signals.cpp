#include "live_signals.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace qvsim {
namespace {

constexpr double kSlowAmplitude = 0.3; // share of the range
constexpr double kFastAmplitude = 0.1;

struct InputRange
{
    double lrv, urv, fineTuning;
};

double fineTuningOffset(long long setting)
{
    return setting < 100 ? setting / 1000.0 : -(setting - 100) / 1000.0;
}

InputRange rangeOf(int channel, const InstrumentConfig& c)
{
    const int d = kRangeFormat.decimals;
    if (channel == 0) {
        return {fromUnits(c.ad1Lrv, d), fromUnits(c.ad1Urv, d), fineTuningOffset(c.fineTuning1)};
    }
    return {fromUnits(c.ad2Lrv, d), fromUnits(c.ad2Urv, d), fineTuningOffset(c.fineTuning2)};
}

int formatOf(Reading reading)
{
    return reading == Reading::Output ? kOutputReadingFormat.decimals
                                      : kInputReadingFormat.decimals;
}

} // namespace

LiveSignals::LiveSignals(std::uint32_t seed)
{
    std::mt19937 generator(seed);
    const auto uniform = [&generator] { return generator() / 4294967296.0; };
    const double turn = 2 * std::numbers::pi;
    for (Wave& wave : m_waves) {
        wave = {40 + 40 * uniform(), turn * uniform(), 9 + 6 * uniform(), turn * uniform()};
    }
}

void LiveSignals::pin(Reading reading, std::optional<Units> value)
{
    m_pinned[static_cast<std::size_t>(reading)] = value;
}

double LiveSignals::input(int channel, double seconds, const InstrumentConfig& config) const
{
    const Reading reading = channel == 0 ? Reading::Ad1 : Reading::Ad2;
    if (const auto pinned = m_pinned[static_cast<std::size_t>(reading)]) {
        return fromUnits(*pinned, formatOf(reading));
    }
    const Wave& w = m_waves[static_cast<std::size_t>(channel)];
    const double turn = 2 * std::numbers::pi;
    const double share = 0.5 +
                         kSlowAmplitude * std::sin(turn * seconds / w.slowPeriod + w.slowPhase) +
                         kFastAmplitude * std::sin(turn * seconds / w.fastPeriod + w.fastPhase);
    const InputRange range = rangeOf(channel, config);
    return range.lrv + (range.urv - range.lrv) * share + range.fineTuning;
}

double LiveSignals::output(double seconds, const InstrumentConfig& config) const
{
    if (const auto pinned = m_pinned[static_cast<std::size_t>(Reading::Output)]) {
        return fromUnits(*pinned, formatOf(Reading::Output));
    }
    const int channel = config.outputVariable == 0 ? 0 : 1;
    const InputRange range = rangeOf(channel, config);
    const double span = range.urv - range.lrv;
    const double share =
        span == 0 ? 0 : std::clamp((input(channel, seconds, config) - range.lrv) / span, 0.0, 1.0);
    const double at4mA = fromUnits(config.current4mA, kCurrentFormat.decimals);
    const double at20mA = fromUnits(config.current20mA, kCurrentFormat.decimals);
    return at4mA + (at20mA - at4mA) * share;
}

Readings LiveSignals::at(double seconds, const InstrumentConfig& config) const
{
    const auto shown = [](double value, DecimalFormat format) {
        return clampToWidth(toUnits(value, format.decimals), format);
    };
    return {shown(output(seconds, config), kOutputReadingFormat),
            shown(input(0, seconds, config), kInputReadingFormat),
            shown(input(1, seconds, config), kInputReadingFormat)};
}

} // namespace qvsim
