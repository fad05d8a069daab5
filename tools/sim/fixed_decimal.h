#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qvsim {

// How a number is shown in an answer: a fixed number of decimals and a fixed width,
// zero-padded after the sign like printf's "%0<width>.<decimals>f".
struct DecimalFormat
{
    int decimals;
    std::size_t width;
};

inline constexpr DecimalFormat kRangeFormat{1, 5};         // URV, LRV, start: "100.0", "-01.5"
inline constexpr DecimalFormat kCurrentFormat{2, 5};       // 4 mA and 20 mA values: "04.00"
inline constexpr DecimalFormat kOutputReadingFormat{3, 6}; // output current: "12.000"
inline constexpr DecimalFormat kInputReadingFormat{2, 6};  // AD1, AD2 readings: "050.00"

// A decimal number held as a whole count of the format's smallest step (tenths for
// ranges, hundredths for currents), so what is stored is exactly what is shown.
using Units = long long;

// Reads "[+-]digits[.digits]" (or "[+-].digits"); nothing else is accepted, blanks
// included. Digits beyond the format's decimals round half away from zero.
std::optional<Units> parseDecimal(std::string_view text, int decimals);

// The number as the answer shows it. May come out wider than the format when the
// value does not fit; see fitsWidth.
std::string formatDecimal(Units value, DecimalFormat format);

bool fitsWidth(Units value, DecimalFormat format);

// Nearest value that fits the width, for live readings that must never break the layout.
Units clampToWidth(Units value, DecimalFormat format);

// Converts a measured value to the format's steps, rounding half away from zero.
Units toUnits(double value, int decimals);
double fromUnits(Units value, int decimals);

// Reads "[+-]digits" (leading zeros allowed, e.g. "007", "-005").
std::optional<long long> parseInteger(std::string_view text);

// The integer with at least `digits` digits after its sign, e.g. 7 -> "007".
std::string formatPadded(long long value, int digits);

} // namespace qvsim
