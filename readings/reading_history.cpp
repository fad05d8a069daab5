#include "reading_history.h"

#include <algorithm>
#include <utility>

namespace qv {

ReadingHistory::ReadingHistory(std::chrono::milliseconds span, std::size_t capacity)
    : m_span(span), m_capacity(std::max<std::size_t>(capacity, 1))
{
}

void ReadingHistory::add(Reading reading)
{
    const auto oldestKept = reading.time - m_span;
    m_readings.push_back(std::move(reading));
    while (m_readings.front().time < oldestKept || m_readings.size() > m_capacity)
        m_readings.pop_front();
}

} // namespace qv
