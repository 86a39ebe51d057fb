#pragma once

#include <QGeoCoordinate>
#include <QPointF>

// The spherical Mercator projection of XYZ tiles, on the unit square: x grows east from
// longitude -180, y grows south from the northern edge at the highest latitude below.
namespace WebMercator {

constexpr double kMaximumLatitude = 85.05112877980659;

QPointF fromCoordinate(const QGeoCoordinate &coordinate);
QGeoCoordinate toCoordinate(const QPointF &unit);
// The same place with its latitude brought within the projection's range.
QGeoCoordinate clamped(const QGeoCoordinate &coordinate);

} // namespace WebMercator
