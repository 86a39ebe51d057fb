// The pool that closes channels and frees pictures away from the GUI and render threads,
// without the player library: releases only (channel 0 closes nothing).
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include "eventwait.h"
#include "streamcloser.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <functional>
#include <future>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

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

// Releases that count themselves, awaited from the test's thread.
class Tally
{
public:
    std::shared_ptr<void> release()
    {
        return std::shared_ptr<void>(this, [](Tally *tally) { tally->count(); });
    }

    bool waitFor(int count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(kEventWaitMs), [&] { return m_count >= count; });
    }

    int released()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_count;
    }

private:
    void count()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_count;
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_count = 0;
};

// Shuts the closer down and deletes it; false when shutdown did not return within the
// suite's patience (the closer is then left, so that the failing test can end).
bool shutsDown(StreamCloser *closer)
{
    std::promise<void> returned;
    std::future<void> shutdown = returned.get_future();
    std::thread stopper([closer, &returned] {
        closer->shutdown();
        returned.set_value();
    });
    if (shutdown.wait_for(std::chrono::milliseconds(kEventWaitMs)) != std::future_status::ready) {
        stopper.detach(); // hung: it may never end
        return false;
    }
    stopper.join();
    delete closer;
    return true;
}

const QRegularExpression kBoundReached(QStringLiteral("^Stream closer: all \\d+ workers are busy"));

// Makes the closer's threads as told: each until the allowance is used up, then none
// (as at the process's thread limit). Records which thread asked and counts the threads
// whose body is still running.
class ThreadFactory
{
public:
    StreamCloser::ThreadMaker maker()
    {
        return [this](std::function<void()> body) { return make(std::move(body)); };
    }

    // How many more threads may be made; -1: any number. A refusal throws a system error,
    // or with foreign set an int, as no standard thread maker would.
    void allow(int count, bool foreign = false)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_allowed = count;
        m_foreign = foreign;
    }

    int refused()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_refused;
    }

    int madeOn(std::thread::id caller)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        int count = 0;
        for (const std::thread::id id : m_makers)
            count += id == caller ? 1 : 0;
        return count;
    }

    int running()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_running;
    }

    // Waits until no more than count threads run their body.
    bool waitForRunning(int count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_ended.wait_for(lock, std::chrono::milliseconds(kEventWaitMs), [&] { return m_running <= count; });
    }

private:
    std::thread make(std::function<void()> body)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_allowed == 0) {
                ++m_refused;
                if (m_foreign)
                    throw 42;
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                                        "no thread for the test");
            }
            if (m_allowed > 0)
                --m_allowed;
            m_makers.push_back(std::this_thread::get_id());
            ++m_running;
        }
        return std::thread([this, body = std::move(body)] {
            body();
            std::lock_guard<std::mutex> lock(m_mutex);
            --m_running;
            m_ended.notify_all();
        });
    }

    std::mutex m_mutex;
    int m_allowed = -1;
    bool m_foreign = false;
    int m_refused = 0;
    std::vector<std::thread::id> m_makers;
    int m_running = 0;
    std::condition_variable m_ended;
};

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
        QTest::ignoreMessage(QtWarningMsg, kBoundReached); // the last 8 wait
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

    // A worker that cannot be made (the thread limit) leaves the queue to the workers
    // there are; once threads can be made again the pool grows as before, and shutdown
    // joins every worker.
    void aWorkerThatCannotBeMadeLeavesItsJobsToTheOthers()
    {
        Gate first, second;
        ThreadFactory threads; // outlives the closer, whose workers it made
        StreamCloser closer(StreamCloser::kIdleLifetime, threads.maker());
        const auto openOnExit = qScopeGuard([&] {
            first.open();
            second.open();
        });
        threads.allow(3);
        const int jobs = 8;
        for (int i = 0; i < jobs; ++i)
            closer.dispose(first.blockingRelease());
        QVERIFY(first.waitForHeld(3));
        std::this_thread::sleep_for(50ms);
        QVERIFY2(threads.refused() >= 1, "no worker beyond the allowance was asked for");
        QCOMPARE(first.held(), 3);
        first.open();
        QVERIFY2(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)), "jobs stayed queued");
        QCOMPARE(first.passed(), jobs);

        threads.allow(-1);
        for (int i = 0; i < StreamCloser::kMaxWorkers; ++i)
            closer.dispose(second.blockingRelease());
        QVERIFY2(second.waitForHeld(StreamCloser::kMaxWorkers), "the pool no longer grew to its bound");
        second.open();
        QVERIFY(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        QCOMPARE(second.passed(), StreamCloser::kMaxWorkers);
        closer.shutdown();
        QCOMPARE(threads.running(), 0);
    }

    // With no worker and none to be made, the caller runs its close or release itself:
    // nothing stays queued, and the pool takes work again once threads can be made.
    void withNoWorkerTheCallerRunsTheJobItself()
    {
        std::atomic<int> released{0};
        ThreadFactory threads;
        StreamCloser closer(StreamCloser::kIdleLifetime, threads.maker());
        threads.allow(0);
        closer.dispose(countingRelease(released));
        QCOMPARE(released.load(), 1);
        std::thread::id wokenOn;
        closer.close(0, countingRelease(released), [&wokenOn] { wokenOn = std::this_thread::get_id(); });
        QCOMPARE(released.load(), 2);
        QVERIFY(wokenOn == std::this_thread::get_id());
        QVERIFY(threads.refused() >= 1);
        QVERIFY(closer.waitUntilIdle(0ms));

        threads.allow(-1);
        closer.dispose(countingRelease(released));
        QVERIFY(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        QCOMPARE(released.load(), 3);
        QCOMPARE(threads.madeOn(std::this_thread::get_id()), 1);
        closer.shutdown();
        QCOMPARE(threads.running(), 0);
    }

    // The threads that hand over closes and releases (the GUI thread deleting tiles, the
    // render thread their nodes) make no worker while one waits: here only the pool's
    // first; a busy pool grows from its own workers, and an idle one shrinks to one
    // worker, which stays.
    void callersMakeOnlyThePoolsFirstWorker()
    {
        Gate gate;
        std::atomic<int> released{0};
        ThreadFactory threads;
        StreamCloser closer(100ms, threads.maker());
        const auto openOnExit = qScopeGuard([&gate] { gate.open(); });
        const std::thread::id caller = std::this_thread::get_id();
        closer.dispose(gate.blockingRelease());
        QVERIFY(gate.waitForHeld(1));
        closer.dispose(gate.blockingRelease());
        QVERIFY(gate.waitForHeld(2));
        for (int i = 0; i < 10; ++i)
            closer.dispose(gate.blockingRelease());
        QVERIFY(gate.waitForHeld(12));
        QCOMPARE(threads.madeOn(caller), 1);
        gate.open();
        QVERIFY(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        QVERIFY2(threads.waitForRunning(1), "idle workers did not end");
        std::this_thread::sleep_for(500ms); // five more idle lifetimes
        QCOMPARE(threads.running(), 1);
        closer.dispose(countingRelease(released));
        QVERIFY(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        QCOMPARE(released.load(), 1);
        QCOMPARE(threads.madeOn(caller), 1);
    }

    // A release held for longer than the idle lifetime (a close stuck in a reader that
    // cannot be cut short) keeps a worker waiting beside it: a release queued after that
    // worker's idle lifetime passed runs at once, not after the held one.
    void aJobHeldPastTheIdleLifetimeKeepsAWorkerWaiting()
    {
        Gate gate;
        Tally tally;
        StreamCloser closer(100ms);
        const auto openOnExit = qScopeGuard([&gate] { gate.open(); });
        closer.dispose(gate.blockingRelease());
        QVERIFY(gate.waitForHeld(1));
        std::this_thread::sleep_for(500ms); // five idle lifetimes
        closer.dispose(tally.release());
        // The held release passes only when the test ends: any bound tells the two apart.
        QVERIFY2(tally.waitFor(1), "a release waited behind a held one");
        QCOMPARE(gate.passed(), 0);
    }

    // With every worker held at the bound, a release waits until one frees; the closer says
    // so once each time the pool fills, not once per job.
    void withThePoolFullJobsWaitForAFreeWorker()
    {
        Gate first, second;
        Tally tally;
        StreamCloser closer(100ms);
        const auto openOnExit = qScopeGuard([&] {
            first.open();
            second.open();
        });
        QTest::failOnWarning(kBoundReached); // beyond the ones expected below
        for (Gate *gate : {&first, &second}) {
            const int before = tally.released();
            for (int i = 0; i < StreamCloser::kMaxWorkers; ++i)
                closer.dispose(gate->blockingRelease());
            QVERIFY(gate->waitForHeld(StreamCloser::kMaxWorkers));
            std::this_thread::sleep_for(500ms); // five idle lifetimes
            QTest::ignoreMessage(QtWarningMsg, kBoundReached);
            for (int i = 0; i < 3; ++i)
                closer.dispose(tally.release());
            std::this_thread::sleep_for(200ms);
            QCOMPARE(tally.released(), before);
            gate->open();
            QVERIFY2(tally.waitFor(before + 3), "queued releases did not run once workers freed");
            QVERIFY(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        }
    }

    // A thread maker that throws what no standard one would leaves the counters right:
    // with no worker the caller runs its job, a later job gets a worker, and shutdown
    // returns (it waited for ever for the worker being made).
    void aThreadMakerThrowingAnythingLeavesThePoolWhole()
    {
        Tally tally;
        ThreadFactory threads;
        auto *closer = new StreamCloser(StreamCloser::kIdleLifetime, threads.maker());
        threads.allow(0, true);
        QVERIFY_THROWS_NO_EXCEPTION(closer->dispose(tally.release()));
        QCOMPARE(tally.released(), 1);
        QCOMPARE(threads.refused(), 1);
        threads.allow(-1);
        closer->dispose(tally.release());
        QVERIFY(tally.waitFor(2));
        QVERIFY2(shutsDown(closer), "shutdown did not return");
        QCOMPARE(threads.running(), 0);
    }

    // A wake-up that throws, on a worker or on the caller running its job in place, is
    // logged: the channel's release still runs, the pool goes idle and takes later jobs.
    void aThrowingWakeUpLeavesThePoolWorking()
    {
        Tally tally;
        {
            StreamCloser closer;
            QTest::ignoreMessage(QtWarningMsg, "Stream closer: a close's wake-up failed; the close goes on");
            closer.close(0, tally.release(), [] { throw 42; });
            QVERIFY2(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)), "the pool stayed busy");
            QCOMPARE(tally.released(), 1);
            closer.dispose(tally.release());
            QVERIFY(closer.waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
            QCOMPARE(tally.released(), 2);
        }
        ThreadFactory threads;
        StreamCloser inPlace(StreamCloser::kIdleLifetime, threads.maker());
        threads.allow(0);
        QTest::ignoreMessage(QtWarningMsg, "Stream closer: a close's wake-up failed (no camera); the close goes on");
        QVERIFY_THROWS_NO_EXCEPTION(
            inPlace.close(0, tally.release(), [] { throw std::runtime_error("no camera"); }));
        QCOMPARE(tally.released(), 3);
        QVERIFY2(inPlace.waitUntilIdle(0ms), "the caller's run stayed counted busy");
        inPlace.dispose(tally.release());
        QCOMPARE(tally.released(), 4);
    }
};

QTEST_GUILESS_MAIN(TestStreamCloser)
#include "tst_streamcloser.moc"
