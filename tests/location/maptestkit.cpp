#include "maptestkit.h"

#include <QUrlQuery>
#include <QtMath>

#include <cmath>

#include "settingmanager.h"
#include "settings.h"
#include "tileroutes.h"

TileServerProbe::TileServerProbe(QObject *parent)
    : QObject(parent)
{
    m_server.setRtspEnabled(false);
}

bool TileServerProbe::start(QString *error)
{
    if (!m_server.start()) {
        *error = m_server.errorString();
        return false;
    }
    Settings *settings = SettingManager::instance()->settings();
    settings->setHost(m_server.host());
    settings->setPort(QString::number(m_server.httpPort()));
    return true;
}

TestServer &TileServerProbe::server()
{
    return m_server;
}

QByteArray TileServerProbe::mapSourceJson(int maximumZoomLevel, const QString &run)
{
    const QByteArray query = run.isEmpty() ? QByteArray() : "?run=" + run.toUtf8();
    QByteArray json = "{\"tileSize\": 256, \"maximumZoomLevel\": " + QByteArray::number(maximumZoomLevel) + ", \"mapTypes\": [";
    const char *const types[][2] = {{"StreetMap", "street"}, {"SatelliteMapDay", "satellite"}, {"HybridMap", "hybrid"}};
    for (const auto &type : types) {
        json += QByteArray("{\"style\": \"") + type[0] + "\", \"name\": \"" + type[1] + "\", \"url\": \"/tiles/" + type[1]
                + "/{z}/{x}/{y}.png" + query + "\"},";
    }
    json.chop(1);
    return json + "]}";
}

QString TileServerProbe::mapSource() const
{
    return QString::fromUtf8(mapSourceJson());
}

QStringList TileServerProbe::tilePaths(const QString &run) const
{
    QStringList paths;
    const QList<TestServerRequest> log = m_server.requestLog();
    for (const TestServerRequest &request : log) {
        const bool ofRun = run.isEmpty() || QUrlQuery(QString::fromUtf8(request.rawQuery)).queryItemValue(QStringLiteral("run")) == run;
        if (request.path.startsWith(QLatin1String("/tiles/")) && ofRun)
            paths.append(request.path);
    }
    return paths;
}

void TileServerProbe::clearLog()
{
    m_server.clearRequestLog();
}

QColor TileServerProbe::groundColour(const QString &type, int z, int x, int y) const
{
    return TileRoutes::groundColour(type, z, x, y);
}

QColor TileServerProbe::roadColour() const
{
    return TileRoutes::roadColour();
}

QGeoCoordinate TileServerProbe::tileCentre(int z, int x, int y) const
{
    const double count = std::pow(2.0, z);
    const double longitude = (x + 0.5) / count * 360.0 - 180.0;
    const double latitude = qRadiansToDegrees(std::atan(std::sinh(M_PI * (1.0 - 2.0 * (y + 0.5) / count))));
    return QGeoCoordinate(latitude, longitude);
}

QPoint TileServerProbe::tileAt(const QGeoCoordinate &coordinate, int z) const
{
    const double count = std::pow(2.0, z);
    const double latitude = qDegreesToRadians(coordinate.latitude());
    const double x = (coordinate.longitude() + 180.0) / 360.0 * count;
    const double y = (1.0 - std::asinh(std::tan(latitude)) / M_PI) / 2.0 * count;
    return {int(std::floor(x)), int(std::floor(y))};
}

bool similarColours(const QColor &a, const QColor &b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}
