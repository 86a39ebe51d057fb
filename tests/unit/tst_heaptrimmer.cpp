// The trimmer that gives the heaps' free pages back after streams were closed: one trim
// for a burst of releases, one at the latest after a bound while releases keep coming,
// none without a release or after shutdown, and with glibc's own trim the pages freed
// under a block that lives on really leave the resident set.
#include <QScopeGuard>
#include <QTest>

#include "eventwait.h"
#include "heaptrimmer.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The process's resident set in bytes.
long long residentBytes()
{
    long long pages = 0, resident = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    const int read = fscanf(statm, "%lld %lld", &pages, &resident);
    fclose(statm);
    return read == 2 ? resident * sysconf(_SC_PAGESIZE) : -1;
}

// Waits until condition holds or the patience runs out; returns whether it held.
template<typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds patience = std::chrono::milliseconds(kEventWaitMs))
{
    const auto until = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace

class tst_HeapTrimmer : public QObject
{
    Q_OBJECT

private slots:
    void burstOfReleasesTrimsOnce();
    void steadyReleasesStillTrim();
    void nothingWithoutReleaseOrAfterShutdown();
    void freedPagesUnderALiveBlockLeave();
};

void tst_HeapTrimmer::burstOfReleasesTrimsOnce()
{
    std::atomic<int> trims{0};
    HeapTrimmer trimmer(300ms, [&] { ++trims; });
    // A carousel tick: its closes end one after another, well within the quiet time.
    for (int i = 0; i < 8; ++i) {
        trimmer.noteRelease();
        std::this_thread::sleep_for(20ms);
    }
    QVERIFY(waitFor([&] { return trims.load() == 1; }));
    std::this_thread::sleep_for(900ms);
    QCOMPARE(trims.load(), 1);
    QCOMPARE(trimmer.trims(), 1);
    // The next burst trims again.
    trimmer.noteRelease();
    QVERIFY(waitFor([&] { return trims.load() == 2; }));
}

void tst_HeapTrimmer::steadyReleasesStillTrim()
{
    // Releases closer together than the quiet time, for longer than its bound: a trim comes
    // all the same (a wall of many tiles closing all day is never quiet).
    std::atomic<int> trims{0};
    HeapTrimmer trimmer(200ms, [&] { ++trims; });
    QVERIFY(waitFor([&] {
        trimmer.noteRelease();
        std::this_thread::sleep_for(20ms);
        return trims.load() > 0;
    }));
}

void tst_HeapTrimmer::nothingWithoutReleaseOrAfterShutdown()
{
    std::atomic<int> trims{0};
    {
        HeapTrimmer trimmer(50ms, [&] { ++trims; });
        std::this_thread::sleep_for(300ms);
        QCOMPARE(trims.load(), 0);
        // A release still waiting for its quiet time is dropped by the shutdown, and later
        // ones are not taken.
        HeapTrimmer late(10s, [&] { ++trims; });
        late.noteRelease();
        late.shutdown();
        late.noteRelease();
        std::this_thread::sleep_for(100ms);
    }
    QCOMPARE(trims.load(), 0);
}

void tst_HeapTrimmer::freedPagesUnderALiveBlockLeave()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    QSKIP("the sanitizers' allocators keep freed memory in quarantine of their own");
#else
    // A thread of its own (an arena of its own, as a stream's threads have) fills 48 MB of
    // blocks below glibc's mapping bound and frees them all but the last, which keeps the
    // heap's top; the thread lives on, as the streams still playing do. glibc gives none of
    // it back by itself.
    constexpr int kBlocks = 768;
    constexpr size_t kBlock = 64 * 1024;
    const long long before = residentBytes();
    std::atomic<long long> held{-1};
    std::atomic<bool> done{false};
    std::thread stream([&] {
        std::vector<char *> blocks;
        for (int i = 0; i < kBlocks; ++i) {
            blocks.push_back(static_cast<char *>(malloc(kBlock)));
            memset(blocks.back(), 1, kBlock);
        }
        void *pin = malloc(64);
        for (char *block : blocks)
            free(block);
        held = residentBytes();
        waitFor([&] { return done.load(); });
        free(pin);
    });
    const auto finish = qScopeGuard([&] {
        done = true;
        stream.join();
    });
    QVERIFY(waitFor([&] { return held.load() >= 0; }));
    HeapTrimmer trimmer(50ms);
    trimmer.noteRelease();
    QVERIFY(waitFor([&] { return trimmer.trims() == 1; }));
    const long long after = residentBytes();
    const QString figures = QStringLiteral("resident %1 MB at the start, %2 MB before the trim, %3 MB after")
                                .arg(before / 1048576.0, 0, 'f', 1)
                                .arg(held / 1048576.0, 0, 'f', 1)
                                .arg(after / 1048576.0, 0, 'f', 1);
    QVERIFY2(held - before > 24LL * 1024 * 1024, qPrintable("the freed blocks were not held: " + figures));
    QVERIFY2(held - after > (held - before) * 3 / 4, qPrintable(figures));
#endif
}

QTEST_GUILESS_MAIN(tst_HeapTrimmer)
#include "tst_heaptrimmer.moc"
