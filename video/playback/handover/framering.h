#pragma once

#include "videobuffer.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// The hand-over of decoded pictures between three threads of one item: the player
// library's thread writes slots, the pacing thread releases one slot per frame
// interval to the renderer, the scene-graph thread copies the released slot. One
// mutex guards every flag and index; the picture bytes of a slot belong to the
// writer while the slot is free and to the readers while it is ready. A slot the
// renderer is reading goes back to the writer only when the renderer is done with
// it, however long that takes; a writer that cannot wait so long drops its picture.
class FrameRing
{
public:
    static constexpr int kSlotCount = 3;
    using Clock = std::chrono::steady_clock;

    // --- control (GUI thread) ---
    // Starts a new session: all slots free, indices 0 (a slot being read stays the
    // renderer's until it is done).
    void open();
    // Ends the session: wakes every waiter; later writes are dropped.
    void close();
    // Frees the slots' storage (after the writer is gone); a slot being read is freed
    // when the renderer is done with it.
    void releaseStorage();
    // Ends the pacing thread's waits for good.
    void shutdown();
    // Wakes the pacing thread so that it re-tests its gate.
    void wake();

    // --- writer (library thread) ---
    // The slot at the write index once it is free; null when closed or after bound.
    VideoBuffer *beginWrite(std::chrono::milliseconds bound);
    // Marks the slot written by beginWrite ready and moves the write index.
    void endWrite();
    int readyCount() const;

    // --- pacing thread ---
    // A session ticket once the slot at the read index is ready and gate() holds;
    // -1 on shutdown. Waits are bounded by idleBound and re-test gate() each time.
    long long waitForReadySlot(const std::function<bool()> &gate, std::chrono::milliseconds idleBound);
    // Sleeps until deadline, or less when the session ends or on shutdown; false then.
    bool sleepUntil(long long ticket, Clock::time_point deadline);
    // Offers the slot at the read index to the renderer.
    void present(long long ticket);
    // Waits until the renderer took the presented picture (at most bound), then frees
    // the slot, or has the renderer free it when it is still reading it. Returns false
    // when the bound passed without the renderer taking it.
    bool waitUntilConsumed(long long ticket, std::chrono::milliseconds bound);
    bool isShutdown() const;

    // --- scene-graph thread ---
    // The presented picture, or null; the caller takes it (copy or swap) and calls
    // endRead(). The slot's contents are not read again after that.
    VideoBuffer *beginRead();
    void endRead();
    // The renderer will not draw now: the presented picture counts as consumed.
    void discardPresented();

private:
    bool sessionEnded(long long ticket) const;
    void resetSlots();
    void freeReadSlot();

    struct Slot
    {
        VideoBuffer picture;
        bool ready = false;
    };

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Slot m_slots[kSlotCount];
    int m_readIndex = 0;
    int m_writeIndex = 0;
    long long m_session = 0;
    bool m_open = false;
    bool m_shutdown = false;
    bool m_writing = false;
    bool m_presented = false;
    bool m_consumed = false;
    // The slot the renderer is reading, -1 when none; the writer never gets it.
    int m_readingSlot = -1;
    // What the renderer does when it is done with its slot: free it for the writer
    // (the pacer stopped waiting for it), and drop its storage (released meanwhile).
    bool m_freeAfterRead = false;
    bool m_clearAfterRead = false;
};
