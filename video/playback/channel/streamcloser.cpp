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
        job.wakeCallback();
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
    // Only the pool's first worker is made here: later ones are made by workers, which
    // keep one waiting for the next job. Without any worker, and none to be made (the
    // process's thread limit), the caller does the work itself rather than leave it
    // queued.
    if (liveWorkers() == 0 && !startWorker(lock)) {
        runQueuedInPlace(lock);
        return;
    }
    lock.unlock();
    m_jobQueued.notify_one();
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
    ++m_starting;
    ++m_making;
    // Making a thread maps its stack, which may wait for the process's memory map while
    // closes unmap their buffers: nobody waits for the lock meanwhile.
    lock.unlock();
    std::thread worker;
    try {
        worker = m_makeThread([this] { work(); });
    } catch (const std::exception &) {
        // The process's thread limit, or no memory for a stack: the queue is left to
        // the workers there are.
    }
    lock.lock();
    --m_making;
    const bool made = worker.joinable();
    if (made)
        m_workers.push_back(std::move(worker));
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
        ++m_waiting;
        m_jobQueued.wait_for(lock, m_idleLifetime, [this] { return m_stopping || !m_jobs.empty(); });
        --m_waiting;
        if (m_jobs.empty()) {
            if (m_stopping)
                return; // shutdown() joins it
            // Idle for its lifetime: it ends, but for the pool's last worker, which stays
            // so that no caller has to make one.
            if (liveWorkers() > 1) {
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
        if (m_waiting == 0 && m_starting == 0 && !m_stopping && liveWorkers() < kMaxWorkers)
            startWorker(lock);
        std::vector<std::thread> retired = takeRetired();
        lock.unlock();
        // Retired workers have left their loop: joining them takes no time.
        for (std::thread &worker : retired)
            worker.join();
        run(job);
        lock.lock();
        --m_busy;
        m_jobDone.notify_all();
    }
}
