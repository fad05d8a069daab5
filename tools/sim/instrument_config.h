#pragma once

#include "fixed_decimal.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qvsim {

// The instrument's stored configuration. Decimal values are counts of their shown
// step (tenths for ranges, hundredths for the 4 mA and 20 mA values).
struct InstrumentConfig
{
    long long address = 1;
    long long baudIndex = 3;      // 0..4: 1200, 2400, 4800, 9600, 19200
    long long parityIndex = 0;    // 0..2: none, odd, even
    long long outputVariable = 0; // 0: the output follows AD1, 1: AD2
    Units current4mA = 400;
    Units current20mA = 2000;
    long long fineTuning1 = 0; // below 100: +n/1000, from 100: -(n-100)/1000
    long long fineTuning2 = 0;
    Units ad1Urv = 1000;
    Units ad1Lrv = 0;
    Units ad1Start = 40;
    Units ad2Urv = 500;
    Units ad2Lrv = 0;
    Units ad2Start = 0;

    bool operator==(const InstrumentConfig&) const = default;
};

// Whose limits a new value must meet: a write frame gets the instrument's own ranges;
// the control channel may set anything the answer can show (an out-of-range index
// included), so a test can make the instrument report odd values.
enum class Limits { Instrument, Display };

// One configuration value: its name on the control channel, where it is stored, and
// how it is read and shown.
struct Setting
{
    std::string_view key;
    long long InstrumentConfig::*member;
    std::optional<DecimalFormat> decimal; // nullopt: a whole number
    int digits;                           // whole numbers: digits shown in the answer
    long long lowest;                     // whole numbers: the instrument's range
    long long highest;
};

// Every setting, in the order `show` lists them.
std::span<const Setting> settings();
const Setting* findSetting(std::string_view key);

// The value the text stands for, or nullopt when it is malformed or beyond the limits.
std::optional<long long> parseSetting(const Setting& setting, std::string_view text, Limits limits);

// The value as the parameter answer shows it ("001", "3", "04.00", "100.0").
std::string showSetting(const InstrumentConfig& config, const Setting& setting);

} // namespace qvsim
