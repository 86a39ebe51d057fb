#include "videopacer.h"

#include "framering.h"

#include <cstdlib>
#include <pthread.h>

namespace {
constexpr int kDefaultFrameRate = 25;
constexpr int kRingFill = FrameRing::kSlotCount;
constexpr int64_t kKeyFrameCorrectionNs = 1000000;
// Past this pause with a full cache the pacer is behind: release without sleeping.
constexpr int64_t kLateNs = 33000000;
// Idle pacers re-test their gate this often even without a wake-up.
constexpr std::chrono::milliseconds kIdleBound(1000);

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(FrameRing::Clock::now().time_since_epoch()).count();
}
} // namespace

VideoPacer::VideoPacer(FrameRing &ring, Inputs inputs)
    : m_ring(ring)
    , m_inputs(std::move(inputs))
{
    m_thread = std::thread([this] { run(); });
}

VideoPacer::~VideoPacer()
{
    stop();
}

void VideoPacer::stop()
{
    m_ring.shutdown();
    if (m_thread.joinable())
        m_thread.join();
}

int VideoPacer::effectiveFrameRate(int frameRate)
{
    return frameRate < 1 ? kDefaultFrameRate : frameRate;
}

int64_t VideoPacer::frameIntervalNs(int frameRate)
{
    return int64_t(1000 / effectiveFrameRate(frameRate)) * 1000000;
}

int64_t VideoPacer::waitBeforeRelease(int64_t elapsedNs, int64_t intervalNs, int frameRate, int cacheCount,
                                      bool keyFramesOnly)
{
    if (elapsedNs <= 0)
        return 0;
    int64_t correction = kKeyFrameCorrectionNs;
    if (!keyFramesOnly)
        correction = frameRate > 0 ? int64_t(std::abs(cacheCount - kRingFill)) * intervalNs / frameRate : 0;
    int64_t wait = intervalNs - elapsedNs;
    if (cacheCount < kRingFill)
        wait += correction;
    else if (cacheCount > kRingFill)
        wait -= correction;
    if (elapsedNs > kLateNs && cacheCount >= kRingFill)
        return 0;
    return wait > 0 ? wait : 0;
}

void VideoPacer::run()
{
    // Named so that profilers and the benchmark can tell pacers apart from other threads.
    pthread_setname_np(pthread_self(), "VideoPacer");
    int64_t lastRelease = 0;
    while (!m_ring.isShutdown()) {
        const long long ticket = m_ring.waitForReadySlot(m_inputs.canPace, kIdleBound);
        if (ticket < 0)
            return;
        const int64_t now = nowNs();
        const int64_t wait = waitBeforeRelease(now - lastRelease, m_inputs.intervalNs(), m_inputs.frameRate(),
                                               m_inputs.cacheCount(), m_inputs.keyFramesOnly());
        if (wait > 0 && !m_ring.sleepUntil(ticket, FrameRing::Clock::now() + std::chrono::nanoseconds(wait)))
            continue;
        lastRelease = nowNs();
        if (!m_ring.present(ticket))
            continue;
        m_inputs.requestRepaint();
        if (!m_ring.waitUntilConsumed(ticket, kConsumeBound))
            m_consumeTimeouts.fetch_add(1);
    }
}
