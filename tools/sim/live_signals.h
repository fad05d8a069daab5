#pragma once

#include "fixed_decimal.h"
#include "instrument_config.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qvsim {

// The three readings of the status answer, in steps of their formats.
enum class Reading { Output, Ad1, Ad2 };

struct Readings
{
    Units output; // thousandths of a mA
    Units ad1;    // hundredths
    Units ad2;
};

// The instrument's live signals: each input wanders smoothly inside its LRV..URV
// range (two slow sine waves whose periods and phases come from the seed, so a run
// is repeatable), shifted by its fine-tuning; the output current follows the
// selected input from the 4 mA value (at LRV) to the 20 mA value (at URV). A reading
// can be pinned to a fixed value instead.
class LiveSignals
{
public:
    explicit LiveSignals(std::uint32_t seed);

    Readings at(double seconds, const InstrumentConfig& config) const;

    // nullopt lets the reading drift again.
    void pin(Reading reading, std::optional<Units> value);

private:
    struct Wave
    {
        double slowPeriod, slowPhase, fastPeriod, fastPhase;
    };

    double input(int channel, double seconds, const InstrumentConfig& config) const;
    double output(double seconds, const InstrumentConfig& config) const;

    std::array<Wave, 2> m_waves{};
    std::array<std::optional<Units>, 3> m_pinned{};
};

} // namespace qvsim
