#pragma once

#include <cstdint>
#include <vector>

namespace zelkaplayer {

// The frame rate of a stream that does not state it (RTSP opened without probing),
// from its pictures' timestamps: the median gap between neighbouring timestamps of
// the last pictures. Known after a few pictures; the pictures are not held for it.
class FrameRateEstimator
{
public:
    // Forgets the timestamps seen (a new input, a seek, a gap); the rate stays
    // until the next estimate replaces it.
    void restart() { m_times.clear(); }
    // One picture's timestamp in microseconds; the slices of a picture share one.
    void add(int64_t timeUs);
    // Frames per second, 0 while unknown.
    int rate() const { return m_rate; }

private:
    void estimate();

    std::vector<int64_t> m_times; // the last pictures', oldest first
    int m_rate = 0;
};

} // namespace zelkaplayer
