#include "maptilelayer.h"

#include "tilestore.h"

namespace {

int wrapped(int column, int columns)
{
    const int rest = column % columns;
    return rest < 0 ? rest + columns : rest;
}

} // namespace

TileDrawList MapTileLayer::collect(TileStore *store, const void *client, int layer, int level,
                                   const QList<QPoint> &cells, const QPoint &origin, int tileSize)
{
    const int columns = 1 << level;
    QHash<TileKey, QImage> nextHeld;
    m_needed.clear();
    m_neededInOrder.clear();
    TileDrawList draws;
    for (const QPoint &cell : cells) {
        const TileKey key{layer, level, wrapped(cell.x(), columns), cell.y()};
        TileDraw draw;
        TileKey standInKey;
        draw.cell = TileKey{layer, level, cell.x(), cell.y()};
        draw.target = QRectF((cell.x() - origin.x()) * tileSize, (cell.y() - origin.y()) * tileSize, tileSize, tileSize);
        draw.picture = pictureFor(store, key);
        if (!draw.picture.isNull()) {
            draw.source = QRectF(QPointF(0, 0), draw.picture.size());
            nextHeld.insert(key, draw.picture);
        } else if (standIn(store, key, &draw, &standInKey)) {
            nextHeld.insert(standInKey, draw.picture);
        } else {
            continue;
        }
        draws.append(draw);
    }
    m_held = nextHeld;
    m_stale.intersect(QSet<TileKey>(m_held.keyBegin(), m_held.keyEnd()));
    store->setWanted(client, m_neededInOrder);
    return draws;
}

void MapTileLayer::release(TileStore *store, const void *client)
{
    forget();
    m_needed.clear();
    m_neededInOrder.clear();
    if (store)
        store->setWanted(client, {});
}

void MapTileLayer::forget()
{
    m_held.clear();
    m_stale.clear();
}

QImage MapTileLayer::pictureFor(TileStore *store, const TileKey &key)
{
    const auto heldPicture = m_held.constFind(key);
    if (heldPicture != m_held.constEnd() && !m_stale.contains(key))
        return *heldPicture;
    const QImage fresh = store->tile(key);
    if (!fresh.isNull()) {
        m_stale.remove(key);
        return fresh;
    }
    // Still needed while on its way, or failed (so that it is not fetched again while in view).
    m_needed.insert(key);
    m_neededInOrder.append(key);
    if (heldPicture != m_held.constEnd() && !store->hasFailed(key))
        return *heldPicture;
    return {};
}

bool MapTileLayer::standIn(TileStore *store, const TileKey &key, TileDraw *draw, TileKey *used) const
{
    TileKey above = key;
    for (int depth = 1; depth <= kStandInLevels && above.z > 0; ++depth) {
        above = above.parent();
        QImage picture = m_held.value(above);
        if (picture.isNull())
            picture = store->tile(above);
        if (picture.isNull())
            continue;
        const int parts = 1 << depth;
        const double width = double(picture.width()) / parts;
        const double height = double(picture.height()) / parts;
        *used = above;
        draw->picture = picture;
        draw->source = QRectF((key.x - (above.x << depth)) * width, (key.y - (above.y << depth)) * height, width, height);
        return true;
    }
    return false;
}

bool MapTileLayer::tileReady(const TileKey &key, const QImage &picture)
{
    if (!m_needed.contains(key))
        return false;
    m_held.insert(key, picture);
    m_stale.remove(key);
    return true;
}

bool MapTileLayer::tileFailed(const TileKey &key)
{
    if (!m_needed.contains(key))
        return false;
    m_held.remove(key);
    m_stale.remove(key);
    return true;
}

void MapTileLayer::storeCleared()
{
    m_stale = QSet<TileKey>(m_held.keyBegin(), m_held.keyEnd());
}
