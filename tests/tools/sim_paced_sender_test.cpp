// Answers leave at the pace of a 9600-baud line, after the turnaround, one after
// another, with the pauses faults ask for.
#include "paced_sender.h"

#include <gtest/gtest.h>

#include <string>

namespace qvsim {
namespace {

using namespace std::chrono_literals;
using Clock = PacedSender::Clock;

class PacedSending : public testing::Test
{
protected:
    // Pumps at `at` (from t0) and returns everything the line carried so far.
    const std::string& pumpAt(Clock::duration at)
    {
        m_dropped |= m_sender.pump(m_t0 + at, [this](std::string_view bytes) {
            const std::size_t taken = std::min(bytes.size(), m_accept);
            m_line.append(bytes.substr(0, taken));
            return taken;
        });
        return m_line;
    }

    static Transmission answer(std::string bytes, std::chrono::milliseconds pause = 0ms)
    {
        return Transmission{{{pause, std::move(bytes)}}, false};
    }

    PacedSender m_sender{1000us}; // a round byte time keeps the arithmetic readable
    Clock::time_point m_t0 = Clock::now();
    std::string m_line;
    std::size_t m_accept = 1000;
    bool m_dropped = false;
};

TEST_F(PacedSending, SendsOneByteTimeAfterAnother)
{
    m_sender.enqueue(answer("0123456789"), m_t0 + 10ms);
    EXPECT_EQ(pumpAt(9ms), "");
    EXPECT_EQ(pumpAt(10ms), "0");
    EXPECT_EQ(pumpAt(14ms + 500us), "01234");
    EXPECT_EQ(pumpAt(30ms), "0123456789");
}

TEST_F(PacedSending, WakesOftenEnoughToLeaveNoLongGap)
{
    m_sender.enqueue(answer(std::string(100, 'a')), m_t0);
    Clock::time_point now = m_t0;
    while (const auto wake = m_sender.nextWake(now)) {
        EXPECT_LE(*wake - now, 6ms);
        now = std::max(now, *wake);
        pumpAt(now - m_t0);
    }
    EXPECT_EQ(m_line.size(), 100u);
    EXPECT_GE(now - m_t0, 99ms); // and no faster than the line
}

TEST_F(PacedSending, ALaterAnswerWaitsForTheLineToBeFree)
{
    m_sender.enqueue(answer("OK\r\n"), m_t0);
    m_sender.enqueue(answer("ERR\r\n"), m_t0 + 1ms); // its frame came while OK was going out
    EXPECT_EQ(pumpAt(3ms), "OK\r\n");
    EXPECT_EQ(pumpAt(4ms), "OK\r\nE");
    EXPECT_EQ(pumpAt(20ms), "OK\r\nERR\r\n");
}

TEST_F(PacedSending, APauseStepHoldsTheRestBack)
{
    m_sender.enqueue(Transmission{{{0ms, "ab"}, {200ms, "cd"}}, false}, m_t0);
    EXPECT_EQ(pumpAt(150ms), "ab");
    EXPECT_EQ(pumpAt(201ms), "ab");
    EXPECT_EQ(pumpAt(202ms), "abc");
    EXPECT_EQ(pumpAt(210ms), "abcd");
}

TEST_F(PacedSending, BytesTheFarSideDoesNotTakeAreKeptAndSentLater)
{
    m_accept = 0;
    m_sender.enqueue(answer("abcdef"), m_t0);
    EXPECT_EQ(pumpAt(10ms), "");
    EXPECT_TRUE(m_sender.nextWake(m_t0 + 10ms).has_value());
    m_accept = 2;
    EXPECT_EQ(pumpAt(11ms), "ab");
    m_accept = 1000;
    EXPECT_EQ(pumpAt(12ms), "abcdef");
    EXPECT_FALSE(m_sender.nextWake(m_t0 + 12ms).has_value());
}

TEST_F(PacedSending, ADropIsReportedWhenItsTurnComes)
{
    m_sender.enqueue(answer("OK\r\n"), m_t0);
    m_sender.enqueue(Transmission{{}, true}, m_t0 + 1ms);
    m_sender.enqueue(answer("lost"), m_t0 + 2ms);
    pumpAt(3ms);
    EXPECT_FALSE(m_dropped);
    EXPECT_EQ(pumpAt(4ms), "OK\r\n");
    EXPECT_TRUE(m_dropped);
    EXPECT_EQ(pumpAt(100ms), "OK\r\n"); // what was queued behind the drop is gone
}

} // namespace
} // namespace qvsim
