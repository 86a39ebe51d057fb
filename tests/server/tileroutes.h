#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include "httpresponse.h"
#include "testserver.h"

// Map tiles drawn on request, without a token: "/tiles/<type>/<z>/<x>/<y>.png" for the
// types "satellite", "street" and "hybrid", levels 0 to kMaximumZoom. Each tile has a flat
// ground in its middle whose colour depends on type, level, column and row; "satellite"
// adds fields, "street" draws roads on a transparent ground (a layer over a base),
// "hybrid" draws roads on a light ground. Anything else, and tiles outside their level,
// answer 404.
class TileRoutes
{
public:
    static constexpr int kMaximumZoom = 22;
    static constexpr int kTileSize = 256;
    // Around the tile's centre this many pixels each way are plain ground.
    static constexpr int kPlainRadius = 40;

    static bool handles(const QString &path);
    static HttpResponse handle(const TestServerRequest &request);

    // The picture of one tile; null for an unknown type or a tile outside its level.
    static QImage tile(const QString &type, int z, int x, int y);
    // The colour of the tile's plain middle; transparent for "street".
    static QColor groundColour(const QString &type, int z, int x, int y);
    static QColor roadColour();
};
