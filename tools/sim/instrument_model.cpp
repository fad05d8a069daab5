#include "instrument_model.h"

#include "answer_composer.h"
#include "instrument_protocol.h"
#include "write_command.h"

#include <array>

namespace qvsim {
namespace {

// Control-channel names of the readings, in status-answer order.
struct ReadingKey
{
    std::string_view key;
    Reading reading;
    DecimalFormat format;
};

constexpr std::array kReadingKeys{
    ReadingKey{"a01", Reading::Output, kOutputReadingFormat},
    ReadingKey{"a02", Reading::Ad1, kInputReadingFormat},
    ReadingKey{"a03", Reading::Ad2, kInputReadingFormat},
};

constexpr std::string_view kDrift = "drift";

Units readingOf(const Readings& readings, Reading reading)
{
    switch (reading) {
    case Reading::Output:
        return readings.output;
    case Reading::Ad1:
        return readings.ad1;
    case Reading::Ad2:
        return readings.ad2;
    }
    return 0;
}

} // namespace

InstrumentModel::InstrumentModel(std::uint32_t seed) : m_signals(seed) {}

Answer InstrumentModel::answer(const Frame& frame, double seconds)
{
    if (frame.family == Frame::Family::Query) {
        return answerQuery(frame.body, seconds);
    }
    return applyWrite(m_config, frame.body) ? composeText(kAcknowledge) : refusal();
}

Answer InstrumentModel::refusal()
{
    return composeText(kRefusal);
}

Answer InstrumentModel::answerQuery(std::string_view keyword, double seconds) const
{
    if (keyword == kParametersKeyword) {
        return composeParameters(m_config);
    }
    if (keyword == kStatusKeyword || keyword == kOutputValueKeyword) {
        return composeStatus(m_config, m_signals.at(seconds, m_config));
    }
    if (keyword == kIdentifyKeyword) {
        return composeText(kIdentification);
    }
    return refusal();
}

std::optional<std::string> InstrumentModel::set(std::string_view key, std::string_view value)
{
    const Setting* setting = findSetting(key);
    if (setting == nullptr) {
        return pinReading(key, value);
    }
    const auto parsed = parseSetting(*setting, value, Limits::Display);
    if (!parsed) {
        return "value '" + std::string(value) + "' cannot be shown for " + std::string(key);
    }
    m_config.*setting->member = *parsed;
    return std::nullopt;
}

std::optional<std::string> InstrumentModel::pinReading(std::string_view key, std::string_view value)
{
    for (const ReadingKey& reading : kReadingKeys) {
        if (reading.key != key) {
            continue;
        }
        if (value == kDrift) {
            m_signals.pin(reading.reading, std::nullopt);
            return std::nullopt;
        }
        const auto parsed = parseDecimal(value, reading.format.decimals);
        if (!parsed || !fitsWidth(*parsed, reading.format)) {
            return "value '" + std::string(value) + "' cannot be shown for " + std::string(key);
        }
        m_signals.pin(reading.reading, parsed);
        return std::nullopt;
    }
    return "unknown key '" + std::string(key) + "'";
}

std::string InstrumentModel::show(double seconds) const
{
    std::string text;
    const auto pair = [&text](std::string_view key, const std::string& value) {
        text += (text.empty() ? "" : " ") + std::string(key) + "=" + value;
    };
    for (const Setting& setting : settings()) {
        pair(setting.key, showSetting(m_config, setting));
    }
    const Readings readings = m_signals.at(seconds, m_config);
    for (const ReadingKey& reading : kReadingKeys) {
        pair(reading.key, formatDecimal(readingOf(readings, reading.reading), reading.format));
    }
    return text;
}

} // namespace qvsim
