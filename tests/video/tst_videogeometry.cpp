// Where the picture goes for each fill mode: content, rendered and source rects.
#include <QTest>

#include "videogeometry.h"

namespace {

void compareRects(const QRectF &actual, const QRectF &expected)
{
    const qreal tolerance = 0.01;
    QVERIFY2(qAbs(actual.x() - expected.x()) < tolerance && qAbs(actual.y() - expected.y()) < tolerance
                 && qAbs(actual.width() - expected.width()) < tolerance
                 && qAbs(actual.height() - expected.height()) < tolerance,
             qPrintable(QStringLiteral("(%1, %2, %3, %4)")
                            .arg(actual.x()).arg(actual.y()).arg(actual.width()).arg(actual.height())));
}

} // namespace

class TestVideoGeometry : public QObject
{
    Q_OBJECT

private slots:
    void beforeTheFirstPictureTheItemRect()
    {
        for (int mode : {VideoGeometry::Stretch, VideoGeometry::PreserveAspectFit, VideoGeometry::PreserveAspectCrop}) {
            const VideoGeometry geometry = VideoGeometry::compute(QSizeF(800, 600), QSizeF(-1, -1), mode);
            QCOMPARE(geometry.contentRect, QRectF(0, 0, 800, 600));
            QCOMPARE(geometry.renderedRect, QRectF(0, 0, 800, 600));
            QCOMPARE(geometry.sourceRect, QRectF(0, 0, 1, 1));
        }
    }

    void stretchFillsTheItem()
    {
        const VideoGeometry geometry = VideoGeometry::compute(QSizeF(800, 800), QSizeF(1920, 1080),
                                                              VideoGeometry::Stretch);
        QCOMPARE(geometry.contentRect, QRectF(0, 0, 800, 800));
        QCOMPARE(geometry.renderedRect, QRectF(0, 0, 800, 800));
        QCOMPARE(geometry.sourceRect, QRectF(0, 0, 1, 1));
    }

    void fitLetterboxes()
    {
        const VideoGeometry geometry = VideoGeometry::compute(QSizeF(800, 800), QSizeF(1920, 1080),
                                                              VideoGeometry::PreserveAspectFit);
        QCOMPARE(geometry.contentRect, QRectF(0, 175, 800, 450));
        QCOMPARE(geometry.renderedRect, QRectF(0, 175, 800, 450));
        QCOMPARE(geometry.sourceRect, QRectF(0, 0, 1, 1));
    }

    void cropShowsTheMiddle()
    {
        const VideoGeometry geometry = VideoGeometry::compute(QSizeF(800, 800), QSizeF(1920, 1080),
                                                              VideoGeometry::PreserveAspectCrop);
        compareRects(geometry.contentRect, QRectF(-311.11, 0, 1422.22, 800));
        QCOMPARE(geometry.renderedRect, QRectF(0, 0, 800, 800));
        QCOMPARE(geometry.sourceRect, QRectF(0.21875, 0, 0.5625, 1));
    }

    void cropOfATallPicture()
    {
        const VideoGeometry geometry = VideoGeometry::compute(QSizeF(400, 300), QSizeF(300, 400),
                                                              VideoGeometry::PreserveAspectCrop);
        compareRects(geometry.contentRect, QRectF(0, -116.67, 400, 533.33));
        compareRects(geometry.sourceRect, QRectF(0, 0.21875, 1, 0.5625));
    }

    void fuzzyComparison()
    {
        QVERIFY(fuzzyEqualRects(QRectF(0, 175, 800, 450), QRectF(0, 175.0000000000001, 800, 450)));
        QVERIFY(!fuzzyEqualRects(QRectF(0, 175, 800, 450), QRectF(0, 175.001, 800, 450)));
        QVERIFY(fuzzyEqualRects(QRectF(0, 0, 1, 1), QRectF(1e-13, 0, 1, 1)));
        QVERIFY(!fuzzyEqualRects(QRectF(0, 0, 1, 1), QRectF(1e-9, 0, 1, 1)));
    }
};

QTEST_MAIN(TestVideoGeometry)
#include "tst_videogeometry.moc"
