#pragma once

#include <QGeoCoordinate>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QSizeF>
#include <QTransform>

// Where a map's camera stands: the ground point at the viewport's centre, the zoom level
// (the world is tileSize * 2^zoom pixels round at the centre), the bearing (the compass
// direction that points up, degrees clockwise from north), the tilt (degrees away from
// looking straight down; the top of the view recedes) and the field of view (degrees
// across the viewport's shorter side).
struct MapCamera
{
    QGeoCoordinate center{0.0, 0.0};
    double zoomLevel = 0.0;
    double bearing = 0.0;
    double tilt = 0.0;
    double fieldOfView = 45.0;
};

// The mapping between ground and viewport for one camera: Web Mercator turned by the
// bearing about the viewport's centre and seen in perspective when tilted. The scale at
// the centre is always that of the zoom level. Ground farther than kFarthestViewAngle
// from straight down is not shown: above that horizon the viewport holds no map.
class MapProjection
{
public:
    static constexpr double kFarthestViewAngle = 80.0;

    MapProjection(const MapCamera &camera, const QSizeF &viewport, int tileSize);

    const MapCamera &camera() const;
    QSizeF viewport() const;
    // Pixels round the world at the camera's zoom level.
    double worldSize() const;
    // The first viewport row that shows ground; 0 or less when the whole viewport does.
    double horizonY() const;

    // Viewport position of a coordinate; (NaN, NaN) when the coordinate is not shown
    // (invalid, beyond the horizon, or outside the viewport while clipping).
    QPointF fromCoordinate(const QGeoCoordinate &coordinate, bool clipToViewport) const;
    // The coordinate shown at a viewport position; invalid above the horizon, off the
    // map's northern or southern edge, or outside the viewport while clipping.
    QGeoCoordinate toCoordinate(const QPointF &position, bool clipToViewport) const;
    // The centre that shows `coordinate` at `position`; invalid when no centre can.
    QGeoCoordinate centerPlacing(const QGeoCoordinate &coordinate, const QPointF &position) const;
    // The centre after the view moved by (dx, dy): the ground now at centre + (dx, dy).
    QGeoCoordinate centerPannedBy(double dx, double dy) const;
    // How much larger ground appears at a viewport position than at the centre.
    double groundScaleAt(const QPointF &position) const;

    // From a tile level's pixels, counted from the top-left corner of tile `origin`, to
    // viewport positions.
    QTransform levelTransform(int level, const QPoint &origin) const;
    // The tile of `level` under the viewport's centre.
    QPoint centerTile(int level) const;
    // The tiles of `level` that show, nearest to the centre first, at most `limit`;
    // columns are not wrapped round the world, rows lie on the map.
    QList<QPoint> visibleTiles(int level, int limit) const;

private:
    // Ground offset from the centre in world pixels (east, south) shown at a viewport
    // position; false above the horizon.
    bool offsetAt(const QPointF &position, QPointF *offset) const;
    // Viewport position of a ground offset and its perspective divisor (> 0 when in front).
    QPointF positionOf(const QPointF &offset, double *divisor) const;
    QPointF worldPoint(const QGeoCoordinate &coordinate) const;
    QGeoCoordinate coordinateAt(const QPointF &worldPoint) const;
    bool inViewport(const QPointF &position) const;

    MapCamera m_camera;
    QSizeF m_viewport;
    int m_tileSize;
    double m_worldSize;
    QPointF m_center;     // world pixels
    double m_cx, m_cy;    // viewport centre
    double m_cosBearing, m_sinBearing;
    double m_cosTilt;
    double m_depthFactor; // sin(tilt) / focal length
    double m_horizonY;
};
