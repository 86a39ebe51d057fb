// The process's allocator setting: a thread that frees a frame's worth of small blocks and
// asks for them again in the next frame gets them back without the system's help (the
// software rasteriser's render thread does that every frame), and a heap still gives back
// what lies free at its top beyond a few MB.
#include <QTest>

#include "allocatortuning.h"

#include <malloc.h>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

constexpr size_t kBlock = 64 * 1024;
constexpr int kFrameBlocks = 48;   // 3 MB: kept
constexpr int kLargeBlocks = 256;  // 16 MB: mostly given back

struct Faults
{
    long first = 0;
    long again = 0;
};

long minorFaultsOfThisThread()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

std::vector<char *> allocateAndTouch(int count)
{
    std::vector<char *> blocks;
    blocks.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto *block = static_cast<char *>(malloc(kBlock));
        for (size_t at = 0; at < kBlock; at += 4096)
            block[at] = char(i);
        blocks.push_back(block);
    }
    return blocks;
}

// The last blocks asked for lie at the heap's top: freed last first, each one leaves the
// top larger, as the rasteriser frees its scene.
void freeFromTheTop(std::vector<char *> &blocks)
{
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
        free(*it);
    blocks.clear();
}

// Two frames of `count` blocks on a thread of its own (a heap other than the main one, as a
// render thread's): the page faults each frame's blocks cost.
Faults twoFrames(int count)
{
    Faults faults;
    std::thread frames([&faults, count] {
        long before = minorFaultsOfThisThread();
        std::vector<char *> blocks = allocateAndTouch(count);
        faults.first = minorFaultsOfThisThread() - before;
        freeFromTheTop(blocks);
        before = minorFaultsOfThisThread();
        blocks = allocateAndTouch(count);
        faults.again = minorFaultsOfThisThread() - before;
        freeFromTheTop(blocks);
    });
    frames.join();
    return faults;
}

long pagesOf(int blocks)
{
    return long(blocks * kBlock / 4096);
}

} // namespace

class tst_AllocatorTuning : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void framesReuseTheirBlocks();
    void largeFreeTopGoesBack();
};

void tst_AllocatorTuning::initTestCase()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    QSKIP("the sanitizer's allocator stands in for glibc's, whose setting this checks");
#endif
    AllocatorTuning::apply();
}

void tst_AllocatorTuning::framesReuseTheirBlocks()
{
    const Faults faults = twoFrames(kFrameBlocks);
    // The first frame faults its pages in; the second finds them still there (given back,
    // they would be faulted in again, one fault a page).
    QVERIFY2(faults.first >= pagesOf(kFrameBlocks) / 2, qPrintable(QString::number(faults.first)));
    QVERIFY2(faults.again < pagesOf(kFrameBlocks) / 10,
             qPrintable(QStringLiteral("%1 faults for %2 pages asked for again").arg(faults.again).arg(pagesOf(kFrameBlocks))));
}

// The heap keeps no more than the bound and its pad: of 16 MB freed, most is faulted in anew.
void tst_AllocatorTuning::largeFreeTopGoesBack()
{
    const Faults faults = twoFrames(kLargeBlocks);
    QVERIFY2(faults.again > pagesOf(kLargeBlocks) / 2,
             qPrintable(QStringLiteral("%1 faults for %2 pages asked for again").arg(faults.again).arg(pagesOf(kLargeBlocks))));
}

QTEST_GUILESS_MAIN(tst_AllocatorTuning)
#include "tst_allocatortuning.moc"
