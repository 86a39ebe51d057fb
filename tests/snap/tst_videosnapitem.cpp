#include <QElapsedTimer>
#include <QGuiApplication>
#include <QNetworkReply>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "eventwait.h"
#include "clientstartup.h"
#include "snapdecoder.h"
#include "snapscene.h"
#include "syntheticunits.h"
#include "videosnapitem.h"

namespace {

const QString kPlaceholder = QStringLiteral(":/zelka/res/img/homepage/no_snap.png");

// Mean absolute difference per channel over the region, both pictures as ARGB32.
double meanDifference(const QImage &a, const QImage &b, const QRect &region)
{
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * region.width() * region.height());
}

bool isNear(QRgb pixel, const QColor &colour, int tolerance = 24)
{
    return std::abs(qRed(pixel) - colour.red()) <= tolerance && std::abs(qGreen(pixel) - colour.green()) <= tolerance
           && std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

QImage placeholderAt(const QSize &size)
{
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(255, 0, 255)); // the window background shows through its alpha
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), size), QImage(kPlaceholder));
    painter.end();
    return picture;
}

// Parameter sets alone: the size is known, but there is no picture to decode.
QByteArray parameterSetsOnly(const QByteArray &body, bool h264)
{
    for (int i = 0; i + 3 < body.size(); ++i) {
        if (body[i] != 0 || body[i + 1] != 0 || body[i + 2] != 1)
            continue;
        const auto header = uint8_t(body[i + 3]);
        const bool parameterSet = h264 ? ((header & 0x1F) == 7 || (header & 0x1F) == 8)
                                       : (((header >> 1) & 0x3F) >= 32 && ((header >> 1) & 0x3F) <= 34);
        if (!parameterSet)
            return body.left(i > 0 && body[i - 1] == 0 ? i - 1 : i);
    }
    return {};
}

} // namespace

class TestVideoSnapItem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void registeredForQml();
    void placeholderWithoutAddress();
    void pictureMatchesFfmpeg_data();
    void pictureMatchesFfmpeg();
    void serverSnapshotRoutes();
    void httpErrorKeepsWhatIsShown();
    void everyAssignmentFetches();
    void newAddressReplacesThePicture();
    void lateReplyOfAnOldAddressIsDropped();
    void failedDecodeKeepsThePreviousPicture();
    void emptyAddressBringsBackThePlaceholder();
    void fillModes();
    void repliesAreReleased();
    void releasedWhileDecoding();
    void pageOfSixtyDoesNotBlockTheGui();

private:
    VideoSnapItem *makeItem(int width, int height);
    QImage grab() { return m_window->grabWindow(); }

    SnapScene m_scene;
    QQuickWindow *m_window = nullptr;
    SnapBodies::Recipe m_red;
    SnapBodies::Recipe m_blue;
    SnapBodies::Recipe m_fullHd;
    QList<SnapBodies::Recipe> m_pictures;
};

void TestVideoSnapItem::initTestCase()
{
    SnapScene::useSoftwareSceneGraph();
    QString error;
    QVERIFY2(m_scene.start(&error), qPrintable(error));
    m_red = SnapBodies::recipe(QStringLiteral("h264"), 640, 360, QStringLiteral("yuv420p"), {}, QStringLiteral("color=c=red"));
    m_blue = SnapBodies::recipe(QStringLiteral("h265"), 640, 360, QStringLiteral("yuv420p"), {}, QStringLiteral("color=c=blue"));
    m_fullHd = SnapBodies::recipe(QStringLiteral("h264"), 1920, 1080);
    m_pictures = {SnapBodies::recipe(QStringLiteral("h264"), 640, 360), SnapBodies::recipe(QStringLiteral("h265"), 640, 360),
                  SnapBodies::recipe(QStringLiteral("h264"), 642, 362), SnapBodies::recipe(QStringLiteral("h265"), 333, 197,
                                                                                          QStringLiteral("yuv444p"))};
    QVERIFY2(SnapBodies::ensure(QList<SnapBodies::Recipe>{m_red, m_blue, m_fullHd} + m_pictures, &error), qPrintable(error));
    ClientStartup::registerQmlTypes();
}

void TestVideoSnapItem::cleanup()
{
    m_scene.server().reset();
    m_window = nullptr;
}

VideoSnapItem *TestVideoSnapItem::makeItem(int width, int height)
{
    m_window = m_scene.window(width, height);
    auto *item = new VideoSnapItem(m_window->contentItem());
    item->setSize(QSizeF(width, height));
    if (!QTest::qWaitForWindowExposed(m_window))
        return nullptr;
    return item;
}

void TestVideoSnapItem::registeredForQml()
{
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        import an.video 1.0
        VideoSnapItem {
            fillMode: VideoSnapItem.PreserveAspectFit
            property int stretch: VideoSnapItem.Stretch
            property int fit: VideoSnapItem.PreserveAspectFit
        })",
                      QUrl());
    QScopedPointer<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
    auto *item = qobject_cast<VideoSnapItem *>(object.data());
    QVERIFY(item);
    QCOMPARE(item->fillMode(), VideoSnapItem::PreserveAspectFit);
    QCOMPARE(object->property("stretch").toInt(), 0);
    QCOMPARE(object->property("fit").toInt(), 1);
    QVERIFY(!item->snapValid());
    QVERIFY(item->flags() & QQuickItem::ItemHasContents);
}

void TestVideoSnapItem::placeholderWithoutAddress()
{
    VideoSnapItem *item = makeItem(320, 180);
    QVERIFY(item);
    QVERIFY(meanDifference(grab(), placeholderAt(QSize(320, 180)), QRect(0, 0, 320, 180)) < 2.0);

    m_scene.server().clearRequestLog();
    QSignalSpy urlSpy(item, &VideoSnapItem::snapUrlChanged);
    item->setSnapUrl(QString());
    QCOMPARE(urlSpy.count(), 1);
    QTest::qWait(100);
    QVERIFY(m_scene.server().requestLog().isEmpty());
    QVERIFY(!item->snapValid());
    QVERIFY(meanDifference(grab(), placeholderAt(QSize(320, 180)), QRect(0, 0, 320, 180)) < 2.0);
}

void TestVideoSnapItem::pictureMatchesFfmpeg_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < m_pictures.size(); ++i)
        QTest::newRow(qPrintable(m_pictures[i].name)) << i;
}

void TestVideoSnapItem::pictureMatchesFfmpeg()
{
    QFETCH(int, index);
    const SnapBodies::Recipe &recipe = m_pictures[index];
    const QImage expected = SnapBodies::decodedByFfmpeg(recipe);
    QVERIFY(!expected.isNull());
    const QString path = QStringLiteral("/snap/test/") + recipe.name;
    m_scene.serve(path, SnapBodies::contents(recipe));

    VideoSnapItem *item = makeItem(recipe.width, recipe.height);
    QVERIFY(item);
    QSignalSpy validSpy(item, &VideoSnapItem::snapValidChanged);
    item->setSnapUrl(path);
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
    QCOMPARE(validSpy.count(), 1);
    const QImage shown = grab();
    QCOMPARE(shown.size(), expected.size());
    const double difference = meanDifference(shown, expected, expected.rect());
    QVERIFY2(difference < 1.5, qPrintable(QStringLiteral("mean difference %1").arg(difference)));
}

void TestVideoSnapItem::serverSnapshotRoutes()
{
    // The seeded channels' own snapshot addresses, H.264 and H.265.
    VideoSnapItem *item = makeItem(320, 180);
    QVERIFY(item);
    for (const QString &path : {QStringLiteral("/snap/101.h264"), QStringLiteral("/snap/102.h265")}) {
        item->setSnapUrl(path);
        QVERIFY(!item->snapValid());
        QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
        QVERIFY(meanDifference(grab(), placeholderAt(QSize(320, 180)), QRect(0, 0, 320, 180)) > 10.0);
        const QList<TestServerRequest> log = m_scene.server().requestLog();
        QVERIFY(!log.isEmpty());
        QCOMPARE(log.last().path, path);
        QVERIFY(log.last().header("token").isEmpty()); // a plain GET, no token
    }
}

void TestVideoSnapItem::httpErrorKeepsWhatIsShown()
{
    VideoSnapItem *item = makeItem(640, 360);
    QVERIFY(item);
    m_scene.refuse(QStringLiteral("/snap/missing.h264"), 404);
    item->setSnapUrl(QStringLiteral("/snap/missing.h264"));
    QTRY_COMPARE_WITH_TIMEOUT(m_scene.requestsFor(QStringLiteral("/snap/missing.h264")), 1, kEventWaitMs);
    QTest::qWait(200);
    QVERIFY(!item->snapValid());
    QVERIFY(meanDifference(grab(), placeholderAt(QSize(640, 360)), QRect(0, 0, 640, 360)) < 2.0);

    m_scene.serve(QStringLiteral("/snap/red.h264"), SnapBodies::contents(m_red));
    item->setSnapUrl(QStringLiteral("/snap/red.h264"));
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
    QVERIFY(isNear(grab().pixel(320, 180), Qt::red));

    m_scene.refuse(QStringLiteral("/snap/gone.h264"), 500);
    item->setSnapUrl(QStringLiteral("/snap/gone.h264"));
    QTRY_COMPARE_WITH_TIMEOUT(m_scene.requestsFor(QStringLiteral("/snap/gone.h264")), 1, kEventWaitMs);
    QTest::qWait(200);
    QVERIFY(!item->snapValid());
    QVERIFY(isNear(grab().pixel(320, 180), Qt::red)); // the previous picture stays
}

void TestVideoSnapItem::everyAssignmentFetches()
{
    VideoSnapItem *item = makeItem(320, 180);
    QVERIFY(item);
    const QString path = QStringLiteral("/snap/201.h265");
    QSignalSpy urlSpy(item, &VideoSnapItem::snapUrlChanged);
    QSignalSpy validSpy(item, &VideoSnapItem::snapValidChanged);
    item->setSnapUrl(path);
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
    item->setSnapUrl(path);
    QVERIFY(!item->snapValid()); // the same address counts as new
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
    QCOMPARE(urlSpy.count(), 2);
    QCOMPARE(validSpy.count(), 3);
    QCOMPARE(m_scene.requestsFor(path), 2);

    item->updateSnap();
    QTRY_COMPARE_WITH_TIMEOUT(m_scene.requestsFor(path), 3, kEventWaitMs);
    QCOMPARE(urlSpy.count(), 2);
}

void TestVideoSnapItem::newAddressReplacesThePicture()
{
    m_scene.serve(QStringLiteral("/snap/red.h264"), SnapBodies::contents(m_red));
    m_scene.serve(QStringLiteral("/snap/blue.h265"), SnapBodies::contents(m_blue));
    VideoSnapItem *item = makeItem(640, 360);
    QVERIFY(item);
    item->setSnapUrl(QStringLiteral("/snap/red.h264"));
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
    QVERIFY(isNear(grab().pixel(100, 100), Qt::red));

    item->setSnapUrl(QStringLiteral("/snap/blue.h265"));
    QVERIFY(!item->snapValid());
    QVERIFY(isNear(grab().pixel(100, 100), Qt::red)); // until the new one is decoded
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
    QVERIFY(isNear(grab().pixel(100, 100), Qt::blue));
}

void TestVideoSnapItem::lateReplyOfAnOldAddressIsDropped()
{
    m_scene.serve(QStringLiteral("/snap/slow-red.h264"), SnapBodies::contents(m_red), 700);
    m_scene.serve(QStringLiteral("/snap/blue.h265"), SnapBodies::contents(m_blue));
    VideoSnapItem *item = makeItem(640, 360);
    QVERIFY(item);
    item->setSnapUrl(QStringLiteral("/snap/slow-red.h264"));
    QTRY_COMPARE_WITH_TIMEOUT(m_scene.requestsFor(QStringLiteral("/snap/slow-red.h264")), 1, kEventWaitMs);
    item->setSnapUrl(QStringLiteral("/snap/blue.h265"));
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
    QVERIFY(isNear(grab().pixel(100, 100), Qt::blue));
    QTest::qWait(1200); // the slow red answer arrives meanwhile
    QVERIFY(item->snapValid());
    QVERIFY(isNear(grab().pixel(100, 100), Qt::blue));
}

void TestVideoSnapItem::failedDecodeKeepsThePreviousPicture()
{
    const QByteArray undecodable = parameterSetsOnly(SnapBodies::contents(m_red), true);
    QVERIFY(!undecodable.isEmpty());
    const video_info_t info = getVideoInfo(reinterpret_cast<const uint8_t *>(undecodable.constData()), int(undecodable.size()));
    QCOMPARE(info.width, 640); // it parses ...
    QVERIFY(decodeSnapPicture(undecodable, info).isNull()); // ... but holds no picture

    const QString path = QStringLiteral("/snap/changing.h264");
    m_scene.serve(path, SnapBodies::contents(m_red));
    VideoSnapItem *item = makeItem(640, 360);
    QVERIFY(item);
    item->setSnapUrl(path);
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);

    m_scene.serve(path, undecodable);
    QSignalSpy validSpy(item, &VideoSnapItem::snapValidChanged);
    item->updateSnap();
    QTRY_VERIFY_WITH_TIMEOUT(!item->snapValid(), kEventWaitMs);
    QCOMPARE(validSpy.count(), 1);
    QVERIFY(isNear(grab().pixel(320, 180), Qt::red));
}

void TestVideoSnapItem::emptyAddressBringsBackThePlaceholder()
{
    m_scene.serve(QStringLiteral("/snap/red.h264"), SnapBodies::contents(m_red));
    VideoSnapItem *item = makeItem(320, 180);
    QVERIFY(item);
    item->setSnapUrl(QStringLiteral("/snap/red.h264"));
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
    QVERIFY(isNear(grab().pixel(10, 10), Qt::red));
    item->setSnapUrl(QString());
    QVERIFY(!item->snapValid());
    QVERIFY(meanDifference(grab(), placeholderAt(QSize(320, 180)), QRect(0, 0, 320, 180)) < 2.0);
}

void TestVideoSnapItem::fillModes()
{
    m_scene.serve(QStringLiteral("/snap/full.h264"), SnapBodies::contents(m_fullHd));
    VideoSnapItem *item = makeItem(600, 500);
    QVERIFY(item);
    QCOMPARE(item->implicitWidth(), 600.0);
    QCOMPARE(item->implicitHeight(), 500.0);
    QSignalSpy fillSpy(item, &VideoSnapItem::fillModeChanged);
    item->setFillMode(VideoSnapItem::PreserveAspectFit);
    item->setFillMode(VideoSnapItem::PreserveAspectFit);
    QCOMPARE(fillSpy.count(), 1);
    item->setSnapUrl(QStringLiteral("/snap/full.h264"));
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);

    // The picture spans the width at its aspect ratio from the top edge.
    QCOMPARE(item->implicitWidth(), 600.0);
    QCOMPARE(item->implicitHeight(), 337.5);
    QImage shown = grab();
    QVERIFY(!isNear(shown.pixel(300, 330), QColor(255, 0, 255), 8));
    QVERIFY(isNear(shown.pixel(300, 345), QColor(255, 0, 255), 2)); // background below
    QVERIFY(isNear(shown.pixel(300, 490), QColor(255, 0, 255), 2));

    item->setFillMode(VideoSnapItem::Stretch);
    QCOMPARE(item->implicitHeight(), 500.0);
    shown = grab();
    QVERIFY(!isNear(shown.pixel(300, 490), QColor(255, 0, 255), 8));

    // A new item size moves the picture with it.
    item->setFillMode(VideoSnapItem::PreserveAspectFit);
    item->setWidth(300);
    QCOMPARE(item->implicitWidth(), 300.0);
    QCOMPARE(item->implicitHeight(), 168.75);
}

void TestVideoSnapItem::repliesAreReleased()
{
    VideoSnapItem *item = makeItem(160, 90);
    QVERIFY(item);
    for (int i = 0; i < 10; ++i)
        item->setSnapUrl(QStringLiteral("/snap/%1.h264").arg(300 + i));
    QTRY_VERIFY_WITH_TIMEOUT(item->snapValid(), kEventWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(item->findChildren<QNetworkReply *>().size(), 0, kEventWaitMs);
}

void TestVideoSnapItem::releasedWhileDecoding()
{
    m_scene.serve(QStringLiteral("/snap/full.h264"), SnapBodies::contents(m_fullHd));
    m_window = m_scene.window(320, 180);
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    for (int round = 0; round < 12; ++round) {
        auto *item = new VideoSnapItem(m_window->contentItem());
        item->setSize(QSizeF(320, 180));
        item->setSnapUrl(QStringLiteral("/snap/full.h264"));
        // Released at different moments: before the reply, during and after the decode.
        QTest::qWait(round * 15);
        delete item;
    }
    auto *last = new VideoSnapItem(m_window->contentItem());
    last->setSnapUrl(QStringLiteral("/snap/full.h264"));
    last->deleteLater();
    QTest::qWait(300);
}

void TestVideoSnapItem::pageOfSixtyDoesNotBlockTheGui()
{
    constexpr int kColumns = 5;
    constexpr int kItems = 60;
    m_window = m_scene.window(kColumns * 128, kItems / kColumns * 72);
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    std::vector<VideoSnapItem *> items;
    for (int i = 0; i < kItems; ++i) {
        auto *item = new VideoSnapItem(m_window->contentItem());
        item->setPosition(QPointF(i % kColumns * 128, i / kColumns * 72));
        item->setSize(QSizeF(128, 72));
        items.push_back(item);
    }
    // The window's own set-up (first frame, shaders) is not the snapshots' doing.
    QSignalSpy swapped(m_window, &QQuickWindow::frameSwapped);
    m_window->requestUpdate();
    QTRY_VERIFY_WITH_TIMEOUT(swapped.count() > 0, kEventWaitMs);

    // The longest pause of the GUI thread's event loop while the page loads.
    QElapsedTimer sinceTick;
    qint64 longestPause = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestPause = std::max(longestPause, sinceTick.restart());
    });
    QElapsedTimer loading;
    loading.start();
    sinceTick.start();
    ticker.start();
    for (int i = 0; i < kItems; ++i)
        items[size_t(i)]->setSnapUrl(QStringLiteral("/snap/%1.%2").arg(1000 + i).arg(i % 2 ? QStringLiteral("h265") : QStringLiteral("h264")));
    const auto allValid = [&] { return std::all_of(items.begin(), items.end(), [](VideoSnapItem *item) { return item->snapValid(); }); };
    QTRY_VERIFY_WITH_TIMEOUT(allValid(), kEventWaitMs);
    const qint64 loadMs = loading.elapsed();
    m_window->requestUpdate();
    QTest::qWait(50);
    ticker.stop();
    qInfo("page of %d snapshots shown in %lld ms; longest GUI pause %lld ms", kItems, loadMs, longestPause);
    // A hang, not a figure (a loaded machine pauses a second now and then; the figure is
    // the benchmark's): decoding the page on the GUI thread would hold it far longer.
    QVERIFY2(longestPause < kEventWaitMs / 3, qPrintable(QStringLiteral("GUI thread paused for %1 ms").arg(longestPause)));

    const QImage page = grab();
    const QImage placeholder = placeholderAt(QSize(128, 72));
    for (int i = 0; i < kItems; ++i) {
        const QRect tile(i % kColumns * 128, i / kColumns * 72, 128, 72);
        QVERIFY2(meanDifference(page.copy(tile), placeholder, QRect(0, 0, 128, 72)) > 10.0, qPrintable(QString::number(i)));
    }
}

QTEST_MAIN(TestVideoSnapItem)
#include "tst_videosnapitem.moc"
