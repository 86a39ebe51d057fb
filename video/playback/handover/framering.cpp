#include "framering.h"

bool FrameRing::isBusy(int index) const
{
    return index == m_readingSlot || m_slots[index].writing >= 0;
}

void FrameRing::recycle(VideoBuffer &storage, VideoBuffer &released)
{
    if (storage.isEmpty())
        return;
    if (m_spare.isEmpty() && !m_storageReleased)
        m_spare.swap(storage);
    else if (released.isEmpty())
        released.swap(storage);
    else
        storage.clear(); // a second surplus at once (a reset): freed here, rarely
}

void FrameRing::resetSlots(VideoBuffer &released)
{
    for (int index = 0; index < kSlotCount; ++index) {
        m_slots[index].ready = false;
        if (!isBusy(index))
            recycle(m_slots[index].picture, released);
    }
    resetIndices();
}

void FrameRing::resetIndices()
{
    m_readIndex = 0;
    m_writeIndex = 0;
    m_presented = false;
    m_consumed = false;
    m_freeAfterRead = false;
}

void FrameRing::freeReadSlot(VideoBuffer &released)
{
    Slot &slot = m_slots[m_readIndex];
    slot.ready = false;
    recycle(slot.picture, released);
    m_readIndex = (m_readIndex + 1) % kSlotCount;
}

long long FrameRing::open()
{
    VideoBuffer released;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_storageReleased = false;
    resetSlots(released);
    const long long session = ++m_session;
    m_open = true;
    lock.unlock();
    m_changed.notify_all();
    return session;
}

void FrameRing::close()
{
    endSession();
    m_changed.notify_all();
}

void FrameRing::endSession()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = false;
    ++m_session;
    m_presented = false;
}

std::vector<VideoBuffer> FrameRing::releaseStorage()
{
    std::vector<VideoBuffer> released;
    released.reserve(kSlotCount + 1);
    const auto take = [&released](VideoBuffer &storage) {
        if (storage.isEmpty())
            return;
        released.emplace_back();
        released.back().swap(storage);
    };
    std::lock_guard<std::mutex> lock(m_mutex);
    m_storageReleased = true;
    for (int index = 0; index < kSlotCount; ++index) {
        m_slots[index].ready = false;
        if (!isBusy(index))
            take(m_slots[index].picture);
    }
    resetIndices();
    take(m_spare);
    m_clearAfterRead = m_readingSlot >= 0;
    return released;
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

void FrameRing::discardWaiting()
{
    VideoBuffer released;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_presented || m_readingSlot >= 0 || m_freeAfterRead)
        return;
    // Ready slots run from the read index on; the read index follows the dropped ones.
    while (m_slots[m_readIndex].ready && !isBusy(m_readIndex))
        freeReadSlot(released);
    lock.unlock();
    // A writer may wait for a free slot.
    m_changed.notify_all();
}

VideoBuffer *FrameRing::beginWrite(std::chrono::milliseconds bound, long long session)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto ended = [&] { return !m_open || (session >= 0 && session != m_session); };
    const bool free = m_changed.wait_for(lock, bound, [&] {
        return ended() || (!m_slots[m_writeIndex].ready && !isBusy(m_writeIndex));
    });
    if (!free || ended())
        return nullptr;
    Slot &slot = m_slots[m_writeIndex];
    slot.writing = m_session;
    if (slot.picture.isEmpty())
        slot.picture.swap(m_spare);
    return &slot.picture;
}

void FrameRing::endWrite(VideoBuffer *written)
{
    VideoBuffer released;
    std::unique_lock<std::mutex> lock(m_mutex);
    int index = 0;
    while (index < kSlotCount && &m_slots[index].picture != written)
        ++index;
    if (index == kSlotCount || m_slots[index].writing < 0)
        return;
    Slot &slot = m_slots[index];
    const bool current = m_open && slot.writing == m_session && index == m_writeIndex;
    slot.writing = -1;
    if (current) {
        slot.ready = true;
        m_writeIndex = (m_writeIndex + 1) % kSlotCount;
    } else if (m_storageReleased) {
        // Its session ended while it was written: nobody reads this picture.
        slot.picture.swap(released);
    } else {
        recycle(slot.picture, released);
    }
    lock.unlock();
    // Also a writer of the next session may wait for this slot.
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

int FrameRing::storedPictures() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int count = m_spare.isEmpty() ? 0 : 1;
    for (const Slot &slot : m_slots)
        count += slot.picture.isEmpty() ? 0 : 1;
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

bool FrameRing::present(long long ticket)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (sessionEnded(ticket) || !m_slots[m_readIndex].ready)
        return false;
    m_presented = true;
    m_consumed = false;
    return true;
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
    VideoBuffer released;
    freeReadSlot(released);
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
    VideoBuffer released;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_clearAfterRead && m_readingSlot >= 0)
        m_slots[m_readingSlot].picture.swap(released);
    m_clearAfterRead = false;
    m_readingSlot = -1;
    if (m_freeAfterRead) {
        m_freeAfterRead = false;
        freeReadSlot(released);
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
