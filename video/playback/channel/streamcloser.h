#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Closes the player library's channels away from the GUI thread. Closing a channel
// waits for its threads (up to a few hundred milliseconds against a stalled server,
// longer for a reader stuck in a call that cannot be cut short), so tiles hand their
// channels here and go on at once; several closes run side by side, each on a worker
// of a small pool that grows with the queue and shrinks again when idle. The workers run
// as batch threads: waking one never pushes the GUI thread off its core.
//
// The threads that hand over closes and releases (the GUI thread deleting tiles, the
// render thread their nodes) make no thread while a worker waits and unmap no stack, so
// they do not queue behind the unmappings of the closes for the process's memory map:
// a worker that takes a job while no other waits or starts makes another, so one worker
// always waits while others are busy, and the pool grows one worker at a time, each new
// worker making the next while jobs come; a caller makes one only when
// none is waiting or starting (the first, or one a thread limit kept from being made).
// An idle worker ends only while another waits or starts: a close stuck for longer than
// the idle lifetime never takes the last waiting worker with it. Workers join the ones
// that retired. With every worker busy at the bound, jobs wait for a free one (logged
// once each time the pool fills). A worker that cannot be made (the process's thread
// limit) leaves the queue to the workers there are, and is tried again with their next
// job; with no worker at all, the caller runs its close or release itself. A wake-up
// callback that throws is logged; its close still runs.
//
// The instance shuts down with the application (QCoreApplication's post routines): the
// process's last closes finish, and the workers are joined, while everything they reach
// (the library's channels, Qt) still exists, never among the static destructors.
class StreamCloser
{
public:
    static StreamCloser &instance();

    // Makes a thread that runs body, or throws (std::thread's constructor by default).
    using ThreadMaker = std::function<std::thread(std::function<void()> body)>;

    // Workers without work for idleLifetime end while another waits or starts. makeThread
    // makes them.
    explicit StreamCloser(std::chrono::milliseconds idleLifetime = kIdleLifetime, ThreadMaker makeThread = {});
    // shutdown().
    ~StreamCloser();
    StreamCloser(const StreamCloser &) = delete;
    StreamCloser &operator=(const StreamCloser &) = delete;

    // Stops and closes the channel on a worker, after running wakeCallback there (it
    // wakes a callback the channel may be waiting in, so that the close does not wait
    // for it). keepAlive (the channel's callback target) is released only once the
    // library promised no further callback.
    void close(int channelId, std::shared_ptr<void> keepAlive, std::function<void()> wakeCallback = {});
    // Releases keepAlive on a worker: whatever its last release joins or frees is done
    // away from the caller's thread.
    void dispose(std::shared_ptr<void> keepAlive);

    // Finishes every queued close, then joins the workers. A close or release asked for
    // later runs at once on the caller's thread.
    void shutdown();

    // Waits until no close is queued or running; false when bound passed first.
    bool waitUntilIdle(std::chrono::milliseconds bound);

    static constexpr int kMaxWorkers = 32;
    // A worker without work for this long ends.
    static constexpr std::chrono::seconds kIdleLifetime{10};

private:
    struct Job
    {
        int channelId; // 0: nothing to close, only keepAlive to release
        std::shared_ptr<void> keepAlive;
        std::function<void()> wakeCallback;
    };

    static void run(Job &job);
    void enqueue(Job job);
    void work();
    // Neither a worker waiting nor one starting: the next job would stay queued.
    bool noneFree() const;
    // Makes a worker when none is free and the bound allows; false when none was made.
    bool growIfNoneFree(std::unique_lock<std::mutex> &lock);
    // True once each time jobs start to wait for the full pool: the caller logs it,
    // without the lock.
    bool reachedBound();
    static void warnBoundReached();
    // Workers made or being made that have not retired.
    int liveWorkers() const;
    // Makes a worker; false when it could not be made. lock is held on entry and on
    // return, not while the thread is made.
    bool startWorker(std::unique_lock<std::mutex> &lock);
    // Runs queued jobs on the caller's thread while the pool has no worker; lock is held
    // on entry and on return, not while a job runs.
    void runQueuedInPlace(std::unique_lock<std::mutex> &lock);
    std::vector<std::thread> takeRetired();

    mutable std::mutex m_mutex;
    std::condition_variable m_jobQueued; // workers wait here
    std::condition_variable m_jobDone;   // waitUntilIdle() waits here
    std::condition_variable m_workerMade; // shutdown() waits here for workers being made
    std::deque<Job> m_jobs;
    int m_busy = 0;
    int m_waiting = 0;
    int m_starting = 0; // started, not yet in their loop
    int m_making = 0;   // being made, not yet listed in m_workers
    bool m_full = false; // jobs wait for the full pool; cleared when the queue empties
    bool m_stopping = false;
    const std::chrono::milliseconds m_idleLifetime;
    const ThreadMaker m_makeThread;
    std::vector<std::thread> m_workers;
    std::vector<std::thread::id> m_retired;
};
