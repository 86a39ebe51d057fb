#include "framering.h"

void FrameRing::resetSlots()
{
    for (Slot &slot : m_slots)
        slot.ready = false;
    m_readIndex = 0;
    m_writeIndex = 0;
    m_presented = false;
    m_consumed = false;
    m_freeAfterRead = false;
}

void FrameRing::freeReadSlot()
{
    m_slots[m_readIndex].ready = false;
    m_readIndex = (m_readIndex + 1) % kSlotCount;
}

void FrameRing::open()
{
    std::unique_lock<std::mutex> lock(m_mutex);
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
    std::lock_guard<std::mutex> lock(m_mutex);
    resetSlots();
    for (int index = 0; index < kSlotCount; ++index) {
        if (index != m_readingSlot)
            m_slots[index].picture.clear();
    }
    m_clearAfterRead = m_readingSlot >= 0;
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
    const bool free = m_changed.wait_for(lock, bound, [this] {
        return !m_open || (!m_slots[m_writeIndex].ready && m_writeIndex != m_readingSlot);
    });
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
        const auto ready = [&] {
            return m_shutdown || (m_open && !m_freeAfterRead && m_slots[m_readIndex].ready && gate());
        };
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
    m_presented = false;
    m_consumed = false;
    if (m_readingSlot == m_readIndex) {
        // The renderer is still copying this picture: it frees the slot when done.
        m_freeAfterRead = true;
        return consumed;
    }
    freeReadSlot();
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
    if (!m_open || !m_presented || m_readingSlot >= 0)
        return nullptr;
    m_readingSlot = m_readIndex;
    return &m_slots[m_readIndex].picture;
}

void FrameRing::endRead()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_clearAfterRead && m_readingSlot >= 0)
        m_slots[m_readingSlot].picture.clear();
    m_clearAfterRead = false;
    m_readingSlot = -1;
    if (m_freeAfterRead) {
        m_freeAfterRead = false;
        freeReadSlot();
    } else if (m_presented) {
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
