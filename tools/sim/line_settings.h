#pragma once

#include <termios.h>

#include <string>

namespace qvsim {

// The line a serial port is set to, as the instrument's UART would see it.
struct LineSettings
{
    unsigned baud = 0; // 0 when the speed has no number (B0, an unknown constant)
    int dataBits = 8;
    char parity = 'N'; // N, E, O, M (mark) or S (space)
    int stopBits = 1;

    bool operator==(const LineSettings&) const = default;
};

// The instrument's own line: 9600 baud, 8 data bits, no parity, 1 stop bit.
inline constexpr LineSettings kInstrumentLine{9600, 8, 'N', 1};

// The settings a terminal's attributes describe (output speed).
LineSettings lineSettingsOf(const termios& attributes);

// "9600 8N1"
std::string describeLine(const LineSettings& line);

} // namespace qvsim
