#pragma once

#include <QColor>
#include <QGeoCoordinate>
#include <QPointF>
#include <QQmlListProperty>
#include <QQuickItem>
#include <QScopedPointer>

#include "geomaptype.h"
#include "geoserviceplugin.h"

class MapProjection;
class MapQuickItem;
class GeoMapPrivate;

// A map drawn from a plugin's tiles: Web Mercator XYZ tiles of the active map type,
// fractional zoom levels drawn by scaling the level below, turned by the bearing about
// the centre and tilted in perspective. Where no tile is drawn the map shows `color`
// (transparent: maps can be stacked). It takes no pointer input of its own; gesture
// handlers drive it through its properties and methods. Map items added to it are kept
// on their coordinates. Tiles are fetched only while the map is on show.
class GeoMap : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(GeoServicePlugin *plugin READ plugin WRITE setPlugin NOTIFY pluginChanged)
    Q_PROPERTY(QGeoCoordinate center READ center WRITE setCenter NOTIFY centerChanged)
    Q_PROPERTY(qreal zoomLevel READ zoomLevel WRITE setZoomLevel NOTIFY zoomLevelChanged)
    Q_PROPERTY(qreal minimumZoomLevel READ minimumZoomLevel WRITE setMinimumZoomLevel NOTIFY minimumZoomLevelChanged)
    Q_PROPERTY(qreal maximumZoomLevel READ maximumZoomLevel WRITE setMaximumZoomLevel NOTIFY maximumZoomLevelChanged)
    Q_PROPERTY(qreal bearing READ bearing WRITE setBearing NOTIFY bearingChanged)
    Q_PROPERTY(qreal tilt READ tilt WRITE setTilt NOTIFY tiltChanged)
    Q_PROPERTY(qreal fieldOfView READ fieldOfView WRITE setFieldOfView NOTIFY fieldOfViewChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(GeoMapType *activeMapType READ activeMapType WRITE setActiveMapType NOTIFY activeMapTypeChanged)
    Q_PROPERTY(QQmlListProperty<GeoMapType> supportedMapTypes READ supportedMapTypes NOTIFY supportedMapTypesChanged)

public:
    static constexpr qreal kMaximumTilt = 60.0;
    static constexpr qreal kMinimumFieldOfView = 1.0;
    static constexpr qreal kMaximumFieldOfView = 120.0;
    // Tiles drawn at most at once; the nearest to the centre win.
    static constexpr int kMaximumTiles = 512;

    explicit GeoMap(QQuickItem *parent = nullptr);
    ~GeoMap() override;

    GeoServicePlugin *plugin() const;
    void setPlugin(GeoServicePlugin *plugin);
    QGeoCoordinate center() const;
    void setCenter(const QGeoCoordinate &center);
    qreal zoomLevel() const;
    void setZoomLevel(qreal level);
    qreal minimumZoomLevel() const;
    void setMinimumZoomLevel(qreal level);
    // At most the plugin's highest level once its map types are known.
    qreal maximumZoomLevel() const;
    void setMaximumZoomLevel(qreal level);
    qreal bearing() const;
    void setBearing(qreal bearing);
    qreal tilt() const;
    void setTilt(qreal tilt);
    qreal fieldOfView() const;
    void setFieldOfView(qreal degrees);
    QColor color() const;
    void setColor(const QColor &color);
    GeoMapType *activeMapType() const;
    void setActiveMapType(GeoMapType *type);
    QQmlListProperty<GeoMapType> supportedMapTypes();

    // Moves the view by (dx, dy) pixels: the ground at centre + (dx, dy) becomes the centre.
    Q_INVOKABLE void pan(qreal dx, qreal dy);
    Q_INVOKABLE QGeoCoordinate toCoordinate(const QPointF &position, bool clipToViewport = true) const;
    Q_INVOKABLE QPointF fromCoordinate(const QGeoCoordinate &coordinate, bool clipToViewport = true) const;
    // Moves the centre so that `coordinate` shows at `point`.
    Q_INVOKABLE void alignCoordinateToPoint(const QGeoCoordinate &coordinate, const QPointF &point);
    Q_INVOKABLE void addMapItem(MapQuickItem *item);
    Q_INVOKABLE void removeMapItem(MapQuickItem *item);
    Q_INVOKABLE void clearMapItems();
    // Drops the plugin's cached tiles; what shows is fetched again.
    Q_INVOKABLE void clearData();

    MapProjection projection() const;
    // Puts one map item on its coordinate (its coordinate or anchor changed).
    void placeMapItem(MapQuickItem *item);

signals:
    void pluginChanged();
    void centerChanged(const QGeoCoordinate &center);
    void zoomLevelChanged(qreal zoomLevel);
    void minimumZoomLevelChanged();
    void maximumZoomLevelChanged();
    void bearingChanged(qreal bearing);
    void tiltChanged(qreal tilt);
    void fieldOfViewChanged(qreal fieldOfView);
    void colorChanged();
    void activeMapTypeChanged();
    void supportedMapTypesChanged();

protected:
    void componentComplete() override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData &data) override;
    void updatePolish() override;
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override;

private:
    QScopedPointer<GeoMapPrivate> d;
    friend class GeoMapPrivate;
};
