#include "answer.h"

namespace qvsim {

std::size_t Answer::middle() const
{
    const std::size_t half = bytes.size() / 2;
    for (std::size_t start : pieceStarts) {
        if (start >= half && start > 0) {
            return start;
        }
    }
    return half;
}

} // namespace qvsim
