#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

class FrameRing;

// The pacing of one item: one thread that releases one ring slot per frame
// interval, stretching or shortening the interval by how full the caches are,
// and waits (bounded) for the renderer to take each released picture.
class VideoPacer
{
public:
    struct Inputs
    {
        std::function<bool()> canPace;       // source valid, frame rate known, decoding on
        std::function<int64_t()> intervalNs; // frame interval
        std::function<int()> frameRate;
        std::function<int()> cacheCount;    // library cache plus ready slots
        std::function<bool()> keyFramesOnly;
        std::function<void()> requestRepaint; // any thread; queues a repaint
    };

    // Milliseconds the pacer waits for the renderer before it moves on.
    static constexpr std::chrono::milliseconds kConsumeBound{3000};

    VideoPacer(FrameRing &ring, Inputs inputs);
    ~VideoPacer();

    // Ends the ring's waits and joins the thread; runs once.
    void stop();
    uint64_t consumeTimeouts() const { return m_consumeTimeouts.load(); }

    // The frame interval for a stream's frame rate; 0 or less counts as 25 fps.
    static int64_t frameIntervalNs(int frameRate);
    static int effectiveFrameRate(int frameRate);

    // The pause before the next release, in ns (0: release at once). elapsedNs is
    // the time since the previous release.
    static int64_t waitBeforeRelease(int64_t elapsedNs, int64_t intervalNs, int frameRate, int cacheCount,
                                     bool keyFramesOnly);

private:
    void run();

    FrameRing &m_ring;
    Inputs m_inputs;
    std::atomic<uint64_t> m_consumeTimeouts{0};
    std::thread m_thread;
};
