#include "tileroutes.h"

#include <QBuffer>
#include <QPainter>
#include <QRegularExpression>

namespace {

const QString kSatellite = QStringLiteral("satellite");
const QString kStreet = QStringLiteral("street");
const QString kHybrid = QStringLiteral("hybrid");

// A small hash of a tile's place, so neighbouring tiles look different.
int mix(int z, int x, int y)
{
    quint32 h = quint32(z) * 73856093u ^ quint32(x) * 19349663u ^ quint32(y) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return int(h & 0x7fffffff);
}

bool onLevel(int z, int x, int y)
{
    if (z < 0 || z > TileRoutes::kMaximumZoom)
        return false;
    const qint64 count = qint64(1) << z;
    return x >= 0 && y >= 0 && x < count && y < count;
}

// Four patches of other shades in the corners, leaving the middle plain.
void drawFields(QPainter &painter, const QColor &ground, int seed)
{
    const int edge = TileRoutes::kTileSize / 2 - TileRoutes::kPlainRadius - 8;
    const QPoint corners[] = {{4, 4}, {TileRoutes::kTileSize - 4 - edge, 4}, {4, TileRoutes::kTileSize - 4 - edge},
                              {TileRoutes::kTileSize - 4 - edge, TileRoutes::kTileSize - 4 - edge}};
    for (int i = 0; i < 4; ++i) {
        const int shade = 100 + ((seed >> (i * 3)) % 6) * 12;
        painter.fillRect(QRect(corners[i], QSize(edge, edge)), (i + seed) % 2 ? ground.darker(shade) : ground.lighter(shade));
    }
}

// A road across the tile each way, off the middle, at a place depending on the tile.
void drawRoads(QPainter &painter, int seed)
{
    const int near = 10 + seed % 50;
    const int far = TileRoutes::kTileSize - 10 - (seed / 64) % 50;
    painter.setPen(QPen(QColor(QStringLiteral("#ffffff")), 14, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(0, near, TileRoutes::kTileSize, near);
    painter.drawLine(far, 0, far, TileRoutes::kTileSize);
    painter.setPen(QPen(TileRoutes::roadColour(), 8, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(0, near, TileRoutes::kTileSize, near);
    painter.drawLine(far, 0, far, TileRoutes::kTileSize);
}

} // namespace

QColor TileRoutes::groundColour(const QString &type, int z, int x, int y)
{
    const int seed = mix(z, x, y);
    if (type == kSatellite)
        return QColor::fromHsv(70 + seed % 60, 150, 80 + (seed >> 8) % 50);
    if (type == kHybrid)
        return QColor::fromHsv(30 + seed % 40, 30 + (seed >> 8) % 30, 225 + (seed >> 16) % 25);
    return QColor(Qt::transparent);
}

QColor TileRoutes::roadColour()
{
    return QColor(QStringLiteral("#f5b942"));
}

QImage TileRoutes::tile(const QString &type, int z, int x, int y)
{
    if ((type != kSatellite && type != kStreet && type != kHybrid) || !onLevel(z, x, y))
        return {};
    // Only the street layer has transparent ground; the bases are opaque pictures.
    QImage picture(kTileSize, kTileSize, type == kStreet ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QColor ground = groundColour(type, z, x, y);
    picture.fill(ground);
    QPainter painter(&picture);
    const int seed = mix(z, x, y);
    if (type == kSatellite)
        drawFields(painter, ground, seed);
    else
        drawRoads(painter, seed);
    return picture;
}

bool TileRoutes::handles(const QString &path)
{
    return path.startsWith(QLatin1String("/tiles/"));
}

HttpResponse TileRoutes::handle(const TestServerRequest &request)
{
    static const QRegularExpression pattern(QStringLiteral("^/tiles/([a-z]+)/(\\d{1,2})/(\\d{1,8})/(\\d{1,8})\\.png$"));
    if (request.method != "GET" && request.method != "HEAD")
        return HttpResponse::text(405, "GET expected");
    const QRegularExpressionMatch match = pattern.match(request.path);
    const QImage picture = match.hasMatch() ? tile(match.captured(1), match.captured(2).toInt(),
                                                   match.captured(3).toInt(), match.captured(4).toInt())
                                            : QImage();
    if (picture.isNull())
        return HttpResponse::text(404, "no such tile");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    HttpResponse response = HttpResponse::bytes(png, "image/png");
    response.headOnly = request.method == "HEAD";
    return response;
}
