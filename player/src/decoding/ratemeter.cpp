#include "ratemeter.h"

namespace zelkaplayer {

void RateMeter::roll(Clock::time_point now)
{
    if (m_windowStart == Clock::time_point{}) {
        m_windowStart = now;
        return;
    }
    const auto elapsed = now - m_windowStart;
    if (elapsed < std::chrono::seconds(1))
        return;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    // A gap of several seconds means nothing arrived meanwhile.
    m_rate = seconds < 2.0 ? m_inWindow / seconds : 0.0;
    m_inWindow = 0;
    m_windowStart = now;
}

double RateMeter::add(uint64_t amount, Clock::time_point now)
{
    roll(now);
    m_inWindow += amount;
    return m_rate;
}

double RateMeter::sampleTotal(uint64_t total, Clock::time_point now)
{
    const uint64_t amount = total >= m_lastTotal ? total - m_lastTotal : 0;
    m_lastTotal = total;
    return add(amount, now);
}

} // namespace zelkaplayer
