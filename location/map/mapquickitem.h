#pragma once

#include <QGeoCoordinate>
#include <QPointF>
#include <QPointer>
#include <QQuickItem>

class GeoMap;
class MapProjection;

// An ordinary Qt Quick item shown on a map: the point `anchorPoint` of `sourceItem` stands
// on `coordinate`. It stays upright whatever the map's bearing and tilt, keeps its size on
// screen while `zoomLevel` is 0 and otherwise grows and shrinks with the map as if drawn
// at that zoom level. Hidden while its coordinate is invalid or not on show. Children of
// the source item that reach outside it still take input.
class MapQuickItem : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(QGeoCoordinate coordinate READ coordinate WRITE setCoordinate NOTIFY coordinateChanged)
    Q_PROPERTY(QPointF anchorPoint READ anchorPoint WRITE setAnchorPoint NOTIFY anchorPointChanged)
    Q_PROPERTY(QQuickItem *sourceItem READ sourceItem WRITE setSourceItem NOTIFY sourceItemChanged)
    Q_PROPERTY(qreal zoomLevel READ zoomLevel WRITE setZoomLevel NOTIFY zoomLevelChanged)

public:
    explicit MapQuickItem(QQuickItem *parent = nullptr);
    ~MapQuickItem() override;

    QGeoCoordinate coordinate() const;
    void setCoordinate(const QGeoCoordinate &coordinate);
    QPointF anchorPoint() const;
    void setAnchorPoint(const QPointF &point);
    QQuickItem *sourceItem() const;
    void setSourceItem(QQuickItem *item);
    qreal zoomLevel() const;
    void setZoomLevel(qreal level);

    // Called by the map that shows the item.
    void setMap(GeoMap *map);
    GeoMap *map() const;
    void place(const MapProjection &projection);

signals:
    void coordinateChanged();
    void anchorPointChanged();
    void sourceItemChanged();
    void zoomLevelChanged();

private:
    void placeOnMap();
    void followSourceSize();
    void hide();

    QGeoCoordinate m_coordinate;
    QPointF m_anchorPoint;
    QPointer<QQuickItem> m_sourceItem;
    qreal m_zoomLevel = 0;
    QPointer<GeoMap> m_map;
    // Holds the source item; hidden instead of the item itself, whose `visible` stays the user's.
    QQuickItem *m_container;
};
