#pragma once

#include <chrono>
#include <cstdint>

namespace zelkaplayer {

// Reading pace of a live stream whose pictures nobody decodes. Read packet by
// packet as they arrive, such a stream wakes its reader for every RTP packet
// (FFmpeg reads a TCP-interleaved packet in three small reads, each after a
// wait), and those wake-ups, not the bytes, are what it costs. Instead the
// reader takes what the socket gathered in one go: it reads until a read had to
// wait for data, then pauses while the socket gathers about kGatheredBytes, far
// below what a socket buffers, so the server's sending never stalls. The pause is
// sized from the rate of the last round. Used by the reader thread only.
class UnseenReadPacer
{
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int64_t kGatheredBytes = 32 * 1024;
    static constexpr std::chrono::milliseconds kShortestPause{20};
    static constexpr std::chrono::milliseconds kLongestPause{200};
    // A read that took this long waited for data: what the socket held is read.
    static constexpr std::chrono::milliseconds kWaitedRead{5};

    // Reading at the stream's own pace again (pictures are decoded, or the input changed).
    void restart();
    // One read of bytes that took from start to end.
    void noteRead(Clock::time_point start, Clock::time_point end, int64_t bytes);
    // How long to pause before the next read; zero while the socket may hold more.
    std::chrono::milliseconds pauseDue() const;
    // The pause is over: a new round starts.
    void notePaused(Clock::time_point start);

private:
    bool m_waited = false;
    bool m_rounded = false;             // a whole round (pause and reads) was seen
    Clock::time_point m_roundStart{};
    int64_t m_roundBytes = 0;
    std::chrono::milliseconds m_pause = kShortestPause;
};

} // namespace zelkaplayer
