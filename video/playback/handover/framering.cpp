#include "framering.h"

namespace {
// A copy of one picture takes well under this; it bounds waits for the reader.
constexpr std::chrono::milliseconds kReaderBound(500);
} // namespace

void FrameRing::resetSlots()
{
    for (Slot &slot : m_slots)
        slot.ready = false;
    m_readIndex = 0;
    m_writeIndex = 0;
    m_presented = false;
    m_consumed = false;
}

void FrameRing::waitForReaderIdle(std::unique_lock<std::mutex> &lock)
{
    m_changed.wait_for(lock, kReaderBound, [this] { return !m_readerBusy; });
}

void FrameRing::open()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitForReaderIdle(lock);
    resetSlots();
    ++m_session;
    m_open = true;
    m_writing = false;
    lock.unlock();
    m_changed.notify_all();
}

void FrameRing::close()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_open = false;
    ++m_session;
    m_presented = false;
    lock.unlock();
    m_changed.notify_all();
}

void FrameRing::releaseStorage()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    waitForReaderIdle(lock);
    resetSlots();
    for (Slot &slot : m_slots)
        slot.picture.clear();
}

void FrameRing::shutdown()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_shutdown = true;
    m_open = false;
    ++m_session;
    lock.unlock();
    m_changed.notify_all();
}

void FrameRing::wake()
{
    {
        // Taking the mutex orders the caller's change before the waiter's next test.
        std::lock_guard<std::mutex> lock(m_mutex);
    }
    m_changed.notify_all();
}

VideoBuffer *FrameRing::beginWrite(std::chrono::milliseconds bound)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool free = m_changed.wait_for(lock, bound, [this] { return !m_open || !m_slots[m_writeIndex].ready; });
    if (!free || !m_open)
        return nullptr;
    m_writing = true;
    return &m_slots[m_writeIndex].picture;
}

void FrameRing::endWrite()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_open || !m_writing)
        return;
    m_writing = false;
    m_slots[m_writeIndex].ready = true;
    m_writeIndex = (m_writeIndex + 1) % kSlotCount;
    lock.unlock();
    m_changed.notify_all();
}

int FrameRing::readyCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int count = 0;
    for (const Slot &slot : m_slots)
        count += slot.ready ? 1 : 0;
    return count;
}

bool FrameRing::sessionEnded(long long ticket) const
{
    return m_shutdown || !m_open || ticket != m_session;
}

long long FrameRing::waitForReadySlot(const std::function<bool()> &gate, std::chrono::milliseconds idleBound)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        const auto ready = [&] { return m_shutdown || (m_open && m_slots[m_readIndex].ready && gate()); };
        if (m_changed.wait_for(lock, idleBound, ready))
            return m_shutdown ? -1 : m_session;
    }
}

bool FrameRing::sleepUntil(long long ticket, Clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_changed.wait_until(lock, deadline, [&] { return sessionEnded(ticket); });
}

void FrameRing::present(long long ticket)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (sessionEnded(ticket))
        return;
    m_presented = true;
    m_consumed = false;
}

bool FrameRing::waitUntilConsumed(long long ticket, std::chrono::milliseconds bound)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool consumed = m_changed.wait_for(lock, bound, [&] { return m_consumed || sessionEnded(ticket); });
    if (sessionEnded(ticket))
        return consumed;
    // The renderer may be copying right now: the slot stays until it is done.
    m_presented = false;
    waitForReaderIdle(lock);
    m_consumed = false;
    m_slots[m_readIndex].ready = false;
    m_readIndex = (m_readIndex + 1) % kSlotCount;
    lock.unlock();
    m_changed.notify_all();
    return consumed;
}

bool FrameRing::isShutdown() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shutdown;
}

VideoBuffer *FrameRing::beginRead()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open || !m_presented || m_readerBusy)
        return nullptr;
    m_readerBusy = true;
    return &m_slots[m_readIndex].picture;
}

void FrameRing::endRead()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_readerBusy = false;
    if (m_presented) {
        m_presented = false;
        m_consumed = true;
    }
    lock.unlock();
    m_changed.notify_all();
}

void FrameRing::discardPresented()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_presented)
        return;
    m_presented = false;
    m_consumed = true;
    lock.unlock();
    m_changed.notify_all();
}
