#pragma once

#include <chrono>
#include <functional>

namespace zelkaplayer {

// The waits between a live stream's attempts to reach its source: 1 s doubling to 8 s, and
// 1 s again once a stream delivered. Each wait is spread at random, by up to a quarter either
// way, by every channel on its own: the tiles of a wall whose server restarted would otherwise
// all send DESCRIBE, SETUP and PLAY within the same few milliseconds, again and again.
class RetryBackoff
{
public:
    using Delay = std::chrono::milliseconds;
    // Uniform in [0, 1).
    using Random = std::function<double()>;

    static constexpr Delay kFirst{1000};
    static constexpr Delay kLongest{8000};
    static constexpr double kSpread = 0.25;

    // random: by default a generator of this back-off's own, seeded apart from the others'.
    explicit RetryBackoff(Random random = {});

    // The wait before the next attempt; the one after it is twice as long, up to kLongest
    // (before its spread).
    Delay next();
    // A stream delivered: the next wait is the first one again.
    void reset() { m_nominal = kFirst; }

    // nominal times a factor from 1 - kSpread (unit 0) to 1 + kSpread (unit 1).
    static Delay spread(Delay nominal, double unit);

private:
    Random m_random;
    Delay m_nominal = kFirst;
};

} // namespace zelkaplayer
