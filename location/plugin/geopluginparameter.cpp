#include "geopluginparameter.h"

#include "propertyhelpers.h"

GeoPluginParameter::GeoPluginParameter(QObject *parent)
    : QObject(parent)
{
}

QString GeoPluginParameter::name() const
{
    return m_name;
}

void GeoPluginParameter::setName(const QString &name)
{
    Zelka::assignIfChanged(this, m_name, name, &GeoPluginParameter::nameChanged);
}

QVariant GeoPluginParameter::value() const
{
    return m_value;
}

void GeoPluginParameter::setValue(const QVariant &value)
{
    Zelka::assignIfChanged(this, m_value, value, &GeoPluginParameter::valueChanged);
}
