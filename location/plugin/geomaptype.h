#pragma once

#include <QObject>
#include <QString>

// One kind of map a plugin offers: its style, with Qt Location's names and numbers so
// that pages pick types by style as they would there, and its name and description.
// Created by the plugin, shared by every map that uses it.
class GeoMapType : public QObject
{
    Q_OBJECT
    Q_PROPERTY(MapStyle style READ style CONSTANT)
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(QString description READ description CONSTANT)

public:
    enum MapStyle {
        NoMap = 0,
        StreetMap = 1,
        SatelliteMapDay = 2,
        SatelliteMapNight = 3,
        TerrainMap = 4,
        HybridMap = 5,
        TransitMap = 6,
        GrayStreetMap = 7,
        PedestrianMap = 8,
        CarNavigationMap = 9,
        CycleMap = 10,
        CustomMap = 100
    };
    Q_ENUM(MapStyle)

    // `layer` is the type's place in its plugin's map source, the key of its tiles.
    GeoMapType(MapStyle style, const QString &name, const QString &description, int layer, QObject *parent = nullptr);
    // For the QML type registration only; such a type draws nothing.
    explicit GeoMapType(QObject *parent = nullptr);

    MapStyle style() const;
    QString name() const;
    QString description() const;
    int layer() const;

    // The style named by `name` ("StreetMap", ...); false for an unknown name and for NoMap.
    static bool styleFromName(const QString &name, MapStyle *style);

private:
    MapStyle m_style = NoMap;
    QString m_name;
    QString m_description;
    int m_layer = -1;
};
