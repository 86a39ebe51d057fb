#include "heaptrimmer.h"

#include <malloc.h>

HeapTrimmer &HeapTrimmer::instance()
{
    static HeapTrimmer trimmer;
    return trimmer;
}

HeapTrimmer::HeapTrimmer(std::chrono::milliseconds quiet, Trim trim)
    : m_quiet(quiet)
    , m_trim(trim ? std::move(trim) : Trim([] { malloc_trim(0); }))
    , m_thread([this] { run(); })
{
}

HeapTrimmer::~HeapTrimmer()
{
    shutdown();
}

void HeapTrimmer::noteRelease()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (!m_pending)
            m_firstRelease = now;
        m_pending = true;
        m_lastRelease = now;
    }
    m_wake.notify_one();
}

void HeapTrimmer::shutdown()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

int HeapTrimmer::trims() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_trims;
}

std::chrono::steady_clock::time_point HeapTrimmer::due() const
{
    return std::min(m_lastRelease + m_quiet, m_firstRelease + m_quiet * kMaxDelays);
}

void HeapTrimmer::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_pending; });
        if (m_stopping)
            return;
        // A later release moves the due time on: wait again until it.
        auto until = due();
        while (m_wake.wait_until(lock, until, [&] { return m_stopping || due() != until; })) {
            if (m_stopping)
                return;
            until = due();
        }
        m_pending = false;
        lock.unlock();
        m_trim();
        lock.lock();
        ++m_trims;
    }
}
