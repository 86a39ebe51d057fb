#include "streamcloser.h"

#include "libZelkaExPlayer.h"

#include <QCoreApplication>

#include <algorithm>
#include <exception>
#include <pthread.h>
#include <sched.h>

StreamCloser &StreamCloser::instance()
{
    static StreamCloser closer;
    // Static destructors run in the reverse order of first use: the library's channel
    // registry may go before this instance, and workers still closing would reach it.
    static const bool shutsDownWithApplication = [] {
        qAddPostRoutine([] { instance().shutdown(); });
        return true;
    }();
    Q_UNUSED(shutsDownWithApplication);
    return closer;
}

namespace {
std::thread makeStdThread(std::function<void()> body)
{
    return std::thread(std::move(body));
}

// A wake-up that fails must not keep the channel open nor end the worker (or the caller
// running the job in place): it is logged, and the close goes on.
void wakeLogged(const std::function<void()> &wakeCallback)
{
    try {
        wakeCallback();
    } catch (const std::exception &error) {
        qWarning("Stream closer: a close's wake-up failed (%s); the close goes on", error.what());
    } catch (...) {
        qWarning("Stream closer: a close's wake-up failed; the close goes on");
    }
}
} // namespace

StreamCloser::StreamCloser(std::chrono::milliseconds idleLifetime, ThreadMaker makeThread)
    : m_idleLifetime(idleLifetime)
    , m_makeThread(makeThread ? std::move(makeThread) : ThreadMaker(&makeStdThread))
{
}

StreamCloser::~StreamCloser()
{
    shutdown();
}

void StreamCloser::shutdown()
{
    std::vector<std::thread> workers;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_stopping = true;
        // A worker being made is listed once it exists; it then sees the stop.
        m_workerMade.wait(lock, [this] { return m_making == 0; });
        workers.swap(m_workers);
    }
    m_jobQueued.notify_all();
    for (std::thread &worker : workers)
        worker.join();
}

void StreamCloser::close(int channelId, std::shared_ptr<void> keepAlive, std::function<void()> wakeCallback)
{
    enqueue(Job{channelId, std::move(keepAlive), std::move(wakeCallback)});
}

void StreamCloser::dispose(std::shared_ptr<void> keepAlive)
{
    enqueue(Job{0, std::move(keepAlive), {}});
}

void StreamCloser::run(Job &job)
{
    if (job.wakeCallback)
        wakeLogged(job.wakeCallback);
    if (job.channelId > 0) {
        libZelkaExPlayer_StopPlayStream(0, job.channelId);
        libZelkaExPlayer_CloseStream(0, job.channelId);
    }
    // No callback of the channel runs any more: its target may go.
    job.keepAlive.reset();
}

void StreamCloser::enqueue(Job job)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_stopping) {
        lock.unlock();
        run(job);
        return;
    }
    m_jobs.push_back(std::move(job));
    // Workers keep one of them waiting for the next job, so the caller makes a worker
    // only when none waits or starts (the pool's first, or one the thread limit kept
    // from being made). Without any worker, and none to be made, the caller does the
    // work itself rather than leave it queued.
    if (!growIfNoneFree(lock) && liveWorkers() == 0) {
        runQueuedInPlace(lock);
        return;
    }
    const bool full = reachedBound();
    lock.unlock();
    m_jobQueued.notify_one();
    if (full)
        warnBoundReached();
}

bool StreamCloser::noneFree() const
{
    return m_waiting == 0 && m_starting == 0;
}

bool StreamCloser::growIfNoneFree(std::unique_lock<std::mutex> &lock)
{
    return noneFree() && !m_stopping && liveWorkers() < kMaxWorkers && startWorker(lock);
}

bool StreamCloser::reachedBound()
{
    if (m_full || m_jobs.empty() || !noneFree() || liveWorkers() < kMaxWorkers)
        return false;
    m_full = true;
    return true;
}

void StreamCloser::warnBoundReached()
{
    qWarning("Stream closer: all %d workers are busy; closes and releases wait for one to free", kMaxWorkers);
}

void StreamCloser::runQueuedInPlace(std::unique_lock<std::mutex> &lock)
{
    while (liveWorkers() == 0 && !m_jobs.empty()) {
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        ++m_busy;
        lock.unlock();
        run(job);
        lock.lock();
        --m_busy;
        m_jobDone.notify_all();
    }
}

bool StreamCloser::waitUntilIdle(std::chrono::milliseconds bound)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_jobDone.wait_for(lock, bound, [this] { return m_jobs.empty() && m_busy == 0; });
}

int StreamCloser::liveWorkers() const
{
    // Retired workers stay listed until a working one joins them: they do not count, or
    // a pool that had grown full and then idled would never take work again. A worker
    // being made, not listed yet, does: it may already be taking jobs and making another.
    return int(m_workers.size()) + m_making - int(m_retired.size());
}

bool StreamCloser::startWorker(std::unique_lock<std::mutex> &lock)
{
    // The list has room for the worker before it exists: a joinable thread that could
    // not be listed would end the process.
    try {
        m_workers.reserve(m_workers.size() + m_making + 1);
    } catch (...) {
        return false;
    }
    ++m_starting;
    ++m_making;
    // Making a thread maps its stack, which may wait for the process's memory map while
    // closes unmap their buffers: nobody waits for the lock meanwhile.
    lock.unlock();
    std::thread worker;
    try {
        worker = m_makeThread([this] { work(); });
    } catch (...) {
        // The process's thread limit, no memory for a stack, or whatever else the maker
        // throws: the queue is left to the workers there are.
    }
    lock.lock();
    --m_making;
    const bool made = worker.joinable();
    if (made)
        m_workers.push_back(std::move(worker)); // reserved above: does not throw
    else
        --m_starting;
    m_workerMade.notify_all();
    return made;
}

std::vector<std::thread> StreamCloser::takeRetired()
{
    std::vector<std::thread> retired;
    // A worker that retired before its maker listed it waits for the next turn.
    std::vector<std::thread::id> unlisted;
    for (const std::thread::id id : m_retired) {
        const auto found = std::find_if(m_workers.begin(), m_workers.end(),
                                        [id](const std::thread &worker) { return worker.get_id() == id; });
        if (found == m_workers.end()) {
            unlisted.push_back(id);
            continue;
        }
        retired.push_back(std::move(*found));
        m_workers.erase(found);
    }
    m_retired.swap(unlisted);
    return retired;
}

void StreamCloser::work()
{
    pthread_setname_np(pthread_self(), "zelka-closer");
    // Background work: a batch thread does not preempt the thread that woke it.
    const sched_param normal{0};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &normal);
    std::unique_lock<std::mutex> lock(m_mutex);
    --m_starting;
    for (;;) {
        if (m_jobs.empty())
            m_full = false; // a worker is free again: the next time the pool fills is logged
        ++m_waiting;
        m_jobQueued.wait_for(lock, m_idleLifetime, [this] { return m_stopping || !m_jobs.empty(); });
        --m_waiting;
        if (m_jobs.empty()) {
            if (m_stopping)
                return; // shutdown() joins it
            // Idle for its lifetime: it ends while another worker waits or starts, so that
            // one stays waiting however long the busy ones take, and no caller has to make
            // one.
            if (!noneFree()) {
                m_retired.push_back(std::this_thread::get_id());
                return;
            }
            continue;
        }
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        ++m_busy;
        // The next job finds a worker waiting or starting; a burst so grows the pool one
        // worker at a time, each new one making the next. A worker that cannot be made
        // is tried again with this worker's next job.
        growIfNoneFree(lock);
        const bool full = reachedBound();
        std::vector<std::thread> retired = takeRetired();
        lock.unlock();
        if (full)
            warnBoundReached();
        // Retired workers have left their loop: joining them takes no time.
        for (std::thread &worker : retired)
            worker.join();
        run(job);
        lock.lock();
        --m_busy;
        m_jobDone.notify_all();
    }
}
