#include "nopicturewatchdog.h"

#include <algorithm>
#include <chrono>

NoPictureWatchdog::NoPictureWatchdog(const std::atomic<int64_t> &lastPictureMs, QObject *parent)
    : QObject(parent)
    , m_lastPictureMs(lastPictureMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &NoPictureWatchdog::check);
}

int64_t NoPictureWatchdog::nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void NoPictureWatchdog::arm()
{
    m_since = nowMs();
    wakeAt(m_since + IntervalMs);
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
    m_since = std::max(m_since, m_lastPictureMs.load());
    const int64_t due = m_since + IntervalMs;
    if (nowMs() < due) {
        wakeAt(due);
        return;
    }
    m_since = nowMs();
    wakeAt(m_since + IntervalMs);
    emit noPictures();
}
