#pragma once

#include "reading.h"

#include <chrono>
#include <cstddef>
#include <deque>

namespace qv {

// The readings of the last `span`, oldest first. Memory stays bounded however long
// readings come: a reading older than `span` before the newest one goes, and so does
// the oldest one whenever `capacity` would be exceeded (a clock set back, or readings
// faster than the live window's shortest interval).
class ReadingHistory
{
public:
    ReadingHistory(std::chrono::milliseconds span, std::size_t capacity);

    void add(Reading reading);
    void clear() { m_readings.clear(); }

    const std::deque<Reading>& readings() const { return m_readings; }
    std::chrono::milliseconds span() const { return m_span; }
    std::size_t capacity() const { return m_capacity; }

private:
    std::chrono::milliseconds m_span;
    std::size_t m_capacity;
    std::deque<Reading> m_readings;
};

} // namespace qv
