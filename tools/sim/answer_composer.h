#pragma once

#include "answer.h"
#include "instrument_config.h"
#include "live_signals.h"

#include <string_view>

namespace qvsim {

// "STQ:001", "MR485B:3,0", "DAV:0,04.00,20.00", "PA1:000", "PA2:000",
// "AD01:100.0,000.0,004.0", "AD02:050.0,000.0,000.0", each ended by CR LF. Every value
// has its fixed width, so it sits at a fixed offset from its tag.
Answer composeParameters(const InstrumentConfig& config);

// "STC1:001A01:12.000A02:050.00A03:025.00" and CR LF.
Answer composeStatus(const InstrumentConfig& config, const Readings& readings);

// A fixed text (identification, acknowledgement, refusal) as a single piece.
Answer composeText(std::string_view text);

} // namespace qvsim
