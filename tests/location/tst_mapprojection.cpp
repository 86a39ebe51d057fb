#include <QSignalSpy>
#include <QTest>

#include <cmath>

#include "geomap.h"
#include "geoserviceplugin.h"
#include "mapprojection.h"

namespace {

constexpr double kCentimetre = 0.01;
const QGeoCoordinate kBeijing(39.9087, 116.3975);

struct View
{
    double zoom;
    double bearing;
    double tilt;
};

const View kViews[] = {{2.5, 0, 0}, {9, 33, 20}, {13.25, 180, 45}, {17, 290, 60}, {19, 359.5, 10}, {19, 90, 60}};

void setView(GeoMap &map, const View &view)
{
    map.setZoomLevel(view.zoom);
    map.setBearing(view.bearing);
    map.setTilt(view.tilt);
}

QString describe(const View &view, const QPointF &point = QPointF())
{
    return QStringLiteral("zoom %1 bearing %2 tilt %3 at (%4, %5)")
        .arg(view.zoom).arg(view.bearing).arg(view.tilt).arg(point.x()).arg(point.y());
}

bool near(const QPointF &a, const QPointF &b, double tolerance = 1e-6)
{
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

bool notShown(const QPointF &point)
{
    return std::isnan(point.x()) && std::isnan(point.y());
}

} // namespace

// The map's camera: conversions between ground and viewport, the moves the gestures
// make, and the limits of its properties.
class TestMapProjection : public QObject
{
    Q_OBJECT

private:
    GeoMap m_map;

private slots:
    void init()
    {
        m_map.setSize(QSizeF(800, 600));
        m_map.setCenter(kBeijing);
        m_map.setFieldOfView(45);
        setView(m_map, {17, 0, 0});
    }

    void coordinatesComeBackWithinACentimetre()
    {
        for (const View &view : kViews) {
            setView(m_map, view);
            // Places at known distances and directions from the centre, where they show.
            for (double metres : {0.0, 3.0, 40.0, 250.0, 9000.0, 400000.0}) {
                for (double azimuth : {0.0, 45.0, 100.0, 200.0, 315.0}) {
                    const QGeoCoordinate place = kBeijing.atDistanceAndAzimuth(metres, azimuth);
                    const QPointF point = m_map.fromCoordinate(place, true);
                    if (notShown(point))
                        continue;
                    const QGeoCoordinate back = m_map.toCoordinate(point, true);
                    QVERIFY2(back.isValid() && back.distanceTo(place) < kCentimetre, qPrintable(describe(view, point)));
                }
            }
            // Every shown point of the viewport, and back.
            for (double x = 0; x <= 800; x += 100) {
                for (double y = 0; y <= 600; y += 75) {
                    const QGeoCoordinate place = m_map.toCoordinate(QPointF(x, y), true);
                    if (!place.isValid())
                        continue;
                    QVERIFY2(near(m_map.fromCoordinate(place, false), QPointF(x, y), 1e-4), qPrintable(describe(view, QPointF(x, y))));
                }
            }
            QVERIFY2(near(m_map.fromCoordinate(kBeijing, true), QPointF(400, 300)), qPrintable(describe(view)));
        }
    }

    void groundLiesWhereTheCameraSaysIt()
    {
        // Flat, bearing 0: at zoom 17 a tile of 256 pixels spans 2^-17 of the world.
        const double tileDegrees = 360.0 / std::pow(2.0, 17);
        const QGeoCoordinate east(kBeijing.latitude(), kBeijing.longitude() + tileDegrees);
        QVERIFY(near(m_map.fromCoordinate(east), QPointF(656, 300)));
        // Turned by 90 degrees east points up; by 180 it points left.
        m_map.setBearing(90);
        QVERIFY(near(m_map.fromCoordinate(east), QPointF(400, 44)));
        m_map.setBearing(180);
        QVERIFY(near(m_map.fromCoordinate(east), QPointF(144, 300)));

        // Tilted: the centre row keeps its scale, ground ahead recedes and shrinks, ground
        // behind comes nearer and grows.
        m_map.setBearing(0);
        m_map.setTilt(45);
        QVERIFY(near(m_map.fromCoordinate(east), QPointF(656, 300)));
        const QGeoCoordinate north = kBeijing.atDistanceAndAzimuth(200, 0);
        const QGeoCoordinate south = kBeijing.atDistanceAndAzimuth(200, 180);
        const QPointF ahead = m_map.fromCoordinate(north);
        const QPointF behind = m_map.fromCoordinate(south);
        QVERIFY(300 - ahead.y() < behind.y() - 300);
        QCOMPARE(ahead.x(), 400.0);
        QVERIFY(m_map.projection().groundScaleAt(QPointF(400, 100)) < 1.0);
        QVERIFY(m_map.projection().groundScaleAt(QPointF(400, 500)) > 1.0);
        QCOMPARE(m_map.projection().groundScaleAt(QPointF(400, 300)), 1.0);
    }

    void alignPutsTheCoordinateAtThePoint()
    {
        QSignalSpy moved(&m_map, &GeoMap::centerChanged);
        for (const View &view : kViews) {
            setView(m_map, view);
            m_map.setCenter(kBeijing);
            const QGeoCoordinate place = kBeijing.atDistanceAndAzimuth(120, 60);
            for (const QPointF point : {QPointF(100, 500), QPointF(700, 400), QPointF(400, 300), QPointF(20, 590)}) {
                m_map.alignCoordinateToPoint(place, point);
                QVERIFY2(near(m_map.fromCoordinate(place, true), point, 1e-5), qPrintable(describe(view, point)));
            }
        }
        QVERIFY(!moved.isEmpty());

        // A point above the horizon shows no ground: nothing moves.
        setView(m_map, {15, 0, 60});
        m_map.setFieldOfView(100);
        QVERIFY(m_map.projection().horizonY() > 0);
        const QGeoCoordinate before = m_map.center();
        m_map.alignCoordinateToPoint(kBeijing, QPointF(400, 1));
        QCOMPARE(m_map.center(), before);
        m_map.alignCoordinateToPoint(QGeoCoordinate(), QPointF(400, 300));
        QCOMPARE(m_map.center(), before);
    }

    void panMovesTheCentreToThePannedPoint()
    {
        for (const View &view : kViews) {
            setView(m_map, view);
            m_map.setCenter(kBeijing);
            for (const QPointF step : {QPointF(30, -10), QPointF(-250, 120), QPointF(0.25, 0.5)}) {
                const QGeoCoordinate target = m_map.toCoordinate(QPointF(400, 300) + step, false);
                m_map.pan(step.x(), step.y());
                QVERIFY2(m_map.center().distanceTo(target) < kCentimetre, qPrintable(describe(view, step)));
            }
        }

        // Flat: the ground under any point moves by exactly the pan, so a drag that pans
        // by minus its motion keeps the ground under the pointer.
        setView(m_map, {16.5, 25, 0});
        const QPointF pointer(130, 470);
        const QGeoCoordinate grabbed = m_map.toCoordinate(pointer);
        m_map.pan(-30, 10);
        QVERIFY(m_map.toCoordinate(pointer + QPointF(30, -10)).distanceTo(grabbed) < kCentimetre);

        QSignalSpy moved(&m_map, &GeoMap::centerChanged);
        m_map.pan(0, 0);
        QVERIFY(moved.isEmpty());
    }

    void clippingAndTheHorizon()
    {
        const QGeoCoordinate far = kBeijing.atDistanceAndAzimuth(5000, 90);
        QVERIFY(notShown(m_map.fromCoordinate(far, true)));
        QVERIFY(m_map.fromCoordinate(far, false).x() > 800);
        QVERIFY(!m_map.toCoordinate(QPointF(-5, 300), true).isValid());
        QVERIFY(m_map.toCoordinate(QPointF(-5, 300), false).isValid());
        QVERIFY(notShown(m_map.fromCoordinate(QGeoCoordinate(), false)));

        // Tilted with a wide view the top of the viewport is sky: no ground there, and
        // ground beyond the horizon is not shown anywhere.
        setView(m_map, {15, 0, 60});
        m_map.setFieldOfView(100);
        const double horizon = m_map.projection().horizonY();
        QVERIFY(horizon > 0 && horizon < 300);
        QVERIFY(!m_map.toCoordinate(QPointF(400, horizon - 1), false).isValid());
        QVERIFY(m_map.toCoordinate(QPointF(400, horizon + 1), false).isValid());
        QVERIFY(notShown(m_map.fromCoordinate(kBeijing.atDistanceAndAzimuth(800000, 0), false)));

        // Off the map's northern edge there is no coordinate either.
        setView(m_map, {1, 0, 0});
        m_map.setFieldOfView(45);
        m_map.setCenter(QGeoCoordinate(80, 0));
        QVERIFY(!m_map.toCoordinate(QPointF(400, 5), true).isValid());
    }

    void theWorldWrapsRound()
    {
        m_map.setCenter(QGeoCoordinate(10, 179.999));
        const QPointF across = m_map.fromCoordinate(QGeoCoordinate(10, -179.999));
        QVERIFY2(across.x() > 400 && across.x() < 800, qPrintable(QString::number(across.x())));
        m_map.pan(across.x() - 400, 0);
        QVERIFY(std::abs(m_map.center().longitude() + 179.999) < 1e-6);
    }

    void propertiesKeepTheirLimits()
    {
        QSignalSpy tilted(&m_map, &GeoMap::tiltChanged);
        m_map.setTilt(75);
        QCOMPARE(m_map.tilt(), GeoMap::kMaximumTilt);
        m_map.setTilt(-5);
        QCOMPARE(m_map.tilt(), 0.0);
        m_map.setTilt(0);
        QCOMPARE(tilted.size(), 2);

        m_map.setBearing(-30);
        QCOMPARE(m_map.bearing(), 330.0);
        m_map.setBearing(725);
        QCOMPARE(m_map.bearing(), 5.0);
        m_map.setBearing(qQNaN());
        QCOMPARE(m_map.bearing(), 5.0);

        m_map.setFieldOfView(0);
        QCOMPARE(m_map.fieldOfView(), GeoMap::kMinimumFieldOfView);
        m_map.setFieldOfView(170);
        QCOMPARE(m_map.fieldOfView(), GeoMap::kMaximumFieldOfView);

        m_map.setCenter(QGeoCoordinate(89.5, 10));
        QVERIFY(std::abs(m_map.center().latitude() - 85.0511287798) < 1e-6);
        m_map.setCenter(QGeoCoordinate());
        QVERIFY(m_map.center().isValid());

        m_map.setMinimumZoomLevel(3);
        m_map.setMaximumZoomLevel(19);
        m_map.setZoomLevel(1);
        QCOMPARE(m_map.zoomLevel(), 3.0);
        m_map.setZoomLevel(22);
        QCOMPARE(m_map.zoomLevel(), 19.0);
        m_map.setMinimumZoomLevel(25); // never above the maximum
        QCOMPARE(m_map.minimumZoomLevel(), 19.0);
        m_map.setMinimumZoomLevel(0);

        // The plugin's source caps the maximum once its types are known.
        GeoServicePlugin plugin;
        auto *source = new GeoPluginParameter(&plugin);
        source->setName(QStringLiteral("map.source"));
        source->setValue(QStringLiteral("{\"maximumZoomLevel\": 15, \"mapTypes\": [{\"style\": \"StreetMap\", \"url\": \"/s/{z}/{x}/{y}\"}]}"));
        plugin.addParameter(source);
        plugin.setName(QStringLiteral("amap"));
        QSignalSpy capped(&m_map, &GeoMap::maximumZoomLevelChanged);
        QSignalSpy zoomed(&m_map, &GeoMap::zoomLevelChanged);
        m_map.setPlugin(&plugin);
        QCOMPARE(m_map.maximumZoomLevel(), 15.0);
        QCOMPARE(m_map.zoomLevel(), 15.0);
        QCOMPARE(capped.size(), 1);
        QCOMPARE(zoomed.size(), 1);
        m_map.setMaximumZoomLevel(19);
        QCOMPARE(m_map.maximumZoomLevel(), 15.0);
        m_map.setMaximumZoomLevel(12);
        QCOMPARE(m_map.zoomLevel(), 12.0);
        m_map.setPlugin(nullptr);
        QCOMPARE(m_map.maximumZoomLevel(), 12.0);
        m_map.setMaximumZoomLevel(19);
        QCOMPARE(m_map.maximumZoomLevel(), 19.0);
    }
};

QTEST_MAIN(TestMapProjection)
#include "tst_mapprojection.moc"
