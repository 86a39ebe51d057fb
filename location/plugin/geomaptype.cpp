#include "geomaptype.h"

#include <QMetaEnum>

GeoMapType::GeoMapType(MapStyle style, const QString &name, const QString &description, int layer, QObject *parent)
    : QObject(parent)
    , m_style(style)
    , m_name(name)
    , m_description(description)
    , m_layer(layer)
{
}

GeoMapType::GeoMapType(QObject *parent)
    : QObject(parent)
{
}

GeoMapType::MapStyle GeoMapType::style() const
{
    return m_style;
}

QString GeoMapType::name() const
{
    return m_name;
}

QString GeoMapType::description() const
{
    return m_description;
}

int GeoMapType::layer() const
{
    return m_layer;
}

bool GeoMapType::styleFromName(const QString &name, MapStyle *style)
{
    bool known = false;
    const int value = QMetaEnum::fromType<MapStyle>().keyToValue(name.toLatin1().constData(), &known);
    if (!known || value == NoMap)
        return false;
    *style = MapStyle(value);
    return true;
}
