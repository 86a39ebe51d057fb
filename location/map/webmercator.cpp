#include "webmercator.h"

#include <QtMath>

#include <cmath>

namespace WebMercator {

QPointF fromCoordinate(const QGeoCoordinate &coordinate)
{
    const double latitude = qDegreesToRadians(qBound(-kMaximumLatitude, coordinate.latitude(), kMaximumLatitude));
    const double x = (coordinate.longitude() + 180.0) / 360.0;
    const double y = (1.0 - std::log(std::tan(latitude) + 1.0 / std::cos(latitude)) / M_PI) / 2.0;
    return {x, y};
}

QGeoCoordinate toCoordinate(const QPointF &unit)
{
    double x = std::fmod(unit.x(), 1.0);
    if (x < 0)
        x += 1.0;
    const double longitude = x * 360.0 - 180.0;
    const double latitude = qRadiansToDegrees(std::atan(std::sinh(M_PI * (1.0 - 2.0 * unit.y()))));
    return QGeoCoordinate(latitude, longitude);
}

QGeoCoordinate clamped(const QGeoCoordinate &coordinate)
{
    QGeoCoordinate result = coordinate;
    result.setLatitude(qBound(-kMaximumLatitude, coordinate.latitude(), kMaximumLatitude));
    return result;
}

} // namespace WebMercator
