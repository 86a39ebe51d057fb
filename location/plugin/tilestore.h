#pragma once

#include <QImage>
#include <QObject>
#include <QScopedPointer>
#include <QSet>

#include "mapsource.h"
#include "tilekey.h"

class TileStorePrivate;

// The tiles of one plugin, shared by all its maps: fetched on the GUI thread's event loop
// without a token (it never waits), kept in a cache bounded in bytes. Each map says which
// tiles it still needs; fetches nobody needs any more are abandoned. A failed tile is not
// fetched again while some map still needs it; the first failure of each map type is
// logged, in one line naming its address template, the later ones are not.
class TileStore : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kDefaultCapacityBytes = 96LL * 1024 * 1024;
    // A server that accepts the connection and then says nothing frees its tiles' places
    // after this long.
    static constexpr int kTransferTimeoutMs = 30000;

    explicit TileStore(QObject *parent = nullptr);
    ~TileStore() override;

    // Drops everything cached, failed or on its way.
    void setSource(const MapSource &source);
    const MapSource &source() const;

    // The cached picture of a tile, or a null image.
    QImage tile(const TileKey &key) const;
    bool hasFailed(const TileKey &key) const;
    bool isFetching(const TileKey &key) const;

    // The tiles `client` needs now, the most wanted first; those not cached, failed or on
    // their way are fetched in that order.
    void setWanted(const void *client, const QList<TileKey> &keys);
    void release(const void *client);

    // Empties the cache and forgets failures; fetches on their way are abandoned.
    void clear();

    qint64 capacityBytes() const;
    void setCapacityBytes(qint64 bytes);
    qint64 cachedBytes() const;
    int cachedCount() const;

signals:
    void tileReady(const TileKey &key, const QImage &image);
    void tileFailed(const TileKey &key);
    void cleared();

private:
    QScopedPointer<TileStorePrivate> d;
    friend class TileStorePrivate;
};
