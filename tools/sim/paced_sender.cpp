#include "paced_sender.h"

#include <algorithm>

namespace qvsim {
namespace {

// Bytes are handed over at most this often, a few at a time: far below the 100 ms
// pause a receiver takes as the end of an answer.
constexpr std::chrono::milliseconds kSendTick{5};
// How soon to try again when the far side does not take bytes.
constexpr std::chrono::milliseconds kBlockedRetry{20};

} // namespace

PacedSender::PacedSender(std::chrono::microseconds byteTime) : m_byteTime(byteTime) {}

void PacedSender::enqueue(const Transmission& transmission, Clock::time_point earliestStart)
{
    Clock::time_point start = std::max(earliestStart, m_lineFreeAt);
    if (transmission.dropConnection) {
        m_items.push_back(Item{start, {}, 0, true});
    }
    for (const Transmission::Step& step : transmission.steps) {
        start += step.pauseBefore;
        m_items.push_back(Item{start, step.bytes});
        start += m_byteTime * static_cast<long long>(step.bytes.size());
    }
    m_lineFreeAt = start;
}

bool PacedSender::pump(Clock::time_point now, const Writer& write)
{
    while (!m_items.empty()) {
        Item& item = m_items.front();
        if (now < item.start) {
            return false;
        }
        if (item.drop) {
            clear();
            return true;
        }
        const auto elapsed = static_cast<std::size_t>((now - item.start) / m_byteTime);
        const std::size_t due = std::min(item.bytes.size(), elapsed + 1);
        if (due > item.sent) {
            item.sent += write(std::string_view(item.bytes).substr(item.sent, due - item.sent));
            m_lastWrite = now;
            m_blocked = item.sent < due;
        }
        if (item.sent < item.bytes.size()) {
            return false;
        }
        m_items.pop_front();
    }
    return false;
}

std::optional<PacedSender::Clock::time_point> PacedSender::nextWake(Clock::time_point now) const
{
    if (m_items.empty()) {
        return std::nullopt;
    }
    const Item& item = m_items.front();
    if (now < item.start) {
        return item.start;
    }
    if (m_blocked) {
        return now + kBlockedRetry;
    }
    const Clock::time_point nextByte = item.start + m_byteTime * static_cast<long long>(item.sent);
    return std::max(nextByte, m_lastWrite + kSendTick);
}

void PacedSender::clear()
{
    m_items.clear();
    m_lineFreeAt = {};
    m_blocked = false;
}

} // namespace qvsim
