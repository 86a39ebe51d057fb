#include "geoserviceplugin.h"

#include "locationlog.h"
#include "mapsource.h"
#include "propertyhelpers.h"
#include "tilestore.h"

const QString GeoServicePlugin::kServiceName = QStringLiteral("amap");
const QString GeoServicePlugin::kSourceParameter = QStringLiteral("map.source");

class GeoServicePluginPrivate
{
public:
    explicit GeoServicePluginPrivate(GeoServicePlugin *owner)
        : q(owner)
    {
    }

    QByteArray sourceText() const;
    MapSource readSource() const;
    void reload();
    void publish(const MapSource &source);

    static void appendParameter(QQmlListProperty<GeoPluginParameter> *list, GeoPluginParameter *parameter);
    static qsizetype parameterCount(QQmlListProperty<GeoPluginParameter> *list);
    static GeoPluginParameter *parameterAt(QQmlListProperty<GeoPluginParameter> *list, qsizetype index);
    static void clearParameters(QQmlListProperty<GeoPluginParameter> *list);

    GeoServicePlugin *q;
    QString name;
    QList<GeoPluginParameter *> parameters;
    QList<GeoMapType *> types;
    TileStore tiles;
    // QML completes the plugin before it reads it; made in C++ it is read at once.
    bool complete = true;
    bool declared = false;
    bool read = false;
    QString readName;
    QByteArray readText;
};

QByteArray GeoServicePluginPrivate::sourceText() const
{
    for (const GeoPluginParameter *parameter : parameters) {
        if (parameter->name() == GeoServicePlugin::kSourceParameter)
            return parameter->value().toString().toUtf8();
    }
    return {};
}

MapSource GeoServicePluginPrivate::readSource() const
{
    // Made in C++, a plugin without a name is still being set up.
    if (name.isEmpty() && !declared)
        return {};
    if (name != GeoServicePlugin::kServiceName) {
        qCWarning(lcLocation).noquote() << QStringLiteral("no geo service named \"%1\"; this client offers \"%2\"")
                                               .arg(name, GeoServicePlugin::kServiceName);
        return {};
    }
    QStringList problems;
    const MapSource source = MapSource::fromJson(sourceText(), &problems);
    for (const QString &problem : problems)
        qCWarning(lcLocation).noquote() << QStringLiteral("%1: %2").arg(GeoServicePlugin::kSourceParameter, problem);
    return source;
}

void GeoServicePluginPrivate::reload()
{
    if (!complete)
        return;
    const QByteArray text = sourceText();
    if (read && name == readName && text == readText)
        return;
    read = true;
    readName = name;
    readText = text;
    publish(readSource());
}

void GeoServicePluginPrivate::publish(const MapSource &source)
{
    const QList<GeoMapType *> released = types;
    types.clear();
    tiles.setSource(source);
    const QList<MapSourceLayer> &layers = source.layers();
    for (int i = 0; i < layers.size(); ++i)
        types.append(new GeoMapType(layers.at(i).style, layers.at(i).name, layers.at(i).description, i, q));
    emit q->mapTypesChanged();
    // Bindings may still hold the old types until they are evaluated again.
    for (GeoMapType *type : released)
        type->deleteLater();
}

void GeoServicePluginPrivate::appendParameter(QQmlListProperty<GeoPluginParameter> *list,
                                              GeoPluginParameter *parameter)
{
    static_cast<GeoServicePlugin *>(list->object)->addParameter(parameter);
}

qsizetype GeoServicePluginPrivate::parameterCount(QQmlListProperty<GeoPluginParameter> *list)
{
    return static_cast<GeoServicePlugin *>(list->object)->d->parameters.size();
}

GeoPluginParameter *GeoServicePluginPrivate::parameterAt(QQmlListProperty<GeoPluginParameter> *list, qsizetype index)
{
    return static_cast<GeoServicePlugin *>(list->object)->d->parameters.value(index);
}

void GeoServicePluginPrivate::clearParameters(QQmlListProperty<GeoPluginParameter> *list)
{
    auto *plugin = static_cast<GeoServicePlugin *>(list->object);
    for (GeoPluginParameter *parameter : std::as_const(plugin->d->parameters))
        parameter->disconnect(plugin);
    plugin->d->parameters.clear();
    plugin->d->reload();
}

GeoServicePlugin::GeoServicePlugin(QObject *parent)
    : QObject(parent)
    , d(new GeoServicePluginPrivate(this))
{
}

GeoServicePlugin::~GeoServicePlugin() = default;

QString GeoServicePlugin::name() const
{
    return d->name;
}

void GeoServicePlugin::setName(const QString &name)
{
    if (Zelka::assignIfChanged(this, d->name, name, &GeoServicePlugin::nameChanged))
        d->reload();
}

QQmlListProperty<GeoPluginParameter> GeoServicePlugin::parameters()
{
    return QQmlListProperty<GeoPluginParameter>(this, nullptr, &GeoServicePluginPrivate::appendParameter,
                                                &GeoServicePluginPrivate::parameterCount,
                                                &GeoServicePluginPrivate::parameterAt,
                                                &GeoServicePluginPrivate::clearParameters);
}

void GeoServicePlugin::addParameter(GeoPluginParameter *parameter)
{
    if (!parameter || d->parameters.contains(parameter))
        return;
    d->parameters.append(parameter);
    connect(parameter, &GeoPluginParameter::nameChanged, this, [this] { d->reload(); });
    connect(parameter, &GeoPluginParameter::valueChanged, this, [this] { d->reload(); });
    connect(parameter, &QObject::destroyed, this, [this, parameter] {
        d->parameters.removeAll(parameter);
        d->reload();
    });
    d->reload();
}

QList<GeoMapType *> GeoServicePlugin::mapTypes() const
{
    return d->types;
}

int GeoServicePlugin::tileSize() const
{
    return d->tiles.source().tileSize();
}

int GeoServicePlugin::maximumZoomLevel() const
{
    return d->tiles.source().maximumZoomLevel();
}

TileStore *GeoServicePlugin::tileStore() const
{
    return &d->tiles;
}

void GeoServicePlugin::classBegin()
{
    d->complete = false;
    d->declared = true;
}

void GeoServicePlugin::componentComplete()
{
    d->complete = true;
    d->reload();
}
