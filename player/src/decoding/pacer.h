#pragma once

#include <chrono>
#include <cstdint>

namespace zelkaplayer {

// Maps media timestamps to wall-clock due times at a playback speed. Re-anchors
// at the current picture when the speed changes, when time runs backwards or
// jumps, and when delivery fell behind by more than jitter (late pictures are not
// raced through).
class Pacer
{
public:
    using Clock = std::chrono::steady_clock;

    void reset() { m_anchored = false; }
    Clock::time_point dueTime(int64_t timeUs, double speed, Clock::time_point now);

    static double speedFactor(int speedCode);

private:
    void anchor(int64_t timeUs, double speed, Clock::time_point now);

    bool m_anchored = false;
    int64_t m_anchorUs = 0;
    double m_speed = 1.0;
    Clock::time_point m_anchorTime;
};

} // namespace zelkaplayer
