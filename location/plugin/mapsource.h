#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "geomaptype.h"

// One map type of a map source and the template of its tile addresses.
struct MapSourceLayer
{
    GeoMapType::MapStyle style = GeoMapType::NoMap;
    QString name;
    QString description;
    QString urlTemplate; // holds {z}, {x} and {y}
};

// The plugin's "map.source": a JSON object
//   {"tileSize": 256, "maximumZoomLevel": 19,
//    "mapTypes": [{"style": "StreetMap", "name": ..., "description": ..., "url": ...}, ...]}
// where "url" is an http(s) address, a file: folder (a relative one lies beside the
// executable) or a path on the configured server, beginning with "/".
class MapSource
{
public:
    static constexpr int kDefaultTileSize = 256;
    static constexpr int kDefaultMaximumZoomLevel = 19;
    static constexpr int kHighestZoomLevel = 30;

    // Whatever cannot be used is left out, and why is added to `problems`.
    static MapSource fromJson(const QByteArray &json, QStringList *problems);

    int tileSize() const;
    int maximumZoomLevel() const;
    const QList<MapSourceLayer> &layers() const;

    // The address of one tile; a server path is joined to `serverRoot` ("http://host:port")
    // without a separator, as the pages join the server's own paths.
    QUrl tileUrl(int layer, int z, int x, int y, const QString &serverRoot) const;
    // The address template of a layer as a log may show it: a server path joined to
    // `serverRoot`, a folder made absolute, without the user and with every query value
    // other than {z}, {x} and {y} shown as "***" (tile services put their keys there).
    QString loggableTemplate(int layer, const QString &serverRoot) const;

private:
    int m_tileSize = kDefaultTileSize;
    int m_maximumZoomLevel = kDefaultMaximumZoomLevel;
    QList<MapSourceLayer> m_layers;
};
