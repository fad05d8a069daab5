#pragma once

#include <string>
#include <string_view>

namespace qvsim {

// Every line the simulator prints starts with this, so a test can tell its lines apart.
inline constexpr std::string_view kLinePrefix = "qv418k-sim: ";

// A line on stdout (addresses, control replies), flushed at once because a test
// reads it through a pipe.
void announce(std::string_view text);

// A line on stderr (the --verbose trace and failures).
void complain(std::string_view text);

// The bytes in double quotes with C escapes for anything not printable ("\r\n", "\0").
std::string quoted(std::string_view bytes);

} // namespace qvsim
