#include "mapprojection.h"

#include <QPolygonF>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>

#include "webmercator.h"

namespace {

constexpr double kNotShown = std::numeric_limits<double>::quiet_NaN();
// Perspective divisors below this lie behind the camera or too near to draw.
constexpr double kSmallestDivisor = 1e-6;

} // namespace

MapProjection::MapProjection(const MapCamera &camera, const QSizeF &viewport, int tileSize)
    : m_camera(camera)
    , m_viewport(viewport)
    , m_tileSize(tileSize)
{
    m_worldSize = tileSize * std::pow(2.0, camera.zoomLevel);
    m_center = worldPoint(WebMercator::clamped(camera.center));
    m_cx = viewport.width() / 2.0;
    m_cy = viewport.height() / 2.0;
    const double bearing = qDegreesToRadians(camera.bearing);
    m_cosBearing = std::cos(bearing);
    m_sinBearing = std::sin(bearing);
    const double tilt = qDegreesToRadians(camera.tilt);
    m_cosTilt = std::cos(tilt);
    const double halfSide = std::max(1.0, std::min(viewport.width(), viewport.height()) / 2.0);
    const double focalLength = halfSide / std::tan(qDegreesToRadians(camera.fieldOfView) / 2.0);
    m_depthFactor = std::sin(tilt) / focalLength;
    m_horizonY = m_cy - focalLength * std::tan(qDegreesToRadians(kFarthestViewAngle - camera.tilt));
}

const MapCamera &MapProjection::camera() const
{
    return m_camera;
}

QSizeF MapProjection::viewport() const
{
    return m_viewport;
}

double MapProjection::worldSize() const
{
    return m_worldSize;
}

double MapProjection::horizonY() const
{
    return m_horizonY;
}

QPointF MapProjection::worldPoint(const QGeoCoordinate &coordinate) const
{
    return WebMercator::fromCoordinate(coordinate) * m_worldSize;
}

QGeoCoordinate MapProjection::coordinateAt(const QPointF &worldPoint) const
{
    if (worldPoint.y() < 0 || worldPoint.y() > m_worldSize)
        return {};
    return WebMercator::toCoordinate(worldPoint / m_worldSize);
}

bool MapProjection::inViewport(const QPointF &position) const
{
    // Positions on the edge stay inside despite rounding.
    constexpr double kSlack = 1e-6;
    return position.x() >= -kSlack && position.y() >= -kSlack && position.x() <= m_viewport.width() + kSlack
           && position.y() <= m_viewport.height() + kSlack;
}

bool MapProjection::offsetAt(const QPointF &position, QPointF *offset) const
{
    if (position.y() < m_horizonY)
        return false;
    const double u = position.x() - m_cx;
    const double v = position.y() - m_cy;
    // Invert  x = u0 / w,  y = v0 * cos(tilt) / w  with  w = 1 - depthFactor * v0.
    const double along = v / (m_cosTilt + v * m_depthFactor);
    const double across = u * (1.0 - m_depthFactor * along);
    // Turn back from the view's orientation to east and south.
    offset->setX(across * m_cosBearing - along * m_sinBearing);
    offset->setY(across * m_sinBearing + along * m_cosBearing);
    return true;
}

QPointF MapProjection::positionOf(const QPointF &offset, double *divisor) const
{
    const double across = offset.x() * m_cosBearing + offset.y() * m_sinBearing;
    const double along = -offset.x() * m_sinBearing + offset.y() * m_cosBearing;
    *divisor = 1.0 - m_depthFactor * along;
    return {m_cx + across / *divisor, m_cy + along * m_cosTilt / *divisor};
}

QPointF MapProjection::fromCoordinate(const QGeoCoordinate &coordinate, bool clipToViewport) const
{
    if (!coordinate.isValid())
        return {kNotShown, kNotShown};
    QPointF offset = worldPoint(coordinate) - m_center;
    // The copy of the world nearest to the centre.
    offset.setX(offset.x() - m_worldSize * std::round(offset.x() / m_worldSize));
    double divisor = 0;
    const QPointF position = positionOf(offset, &divisor);
    if (divisor < kSmallestDivisor || position.y() < m_horizonY - 1e-6
        || (clipToViewport && !inViewport(position)))
        return {kNotShown, kNotShown};
    return position;
}

QGeoCoordinate MapProjection::toCoordinate(const QPointF &position, bool clipToViewport) const
{
    QPointF offset;
    if ((clipToViewport && !inViewport(position)) || !offsetAt(position, &offset))
        return {};
    return coordinateAt(m_center + offset);
}

QGeoCoordinate MapProjection::centerPlacing(const QGeoCoordinate &coordinate, const QPointF &position) const
{
    QPointF offset;
    if (!coordinate.isValid() || !offsetAt(position, &offset))
        return {};
    QPointF center = worldPoint(coordinate) - offset;
    center.setY(qBound(0.0, center.y(), m_worldSize));
    return coordinateAt(center);
}

QGeoCoordinate MapProjection::centerPannedBy(double dx, double dy) const
{
    QPointF offset;
    if (!offsetAt(QPointF(m_cx + dx, m_cy + dy), &offset))
        return {};
    QPointF center = m_center + offset;
    center.setY(qBound(0.0, center.y(), m_worldSize));
    return coordinateAt(center);
}

double MapProjection::groundScaleAt(const QPointF &position) const
{
    QPointF offset;
    if (!offsetAt(position, &offset))
        return 0.0;
    double divisor = 1.0;
    positionOf(offset, &divisor);
    return 1.0 / divisor;
}

QPoint MapProjection::centerTile(int level) const
{
    const double tileWorldSize = m_tileSize * std::pow(2.0, m_camera.zoomLevel - level);
    return {int(std::floor(m_center.x() / tileWorldSize)), int(std::floor(m_center.y() / tileWorldSize))};
}

QTransform MapProjection::levelTransform(int level, const QPoint &origin) const
{
    const double scale = std::pow(2.0, m_camera.zoomLevel - level);
    const double tileWorldSize = m_tileSize * scale;
    const QTransform toOffset(scale, 0, 0, 0, scale, 0, origin.x() * tileWorldSize - m_center.x(),
                              origin.y() * tileWorldSize - m_center.y(), 1);
    const QTransform turn(m_cosBearing, -m_sinBearing, 0, m_sinBearing, m_cosBearing, 0, 0, 0, 1);
    const QTransform perspective(1, 0, 0, -m_cx * m_depthFactor, m_cosTilt - m_cy * m_depthFactor, -m_depthFactor,
                                 m_cx, m_cy, 1);
    return toOffset * turn * perspective;
}

QList<QPoint> MapProjection::visibleTiles(int level, int limit) const
{
    if (m_viewport.isEmpty())
        return {};
    const double tileWorldSize = m_tileSize * std::pow(2.0, m_camera.zoomLevel - level);
    const double top = std::min(std::max(0.0, m_horizonY), m_viewport.height());
    const QPointF corners[] = {{0, top}, {m_viewport.width(), top}, {m_viewport.width(), m_viewport.height()},
                               {0, m_viewport.height()}};
    // The ground the viewport shows, in tiles of the level.
    QPolygonF ground;
    for (const QPointF &corner : corners) {
        QPointF offset;
        if (!offsetAt(corner, &offset))
            return {};
        ground.append((m_center + offset) / tileWorldSize);
    }
    const QRectF bounds = ground.boundingRect();
    const int rows = 1 << level;
    const QPointF centre = m_center / tileWorldSize;
    QList<QPoint> tiles;
    for (int y = std::max(0, int(std::floor(bounds.top()))); y <= std::min(rows - 1, int(std::floor(bounds.bottom())));
         ++y) {
        for (int x = int(std::floor(bounds.left())); x <= int(std::floor(bounds.right())); ++x) {
            // Slightly inset, so that tiles that only touch the ground's edge are left out.
            const QPolygonF cell(QRectF(x + 1e-7, y + 1e-7, 1 - 2e-7, 1 - 2e-7));
            if (ground.intersects(cell))
                tiles.append(QPoint(x, y));
        }
    }
    std::sort(tiles.begin(), tiles.end(), [&centre](const QPoint &a, const QPoint &b) {
        const QPointF da = QPointF(a) + QPointF(0.5, 0.5) - centre;
        const QPointF db = QPointF(b) + QPointF(0.5, 0.5) - centre;
        return QPointF::dotProduct(da, da) < QPointF::dotProduct(db, db);
    });
    if (tiles.size() > limit)
        tiles.resize(limit);
    return tiles;
}
