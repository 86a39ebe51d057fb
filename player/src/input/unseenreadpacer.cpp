#include "unseenreadpacer.h"

#include <algorithm>

namespace zelkaplayer {

void UnseenReadPacer::restart()
{
    *this = UnseenReadPacer();
}

void UnseenReadPacer::noteRead(Clock::time_point start, Clock::time_point end, int64_t bytes)
{
    if (m_roundStart == Clock::time_point{})
        m_roundStart = start;
    m_roundBytes += std::max<int64_t>(0, bytes);
    m_waited = end - start >= kWaitedRead;
    if (!m_waited || !m_rounded)
        return;
    // The round ends with the socket read empty: its bytes are what arrived during it.
    const auto round = std::chrono::duration_cast<std::chrono::milliseconds>(end - m_roundStart);
    const int64_t bytesPerSecond = round.count() > 0 ? m_roundBytes * 1000 / round.count() : 0;
    const auto gathering = bytesPerSecond > 0 ? std::chrono::milliseconds(kGatheredBytes * 1000 / bytesPerSecond)
                                              : kLongestPause;
    m_pause = std::clamp(gathering, kShortestPause, kLongestPause);
}

std::chrono::milliseconds UnseenReadPacer::pauseDue() const
{
    return m_waited ? m_pause : std::chrono::milliseconds(0);
}

void UnseenReadPacer::notePaused(Clock::time_point start)
{
    m_waited = false;
    m_rounded = true;
    m_roundStart = start;
    m_roundBytes = 0;
}

} // namespace zelkaplayer
