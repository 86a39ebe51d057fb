// The pool that closes channels and frees pictures away from the GUI and render threads,
// without the player library: releases only (channel 0 closes nothing).
#include <QScopeGuard>
#include <QTest>

#include "eventwait.h"
#include "streamcloser.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Releases that hold their worker until the gate opens, counting the ones under way.
class Gate
{
public:
    std::shared_ptr<void> blockingRelease()
    {
        return std::shared_ptr<void>(this, [](Gate *gate) { gate->pass(); });
    }

    void open()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_opened.notify_all();
    }

    bool waitForHeld(int count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(kEventWaitMs), [&] { return m_held >= count; });
    }

    int passed() const { return m_passed; }

    int held()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_held;
    }

private:
    void pass()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_held;
        m_changed.notify_all();
        m_opened.wait(lock, [this] { return m_open; });
        --m_held;
        ++m_passed;
    }

    std::mutex m_mutex;
    std::condition_variable m_opened;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_held = 0;
    std::atomic<int> m_passed{0};
};

std::shared_ptr<void> countingRelease(std::atomic<int> &count)
{
    return std::shared_ptr<void>(&count, [](std::atomic<int> *c) { ++*c; });
}

} // namespace

class TestStreamCloser : public QObject
{
    Q_OBJECT

private slots:
    // Many releases at once run side by side: the pool grows a worker at a time up to its
    // bound while they block, and never past it.
    void releasesRunSideBySideUpToTheBound()
    {
        Gate gate; // outlives the closer, whose queue may still hold its releases
        StreamCloser closer;
        const auto openOnExit = qScopeGuard([&gate] { gate.open(); }); // a failed check must not hang
        const int jobs = StreamCloser::kMaxWorkers + 8;
        for (int i = 0; i < jobs; ++i)
            closer.dispose(gate.blockingRelease());
        QVERIFY2(gate.waitForHeld(StreamCloser::kMaxWorkers), "the pool did not grow to its bound");
        std::this_thread::sleep_for(50ms);
        QCOMPARE(gate.held(), StreamCloser::kMaxWorkers);
        gate.open();
        QVERIFY(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        QCOMPARE(gate.passed(), jobs);
    }

    // A pool that grew full and then idled until its workers ended takes work again.
    void aFullPoolThatIdledTakesWorkAgain()
    {
        Gate gate;
        std::atomic<int> released{0};
        StreamCloser closer(100ms);
        const auto openOnExit = qScopeGuard([&gate] { gate.open(); });
        for (int i = 0; i < StreamCloser::kMaxWorkers; ++i)
            closer.dispose(gate.blockingRelease());
        QVERIFY(gate.waitForHeld(StreamCloser::kMaxWorkers));
        gate.open();
        QVERIFY(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        std::this_thread::sleep_for(1s); // every worker's idle lifetime passes
        closer.dispose(countingRelease(released));
        QVERIFY2(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)), "a release after the idle stayed queued");
        QCOMPARE(released.load(), 1);
    }

    // Shutdown finishes what is queued and joins the workers; later releases run at once
    // on the caller's thread.
    void shutdownFinishesTheQueueThenRunsReleasesInPlace()
    {
        Gate gate;
        std::atomic<int> released{0};
        StreamCloser closer;
        const auto openOnExit = qScopeGuard([&gate] { gate.open(); });
        for (int i = 0; i < 4; ++i)
            closer.dispose(gate.blockingRelease());
        QVERIFY(gate.waitForHeld(4));
        for (int i = 0; i < 100; ++i)
            closer.dispose(countingRelease(released));
        std::thread opener([&gate] {
            std::this_thread::sleep_for(100ms);
            gate.open();
        });
        closer.shutdown();
        opener.join();
        QCOMPARE(gate.passed(), 4);
        QCOMPARE(released.load(), 100);
        closer.dispose(countingRelease(released));
        QCOMPARE(released.load(), 101);
    }
};

QTEST_GUILESS_MAIN(TestStreamCloser)
#include "tst_streamcloser.moc"
