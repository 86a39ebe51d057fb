#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSet>

#include "tiledraw.h"
#include "tilekey.h"

class TileStore;

// The tiles one map draws of one map type: for each cell in view the store's picture,
// or while that loads the picture drawn there before, or the matching part of a level
// above standing in. What is still missing is handed to the store, nearest to the centre
// first, under the map's name (`client`). Lives on the GUI thread with its map.
class MapTileLayer
{
public:
    // Levels above a missing tile searched for a picture to stand in while it loads.
    static constexpr int kStandInLevels = 4;

    // The draws for `cells` of `level` (nearest to the centre first, columns not wrapped),
    // placed in the level's pixels counted from the tile `origin`; asks the store for the
    // tiles missing among them.
    TileDrawList collect(TileStore *store, const void *client, int layer, int level, const QList<QPoint> &cells,
                         const QPoint &origin, int tileSize);
    // Draws and needs nothing: what the store fetches for this map alone is abandoned.
    void release(TileStore *store, const void *client);
    // Forgets the pictures held (the map's layers are numbered anew).
    void forget();

    // A tile arrived or failed; true when it was needed, so the map must be drawn again.
    bool tileReady(const TileKey &key, const QImage &picture);
    bool tileFailed(const TileKey &key);
    // The store was emptied: the pictures held show until their fresh copies arrive.
    void storeCleared();

private:
    QImage pictureFor(TileStore *store, const TileKey &key);
    bool standIn(TileStore *store, const TileKey &key, TileDraw *draw, TileKey *used) const;

    // Pictures drawn now, by tile; stale ones are shown until their fresh copy arrives.
    QHash<TileKey, QImage> m_held;
    QSet<TileKey> m_stale;
    QSet<TileKey> m_needed;
    QList<TileKey> m_neededInOrder; // nearest to the centre first
};
