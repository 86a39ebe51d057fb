#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QQmlParserStatus>
#include <QScopedPointer>
#include <QString>

#include "geomaptype.h"
#include "geopluginparameter.h"

class TileStore;
class GeoServicePluginPrivate;

// The geo-service plugin maps are drawn with. It offers one service, "amap", which reads
// its map types and tile addresses from the parameter "map.source" (see MapSource). An
// empty, missing or broken source, or another service name, offers no map types; why is
// logged. Maps that share a plugin share its map types and tiles.
class GeoServicePlugin : public QObject, public QQmlParserStatus
{
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QQmlListProperty<GeoPluginParameter> parameters READ parameters)
    Q_CLASSINFO("DefaultProperty", "parameters")

public:
    static const QString kServiceName;
    static const QString kSourceParameter;

    explicit GeoServicePlugin(QObject *parent = nullptr);
    ~GeoServicePlugin() override;

    QString name() const;
    void setName(const QString &name);
    QQmlListProperty<GeoPluginParameter> parameters();
    void addParameter(GeoPluginParameter *parameter);

    // Valid until mapTypesChanged: then the old types are released.
    QList<GeoMapType *> mapTypes() const;
    int tileSize() const;
    int maximumZoomLevel() const;
    TileStore *tileStore() const;

    void classBegin() override;
    void componentComplete() override;

signals:
    void nameChanged();
    void mapTypesChanged();

private:
    QScopedPointer<GeoServicePluginPrivate> d;
    friend class GeoServicePluginPrivate;
};
