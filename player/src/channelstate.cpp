#include "channelstate.h"

namespace zelkaplayer {

void ChannelState::requestStop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_stopFlag.store(true, std::memory_order_release);
    }
    m_changed.notify_all();
}

void ChannelState::setPlaying(bool playing)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_playing = playing;
        m_playingFlag.store(playing, std::memory_order_release);
    }
    m_changed.notify_all();
}

void ChannelState::setSpeedCode(int code)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_speedCode = code;
    }
    m_changed.notify_all();
}

void ChannelState::requestSeek(int64_t seconds)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seekPending = true;
        ++m_seekGeneration;
        m_seekSeconds = seconds < 0 ? 0 : seconds;
        // What was read before the seek is void now, not once the reader gets to it:
        // a decoding thread that starts or resumes meanwhile would otherwise show a
        // picture from before the target (and report its time). The reader refuses
        // the packet it holds (pushPacket) and queues its flush before reading on.
        if (!m_queue.empty()) {
            m_queue.dropPackets();
            QueueItem gap;
            gap.kind = QueueItem::Kind::Discontinuity;
            m_queue.push(std::move(gap));
        }
    }
    m_changed.notify_all();
}

void ChannelState::setDecodeEnabled(bool enabled)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        decodeEnabled.store(enabled);
    }
    m_changed.notify_all();
}

void ChannelState::setQueueLimits(size_t maxBytes, size_t maxVideoPackets)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.setLimits(maxBytes, maxVideoPackets);
}

bool ChannelState::pushPacket(QueueItem item, bool live)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (live) {
        if (!m_queue.hasRoom()) {
            m_queue.dropPackets();
            QueueItem gap;
            gap.kind = QueueItem::Kind::Discontinuity;
            m_queue.push(std::move(gap));
        }
    } else {
        // A pending seek makes the queued packets worthless: stop waiting for room.
        m_changed.wait(lock, [this] { return m_stopping || m_seekPending || m_queue.hasRoom(); });
        if (m_stopping)
            return false;
        if (m_seekPending)
            return true;
    }
    if (m_stopping)
        return false;
    m_queue.push(std::move(item));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

void ChannelState::pushMarker(QueueItem item)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (item.kind == QueueItem::Kind::Flush)
            m_queue.dropPackets();
        m_queue.push(std::move(item));
    }
    m_changed.notify_all();
}

bool ChannelState::takeSeek(int64_t &seconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_seekPending)
        return false;
    m_seekPending = false;
    seconds = m_seekSeconds;
    return true;
}

bool ChannelState::hasPendingSeek()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_seekPending;
}

bool ChannelState::waitBeforeRetry(std::chrono::milliseconds delay)
{
    return waitOut(delay, false);
}

bool ChannelState::pauseUnseenReading(std::chrono::milliseconds pause)
{
    return waitOut(pause, true);
}

bool ChannelState::waitOut(std::chrono::milliseconds delay, bool endOnDecodeEnabled)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, delay, [this, endOnDecodeEnabled] {
        return m_stopping || (endOnDecodeEnabled && decodeEnabled.load());
    });
    return !m_stopping;
}

bool ChannelState::waitForSeek()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopping || m_seekPending; });
    return !m_stopping;
}

void ChannelState::markReaderFinished()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_readerFinished = true;
    }
    m_changed.notify_all();
}

bool ChannelState::waitForReaderFinished(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_readerFinished; });
}

bool ChannelState::nextItem(QueueItem &item, uint64_t &seekGeneration)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopping || (m_playing && !m_queue.empty()); });
    if (m_stopping)
        return false;
    item = m_queue.pop();
    seekGeneration = m_seekGeneration;
    lock.unlock();
    m_changed.notify_all();
    return true;
}

bool ChannelState::voidsPicture(uint64_t seekGeneration) const
{
    return m_stopping || !m_playing || m_seekGeneration != seekGeneration;
}

ChannelState::WaitResult ChannelState::waitUntilDue(Clock::time_point due, int speedCodeInUse,
                                                   uint64_t seekGeneration)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_until(lock, due,
                         [&] { return voidsPicture(seekGeneration) || m_speedCode != speedCodeInUse; });
    if (voidsPicture(seekGeneration))
        return WaitResult::Voided;
    if (m_speedCode != speedCodeInUse)
        return WaitResult::SpeedChanged;
    return WaitResult::Due;
}

int ChannelState::speedCode()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_speedCode;
}

int ChannelState::queuedVideoPackets()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.videoPackets();
}

int ChannelState::interruptCallback(void *state)
{
    return static_cast<ChannelState *>(state)->stopping() ? 1 : 0;
}

} // namespace zelkaplayer
