#pragma once

#include "answer.h"
#include "frame_splitter.h"
#include "instrument_config.h"
#include "live_signals.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvsim {

// The simulated QV418K-TR: its configuration, its live signals and how it answers
// each frame of the vocabulary.
class InstrumentModel
{
public:
    explicit InstrumentModel(std::uint32_t seed);

    // The answer to a frame received `seconds` after start. A valid write frame is
    // applied and acknowledged; a refused one or an unknown query gets the refusal.
    Answer answer(const Frame& frame, double seconds);

    // What a refused write or an unknown query gets; nothing changes.
    static Answer refusal();

    const InstrumentConfig& config() const { return m_config; }

    // Sets a configuration value (keys of settings()) within what the answer can show,
    // or pins a reading ("a01", "a02", "a03"; "drift" releases it). Returns the
    // reason when the key or value is refused.
    std::optional<std::string> set(std::string_view key, std::string_view value);

    // Every setting and the current readings as "key=value" pairs, values shown as
    // the answers show them.
    std::string show(double seconds) const;

private:
    Answer answerQuery(std::string_view keyword, double seconds) const;
    std::optional<std::string> pinReading(std::string_view key, std::string_view value);

    InstrumentConfig m_config;
    LiveSignals m_signals;
};

} // namespace qvsim
