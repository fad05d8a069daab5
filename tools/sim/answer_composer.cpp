#include "answer_composer.h"

#include "instrument_protocol.h"

#include <initializer_list>

namespace qvsim {
namespace {

std::string shown(const InstrumentConfig& config, std::string_view key)
{
    return showSetting(config, *findSetting(key));
}

// The tag followed by the named settings, separated by commas.
std::string tagged(const InstrumentConfig& config, std::string_view tag,
                   std::initializer_list<std::string_view> keys)
{
    std::string text(tag);
    for (std::string_view key : keys) {
        if (text.size() > tag.size()) {
            text += kFieldSeparator;
        }
        text += shown(config, key);
    }
    return text;
}

void appendPiece(Answer& answer, const std::string& piece)
{
    answer.pieceStarts.push_back(answer.bytes.size());
    answer.bytes += piece;
}

} // namespace

Answer composeParameters(const InstrumentConfig& config)
{
    Answer answer;
    const auto line = [&](std::string_view tag, std::initializer_list<std::string_view> keys) {
        appendPiece(answer, tagged(config, tag, keys) + std::string(kLineEnd));
    };
    line(kAddressTag, {"address"});
    answer.baudDigit = answer.bytes.size() + kRs485Tag.size();
    line(kRs485Tag, {"baud", "parity"});
    line(kOutputTag, {"variable", "ma4", "ma20"});
    line(kFineTuning1Tag, {"pz1"});
    line(kFineTuning2Tag, {"pz2"});
    line(kAd1RangeTag, {"ad1urv", "ad1lrv", "ad1start"});
    line(kAd2RangeTag, {"ad2urv", "ad2lrv", "ad2start"});
    return answer;
}

Answer composeStatus(const InstrumentConfig& config, const Readings& readings)
{
    Answer answer;
    appendPiece(answer, std::string(kStatusAddressTag) + shown(config, "address"));
    appendPiece(answer, std::string(kOutputReadingTag) +
                            formatDecimal(readings.output, kOutputReadingFormat));
    appendPiece(answer,
                std::string(kAd1ReadingTag) + formatDecimal(readings.ad1, kInputReadingFormat));
    appendPiece(answer, std::string(kAd2ReadingTag) +
                            formatDecimal(readings.ad2, kInputReadingFormat) +
                            std::string(kLineEnd));
    return answer;
}

Answer composeText(std::string_view text)
{
    return Answer{std::string(text), {0}, std::nullopt};
}

} // namespace qvsim
