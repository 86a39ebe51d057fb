// What the item draws, against ffmpeg's own decode of the same file. Runs on the
// software scene graph (offscreen) and, with ZELKA_EXPECT_GPU=1 under Xvfb, on
// OpenGL through the I420 material.
#include <QTest>

#include "eventwait.h"
#include "videoitem.h"
#include "videopreviewer.h"
#include "videotestkit.h"

using namespace VideoTestKit;

class TestVideoPicture : public QObject
{
    Q_OBJECT

private:
    bool expectGpu() const { return qEnvironmentVariableIntValue("ZELKA_EXPECT_GPU") == 1; }

    QImage drawnPicture(Scene &scene, VideoItem *item, const QString &file)
    {
        item->setVideoUrl(fileUrl(file));
        if (!waitFor([&] { return item->drawnFrameCount() >= 3; }, kEventWaitMs))
            return {};
        return scene.grab();
    }

private slots:
    void rendersOnTheExpectedPath()
    {
        Scene scene;
        QCOMPARE(!scene.isSoftware(), expectGpu());
    }

    void matchesTheDecodedPicture_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("matrix");
        QTest::newRow("320x240") << 320 << 240 << "bt601";
        QTest::newRow("854x480") << 854 << 480 << "bt601"; // rows not a multiple of 4 bytes in every plane
        QTest::newRow("366x208") << 366 << 208 << "bt601";
        QTest::newRow("1280x720") << 1280 << 720 << "bt709"; // HD streams that name no matrix
    }

    // The picture on screen and the still picture in the preview store alike.
    void matchesTheDecodedPicture()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, matrix);
        const QString file = colourBars(width, height, 2);
        QVERIFY(!file.isEmpty());
        const QImage reference = referencePicture(file, matrix);
        QCOMPARE(reference.size(), QSize(width, height));

        Scene scene(QSize(width, height));
        VideoItem *item = scene.addItem();
        const QImage drawn = drawnPicture(scene, item, file);
        QCOMPARE(drawn.size(), reference.size());
        const PictureDifference difference = compare(drawn, reference);
        QVERIFY2(difference.meanDifference < 3.0 && difference.farOffShare < 0.02,
                 qPrintable(QStringLiteral("mean %1, far off %2").arg(difference.meanDifference)
                                .arg(difference.farOffShare)));
        const PictureDifference still = compare(VideoPreviewer::instance()->getPreview(item->videoId()), reference);
        QVERIFY2(still.meanDifference >= 0 && still.meanDifference < 3.0 && still.farOffShare < 0.02,
                 qPrintable(QStringLiteral("still: mean %1, far off %2").arg(still.meanDifference)
                                .arg(still.farOffShare)));
    }

    void fitLeavesBarsAndKeepsThePicture()
    {
        const QString file = colourBars(320, 240, 2);
        const QImage reference = referencePicture(file);
        Scene scene(QSize(640, 240));
        VideoItem *item = scene.addItem();
        item->setFillMode(VideoItem::PreserveAspectFit);
        const QImage drawn = drawnPicture(scene, item, file);
        QCOMPARE(item->contentRect(), QRectF(160, 0, 320, 240));
        QCOMPARE(drawn.size(), QSize(640, 240));
        QCOMPARE(drawn.pixelColor(20, 120), QColor(Qt::black));
        QCOMPARE(drawn.pixelColor(620, 120), QColor(Qt::black));
        const PictureDifference difference = compare(drawn.copy(160, 0, 320, 240), reference);
        QVERIFY2(difference.meanDifference < 3.0, qPrintable(QString::number(difference.meanDifference)));
    }

    void cropShowsTheMiddle()
    {
        const QString file = colourBars(320, 240, 2);
        const QImage reference = referencePicture(file);
        Scene scene(QSize(160, 240));
        VideoItem *item = scene.addItem();
        item->setFillMode(VideoItem::PreserveAspectCrop);
        const QImage drawn = drawnPicture(scene, item, file);
        QCOMPARE(item->contentRect(), QRectF(-80, 0, 320, 240));
        const PictureDifference difference = compare(drawn, reference.copy(80, 0, 160, 240));
        QVERIFY2(difference.meanDifference < 3.0, qPrintable(QString::number(difference.meanDifference)));
    }

    void stretchScales()
    {
        const QString file = colourBars(320, 240, 2);
        const QImage reference = referencePicture(file).scaled(640, 240, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        Scene scene(QSize(640, 240));
        VideoItem *item = scene.addItem();
        const QImage drawn = drawnPicture(scene, item, file);
        const PictureDifference difference = compare(drawn, reference);
        QVERIFY2(difference.meanDifference < 4.0 && difference.farOffShare < 0.03,
                 qPrintable(QStringLiteral("mean %1, far off %2").arg(difference.meanDifference)
                                .arg(difference.farOffShare)));
    }
};

QTEST_MAIN(TestVideoPicture)
#include "tst_videopicture.moc"
