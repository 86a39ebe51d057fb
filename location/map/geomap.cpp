#include "geomap.h"

#include <QMatrix4x4>
#include <QPointer>
#include <QQuickWindow>

#include <cmath>
#include <mutex>

#include "locationlog.h"
#include "mapprojection.h"
#include "mapquickitem.h"
#include "mapsource.h"
#include "maptilelayer.h"
#include "maptilenode.h"
#include "tilestore.h"
#include "webmercator.h"

namespace {

constexpr qreal kDefaultZoomLevel = 8.0;

qreal normalisedBearing(qreal bearing)
{
    qreal result = std::fmod(bearing, 360.0);
    if (result < 0)
        result += 360.0;
    return result;
}

} // namespace

class GeoMapPrivate
{
public:
    explicit GeoMapPrivate(GeoMap *owner)
        : q(owner)
    {
        camera.zoomLevel = kDefaultZoomLevel;
    }

    TileStore *store() const { return plugin ? plugin->tileStore() : nullptr; }
    int tileSize() const { return plugin ? plugin->tileSize() : MapSource::kDefaultTileSize; }
    bool hasTypes() const { return !types.isEmpty(); }

    void connectPlugin();
    void disconnectPlugin();
    void adoptTypes();
    void updateZoomLimits();
    void cameraChanged();
    void placeAll();
    void detach(MapQuickItem *item);

    int tileLevel() const;
    void collectTiles(const MapProjection &projection);
    void publishFrame();

    static qsizetype typeCount(QQmlListProperty<GeoMapType> *list);
    static GeoMapType *typeAt(QQmlListProperty<GeoMapType> *list, qsizetype index);

    GeoMap *q;
    QPointer<GeoServicePlugin> plugin;
    QList<QMetaObject::Connection> pluginConnections;
    MapCamera camera;
    qreal requestedMinimumZoom = 0;
    qreal requestedMaximumZoom = MapSource::kHighestZoomLevel;
    qreal minimumZoom = 0;
    qreal maximumZoom = MapSource::kHighestZoomLevel;
    QColor color = Qt::transparent;
    QList<GeoMapType *> types;
    QPointer<GeoMapType> activeType;
    QList<QPointer<MapQuickItem>> items;

    MapTileLayer tiles;
    // The next frame, built on the GUI thread; published under the lock for the render thread.
    MapFrame frame;
    std::mutex publishedLock;
    MapFrame published;
};

void GeoMapPrivate::connectPlugin()
{
    if (!plugin)
        return;
    pluginConnections << QObject::connect(plugin, &GeoServicePlugin::mapTypesChanged, q, [this] { adoptTypes(); });
    pluginConnections << QObject::connect(plugin, &QObject::destroyed, q, [this] {
        pluginConnections.clear();
        adoptTypes();
    });
    TileStore *store = plugin->tileStore();
    pluginConnections << QObject::connect(store, &TileStore::tileReady, q, [this](const TileKey &key, const QImage &picture) {
        if (tiles.tileReady(key, picture))
            q->polish();
    });
    pluginConnections << QObject::connect(store, &TileStore::tileFailed, q, [this](const TileKey &key) {
        if (tiles.tileFailed(key))
            q->polish();
    });
    pluginConnections << QObject::connect(store, &TileStore::cleared, q, [this] {
        tiles.storeCleared();
        q->polish();
    });
}

void GeoMapPrivate::disconnectPlugin()
{
    for (const QMetaObject::Connection &connection : std::as_const(pluginConnections))
        QObject::disconnect(connection);
    pluginConnections.clear();
    if (TileStore *tileStore = store())
        tileStore->release(q);
}

void GeoMapPrivate::adoptTypes()
{
    types = plugin ? plugin->mapTypes() : QList<GeoMapType *>();
    // Layers are numbered anew with every source.
    tiles.forget();
    if (activeType && !types.contains(activeType.data())) {
        activeType = nullptr;
        emit q->activeMapTypeChanged();
    }
    updateZoomLimits();
    emit q->supportedMapTypesChanged();
    if (!activeType && !types.isEmpty()) {
        activeType = types.first();
        emit q->activeMapTypeChanged();
    }
    q->polish();
}

void GeoMapPrivate::updateZoomLimits()
{
    const qreal cap = hasTypes() ? qreal(plugin->maximumZoomLevel()) : qreal(MapSource::kHighestZoomLevel);
    const qreal maximum = qMin(requestedMaximumZoom, cap);
    const qreal minimum = qMin(requestedMinimumZoom, maximum);
    if (maximum != maximumZoom) {
        maximumZoom = maximum;
        emit q->maximumZoomLevelChanged();
    }
    if (minimum != minimumZoom) {
        minimumZoom = minimum;
        emit q->minimumZoomLevelChanged();
    }
    q->setZoomLevel(camera.zoomLevel);
}

void GeoMapPrivate::cameraChanged()
{
    placeAll();
    q->polish();
}

void GeoMapPrivate::placeAll()
{
    const MapProjection projection = q->projection();
    for (const QPointer<MapQuickItem> &item : std::as_const(items)) {
        if (item)
            item->place(projection);
    }
}

void GeoMapPrivate::detach(MapQuickItem *item)
{
    items.removeAll(item);
    if (item->map() == q)
        item->setMap(nullptr);
}

int GeoMapPrivate::tileLevel() const
{
    const int highest = plugin ? plugin->maximumZoomLevel() : MapSource::kHighestZoomLevel;
    return qBound(0, int(std::floor(camera.zoomLevel + 1e-9)), highest);
}

void GeoMapPrivate::collectTiles(const MapProjection &projection)
{
    const int level = tileLevel();
    const QPoint origin = projection.centerTile(level);
    frame.draws = tiles.collect(store(), q, activeType->layer(), level, projection.visibleTiles(level, GeoMap::kMaximumTiles),
                                origin, tileSize());
    frame.transform = QMatrix4x4(projection.levelTransform(level, origin));
    const double horizon = qBound(0.0, projection.horizonY(), q->height());
    frame.ground = QRectF(0, horizon, q->width(), q->height() - horizon);
}

void GeoMapPrivate::publishFrame()
{
    frame.bounds = q->boundingRect();
    frame.color = color;
    {
        std::lock_guard<std::mutex> lock(publishedLock);
        published = frame;
    }
    q->update();
}

qsizetype GeoMapPrivate::typeCount(QQmlListProperty<GeoMapType> *list)
{
    return static_cast<GeoMap *>(list->object)->d->types.size();
}

GeoMapType *GeoMapPrivate::typeAt(QQmlListProperty<GeoMapType> *list, qsizetype index)
{
    return static_cast<GeoMap *>(list->object)->d->types.value(index);
}

GeoMap::GeoMap(QQuickItem *parent)
    : QQuickItem(parent)
    , d(new GeoMapPrivate(this))
{
    setFlag(ItemHasContents, true);
    setClip(true);
}

GeoMap::~GeoMap()
{
    d->disconnectPlugin();
    const QList<QPointer<MapQuickItem>> items = d->items;
    for (const QPointer<MapQuickItem> &item : items) {
        if (item)
            d->detach(item);
    }
}

GeoServicePlugin *GeoMap::plugin() const
{
    return d->plugin;
}

void GeoMap::setPlugin(GeoServicePlugin *plugin)
{
    if (d->plugin == plugin)
        return;
    d->disconnectPlugin();
    d->plugin = plugin;
    d->connectPlugin();
    emit pluginChanged();
    d->adoptTypes();
}

QGeoCoordinate GeoMap::center() const
{
    return d->camera.center;
}

void GeoMap::setCenter(const QGeoCoordinate &center)
{
    if (!center.isValid())
        return;
    const QGeoCoordinate placed = WebMercator::clamped(center);
    if (placed == d->camera.center)
        return;
    d->camera.center = placed;
    emit centerChanged(placed);
    d->cameraChanged();
}

qreal GeoMap::zoomLevel() const
{
    return d->camera.zoomLevel;
}

void GeoMap::setZoomLevel(qreal level)
{
    if (std::isnan(level))
        return;
    const qreal bounded = qBound(d->minimumZoom, level, d->maximumZoom);
    if (bounded == d->camera.zoomLevel)
        return;
    d->camera.zoomLevel = bounded;
    emit zoomLevelChanged(bounded);
    d->cameraChanged();
}

qreal GeoMap::minimumZoomLevel() const
{
    return d->minimumZoom;
}

void GeoMap::setMinimumZoomLevel(qreal level)
{
    if (std::isnan(level))
        return;
    d->requestedMinimumZoom = qBound(qreal(0), level, qreal(MapSource::kHighestZoomLevel));
    d->updateZoomLimits();
}

qreal GeoMap::maximumZoomLevel() const
{
    return d->maximumZoom;
}

void GeoMap::setMaximumZoomLevel(qreal level)
{
    if (std::isnan(level))
        return;
    d->requestedMaximumZoom = qBound(qreal(0), level, qreal(MapSource::kHighestZoomLevel));
    d->updateZoomLimits();
}

qreal GeoMap::bearing() const
{
    return d->camera.bearing;
}

void GeoMap::setBearing(qreal bearing)
{
    if (!std::isfinite(bearing))
        return;
    const qreal normalised = normalisedBearing(bearing);
    if (normalised == d->camera.bearing)
        return;
    d->camera.bearing = normalised;
    emit bearingChanged(normalised);
    d->cameraChanged();
}

qreal GeoMap::tilt() const
{
    return d->camera.tilt;
}

void GeoMap::setTilt(qreal tilt)
{
    if (std::isnan(tilt))
        return;
    const qreal bounded = qBound(qreal(0), tilt, kMaximumTilt);
    if (bounded == d->camera.tilt)
        return;
    d->camera.tilt = bounded;
    emit tiltChanged(bounded);
    d->cameraChanged();
}

qreal GeoMap::fieldOfView() const
{
    return d->camera.fieldOfView;
}

void GeoMap::setFieldOfView(qreal degrees)
{
    if (std::isnan(degrees))
        return;
    const qreal bounded = qBound(kMinimumFieldOfView, degrees, kMaximumFieldOfView);
    if (bounded == d->camera.fieldOfView)
        return;
    d->camera.fieldOfView = bounded;
    emit fieldOfViewChanged(bounded);
    d->cameraChanged();
}

QColor GeoMap::color() const
{
    return d->color;
}

void GeoMap::setColor(const QColor &color)
{
    if (color == d->color)
        return;
    d->color = color;
    emit colorChanged();
    d->publishFrame();
}

GeoMapType *GeoMap::activeMapType() const
{
    return d->activeType;
}

void GeoMap::setActiveMapType(GeoMapType *type)
{
    if (type == d->activeType)
        return;
    if (type && !d->types.contains(type)) {
        qCWarning(lcLocation).noquote() << QStringLiteral("map type \"%1\" is not one of this map's plugin").arg(type->name());
        return;
    }
    d->activeType = type;
    emit activeMapTypeChanged();
    polish();
}

QQmlListProperty<GeoMapType> GeoMap::supportedMapTypes()
{
    return QQmlListProperty<GeoMapType>(this, nullptr, &GeoMapPrivate::typeCount, &GeoMapPrivate::typeAt);
}

void GeoMap::pan(qreal dx, qreal dy)
{
    if (dx == 0 && dy == 0)
        return;
    setCenter(projection().centerPannedBy(dx, dy));
}

QGeoCoordinate GeoMap::toCoordinate(const QPointF &position, bool clipToViewport) const
{
    return projection().toCoordinate(position, clipToViewport);
}

QPointF GeoMap::fromCoordinate(const QGeoCoordinate &coordinate, bool clipToViewport) const
{
    return projection().fromCoordinate(coordinate, clipToViewport);
}

void GeoMap::alignCoordinateToPoint(const QGeoCoordinate &coordinate, const QPointF &point)
{
    setCenter(projection().centerPlacing(coordinate, point));
}

void GeoMap::addMapItem(MapQuickItem *item)
{
    if (!item || d->items.contains(item))
        return;
    if (GeoMap *other = item->map())
        other->removeMapItem(item);
    d->items.append(item);
    item->setMap(this);
    if (item->parentItem() != this)
        item->setParentItem(this);
    item->place(projection());
}

void GeoMap::removeMapItem(MapQuickItem *item)
{
    if (!item || !d->items.contains(item))
        return;
    d->detach(item);
    if (item->parentItem() == this)
        item->setParentItem(nullptr);
}

void GeoMap::clearMapItems()
{
    const QList<QPointer<MapQuickItem>> items = d->items;
    for (const QPointer<MapQuickItem> &item : items)
        removeMapItem(item);
    d->items.clear();
}

void GeoMap::clearData()
{
    if (TileStore *tiles = d->store())
        tiles->clear();
}

MapProjection GeoMap::projection() const
{
    return MapProjection(d->camera, size(), d->tileSize());
}

void GeoMap::placeMapItem(MapQuickItem *item)
{
    if (d->items.contains(item))
        item->place(projection());
}

void GeoMap::componentComplete()
{
    QQuickItem::componentComplete();
    d->placeAll();
    polish();
}

void GeoMap::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        d->placeAll();
        polish();
    }
}

void GeoMap::itemChange(ItemChange change, const ItemChangeData &data)
{
    QQuickItem::itemChange(change, data);
    switch (change) {
    case ItemChildAddedChange:
        if (auto *item = qobject_cast<MapQuickItem *>(data.item))
            addMapItem(item);
        break;
    case ItemChildRemovedChange:
        if (auto *item = qobject_cast<MapQuickItem *>(data.item); item && d->items.contains(item))
            d->detach(item);
        break;
    case ItemSceneChange:
        if (data.window)
            polish();
        break;
    case ItemVisibleHasChanged:
        polish();
        break;
    default:
        break;
    }
}

void GeoMap::updatePolish()
{
    // A map that is not on show (itself or a page holding it hidden) fetches nothing.
    const bool drawable = isVisible() && d->store() && d->activeType && width() > 0 && height() > 0;
    if (drawable) {
        d->collectTiles(projection());
    } else {
        d->tiles.release(d->store(), this);
        d->frame.draws.clear();
    }
    d->publishFrame();
}

QSGNode *GeoMap::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    auto *scene = static_cast<MapSceneNode *>(oldNode);
    if (!scene)
        scene = new MapSceneNode(window());
    MapFrame frame;
    {
        std::lock_guard<std::mutex> lock(d->publishedLock);
        frame = d->published;
    }
    scene->update(frame);
    return scene;
}
