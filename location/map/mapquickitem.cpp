#include "mapquickitem.h"

#include <cmath>

#include "geomap.h"
#include "mapprojection.h"
#include "propertyhelpers.h"

MapQuickItem::MapQuickItem(QQuickItem *parent)
    : QQuickItem(parent)
    , m_container(new QQuickItem(this))
{
    m_container->setTransformOrigin(QQuickItem::TopLeft);
    m_container->setVisible(false);
}

MapQuickItem::~MapQuickItem()
{
    if (m_map)
        m_map->removeMapItem(this);
}

QGeoCoordinate MapQuickItem::coordinate() const
{
    return m_coordinate;
}

void MapQuickItem::setCoordinate(const QGeoCoordinate &coordinate)
{
    // QGeoCoordinate compares invalid coordinates as different; an invalid one stays invalid.
    if (m_coordinate == coordinate || (!m_coordinate.isValid() && !coordinate.isValid()))
        return;
    m_coordinate = coordinate;
    emit coordinateChanged();
    placeOnMap();
}

QPointF MapQuickItem::anchorPoint() const
{
    return m_anchorPoint;
}

void MapQuickItem::setAnchorPoint(const QPointF &point)
{
    if (Zelka::assignIfChanged(this, m_anchorPoint, point, &MapQuickItem::anchorPointChanged))
        placeOnMap();
}

QQuickItem *MapQuickItem::sourceItem() const
{
    return m_sourceItem;
}

void MapQuickItem::setSourceItem(QQuickItem *item)
{
    if (m_sourceItem == item)
        return;
    if (m_sourceItem) {
        m_sourceItem->disconnect(this);
        if (m_sourceItem->parentItem() == m_container)
            m_sourceItem->setParentItem(nullptr);
    }
    m_sourceItem = item;
    if (item) {
        item->setParentItem(m_container);
        connect(item, &QQuickItem::widthChanged, this, &MapQuickItem::followSourceSize);
        connect(item, &QQuickItem::heightChanged, this, &MapQuickItem::followSourceSize);
    }
    followSourceSize();
    emit sourceItemChanged();
}

qreal MapQuickItem::zoomLevel() const
{
    return m_zoomLevel;
}

void MapQuickItem::setZoomLevel(qreal level)
{
    if (Zelka::assignIfChanged(this, m_zoomLevel, level, &MapQuickItem::zoomLevelChanged))
        placeOnMap();
}

void MapQuickItem::setMap(GeoMap *map)
{
    m_map = map;
    if (!map)
        hide();
}

GeoMap *MapQuickItem::map() const
{
    return m_map;
}

void MapQuickItem::followSourceSize()
{
    const QSizeF size = m_sourceItem ? m_sourceItem->size() : QSizeF();
    m_container->setSize(size);
    setSize(size * m_container->scale());
}

void MapQuickItem::placeOnMap()
{
    if (m_map)
        m_map->placeMapItem(this);
}

void MapQuickItem::hide()
{
    m_container->setVisible(false);
}

void MapQuickItem::place(const MapProjection &projection)
{
    const QPointF position = projection.fromCoordinate(m_coordinate, false);
    if (!m_coordinate.isValid() || std::isnan(position.x())) {
        hide();
        return;
    }
    qreal scale = 1.0;
    if (m_zoomLevel > 0)
        scale = std::pow(2.0, projection.camera().zoomLevel - m_zoomLevel) * projection.groundScaleAt(position);
    m_container->setScale(scale);
    followSourceSize();
    setPosition(position - m_anchorPoint * scale);
    m_container->setVisible(true);
}
