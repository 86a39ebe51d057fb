// The player library on local files: frame count, pacing, speeds, key frames only,
// seeking, decode switches and the pictures themselves against ffmpeg's decode.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "eventwait.h"
#include "channelprobe.h"
#include "libZelkaExPlayer.h"
#include "testmedia.h"

namespace {

using Event = ChannelProbe::Event;

double seconds(ChannelProbe::Clock::time_point from, ChannelProbe::Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// Mean absolute difference of two byte blocks of the same size, or -1.
double meanDifference(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size() || a.isEmpty())
        return -1;
    double sum = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        sum += std::abs(int(uchar(a[i])) - int(uchar(b[i])));
    return sum / double(a.size());
}

// The progress told from `from` on, or (`after` false) before it.
std::vector<uint32_t> progressAfter(const std::vector<Event> &events, ChannelProbe::Clock::time_point from, bool after = true)
{
    std::vector<uint32_t> values;
    for (const Event &event : events) {
        if (event.type == CALLBACK_PROGRESS && (event.at >= from) == after)
            values.push_back(event.seconds);
    }
    return values;
}

// The whole second of each picture, in the order they came (a frame time precedes each).
std::vector<int> pictureSeconds(const std::vector<Event> &events)
{
    std::vector<int> seconds;
    int second = -1;
    for (const Event &event : events) {
        if (event.type == CALLBACK_FRAME_TIME)
            second = event.hour * 3600 + event.minute * 60 + event.second;
        else if (event.type == CALLBACK_MEDIA_FRAME && event.media == ZELKA_MEDIA_VIDEO)
            seconds.push_back(second);
    }
    return seconds;
}

} // namespace

class TestPlayerFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(libZelkaExPlayer_Initialize(128), 0);
        QVERIFY(!TestMedia::h264TenSeconds().isEmpty());
    }

    void cleanupTestCase()
    {
        QCOMPARE(libZelkaExPlayer_Deinitialize(), 0);
        QCOMPARE(ChannelProbe::callbacksAfterClose(), 0);
    }

    // Three channels at once (the run takes as long as the slowest): normal speed,
    // speed 2 and key frames only at speed 16.
    void playsFilesAtTheirPace()
    {
        const QString file = TestMedia::h264TenSeconds();
        ChannelProbe normal, doubled, keyFrames;
        ChannelProbe::Options paused;
        paused.start = false;
        QVERIFY(normal.open(file, paused) > 0);
        QVERIFY(doubled.open(file, paused) > 0);
        QVERIFY(keyFrames.open(file, paused) > 0);
        QCOMPARE(libZelkaExPlayer_SetPlaySpeed(0, doubled.id(), ZELKA_SPEED_2), 0);
        QCOMPARE(libZelkaExPlayer_SetPlaySpeed(0, keyFrames.id(), ZELKA_SPEED_16), 0);
        QCOMPARE(libZelkaExPlayer_SetDecodeType(0, keyFrames.id(), 1), 0);
        const auto start = ChannelProbe::Clock::now();
        for (ChannelProbe *probe : {&normal, &doubled, &keyFrames})
            QCOMPARE(libZelkaExPlayer_StartPlayStream(0, probe->id(), 0, ZELKA_RENDER_YV12, 0), 0);

        QVERIFY(keyFrames.waitForEvent(CALLBACK_STREAM_END, kEventWaitMs));
        QVERIFY(doubled.waitForEvent(CALLBACK_STREAM_END, kEventWaitMs));
        QVERIFY(normal.waitForEvent(CALLBACK_STREAM_END, kEventWaitMs));
        QTest::qWait(300); // nothing may follow the end

        // Normal speed: every frame once, at the file's pace, then exactly one end.
        QCOMPARE(normal.frames(), 250);
        QCOMPARE(normal.count(CALLBACK_STREAM_END), 1);
        QCOMPARE(normal.seconds(CALLBACK_DURATION), std::vector<uint32_t>{10});
        QCOMPARE(normal.seconds(CALLBACK_PROGRESS), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
        const std::vector<Event> events = normal.events();
        QCOMPARE(events.back().type, int(CALLBACK_STREAM_END));
        const double playTime = seconds(normal.firstFrame().at, events.back().at);
        QVERIFY2(playTime > 9.5 && playTime < 60, qPrintable(QString::number(playTime)));
        const Event first = normal.firstFrame();
        QCOMPARE(first.width, 320);
        QCOMPARE(first.height, 240);
        QCOMPARE(first.codecId, 27u);
        QCOMPARE(first.frameRate, 25);
        QCOMPARE(normal.count(CALLBACK_FRAME_TIME), 250);
        const auto lastTime = std::find_if(events.rbegin(), events.rend(),
                                           [](const Event &e) { return e.type == CALLBACK_FRAME_TIME; });
        QCOMPARE(lastTime->hour, 0);
        QCOMPARE(lastTime->minute, 0);
        QCOMPARE(lastTime->second, 9);

        // Speed 2: the same frames in half the time. Judged against the normal stream, which ran
        // beside it on the same (maybe busy) processors.
        QCOMPARE(doubled.frames(), 250);
        const double doubledTime = seconds(doubled.firstFrame().at, doubled.events().back().at);
        QVERIFY2(doubledTime > 4.6 && doubledTime < playTime * 0.75,
                 qPrintable(QStringLiteral("%1 s beside the normal %2 s").arg(doubledTime).arg(playTime)));

        // Key frames only: one picture per 25-frame group, not at the normal pace.
        QVERIFY2(keyFrames.frames() >= 9 && keyFrames.frames() <= 11, qPrintable(QString::number(keyFrames.frames())));
        const double keyFramesTime = seconds(start, keyFrames.events().back().at);
        QVERIFY2(keyFramesTime < seconds(start, events.back().at) / 2,
                 qPrintable(QStringLiteral("%1 s beside the normal %2 s").arg(keyFramesTime).arg(playTime)));
    }

    void firstPictureMatchesFfmpeg_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("h264 4:2:0") << TestMedia::h264TenSeconds() << QString() << 0.0;
        QTest::newRow("h265 4:2:0") << TestMedia::h265TenSeconds() << QString() << 0.0;
        // Other layouts are converted; odd sizes lose their last column and row.
        QTest::newRow("h264 4:2:2 321x241") << TestMedia::h264OddSize422() << "crop=320:240:0:0" << 1.0;
        QTest::newRow("h265 10-bit") << TestMedia::h265TenBit() << QString() << 1.0;
    }

    void firstPictureMatchesFfmpeg()
    {
        QFETCH(QString, file);
        QFETCH(QString, filter);
        QFETCH(double, tolerance);
        QVERIFY(!file.isEmpty());
        const QByteArray expected = TestMedia::firstPicture(file, "yuv420p", filter);
        QVERIFY(!expected.isEmpty());

        ChannelProbe probe;
        QVERIFY(probe.open(file) > 0);
        QVERIFY(probe.waitForFrames(1, kEventWaitMs));
        const Event first = probe.firstFrame();
        QCOMPARE(first.width % 2, 0);
        QCOMPARE(first.height % 2, 0);
        const QByteArray picture = probe.firstPicture();
        QCOMPARE(picture.size(), qsizetype(first.width * first.height * 3 / 2));
        QCOMPARE(picture.size(), expected.size());
        const double difference = meanDifference(picture, expected);
        QVERIFY2(difference >= 0 && difference <= tolerance, qPrintable(QString::number(difference)));
    }

    void seekLandsWithinOneGroup()
    {
        ChannelProbe probe;
        QVERIFY(probe.open(TestMedia::h264TenSeconds()) > 0);
        QVERIFY(probe.waitFor([&] { return probe.seconds(CALLBACK_PROGRESS).size() >= 2; }, kEventWaitMs));
        const auto seekAt = ChannelProbe::Clock::now();
        QCOMPARE(libZelkaExPlayer_SeekFile(0, probe.id(), 6), 0);
        QVERIFY(probe.waitFor([&] {
            const auto after = progressAfter(probe.events(), seekAt);
            return std::find(after.begin(), after.end(), 6u) != after.end();
        }, kEventWaitMs));
        // It jumped: nothing between the old position and the target was played. A second
        // that began while the seek was on its way may still be told.
        const std::vector<uint32_t> before = progressAfter(probe.events(), seekAt, false);
        const uint32_t reached = before.empty() ? 0 : before.back();
        for (uint32_t second : progressAfter(probe.events(), seekAt))
            QVERIFY2(second <= reached + 1 || second >= 5, qPrintable(QStringLiteral("%1 after %2").arg(second).arg(reached)));
        QVERIFY(probe.waitForEvent(CALLBACK_STREAM_END, kEventWaitMs));
        QCOMPARE(probe.seconds(CALLBACK_PROGRESS).back(), 9u);
    }

    void seekBeforeTheStreamOpened()
    {
        ChannelProbe probe;
        ChannelProbe::Options paused;
        paused.start = false;
        QVERIFY(probe.open(TestMedia::h264TenSeconds(), paused) > 0);
        QCOMPARE(libZelkaExPlayer_SeekFile(0, probe.id(), 8), 0);
        QCOMPARE(libZelkaExPlayer_StartPlayStream(0, probe.id(), 0, ZELKA_RENDER_YV12, 0), 0);
        QVERIFY(probe.waitForEvent(CALLBACK_STREAM_END, kEventWaitMs));
        const std::vector<uint32_t> progress = probe.seconds(CALLBACK_PROGRESS);
        QVERIFY(!progress.empty());
        QVERIFY2(progress.front() >= 7, qPrintable(QString::number(progress.front())));
        QVERIFY(probe.frames() <= 60);
    }

    void seekAfterTheEndPlaysAgain()
    {
        ChannelProbe probe;
        QVERIFY(probe.open(TestMedia::h264TenSeconds()) > 0);
        QCOMPARE(libZelkaExPlayer_SetPlaySpeed(0, probe.id(), ZELKA_SPEED_16), 0);
        QVERIFY(probe.waitForEvent(CALLBACK_STREAM_END, kEventWaitMs));
        const int framesAtEnd = probe.frames();
        QCOMPARE(libZelkaExPlayer_SeekFile(0, probe.id(), 9), 0);
        QVERIFY(probe.waitFor([&] { return probe.count(CALLBACK_STREAM_END) == 2; }, kEventWaitMs));
        QVERIFY(probe.frames() > framesAtEnd);
    }

    // Judged by the pictures' own times (whole seconds; a key frame starts each one),
    // not by how many arrive in a window of wall-clock time.
    void keyFramesOnlyIsSwitchedWhilePlaying()
    {
        ChannelProbe probe;
        QVERIFY(probe.open(TestMedia::h264TenSeconds()) > 0);
        QCOMPARE(libZelkaExPlayer_SetPlaySpeed(0, probe.id(), ZELKA_SPEED_4), 0);
        QVERIFY(probe.waitForFrames(10, kEventWaitMs));
        QCOMPARE(libZelkaExPlayer_SetDecodeType(0, probe.id(), 1), 0);
        // The picture in flight at the switch may still come: count from the next one.
        const int switched = probe.frames() + 1;
        QVERIFY(probe.waitForFrames(switched + 3, kEventWaitMs));
        const std::vector<int> keyFrameSeconds = pictureSeconds(probe.events());
        QCOMPARE(libZelkaExPlayer_SetDecodeType(0, probe.id(), 0), 0);
        for (int i = switched; i < switched + 3; ++i)
            QVERIFY2(keyFrameSeconds[i] > keyFrameSeconds[i - 1], qPrintable(QString::number(keyFrameSeconds[i])));
        const int again = probe.frames() + 1;
        QVERIFY(probe.waitForFrames(again + 10, kEventWaitMs));
        const std::vector<int> allSeconds = pictureSeconds(probe.events());
        QVERIFY(std::adjacent_find(allSeconds.begin() + again, allSeconds.begin() + again + 10) != allSeconds.begin() + again + 10);
    }

    // A consumer that holds one picture for most of half a second: the pictures after it
    // come at the file's rate again, not in a burst that races through the backlog (which
    // drew several per cent more pictures a second than the stream has).
    void aStallIsNotFollowedByABurst()
    {
        constexpr int kStallAt = 20;
        ChannelProbe probe;
        probe.setOnPicture([](ChannelProbe &self) {
            if (self.frames() == kStallAt)
                std::this_thread::sleep_for(std::chrono::milliseconds(450));
        });
        QVERIFY(probe.open(TestMedia::h264TenSeconds()) > 0);
        QVERIFY(probe.waitForFrames(kStallAt + 12, kEventWaitMs));
        std::vector<ChannelProbe::Clock::time_point> pictures;
        for (const Event &event : probe.events()) {
            if (event.type == CALLBACK_MEDIA_FRAME && event.media == ZELKA_MEDIA_VIDEO)
                pictures.push_back(event.at);
        }
        // The first picture after the stall comes at once; of those after it, a burst
        // would bring about ten within 150 ms, the file's rate four.
        const auto resumed = pictures[kStallAt];
        const auto burst = std::count_if(pictures.begin() + kStallAt + 1, pictures.end(), [&](auto at) {
            return at - resumed < std::chrono::milliseconds(150);
        });
        QVERIFY2(burst <= 6, qPrintable(QString::number(burst)));
    }

    // Judged by the file's progress, not by wall-clock time.
    void decodingDisabledDeliversNoPicturesButKeepsTime()
    {
        ChannelProbe probe;
        QVERIFY(probe.open(TestMedia::h264TenSeconds()) > 0);
        QCOMPARE(libZelkaExPlayer_SetPlaySpeed(0, probe.id(), ZELKA_SPEED_4), 0);
        QVERIFY(probe.waitForFrames(1, kEventWaitMs));
        QCOMPARE(libZelkaExPlayer_SetEnableDecode(0, probe.id(), 0), 0);
        const size_t progress = probe.seconds(CALLBACK_PROGRESS).size();
        // Once the file moved on a second, no picture is in flight any more.
        QVERIFY(probe.waitFor([&] { return probe.seconds(CALLBACK_PROGRESS).size() > progress; },
                              kEventWaitMs));
        const int frames = probe.frames();
        QVERIFY(probe.waitFor([&] { return probe.seconds(CALLBACK_PROGRESS).size() > progress + 2; },
                              kEventWaitMs));
        QCOMPARE(probe.frames(), frames);
        QCOMPARE(libZelkaExPlayer_SetEnableDecode(0, probe.id(), 1), 0);
        QVERIFY(probe.waitForFrames(frames + 5, kEventWaitMs));
    }

    // Decoding switched on again starts at a key frame: an H.265 decoder would otherwise
    // show pictures predicted from missing references, grey smears without colour (the
    // test pattern has colour everywhere). The file's key frames fall on whole seconds:
    // switched on just after a second, the next pictures are not key frames.
    void decodingResumesAtAKeyFrame()
    {
        ChannelProbe probe;
        QVERIFY(probe.open(TestMedia::h265TenSeconds()) > 0);
        QVERIFY(probe.waitForFrames(3, kEventWaitMs));
        for (int round = 0; round < 3; ++round) {
            QCOMPARE(libZelkaExPlayer_SetEnableDecode(0, probe.id(), 0), 0);
            const size_t progress = probe.seconds(CALLBACK_PROGRESS).size();
            QVERIFY(probe.waitFor([&] { return probe.seconds(CALLBACK_PROGRESS).size() > progress; },
                                  kEventWaitMs));
            probe.forgetFirstPicture();
            QCOMPARE(libZelkaExPlayer_SetEnableDecode(0, probe.id(), 1), 0);
            QVERIFY(probe.waitFor([&] { return !probe.firstPicture().isEmpty(); }, kEventWaitMs));
            const QByteArray picture = probe.firstPicture();
            QCOMPARE(picture.size(), 320 * 240 * 3 / 2);
            const int chroma = 160 * 120;
            int neutral = 0;
            for (int i = 0; i < chroma; ++i) {
                const int u = uchar(picture[320 * 240 + i]);
                const int v = uchar(picture[320 * 240 + chroma + i]);
                neutral += std::abs(u - 128) < 6 && std::abs(v - 128) < 6;
            }
            QVERIFY2(neutral < chroma / 2, qPrintable(QStringLiteral("round %1: %2 of %3 chroma samples grey")
                                                          .arg(round).arg(neutral).arg(chroma)));
        }
    }

    void stoppedChannelCallsNothingUntilStartedAgain()
    {
        ChannelProbe probe;
        QVERIFY(probe.open(TestMedia::h264TenSeconds()) > 0);
        QVERIFY(probe.waitForFrames(3, kEventWaitMs));
        QCOMPARE(libZelkaExPlayer_StopPlayStream(0, probe.id()), 0);
        const size_t count = probe.events().size();
        QTest::qWait(400);
        QCOMPARE(probe.events().size(), count);
        QCOMPARE(libZelkaExPlayer_StartPlayStream(0, probe.id(), 0, 22, 1), 0);
        QVERIFY(probe.waitForFrames(10, kEventWaitMs));
    }

    void fileUrlsArePercentDecoded()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath("a clip #1.mp4");
        QVERIFY(QFile::copy(TestMedia::h264TenSeconds(), copy));
        ChannelProbe probe;
        QVERIFY(probe.open(QUrl::fromLocalFile(copy).toString(QUrl::FullyEncoded)) > 0);
        QVERIFY(probe.waitForFrames(1, kEventWaitMs));
    }

    // Audio is described (codec, rate), not decoded; a video-only channel says nothing of it.
    void audioIsDescribedWhenAsked()
    {
        const QString file = TestMedia::h264WithAac();
        QVERIFY(!file.isEmpty());
        ChannelProbe withAudio, videoOnly;
        ChannelProbe::Options options;
        QVERIFY(withAudio.open(file, options) > 0);
        options.mediaMask = ZELKA_MEDIA_VIDEO;
        QVERIFY(videoOnly.open(file, options) > 0);
        QVERIFY(withAudio.waitForEvent(CALLBACK_STREAM_END, kEventWaitMs));
        QVERIFY(videoOnly.waitForEvent(CALLBACK_STREAM_END, kEventWaitMs));
        int audioNotes = 0;
        for (const Event &event : withAudio.events()) {
            if (event.type == CALLBACK_MEDIA_FRAME && event.media == ZELKA_MEDIA_AUDIO) {
                ++audioNotes;
                QCOMPARE(event.codecId, 86018u);
                QCOMPARE(event.sampleRate, 48000u);
            }
        }
        QVERIFY(audioNotes >= 1 && audioNotes <= 4); // about one a second
        QCOMPARE(withAudio.frames(), 50);
        for (const Event &event : videoOnly.events())
            QVERIFY(event.media != ZELKA_MEDIA_AUDIO || event.type != CALLBACK_MEDIA_FRAME);
    }

    // A raw stream has no duration and no timestamps: it is still a file, played at
    // its pace from the first picture to the last, and it ends.
    void rawStreamIsPacedAndWhole()
    {
        const QString file = TestMedia::rawH264();
        QVERIFY(!file.isEmpty());
        ChannelProbe probe;
        QVERIFY(probe.open(file) > 0);
        QVERIFY(probe.waitForEvent(CALLBACK_STREAM_END, kEventWaitMs));
        QCOMPARE(probe.frames(), 100);
        QCOMPARE(probe.count(CALLBACK_DURATION), 0);
        QCOMPARE(probe.seconds(CALLBACK_PROGRESS), (std::vector<uint32_t>{0, 1, 2, 3}));
        QCOMPARE(probe.firstFrame().frameRate, 25);
        const double playTime = seconds(probe.firstFrame().at, probe.events().back().at);
        QVERIFY2(playTime > 3.7, qPrintable(QString::number(playTime)));
    }

    void refusesBadCallsAndUnknownChannels()
    {
        QVERIFY(libZelkaExPlayer_OpenStream(0, 0, nullptr, 1, 7, nullptr, nullptr, 1, 1, 0, "", "", 0, 0) <= 0);
        QVERIFY(libZelkaExPlayer_OpenStream(0, 0, "", 1, 7, nullptr, nullptr, 1, 1, 0, "", "", 0, 0) <= 0);
        const int unknown = 999999;
        QVERIFY(libZelkaExPlayer_StartPlayStream(0, unknown, 0, ZELKA_RENDER_YV12, 0) < 0);
        QVERIFY(libZelkaExPlayer_SeekFile(0, unknown, 1) < 0);
        QVERIFY(libZelkaExPlayer_SetPlaySpeed(0, unknown, 7) < 0);
        QVERIFY(libZelkaExPlayer_StartRecording(0, unknown, "/tmp", "/x.mp4", 1024, 3600, 0, 1) < 0);
        QVERIFY(libZelkaExPlayer_CloseStream(0, unknown) < 0);
        QVERIFY(libZelkaExPlayer_CloseStream(0, -1) < 0);
    }

    // Opening a FIFO without a writer blocks in open(2), which FFmpeg cannot
    // interrupt: the close still returns at once and the reader ends on its own.
    void closeDoesNotWaitForACallThatCannotBeInterrupted()
    {
        QTemporaryDir dir;
        const QByteArray fifo = QFile::encodeName(dir.filePath("stuck.fifo"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        ChannelProbe probe;
        QVERIFY(probe.open(QString::fromLocal8Bit(fifo)) > 0);
        QTest::qWait(200);
        const auto before = ChannelProbe::Clock::now();
        probe.close();
        QVERIFY(seconds(before, ChannelProbe::Clock::now()) < 10.0); // not the blocked open's time (for good)
        // Let the stuck reader go: a writer that closes at once gives it an end of file.
        const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY(writer >= 0);
        ::close(writer);
        QTest::qWait(200);
    }

    void missingFileGivesNoCallbacksAndClosesFast()
    {
        ChannelProbe probe;
        QVERIFY(probe.open(QDir::temp().filePath("no-such-clip-here.mp4")) > 0);
        QTest::qWait(300);
        QCOMPARE(probe.events().size(), size_t(0));
        const auto before = ChannelProbe::Clock::now();
        probe.close();
        QVERIFY(seconds(before, ChannelProbe::Clock::now()) < 10.0);
    }
};

QTEST_GUILESS_MAIN(TestPlayerFile)
#include "tst_playerfile.moc"
