// The hand-over between writer, pacer and renderer threads and the pacing arithmetic,
// without the player library: order, no lost wake-ups, bounded waits, prompt shutdown.
#include <QElapsedTimer>
#include <QTest>

#include "eventwait.h"
#include "framering.h"
#include "videopacer.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int64_t kMs = 1000000;
// Waits for something to happen allow this much on a loaded machine.

// A 16x16 picture whose first luma bytes carry a sequence number.
std::vector<uchar> numberedPicture(int number)
{
    std::vector<uchar> bytes(size_t(VideoBuffer::tightI420Bytes(16, 16)), 0);
    bytes[0] = uchar(number & 0xff);
    bytes[1] = uchar((number >> 8) & 0xff);
    return bytes;
}

int numberOf(const VideoBuffer &picture)
{
    const QByteArray &luma = picture.planeData(VideoBuffer::Y);
    return uchar(luma[0]) | (uchar(luma[1]) << 8);
}

bool holds(const VideoBuffer &picture, int number)
{
    return picture.planeData(VideoBuffer::Y).size() >= 2 && numberOf(picture) == number;
}

// Writes a numbered picture into the next slot unless none frees within a moment.
bool writeNumbered(FrameRing &ring, int number)
{
    VideoBuffer *slot = ring.beginWrite(std::chrono::milliseconds(50));
    if (!slot)
        return false;
    const std::vector<uchar> picture = numberedPicture(number);
    slot->assignTightI420(picture.data(), 16, 16);
    ring.endWrite(slot);
    return true;
}

// Takes the next slot and hands it over as it is.
bool writeSlot(FrameRing &ring, std::chrono::milliseconds bound)
{
    VideoBuffer *slot = ring.beginWrite(bound);
    if (!slot)
        return false;
    ring.endWrite(slot);
    return true;
}

VideoPacer::Inputs fastInputs(std::function<void()> repaint)
{
    VideoPacer::Inputs inputs;
    inputs.canPace = [] { return true; };
    inputs.intervalNs = [] { return int64_t(0); };
    inputs.frameRate = [] { return 1000; };
    inputs.cacheCount = [] { return 3; };
    inputs.keyFramesOnly = [] { return false; };
    inputs.requestRepaint = std::move(repaint);
    return inputs;
}

} // namespace

class TestFrameRing : public QObject
{
    Q_OBJECT

private slots:
    void pacingArithmetic()
    {
        const int64_t interval = 40 * kMs;
        // Cache exactly full: the plain interval.
        QCOMPARE(VideoPacer::waitBeforeRelease(10 * kMs, interval, 25, 3, false), 30 * kMs);
        // Cache short by 2: correction 2 x 40 ms / 25 = 3.2 ms longer.
        QCOMPARE(VideoPacer::waitBeforeRelease(10 * kMs, interval, 25, 1, false), 33200000ll);
        // Cache over by 2: 3.2 ms shorter.
        QCOMPARE(VideoPacer::waitBeforeRelease(10 * kMs, interval, 25, 5, false), 26800000ll);
        // Key frames only: 1 ms whatever the cache.
        QCOMPARE(VideoPacer::waitBeforeRelease(10 * kMs, interval, 25, 0, true), 31 * kMs);
        QCOMPARE(VideoPacer::waitBeforeRelease(10 * kMs, interval, 25, 9, true), 29 * kMs);
        // Late with a full cache: at once; late with a short cache: still the remainder.
        QCOMPARE(VideoPacer::waitBeforeRelease(34 * kMs, interval, 25, 3, false), 0ll);
        QCOMPARE(VideoPacer::waitBeforeRelease(34 * kMs, interval, 25, 2, false), 7600000ll);
        QCOMPARE(VideoPacer::waitBeforeRelease(50 * kMs, interval, 25, 1, false), 0ll);
        QCOMPARE(VideoPacer::waitBeforeRelease(0, interval, 25, 3, false), 0ll);
    }

    void frameIntervals()
    {
        QCOMPARE(VideoPacer::frameIntervalNs(0), 40000000ll);
        QCOMPARE(VideoPacer::frameIntervalNs(25), 40000000ll);
        QCOMPARE(VideoPacer::frameIntervalNs(30), 33000000ll);
        QCOMPARE(VideoPacer::frameIntervalNs(7), 142000000ll);
    }

    void copiesRowsWithRealStrides()
    {
        // 854 wide: chroma rows of 427 bytes are padded to 428 in the buffer.
        const int width = 854, height = 4;
        std::vector<uchar> tight(size_t(VideoBuffer::tightI420Bytes(width, height)));
        for (size_t i = 0; i < tight.size(); ++i)
            tight[i] = uchar(i * 7 + 3);
        VideoBuffer buffer;
        QVERIFY(buffer.assignTightI420(tight.data(), width, height));
        QCOMPARE(buffer.stride(VideoBuffer::U), 428);
        const uchar *source = tight.data();
        for (int plane = 0; plane < VideoBuffer::PlaneCount; ++plane) {
            const QSize extent = buffer.planeSize(plane);
            for (int y = 0; y < extent.height(); ++y) {
                const char *row = buffer.planeData(plane).constData() + y * buffer.stride(plane);
                QVERIFY(std::equal(source, source + extent.width(), reinterpret_cast<const uchar *>(row)));
                source += extent.width();
            }
        }
        QImage image;
        buffer.convertTo(image);
        QCOMPARE(image.size(), QSize(width, height));
    }

    void closeWakesABlockedWriter()
    {
        FrameRing ring;
        ring.open();
        const std::vector<uchar> picture = numberedPicture(1);
        for (int i = 0; i < FrameRing::kSlotCount; ++i) {
            VideoBuffer *slot = ring.beginWrite(std::chrono::milliseconds(100));
            QVERIFY(slot);
            slot->assignTightI420(picture.data(), 16, 16);
            ring.endWrite(slot);
        }
        QCOMPARE(ring.readyCount(), 3);
        QElapsedTimer timer;
        timer.start();
        std::thread closer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ring.close();
        });
        QVERIFY(!ring.beginWrite(std::chrono::milliseconds(5000)));
        closer.join();
        QVERIFY(timer.elapsed() < 3000); // not the writer's 5 s bound
    }

    void writerWaitIsBounded()
    {
        FrameRing ring;
        ring.open();
        for (int i = 0; i < FrameRing::kSlotCount; ++i) {
            QVERIFY(writeSlot(ring, std::chrono::milliseconds(10)));
        }
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!ring.beginWrite(std::chrono::milliseconds(80)));
        QVERIFY(timer.elapsed() >= 70);
    }

    void unconsumedFrameIsReleasedAfterTheBound()
    {
        FrameRing ring;
        ring.open();
        QVERIFY(writeSlot(ring, std::chrono::milliseconds(10)));
        const long long ticket = ring.waitForReadySlot([] { return true; }, std::chrono::milliseconds(100));
        QVERIFY(ticket >= 0);
        ring.present(ticket);
        QVERIFY(!ring.waitUntilConsumed(ticket, std::chrono::milliseconds(50)));
        QCOMPARE(ring.readyCount(), 0);
        QVERIFY(!ring.beginRead()); // withdrawn from the renderer
    }

    void pacerStopsPromptlyWhileWaiting()
    {
        FrameRing ring;
        ring.open();
        QVERIFY(writeSlot(ring, std::chrono::milliseconds(10)));
        std::atomic<int> repaints{0};
        QElapsedTimer timer;
        {
            VideoPacer pacer(ring, fastInputs([&] { repaints.fetch_add(1); }));
            QTRY_COMPARE_WITH_TIMEOUT(repaints.load(), 1, kEventWaitMs); // now waiting up to 3 s for the renderer
            timer.start();
        }
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    }

    // An idle pacer re-tests its gate once a second anyway: only many stops in a row
    // tell a prompt stop from one that waits for that second.
    void idlePacerStopsPromptly()
    {
        constexpr int kPacers = 20;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kPacers; ++i) {
            FrameRing ring;
            VideoPacer pacer(ring, fastInputs([] {}));
            QTest::qWait(20);
        }
        QVERIFY2(timer.elapsed() < kEventWaitMs / 2, qPrintable(QString::number(timer.elapsed()))); // not 20 x 1 s
    }

    // Writer, pacer and renderer at full speed: every picture arrives once, in order.
    void handsOverInOrderUnderLoad()
    {
        constexpr int kPictures = 3000;
        FrameRing ring;
        ring.open();
        std::atomic<bool> rendererRunning{true};
        std::atomic<int> repaintRequests{0};
        VideoPacer pacer(ring, fastInputs([&] { repaintRequests.fetch_add(1); }));
        std::vector<int> seen;
        std::atomic<int> seenCount{0};
        std::thread renderer([&] {
            while (rendererRunning.load()) {
                if (const VideoBuffer *picture = ring.beginRead()) {
                    seen.push_back(numberOf(*picture));
                    ring.endRead();
                    seenCount.fetch_add(1);
                } else {
                    std::this_thread::yield();
                }
            }
        });
        for (int number = 0; number < kPictures; ++number) {
            VideoBuffer *slot = ring.beginWrite(std::chrono::milliseconds(5000));
            QVERIFY(slot);
            const std::vector<uchar> picture = numberedPicture(number);
            slot->assignTightI420(picture.data(), 16, 16);
            ring.endWrite(slot);
        }
        QTRY_VERIFY_WITH_TIMEOUT(seenCount.load() >= kPictures, kEventWaitMs);
        rendererRunning.store(false);
        renderer.join();
        pacer.stop();
        QCOMPARE(int(seen.size()), kPictures);
        for (int i = 0; i < kPictures; ++i)
            QCOMPARE(seen[size_t(i)], i);
        QCOMPARE(pacer.consumeTimeouts(), 0ull);
    }

    // The renderer may take longer than the pacer's bound to copy a picture: the slot
    // it reads stays its own until it is done, whatever the pacer, a new session or a
    // storage release do meanwhile; the writer drops its pictures instead.
    void aSlotBeingReadIsNeverHandedBack()
    {
        const auto always = [] { return true; };
        FrameRing ring;
        ring.open();
        for (int number = 1; number <= 2; ++number)
            QVERIFY(writeNumbered(ring, number));
        long long ticket = ring.waitForReadySlot(always, std::chrono::milliseconds(100));
        ring.present(ticket);
        const VideoBuffer *reading = ring.beginRead();
        QVERIFY(reading);
        QVERIFY(!ring.waitUntilConsumed(ticket, std::chrono::milliseconds(10))); // the pacer gives up
        QVERIFY(writeNumbered(ring, 3));
        QVERIFY(!writeNumbered(ring, 4)); // the next slot is the one being read
        QVERIFY(holds(*reading, 1));
        ring.endRead();
        // Done: the slot is free again and the next picture goes out.
        QVERIFY(writeNumbered(ring, 4));
        ticket = ring.waitForReadySlot(always, std::chrono::milliseconds(100));
        ring.present(ticket);
        reading = ring.beginRead();
        QVERIFY(reading && holds(*reading, 2));

        ring.close();
        ring.open();
        QVERIFY(writeNumbered(ring, 5));
        QVERIFY(!writeNumbered(ring, 6)); // slot 1 is still being read
        ring.releaseStorage();
        QVERIFY(holds(*reading, 2));
        ring.endRead();
        QVERIFY(reading->isEmpty()); // released once read
        ring.open();
        for (int number = 7; number <= 9; ++number)
            QVERIFY(writeNumbered(ring, number));
    }

    // A channel that is still closing may be writing when the next session starts: its
    // picture never shows in the new session, its slot is left alone until it is done,
    // and the next session's writer waits for that slot instead of sharing it.
    void aWriteOfAnEndedSessionIsDropped()
    {
        const auto always = [] { return true; };
        FrameRing ring;
        const long long first = ring.open();
        VideoBuffer *late = ring.beginWrite(std::chrono::milliseconds(10), first);
        QVERIFY(late);
        ring.close();
        const long long second = ring.open();
        QVERIFY(second != first);
        QVERIFY(!ring.beginWrite(std::chrono::milliseconds(10), first)); // the old channel's next picture
        QVERIFY(!writeNumbered(ring, 1)); // slot 0 is still being written
        const std::vector<uchar> old = numberedPicture(99);
        late->assignTightI420(old.data(), 16, 16);
        ring.endWrite(late);
        QCOMPARE(ring.readyCount(), 0);
        QVERIFY(writeNumbered(ring, 2));
        const long long ticket = ring.waitForReadySlot(always, std::chrono::milliseconds(100));
        ring.present(ticket);
        const VideoBuffer *shown = ring.beginRead();
        QVERIFY(shown && holds(*shown, 2));
        ring.endRead();
    }

    // The renderer takes each picture's storage and gives back its previous one: the
    // ring then holds one spare picture, not one per slot; released storage stays
    // released, also for a write that was under way.
    void keepsOneSparePictureBesidesThoseInFlight()
    {
        const auto always = [] { return true; };
        FrameRing ring;
        ring.open();
        VideoBuffer drawn; // the scene graph's picture
        for (int number = 1; number <= 6; ++number) {
            QVERIFY(writeNumbered(ring, number));
            const long long ticket = ring.waitForReadySlot(always, std::chrono::milliseconds(100));
            ring.present(ticket);
            VideoBuffer *picture = ring.beginRead();
            QVERIFY(picture);
            drawn.swap(*picture);
            ring.endRead();
            QVERIFY(ring.waitUntilConsumed(ticket, std::chrono::milliseconds(100)));
            QVERIFY(holds(drawn, number));
            QVERIFY2(ring.storedPictures() <= 1, qPrintable(QString::number(ring.storedPictures())));
        }
        for (int number = 7; number <= 9; ++number)
            QVERIFY(writeNumbered(ring, number)); // three in flight: three stored
        QCOMPARE(ring.storedPictures(), 3);
        VideoBuffer *writing = nullptr;
        {
            const long long ticket = ring.waitForReadySlot(always, std::chrono::milliseconds(100));
            ring.present(ticket);
            QVERIFY(!ring.waitUntilConsumed(ticket, std::chrono::milliseconds(10))); // not drawn
            writing = ring.beginWrite(std::chrono::milliseconds(10));
            QVERIFY(writing);
        }
        ring.close();
        ring.releaseStorage();
        const std::vector<uchar> picture = numberedPicture(10);
        writing->assignTightI420(picture.data(), 16, 16);
        ring.endWrite(writing);
        QCOMPARE(ring.storedPictures(), 0);
    }

    // Decoding resumed after a pause: the pictures kept from before it are dropped, also
    // the one a pacer already took a ticket for; the next written picture is the next shown.
    void discardWaitingDropsOldPictures()
    {
        const auto always = [] { return true; };
        FrameRing ring;
        ring.open();
        QVERIFY(writeNumbered(ring, 1));
        QVERIFY(writeNumbered(ring, 2));
        const long long stale = ring.waitForReadySlot(always, std::chrono::milliseconds(100));
        QVERIFY(stale >= 0);
        ring.discardWaiting();
        QCOMPARE(ring.readyCount(), 0);
        QVERIFY(!ring.present(stale));
        QVERIFY(!ring.beginRead());
        QVERIFY(ring.storedPictures() <= 1);
        for (int number = 3; number <= 5; ++number)
            QVERIFY(writeNumbered(ring, number));
        for (int number = 3; number <= 5; ++number) {
            const long long ticket = ring.waitForReadySlot(always, std::chrono::milliseconds(100));
            QVERIFY(ring.present(ticket));
            VideoBuffer *picture = ring.beginRead();
            QVERIFY(picture);
            QVERIFY(holds(*picture, number));
            ring.endRead();
            QVERIFY(ring.waitUntilConsumed(ticket, std::chrono::milliseconds(100)));
        }

        // A picture being presented stays with the renderer.
        QVERIFY(writeNumbered(ring, 6));
        const long long ticket = ring.waitForReadySlot(always, std::chrono::milliseconds(100));
        QVERIFY(ring.present(ticket));
        ring.discardWaiting();
        VideoBuffer *picture = ring.beginRead();
        QVERIFY(picture);
        QVERIFY(holds(*picture, 6));
        ring.endRead();
    }

    void reopenDropsTheOldSession()
    {
        FrameRing ring;
        ring.open();
        QVERIFY(writeSlot(ring, std::chrono::milliseconds(10)));
        ring.close();
        QVERIFY(!ring.beginWrite(std::chrono::milliseconds(10)));
        ring.open();
        QCOMPARE(ring.readyCount(), 0);
        QVERIFY(ring.beginWrite(std::chrono::milliseconds(10)));
    }
};

QTEST_MAIN(TestFrameRing)
#include "tst_framering.moc"
