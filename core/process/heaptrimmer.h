#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Gives the free pages inside the heaps back to the system after streams were closed.
// glibc hands a heap's memory back only from its top. Every stream runs on threads of its
// own, the threads share the process's arenas (up to eight a core), and what a closed
// stream freed between blocks that live on (its decoder's context and parameter sets, its
// packets, the records of streams still playing) stayed resident: a wall whose carousel
// closes and opens streams held tens of MB of such free pages, and a four-tile wall climbed
// by about 20 MB in its first half hour while they piled up. malloc_trim(0) releases
// every whole free page of every arena (madvise) and moves nothing; it runs on a thread of
// its own once releases have been quiet for a moment (a carousel tick closes its streams
// one after another: one trim a tick, none while nothing closes).
class HeapTrimmer
{
public:
    static HeapTrimmer &instance();

    using Trim = std::function<void()>;
    // trim: malloc_trim(0) by default.
    explicit HeapTrimmer(std::chrono::milliseconds quiet = kQuiet, Trim trim = {});
    // shutdown().
    ~HeapTrimmer();
    HeapTrimmer(const HeapTrimmer &) = delete;
    HeapTrimmer &operator=(const HeapTrimmer &) = delete;

    // Any thread: memory of a closed stream was freed. Trims once no further release came
    // for the quiet time, and at the latest kMaxDelays quiet times after the first.
    void noteRelease();
    // Joins the thread without a trim still pending; later releases trim nothing.
    void shutdown();
    // Trims done so far.
    int trims() const;

    static constexpr std::chrono::milliseconds kQuiet{2000};
    static constexpr int kMaxDelays = 5;

private:
    void run();
    // The moment the pending trim is due; the lock is held.
    std::chrono::steady_clock::time_point due() const;

    const std::chrono::milliseconds m_quiet;
    const Trim m_trim;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_pending = false;
    bool m_stopping = false;
    std::chrono::steady_clock::time_point m_firstRelease;
    std::chrono::steady_clock::time_point m_lastRelease;
    int m_trims = 0;
    // Last: its thread uses everything above.
    std::thread m_thread;
};
