#pragma once

#include "reading.h"

#include <string>

namespace qv {

// Readings as comma-separated values, one line per reading, each ended by CR LF:
// time (local, ISO 8601 with milliseconds), address, UTODV, AD01, AD02. Values are the
// instrument's text; one that holds a comma, a quote or a line break is quoted.
std::string readingsCsvHeader();
std::string readingsCsvRow(const Reading& reading);

} // namespace qv
