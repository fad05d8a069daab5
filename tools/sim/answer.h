#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qvsim {

// What the instrument says in reply to one frame, before any fault is applied.
struct Answer
{
    std::string bytes;
    // Where each group of values starts (a line of the parameter answer, a tag of the
    // status answer): the places where a pause or a NUL splits the answer cleanly.
    std::vector<std::size_t> pieceStarts;
    // Position of the baud-rate digit, in parameter answers only.
    std::optional<std::size_t> baudDigit;

    // The first piece start in the second half of the answer (the middle when the
    // answer is a single piece).
    std::size_t middle() const;
};

} // namespace qvsim
