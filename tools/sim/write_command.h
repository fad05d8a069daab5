#pragma once

#include "instrument_config.h"

#include <string_view>

namespace qvsim {

// Applies a write body "<tag>:<field>,<field>..." (the frame without its header and
// end mark). Returns false and leaves the configuration untouched when the tag is
// unknown, the number of fields is wrong, or a field is malformed or beyond the
// instrument's range; otherwise every field is stored.
bool applyWrite(InstrumentConfig& config, std::string_view body);

} // namespace qvsim
