#pragma once

#include "reading.h"

#include <string>

namespace qv {

// Readings as comma-separated values, in the form `qv418k-cli monitor` prints them: one
// line per reading, time (UTC, ISO 8601 with milliseconds), address, UTODV, AD01, AD02.
// Values are the instrument's text; one that holds a comma, a quote or a line break is
// quoted as RFC 4180 has it.
std::string readingsCsvHeader();
std::string readingsCsvRow(const Reading& reading);

} // namespace qv
