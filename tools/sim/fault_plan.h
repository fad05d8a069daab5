#pragma once

#include "answer.h"

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace qvsim {

// Misbehaviour asked for on the control channel, applied to one answer. Faults only
// change what goes on the line: the instrument still acts on the frame (a write is
// applied even when its acknowledgement is withheld). The one exception is
// refuseWrite, which waits for the next write frame and turns it down unapplied.
struct FaultPlan
{
    std::optional<int> splitMs;  // pause in the middle of the answer
    bool silence = false;        // no answer at all
    bool garbage = false;        // random printable bytes instead of the answer
    bool nul = false;            // a NUL byte at the start of the answer's second half
    bool badIndex = false;       // a letter in place of the baud-rate digit
    bool longAnswer = false;     // the answer preceded by filler past one receive block
    bool dropConnection = false; // the connection closed instead of answering
    bool refuseWrite = false;    // the next write refused (ERR) and not applied

    bool operator==(const FaultPlan&) const = default;
};

// What goes on the line for one answer: pieces of bytes, each after its pause.
struct Transmission
{
    struct Step
    {
        std::chrono::milliseconds pauseBefore;
        std::string bytes;
    };
    std::vector<Step> steps;
    bool dropConnection = false; // close the connection instead of sending anything

    std::string bytes() const; // all pieces joined, for the log and for tests
};

// Bytes of filler put before a long answer: more than the 2048 bytes a receiver takes
// in one block.
inline constexpr std::size_t kLongFillerSize = 2500;

// Applies the faults in this order: bad index, NUL, long filler, garbage, split.
Transmission shapeAnswer(Answer answer, const FaultPlan& faults, std::mt19937& random);

} // namespace qvsim
