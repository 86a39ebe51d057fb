#include "snapdecodequeue.h"

#include <system_error>

#include "snapdecoder.h"

SnapDecodeQueue::SnapDecodeQueue(std::function<void()> resultReady)
    : m_resultReady(std::move(resultReady))
{
}

SnapDecodeQueue::~SnapDecodeQueue()
{
    stop();
}

bool SnapDecodeQueue::submit(Job job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping)
            return false;
        m_pending = std::move(job);
        if (m_running)
            return true; // the running worker takes it next
        m_running = true;
    }
    // The previous worker has already left its loop; this only reaps its thread.
    if (m_task.valid())
        m_task.wait();
    try {
        m_task = std::async(std::launch::async, [this] { run(); });
    } catch (const std::system_error &) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.reset();
        m_running = false;
        return false;
    }
    return true;
}

std::optional<SnapDecodeQueue::Result> SnapDecodeQueue::takeResult()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::optional<Result> result;
    result.swap(m_result);
    return result;
}

void SnapDecodeQueue::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_pending.reset();
    }
    if (m_task.valid())
        m_task.wait();
}

std::optional<SnapDecodeQueue::Job> SnapDecodeQueue::nextJob()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::optional<Job> job;
    if (!m_stopping)
        job.swap(m_pending);
    if (!job)
        m_running = false;
    return job;
}

void SnapDecodeQueue::run()
{
    while (std::optional<Job> job = nextJob()) {
        Result result{decodeSnapPicture(job->body, job->info), job->generation};
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping) {
            m_running = false;
            return;
        }
        m_result = std::move(result);
        m_resultReady();
    }
}
