#pragma once

#include <chrono>
#include <cstdint>

namespace zelkaplayer {

// Events or bytes per second, over the last whole second.
class RateMeter
{
public:
    using Clock = std::chrono::steady_clock;

    // Adds to the running second; returns the rate of the last whole second.
    double add(uint64_t amount, Clock::time_point now);
    // For running totals kept elsewhere (bytes received by the reader).
    double sampleTotal(uint64_t total, Clock::time_point now);

private:
    void roll(Clock::time_point now);

    Clock::time_point m_windowStart{};
    uint64_t m_inWindow = 0;
    uint64_t m_lastTotal = 0;
    double m_rate = 0.0;
};

} // namespace zelkaplayer
