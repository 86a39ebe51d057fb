#pragma once

#include <QByteArray>
#include <QImage>

#include <functional>
#include <future>
#include <mutex>
#include <optional>

#include "h26xparser.h"

// Decodes snapshot bodies one at a time on a worker thread of its own. A body that
// arrives while another is decoding waits; a newer one replaces it, since only the
// latest picture is ever shown. The worker ends when nothing is left to do.
class SnapDecodeQueue
{
public:
    struct Job
    {
        QByteArray body;
        video_info_t info;
        quint64 generation = 0;
    };
    struct Result
    {
        QImage picture; // null when decoding failed
        quint64 generation = 0;
    };

    // resultReady runs on the worker thread, under the queue's lock, each time a result
    // is stored: it must only post (e.g. a queued call), never call back into the queue.
    explicit SnapDecodeQueue(std::function<void()> resultReady);
    ~SnapDecodeQueue();
    SnapDecodeQueue(const SnapDecodeQueue &) = delete;
    SnapDecodeQueue &operator=(const SnapDecodeQueue &) = delete;

    // False when no worker thread could be started; the job is then dropped.
    bool submit(Job job);
    std::optional<Result> takeResult();
    // Drops the waiting job and waits for a running decode; resultReady is not called
    // after this returns, and submit() refuses work from then on.
    void stop();

private:
    void run();
    std::optional<Job> nextJob();

    std::function<void()> m_resultReady;
    std::mutex m_mutex;
    std::optional<Job> m_pending;
    std::optional<Result> m_result;
    bool m_running = false;
    bool m_stopping = false;
    std::future<void> m_task;
};
