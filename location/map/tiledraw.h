#pragma once

#include <QImage>
#include <QList>
#include <QRectF>

#include "tilekey.h"

// One picture a map draws: where it goes in the level's pixels and which part of the
// picture (all of it, or for a stand-in from a level above, the part over this tile).
struct TileDraw
{
    TileKey cell;   // the place drawn, its column not wrapped round the world
    QImage picture;
    QRectF target;
    QRectF source;
};

using TileDrawList = QList<TileDraw>;
