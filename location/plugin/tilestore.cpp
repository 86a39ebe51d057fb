#include "tilestore.h"

#include <QCache>
#include <QHash>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "locationlog.h"
#include "settingmanager.h"
#include "settings.h"

namespace {

// "http://" + host + ":" + port as configured, the root of the server's own paths.
QString configuredServerRoot()
{
    const Settings *settings = SettingManager::instance()->settings();
    return QStringLiteral("http://") + settings->host() + QLatin1Char(':') + settings->port();
}

// Why a fetch failed, without the address: error texts repeat it whole, user and key included.
QString failureReason(const QNetworkReply *reply)
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        return QStringLiteral("HTTP %1 %2").arg(status.toInt())
            .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    }
    return QString::fromLatin1(QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(reply->error()));
}

// The formats the scene graph uploads without converting again.
QImage uploadable(const QImage &picture)
{
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
}

} // namespace

class TileStorePrivate
{
public:
    explicit TileStorePrivate(TileStore *owner)
        : q(owner)
    {
        network.setTransferTimeout(TileStore::kTransferTimeoutMs);
        cache.setMaxCost(TileStore::kDefaultCapacityBytes);
    }

    QSet<TileKey> allWanted() const;
    void fetch(const TileKey &key);
    void finish(const TileKey &key, QNetworkReply *reply);
    void fail(const TileKey &key, const QString &reason);
    void report(const TileKey &key, const QString &reason);
    void abandon(const TileKey &key);
    void abandonAll();

    TileStore *q;
    MapSource source;
    QNetworkAccessManager network;
    QCache<TileKey, QImage> cache;
    QHash<TileKey, QNetworkReply *> fetching;
    QSet<TileKey> failed;
    // Layers whose failure was logged: a source that fails says so once, not per tile.
    QSet<int> reported;
    QHash<const void *, QSet<TileKey>> wanted;
};

QSet<TileKey> TileStorePrivate::allWanted() const
{
    QSet<TileKey> all;
    for (const QSet<TileKey> &keys : wanted)
        all.unite(keys);
    return all;
}

void TileStorePrivate::fetch(const TileKey &key)
{
    const QUrl url = source.tileUrl(key.layer, key.z, key.x, key.y, configuredServerRoot());
    if (!url.isValid()) {
        fail(key, QStringLiteral("no valid address"));
        return;
    }
    QNetworkReply *reply = network.get(QNetworkRequest(url));
    fetching.insert(key, reply);
    QObject::connect(reply, &QNetworkReply::finished, q, [this, key, reply] { finish(key, reply); });
}

void TileStorePrivate::finish(const TileKey &key, QNetworkReply *reply)
{
    reply->deleteLater();
    if (fetching.value(key) != reply) // abandoned
        return;
    fetching.remove(key);
    if (reply->error() != QNetworkReply::NoError) {
        fail(key, failureReason(reply));
        return;
    }
    QImage picture;
    if (!picture.loadFromData(reply->readAll())) {
        fail(key, QStringLiteral("the reply is not a picture"));
        return;
    }
    picture = uploadable(picture);
    cache.insert(key, new QImage(picture), picture.sizeInBytes());
    emit q->tileReady(key, picture);
}

void TileStorePrivate::fail(const TileKey &key, const QString &reason)
{
    failed.insert(key);
    if (!reported.contains(key.layer))
        report(key, reason);
    emit q->tileFailed(key);
}

void TileStorePrivate::report(const TileKey &key, const QString &reason)
{
    reported.insert(key.layer);
    const QString typeName = key.layer >= 0 && key.layer < source.layers().size() ? source.layers().at(key.layer).name
                                                                                 : QString();
    const QString tile = QStringLiteral("%1/%2/%3").arg(key.z).arg(key.x).arg(key.y);
    qCWarning(lcLocation).noquote()
        << QStringLiteral("map type \"%1\" gets no tiles from %2: %3 (first at tile %4); check its \"url\" in the map "
                          "source; later failures of this map type are not logged")
               .arg(typeName, source.loggableTemplate(key.layer, configuredServerRoot()), reason, tile);
}

void TileStorePrivate::abandon(const TileKey &key)
{
    QNetworkReply *reply = fetching.take(key);
    if (!reply)
        return;
    reply->disconnect(q);
    reply->abort();
    reply->deleteLater();
}

void TileStorePrivate::abandonAll()
{
    const QList<TileKey> keys = fetching.keys();
    for (const TileKey &key : keys)
        abandon(key);
}

TileStore::TileStore(QObject *parent)
    : QObject(parent)
    , d(new TileStorePrivate(this))
{
}

TileStore::~TileStore()
{
    d->abandonAll();
}

void TileStore::setSource(const MapSource &source)
{
    d->abandonAll();
    d->cache.clear();
    d->failed.clear();
    d->reported.clear();
    d->source = source;
}

const MapSource &TileStore::source() const
{
    return d->source;
}

QImage TileStore::tile(const TileKey &key) const
{
    const QImage *picture = d->cache.object(key);
    return picture ? *picture : QImage();
}

bool TileStore::hasFailed(const TileKey &key) const
{
    return d->failed.contains(key);
}

bool TileStore::isFetching(const TileKey &key) const
{
    return d->fetching.contains(key);
}

void TileStore::setWanted(const void *client, const QList<TileKey> &keys)
{
    d->wanted.insert(client, QSet<TileKey>(keys.cbegin(), keys.cend()));
    const QSet<TileKey> all = d->allWanted();
    const QList<TileKey> fetching = d->fetching.keys();
    for (const TileKey &key : fetching) {
        if (!all.contains(key))
            d->abandon(key);
    }
    // A failure is remembered while the tile is needed; needed again later, it is retried.
    d->failed.intersect(all);
    for (const TileKey &key : keys) {
        if (!d->cache.contains(key) && !d->fetching.contains(key) && !d->failed.contains(key))
            d->fetch(key);
    }
}

void TileStore::release(const void *client)
{
    if (d->wanted.contains(client))
        setWanted(client, {});
    d->wanted.remove(client);
}

void TileStore::clear()
{
    d->abandonAll();
    d->cache.clear();
    d->failed.clear();
    emit cleared();
}

qint64 TileStore::capacityBytes() const
{
    return d->cache.maxCost();
}

void TileStore::setCapacityBytes(qint64 bytes)
{
    d->cache.setMaxCost(bytes);
}

qint64 TileStore::cachedBytes() const
{
    return d->cache.totalCost();
}

int TileStore::cachedCount() const
{
    return int(d->cache.count());
}
