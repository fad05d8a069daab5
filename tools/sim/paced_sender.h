#pragma once

#include "fault_plan.h"
#include "instrument_protocol.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qvsim {

// Puts answers on the line at the pace of the real serial line: one byte per byte
// time, handed over in small pieces, answers one after another in arrival order.
class PacedSender
{
public:
    using Clock = std::chrono::steady_clock;
    // Writes without blocking; returns how many bytes it took.
    using Writer = std::function<std::size_t(std::string_view)>;

    explicit PacedSender(std::chrono::microseconds byteTime = kByteTime);

    // Queues an answer to start no earlier than `earliestStart` and not before the
    // previous one has been sent.
    void enqueue(const Transmission& transmission, Clock::time_point earliestStart);

    // Hands the bytes due by `now` to the writer. Returns true when a connection drop
    // is due: the queue is then empty and the caller closes the connection.
    bool pump(Clock::time_point now, const Writer& write);

    // When pump() has something to do next; nullopt when the queue is empty.
    std::optional<Clock::time_point> nextWake(Clock::time_point now) const;

    void clear();

private:
    struct Item
    {
        Clock::time_point start;
        std::string bytes;
        std::size_t sent = 0;
        bool drop = false;
    };

    std::chrono::microseconds m_byteTime;
    std::deque<Item> m_items;
    Clock::time_point m_lineFreeAt{};
    Clock::time_point m_lastWrite{};
    bool m_blocked = false;
};

} // namespace qvsim
