#pragma once

#include <QColor>
#include <QGeoCoordinate>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

#include "testserver.h"

// The in-process test server as the map tests use it: its tile route, the client's
// settings pointed at it, and what the tests need to know about its tiles. Reachable
// from QML as the context property "tileServer".
class TileServerProbe : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString mapSource READ mapSource CONSTANT)

public:
    explicit TileServerProbe(QObject *parent = nullptr);

    // Starts the server (no RTSP) and points the configured host and port at it.
    bool start(QString *error);
    TestServer &server();

    // A map source with the server's street, satellite and hybrid tiles, in that order.
    // Tile addresses carry "run=<run>" in their query when `run` is given, so that a test
    // can tell its own requests from late ones of an earlier test.
    static QByteArray mapSourceJson(int maximumZoomLevel = 19, const QString &run = QString());
    QString mapSource() const;

    // The tile paths the server was asked for, in order ("/tiles/<type>/<z>/<x>/<y>.png"),
    // only those of one run when `run` is given.
    Q_INVOKABLE QStringList tilePaths(const QString &run = QString()) const;
    Q_INVOKABLE void clearLog();
    Q_INVOKABLE QColor groundColour(const QString &type, int z, int x, int y) const;
    Q_INVOKABLE QColor roadColour() const;
    // The centre of a tile, where its plain ground is.
    Q_INVOKABLE QGeoCoordinate tileCentre(int z, int x, int y) const;
    // The tile of level z that holds a coordinate.
    Q_INVOKABLE QPoint tileAt(const QGeoCoordinate &coordinate, int z) const;

private:
    TestServer m_server;
};

// Colours within a few steps of each other, as scaling and blending leave them.
bool similarColours(const QColor &a, const QColor &b, int tolerance = 6);
