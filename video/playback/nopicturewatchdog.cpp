#include "nopicturewatchdog.h"

#include "streamstate.h"

#include <algorithm>
#include <chrono>

NoPictureWatchdog::NoPictureWatchdog(const StreamState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &NoPictureWatchdog::check);
}

int64_t NoPictureWatchdog::nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t NoPictureWatchdog::quietLimitMs() const
{
    if (!m_state.keyFramesOnly.load())
        return IntervalMs;
    const int64_t gap = std::min<int64_t>(m_state.pictureGapMs.load(), MaxKeyFrameGapMs);
    return std::max<int64_t>(2 * IntervalMs, 2 * gap);
}

void NoPictureWatchdog::arm()
{
    m_since = nowMs();
    wakeAt(m_since + quietLimitMs());
}

void NoPictureWatchdog::disarm()
{
    m_timer.stop();
}

void NoPictureWatchdog::wakeAt(int64_t dueMs)
{
    m_timer.start(int(std::max<int64_t>(0, dueMs - nowMs())));
}

void NoPictureWatchdog::check()
{
    m_since = std::max(m_since, m_state.lastPictureMs.load());
    // The limit is read at every wake: key-frame mode may have been switched meanwhile.
    const int64_t due = m_since + quietLimitMs();
    if (nowMs() < due) {
        wakeAt(due);
        return;
    }
    m_since = nowMs();
    wakeAt(m_since + quietLimitMs());
    emit noPictures();
}
