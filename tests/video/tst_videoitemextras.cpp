// What a playing item reports and keeps besides its pictures: stream statistics, the
// network delay of RTSP streams, local snapshots and recordings.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "settingmanager.h"
#include "testserver.h"
#include "videoinfo.h"
#include "videoitem.h"
#include "videopreviewer.h"
#include "videotestkit.h"

using namespace VideoTestKit;

namespace {
// Waits for something to happen allow this much on a loaded machine.
constexpr int kEventMs = 30000;

bool hasPreview(const VideoItem *item)
{
    return !VideoPreviewer::instance()->getPreview(item->videoId()).isNull();
}
} // namespace

class TestVideoItemExtras : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    QTemporaryDir m_snapshots;

    QString rtsp(const char *mount) const
    {
        return QStringLiteral("rtsp://127.0.0.1:%1/live/%2").arg(m_server.rtspPort()).arg(QLatin1String(mount));
    }

    QString snapshotFolder() const { return m_snapshots.path() + QStringLiteral("/snapshot/video"); }

private slots:
    void initTestCase()
    {
        QVERIFY(!tenSecondClip().isEmpty());
        QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
        SettingManager::instance()->settings()->setSnapshotPath(m_snapshots.path());
    }

    void fileStatistics()
    {
        Scene scene;
        VideoItem *item = scene.addItem();
        item->setVideoUrl(fileUrl(tenSecondClip()));
        VideoInfo *info = item->videoInfo();
        QVERIFY(waitFor([info] { return info->videoCodec() == QLatin1String("h264"); }, kEventMs));
        QCOMPARE(info->resolution(), QSize(320, 240));
        QVERIFY(waitFor([info] { return info->duration() == 10; }, kEventMs));
        QCOMPARE(info->packetLossRate(), 0.0f);
        QVERIFY(info->audioCodec().isEmpty());
    }

    void liveRtspStatisticsAndDelay()
    {
        Scene scene;
        VideoItem *item = scene.addItem();
        item->setVideoUrl(rtsp("h264-aac"));
        VideoInfo *info = item->videoInfo();
        QVERIFY(waitFor([info] { return info->audioCodec() == QLatin1String("mp4a"); }, kEventMs));
        QVERIFY(info->audioSampleRate() > 0);
        QVERIFY(waitFor([info] { return info->videoCodec() == QLatin1String("h264"); }, kEventMs));
        QVERIFY(waitFor([info] { return info->codeRate() > 0; }, kEventMs));
        // The probe ticks every 2 s against the stream's own RTSP server.
        QVERIFY(waitFor([item] { return item->networkDelay() < 3000; }, kEventMs));
        QVERIFY(item->networkDelay() >= 0);
    }

    void snapshotToFileAndPreview()
    {
        Scene scene;
        VideoItem *item = scene.addItem();
        QCOMPARE(item->snapshotPath(), snapshotFolder());
        QVERIFY(QDir(snapshotFolder()).exists());
        item->setVideoUrl(fileUrl(tenSecondClip()));
        QVERIFY(waitFor([item] { return hasPreview(item); }, kEventMs));

        item->snapshot(QString()); // nothing
        item->snapshot(QStringLiteral("东门/../入口-2026-12-07-10-00-00-000.png"));
        const QString expected = snapshotFolder() + QStringLiteral("/东门-..-入口-2026-12-07-10-00-00-000.png");
        QVERIFY2(waitFor([&] { return QFileInfo(expected).size() > 0; }, kEventMs),
                 qPrintable(QDir(snapshotFolder()).entryList().join(QLatin1Char(','))));
        QCOMPARE(QImage(expected).size(), QSize(320, 240));

        item->snapshot(QStringLiteral("preview-only.png"), false);
        QTest::qWait(300);
        QVERIFY(!QFileInfo::exists(snapshotFolder() + QStringLiteral("/preview-only.png")));
    }

    void newStreamDropsAPendingFileSnapshot()
    {
        Scene scene;
        VideoItem *item = scene.addItem();
        item->snapshot(QStringLiteral("before-any-stream.png"));
        item->setVideoUrl(fileUrl(tenSecondClip()));
        QVERIFY(waitFor([item] { return hasPreview(item); }, kEventMs));
        QVERIFY(!QFileInfo::exists(snapshotFolder() + QStringLiteral("/before-any-stream.png")));
    }

    void recordingOfALiveStream()
    {
        Scene scene;
        VideoItem *item = scene.addItem();
        item->startRecording(QStringLiteral("/not-open.mp4")); // no stream: nothing
        const QString folder = item->recordingPath();
        QVERIFY(QDir(folder).exists());
        const QString name = QStringLiteral("cam-%1.mp4").arg(QCoreApplication::applicationPid());
        QFile::remove(folder + QLatin1Char('/') + name);

        item->setVideoUrl(rtsp("h264"));
        QVERIFY(waitFor([item] { return item->drawnFrameCount() > 0; }, kEventMs));
        item->startRecording(QLatin1Char('/') + name);
        QTest::qWait(2500);
        item->stopRecording();
        const QString file = folder + QLatin1Char('/') + name;
        QVERIFY2(waitFor([&] { return QFileInfo(file).size() > 1000; }, kEventMs),
                 qPrintable(QDir(folder).entryList().join(QLatin1Char(','))));
        QFile::remove(file);
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/not-open.mp4")));
    }
};

QTEST_MAIN(TestVideoItemExtras)
#include "tst_videoitemextras.moc"
