#include "fault_plan.h"

#include <algorithm>
#include <string_view>

namespace qvsim {
namespace {

// Letter put in place of the baud-rate digit.
constexpr char kBadIndexCharacter = 'x';

// Garbage and filler hold no ':' (every answer tag has one) and no '#', so they can
// never be taken for a tag or a frame.
constexpr std::string_view kGarbageAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 !$%&*+-./<=>?@";
constexpr std::string_view kFillerLine = "filler without any value, ignore me\r\n";
constexpr std::size_t kMinGarbageSize = 16;

void insertNul(Answer& answer)
{
    const std::size_t at = answer.middle();
    answer.bytes.insert(at, 1, '\0');
    for (std::size_t& start : answer.pieceStarts) {
        start += start > at ? 1 : 0;
    }
}

void prependFiller(Answer& answer)
{
    std::string filler;
    while (filler.size() < kLongFillerSize) {
        filler += kFillerLine;
    }
    filler.resize(kLongFillerSize);
    for (std::size_t& start : answer.pieceStarts) {
        start += filler.size();
    }
    answer.pieceStarts.insert(answer.pieceStarts.begin(), 0);
    answer.bytes.insert(0, filler);
}

void replaceWithGarbage(Answer& answer, std::mt19937& random)
{
    std::string garbage(std::max(answer.bytes.size(), kMinGarbageSize), ' ');
    for (char& c : garbage) {
        c = kGarbageAlphabet[random() % kGarbageAlphabet.size()];
    }
    answer = Answer{garbage, {0}, std::nullopt};
}

} // namespace

std::string Transmission::bytes() const
{
    std::string joined;
    for (const Step& step : steps) {
        joined += step.bytes;
    }
    return joined;
}

Transmission shapeAnswer(Answer answer, const FaultPlan& faults, std::mt19937& random)
{
    if (faults.dropConnection) {
        return Transmission{{}, true};
    }
    if (faults.silence) {
        return {};
    }
    if (faults.badIndex && answer.baudDigit) {
        answer.bytes[*answer.baudDigit] = kBadIndexCharacter;
    }
    if (faults.nul) {
        insertNul(answer);
    }
    if (faults.longAnswer) {
        prependFiller(answer);
    }
    if (faults.garbage) {
        replaceWithGarbage(answer, random);
    }
    if (!faults.splitMs) {
        return Transmission{{{std::chrono::milliseconds(0), answer.bytes}}, false};
    }
    const std::size_t middle = answer.middle();
    return Transmission{{{std::chrono::milliseconds(0), answer.bytes.substr(0, middle)},
                         {std::chrono::milliseconds(*faults.splitMs), answer.bytes.substr(middle)}},
                        false};
}

} // namespace qvsim
