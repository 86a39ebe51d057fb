// What a playing item keeps in memory, measured as the resident growth of 16 items
// playing 360p: a copy too many per picture (a ring slot, a preview in RGB, a
// per-thread context) shows as several pictures' worth per item. Nothing is timed.
// And what a closed stream gives back: with the client's allocator setting its freed
// memory leads to a trim of the heaps.
#include <QFile>
#include <QTest>

#include "allocatortuning.h"
#include "eventwait.h"
#include "heaptrimmer.h"
#include "streamcloser.h"
#include "testmedia.h"
#include "videoinfo.h"
#include "videoitem.h"
#include "videotestkit.h"

using namespace VideoTestKit;

namespace {

constexpr int kItems = 16;
constexpr QSize kPictureSize(640, 360);
// One picture as the library hands it over (I420).
constexpr double kPictureBytes = 640 * 360 * 3 / 2;
// Per item today, about 26 pictures' worth: the decoder's reference pictures and
// tables, the library's hand-over block, the ring's pictures in flight and its spare,
// the drawn picture (on the software scene graph an RGB image of it), the preview,
// read-ahead packets and the threads' stacks. The bound leaves room for a slow
// renderer (a full ring) and allocator slack; what it guards against, a copy per
// item of the size of a picture's RGB image or a graphics context per thread (which
// doubled the figure once), adds 8 or more pictures' worth.
constexpr double kPicturesPerItemAtMost = 32;

double residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() * 1024.0;
    }
    return -1;
}

QString clip360p()
{
    return TestMedia::ensure(QStringLiteral("memory_640x360_30s.mp4"),
                             {"-f", "lavfi", "-i", "testsrc2=size=640x360:rate=25:duration=30", "-c:v", "libx264",
                              "-preset", "veryfast", "-g", "50", "-pix_fmt", "yuv420p"});
}

bool allDrew(const QList<VideoItem *> &items, quint64 pictures)
{
    for (const VideoItem *item : items) {
        if (item->drawnFrameCount() < pictures)
            return false;
    }
    return true;
}

} // namespace

class TestVideoMemory : public QObject
{
    Q_OBJECT

private slots:
    void residentGrowthPerItemStaysWithinItsPictures()
    {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("sanitizers keep freed memory and shadow every byte");
#endif
        const QString url = fileUrl(clip360p());
        QVERIFY(!url.isEmpty());
        Scene scene(QSize(1280, 720));
        // One item first: libraries, decoder tables and the renderer's own start-up are
        // paid once per process, not per item.
        {
            VideoItem *first = scene.addItem(QSizeF(320, 180));
            first->setVideoUrl(url);
            QVERIFY(waitFor([&] { return first->drawnFrameCount() >= 10; }, kEventWaitMs));
            delete first;
            QVERIFY(StreamCloser::instance().waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        }
        const double before = residentBytes();
        QList<VideoItem *> items;
        for (int i = 0; i < kItems; ++i) {
            VideoItem *item = scene.addItem(QSizeF(320, 180));
            item->setPosition(QPointF((i % 4) * 320, (i / 4) * 180));
            item->setVideoUrl(url);
            items << item;
        }
        QVERIFY(waitFor([&] { return allDrew(items, 25); }, kEventWaitMs));
        const double perItem = (residentBytes() - before) / kItems;
        const double pictures = perItem / kPictureBytes;
        qInfo("resident growth per 360p item: %.2f MB, %.1f pictures", perItem / 1048576.0, pictures);
        QVERIFY2(pictures <= kPicturesPerItemAtMost, qPrintable(QString::number(pictures)));
        QCOMPARE(items.first()->videoInfo()->resolution(), kPictureSize);
        qDeleteAll(items);
    }

    // The client's wiring, as its main() sets it up (AllocatorTuning::apply()): once the
    // library has closed a stream, its receiver goes and tells the trimmer, which gives the
    // heaps' free pages back (HeapTrimmer). Without it a carousel's wall kept tens of MB of
    // pages freed by closed streams. Last: apply() holds for the rest of the process.
    void closedStreamLeadsToAHeapTrim()
    {
        const QString url = fileUrl(clip360p());
        QVERIFY(!url.isEmpty());
        // Streams closed before (the case above) are gone: only this one can lead to a trim.
        QVERIFY(StreamCloser::instance().waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        AllocatorTuning::apply();
        const HeapTrimmer &trimmer = HeapTrimmer::instance();
        Scene scene(QSize(320, 180));
        VideoItem *item = scene.addItem(QSizeF(320, 180));
        item->setVideoUrl(url);
        QVERIFY(waitFor([&] { return item->drawnFrameCount() >= 10; }, kEventWaitMs));
        const int trimsWhilePlaying = trimmer.trims();
        delete item;
        QVERIFY(StreamCloser::instance().waitUntilIdle(std::chrono::milliseconds(kEventWaitMs)));
        QVERIFY2(waitFor([&] { return trimmer.trims() > trimsWhilePlaying; }, kEventWaitMs),
                 qPrintable(QStringLiteral("no trim within %1 ms of the stream's close (trims so far: %2)")
                                .arg(kEventWaitMs)
                                .arg(trimmer.trims())));
    }
};

QTEST_MAIN(TestVideoMemory)
#include "tst_videomemory.moc"
