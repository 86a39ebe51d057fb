#include "pacer.h"

namespace zelkaplayer {

namespace {
constexpr int64_t kMaxLeadUs = 10'000'000; // a longer wait means a timestamp jump
// A picture later than this is not caught up with: pacing starts over from it, so a
// stall is never followed by a burst of pictures faster than the stream's rate (a
// consumer that fell behind would otherwise draw 2 or 3 % more pictures a second
// than the stream has for seconds). Smaller delays, scheduling jitter, are absorbed.
constexpr auto kMaxLag = std::chrono::milliseconds(60);
} // namespace

double Pacer::speedFactor(int speedCode)
{
    switch (speedCode) {
    case 3: return 0.5;
    case 4: return 0.25;
    case 5: return 0.125;
    case 6: return 0.0625;
    case 7: return 2.0;
    case 8: return 4.0;
    case 9: return 8.0;
    case 10: return 16.0;
    default: return 1.0;
    }
}

void Pacer::anchor(int64_t timeUs, double speed, Clock::time_point now)
{
    m_anchored = true;
    m_anchorUs = timeUs;
    m_speed = speed;
    m_anchorTime = now;
}

Pacer::Clock::time_point Pacer::dueTime(int64_t timeUs, double speed, Clock::time_point now)
{
    const int64_t leadUs = timeUs - m_anchorUs;
    if (!m_anchored || speed != m_speed || leadUs < 0 || leadUs / speed > kMaxLeadUs) {
        anchor(timeUs, speed, now);
        return now;
    }
    const auto due = m_anchorTime + std::chrono::microseconds(static_cast<int64_t>(leadUs / speed));
    if (now - due > kMaxLag) {
        anchor(timeUs, speed, now);
        return now;
    }
    return due;
}

} // namespace zelkaplayer
