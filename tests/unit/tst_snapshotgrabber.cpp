#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

#include "snapshotgrabber.h"
#include "videopreviewer.h"

namespace {

// A tight I420 picture of one colour (BT.601 limited range).
std::vector<uchar> i420Picture(QSize size, uchar y, uchar u, uchar v)
{
    const int chroma = ((size.width() + 1) / 2) * ((size.height() + 1) / 2);
    std::vector<uchar> data(size_t(size.width() * size.height()), y);
    data.insert(data.end(), size_t(chroma), u);
    data.insert(data.end(), size_t(chroma), v);
    return data;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files);
}

} // namespace

class TestSnapshotGrabber : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_folder;
    int m_idCounter = 0;
    QString m_id;

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        m_folder = m_dir->filePath(QStringLiteral("snapshot/video"));
        m_id = QStringLiteral("item-%1").arg(++m_idCounter);
        VideoPreviewer::instance()->previewVideo(m_id);
    }

    void cleanup() { VideoPreviewer::instance()->removePreviewVideo(m_id); }

    void conversionKeepsColoursAndOddSizes_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("even") << QSize(64, 36);
        QTest::newRow("854 wide") << QSize(854, 480);
    }

    void conversionKeepsColoursAndOddSizes()
    {
        QFETCH(QSize, size);
        const std::vector<uchar> red = i420Picture(size, 81, 90, 240);
        const QImage image = SnapshotGrabber::imageFromI420(red.data(), size);
        QCOMPARE(image.size(), size);
        for (const QPoint &p : {QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1)}) {
            const QColor c = image.pixelColor(p);
            QVERIFY2(c.red() > 230 && c.green() < 25 && c.blue() < 25, qPrintable(c.name()));
        }
    }

    void oddSizesAreRefused()
    {
        const std::vector<uchar> picture = i420Picture(QSize(15, 9), 81, 90, 240);
        QVERIFY(SnapshotGrabber::imageFromI420(picture.data(), QSize(15, 9)).isNull());
    }

    void firstPictureGoesToThePreviewOnly()
    {
        SnapshotGrabber grabber(m_id, m_folder);
        QVERIFY(grabber.isPending());
        QSignalSpy updated(VideoPreviewer::instance(), &VideoPreviewer::updateVideoPreview);
        const std::vector<uchar> picture = i420Picture(QSize(32, 18), 145, 54, 34);
        grabber.takePicture(picture.data(), QSize(32, 18), true);
        QVERIFY(!grabber.isPending());
        QCOMPARE(updated.count(), 1);
        QCOMPARE(VideoPreviewer::instance()->getPreview(m_id).size(), QSize(32, 18));
        QVERIFY(!QDir(m_folder).exists());
        grabber.takePicture(picture.data(), QSize(32, 18), true); // nothing pending
        QCOMPARE(updated.count(), 1);
    }

    void requestedSnapshotsAreWrittenOnce()
    {
        SnapshotGrabber grabber(m_id, m_folder);
        const std::vector<uchar> picture = i420Picture(QSize(32, 18), 41, 240, 110);
        grabber.takePicture(picture.data(), QSize(32, 18), true);
        grabber.request(QString(), true); // ignored
        QVERIFY(!grabber.isPending());
        grabber.request(QStringLiteral("first.png"), true);
        grabber.request(QStringLiteral("东门-2026-12-07-10-00-00-000.png"), true);
        grabber.takePicture(picture.data(), QSize(32, 18), true);
        QCOMPARE(filesIn(m_folder), QStringList{QStringLiteral("东门-2026-12-07-10-00-00-000.png")});
        QCOMPARE(grabber.lastSavedFile(), m_folder + QStringLiteral("/东门-2026-12-07-10-00-00-000.png"));
        QCOMPARE(QImage(grabber.lastSavedFile()).size(), QSize(32, 18));

        grabber.request(QStringLiteral("preview-only.png"), false);
        grabber.takePicture(picture.data(), QSize(32, 18), true);
        QCOMPARE(filesIn(m_folder).size(), 1);
    }

    // Someone watching the folder sees the picture only complete: nothing is written to
    // the final name; a write that fails half-way (file size limit) leaves no file.
    void snapshotsAppearOnlyComplete()
    {
        QVERIFY(QDir().mkpath(m_folder));
        const int watch = inotify_init1(IN_NONBLOCK);
        QVERIFY(watch >= 0);
        QVERIFY(inotify_add_watch(watch, QFile::encodeName(m_folder).constData(), IN_MODIFY | IN_CLOSE_WRITE) >= 0);
        SnapshotGrabber grabber(m_id, m_folder);
        grabber.takePicture(nullptr, QSize(16, 16), false); // the first picture, for the preview only
        const QString name = QStringLiteral("东门入口-2026-12-07-10-00-00-000.png");
        grabber.request(name, true);
        const std::vector<uchar> picture = i420Picture(QSize(640, 360), 81, 90, 240);
        grabber.takePicture(picture.data(), QSize(640, 360), true);
        QCOMPARE(filesIn(m_folder), QStringList{name});
        QByteArray events(64 * 1024, Qt::Uninitialized);
        const ssize_t length = ::read(watch, events.data(), size_t(events.size()));
        QStringList writtenNames;
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(events.constData() + at);
            if (event->len > 0)
                writtenNames << QFile::decodeName(event->name);
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
        ::close(watch);
        QVERIFY2(!writtenNames.contains(name), qPrintable(writtenNames.join(',')));
        QCOMPARE(QImage(grabber.lastSavedFile()).size(), QSize(640, 360));

        // Noise compresses badly: far more than the 4 KiB the process may write to one file.
        std::vector<uchar> noise = picture;
        uint seed = 12345;
        for (uchar &value : noise)
            value = uchar((seed = seed * 1103515245u + 12345u) >> 16);
        grabber.request(QStringLiteral("cut-short.png"), true);
        const sighandler_t previousHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit previous {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &previous), 0);
        rlimit small = previous;
        small.rlim_cur = 4096;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        grabber.takePicture(noise.data(), QSize(640, 360), true);
        ::setrlimit(RLIMIT_FSIZE, &previous);
        ::signal(SIGXFSZ, previousHandler);
        QCOMPARE(grabber.lastSavedFile(), QString());
        QCOMPARE(filesIn(m_folder), QStringList{name});
    }

    void titlesCannotLeaveTheFolder()
    {
        SnapshotGrabber grabber(m_id, m_folder);
        grabber.request(QStringLiteral("../../outside/cam.png"), true);
        const std::vector<uchar> picture = i420Picture(QSize(16, 16), 128, 128, 128);
        grabber.takePicture(picture.data(), QSize(16, 16), true);
        QCOMPARE(filesIn(m_folder), QStringList{QStringLiteral("---..-outside-cam.png")});
        QVERIFY(!QDir(m_dir->filePath(QStringLiteral("outside"))).exists());
    }

    void newStreamDropsAPendingFileSnapshot()
    {
        SnapshotGrabber grabber(m_id, m_folder);
        grabber.request(QStringLiteral("old-stream.png"), true);
        grabber.dropFileRequest();
        QVERIFY(grabber.isPending()); // the new stream's first picture still reaches the preview
        const std::vector<uchar> picture = i420Picture(QSize(16, 16), 128, 128, 128);
        grabber.takePicture(picture.data(), QSize(16, 16), true);
        QVERIFY(filesIn(m_folder).isEmpty());
        QVERIFY(!VideoPreviewer::instance()->getPreview(m_id).isNull());
    }

    void unreadablePicturesWriteNothing()
    {
        SnapshotGrabber grabber(m_id, m_folder);
        grabber.request(QStringLiteral("gpu.png"), true);
        grabber.takePicture(nullptr, QSize(16, 16), false);
        QVERIFY(!grabber.isPending());
        QVERIFY(filesIn(m_folder).isEmpty());
        QVERIFY(grabber.lastSavedFile().isEmpty());
    }

    void requestsRaceWithPictures()
    {
        SnapshotGrabber grabber(m_id, m_folder);
        const std::vector<uchar> picture = i420Picture(QSize(8, 8), 128, 128, 128);
        std::atomic<bool> stop{false};
        std::thread library([&]() {
            while (!stop.load())
                grabber.takePicture(picture.data(), QSize(8, 8), true);
        });
        for (int i = 0; i < 200; ++i)
            grabber.request(QStringLiteral("shot-%1.png").arg(i % 5), i % 2 == 0);
        stop.store(true);
        library.join();
        for (const QString &file : filesIn(m_folder))
            QVERIFY2(file.startsWith(QStringLiteral("shot-")) && file.endsWith(QStringLiteral(".png")), qPrintable(file));
    }

    void folders()
    {
        QCOMPARE(SnapshotGrabber::snapshotFolderFor(QStringLiteral("/data/vss")), QStringLiteral("/data/vss/snapshot/video"));
        QCOMPARE(SnapshotGrabber::snapshotFolderFor(QString()),
                 QCoreApplication::applicationDirPath() + QStringLiteral("/snapshot/video"));
        QCOMPARE(SnapshotGrabber::recordFolder(), QCoreApplication::applicationDirPath() + QStringLiteral("/record/video"));
    }
};

QTEST_MAIN(TestSnapshotGrabber)
#include "tst_snapshotgrabber.moc"
