#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QMatrix4x4>
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

// Everything one frame of a map draws, handed from the GUI thread to the render thread.
struct MapFrame
{
    QRectF bounds;          // the whole item, filled with `color`
    QColor color;
    QMatrix4x4 transform;   // from the level's pixels to the item
    TileDrawList draws;
    QRectF ground;          // the part of the item below the horizon
};
