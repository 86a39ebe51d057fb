#pragma once

#include "videobuffer.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// The hand-over of decoded pictures between three threads of one item: the player
// library's thread writes slots, the pacing thread releases one slot per frame
// interval to the renderer, the scene-graph thread takes the released slot's picture
// (exchanging storage with it). One mutex guards every flag and index; the picture
// bytes of a slot belong to its writer while it writes and to the readers while the
// slot is ready. A slot the renderer is reading goes back to the writer only when the
// renderer is done with it, however long that takes; a writer that cannot wait so
// long drops its picture.
//
// Sessions: each open() starts a session. A write begun in a session that has ended
// meanwhile (a channel still closing while the next one starts) is dropped, and the
// slot it writes is left alone until it is done.
//
// Storage: a slot holds picture storage only while it holds a picture; a freed slot's
// storage becomes the one spare the writer takes next, or is released when there is a
// spare already. The ring thus keeps what is in flight plus one picture, not one per
// slot (at 1080p a picture is 3 MB).
class FrameRing
{
public:
    static constexpr int kSlotCount = 3;
    using Clock = std::chrono::steady_clock;

    // --- control (GUI thread) ---
    // Starts a new session: all slots free, indices 0 (a slot being read or written
    // stays with its reader or writer until it is done). Returns the session's ticket.
    long long open();
    // Ends the session: wakes every waiter; later writes are dropped.
    void close();
    // Ends the session without waking anyone: for a thread that must not be held up by
    // the threads it would wake; whoever wakes them later calls wake().
    void endSession();
    // Gives up the pictures' storage and returns it, for the caller to free where it
    // likes (a GUI thread hands it to a worker: freeing 3 MB pictures costs it time); a
    // slot being read or written is freed when its reader or writer is done with it.
    std::vector<VideoBuffer> releaseStorage();
    // Ends the pacing thread's waits for good.
    void shutdown();
    // Wakes every waiter (the pacing thread re-tests its gate, a writer its session).
    void wake();
    // Drops the pictures that wait to be released, when none is being released: after a
    // pause in decoding they are old, and the next picture is the first one to show.
    void discardWaiting();

    // --- writer (library thread) ---
    // The slot at the write index once it is free; null when closed, after bound, or
    // when session (a ticket of open(), -1: whatever is open) is no longer the open one.
    VideoBuffer *beginWrite(std::chrono::milliseconds bound, long long session = -1);
    // Marks the slot written (beginWrite's answer) ready and moves the write index;
    // drops the picture when its session ended meanwhile.
    void endWrite(VideoBuffer *written);
    int readyCount() const;

    // --- pacing thread ---
    // A session ticket once the slot at the read index is ready and gate() holds;
    // -1 on shutdown. Waits are bounded by idleBound and re-test gate() each time.
    long long waitForReadySlot(const std::function<bool()> &gate, std::chrono::milliseconds idleBound);
    // Sleeps until deadline, or less when the session ends or on shutdown; false then.
    bool sleepUntil(long long ticket, Clock::time_point deadline);
    // Offers the slot at the read index to the renderer; false when the session ended or
    // the slot was dropped meanwhile (discardWaiting).
    bool present(long long ticket);
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

    // Pictures whose storage the ring holds (diagnostics and tests).
    int storedPictures() const;

private:
    struct Slot
    {
        VideoBuffer picture;
        bool ready = false;
        // Session of the write under way, -1 when none.
        long long writing = -1;
    };

    bool sessionEnded(long long ticket) const;
    bool isBusy(int index) const;
    void resetSlots(VideoBuffer &released);
    void resetIndices();
    void freeReadSlot(VideoBuffer &released);
    // Keeps a freed slot's storage as the spare, or hands it to released to be freed
    // outside the lock.
    void recycle(VideoBuffer &storage, VideoBuffer &released);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Slot m_slots[kSlotCount];
    VideoBuffer m_spare;
    int m_readIndex = 0;
    int m_writeIndex = 0;
    long long m_session = 0;
    bool m_open = false;
    bool m_shutdown = false;
    bool m_presented = false;
    bool m_consumed = false;
    // The slot the renderer is reading, -1 when none; the writer never gets it.
    int m_readingSlot = -1;
    // What the renderer does when it is done with its slot: free it for the writer
    // (the pacer stopped waiting for it), and drop its storage (released meanwhile).
    bool m_freeAfterRead = false;
    bool m_clearAfterRead = false;
    // Storage was released while a write was under way: that write's storage goes too.
    bool m_storageReleased = false;
};
