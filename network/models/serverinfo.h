#pragma once

#include <QJsonObject>
#include <QObject>
#include <QScopedPointer>

#include "recordproperties.h"

class ServerInfoPrivate;

#define ZELKA_SERVERINFO_FIELDS(X)                                                                              \
    X(int, activeOnline, ActiveOnline, "ActiveOnline")                                                         \
    X(QString, clusterServerID, ClusterServerID, "ClusterServerID")                                            \
    X(bool, clusterServerState, ClusterServerState, "ClusterServerState")                                      \
    X(QString, hardware, Hardware, "Hardware")                                                                 \
    X(QString, interfaceVersion, InterfaceVersion, "InterfaceVersion")                                         \
    X(bool, isRtsp, IsRtsp, "IsRtsp")                                                                          \
    X(bool, liveStreamAuth, LiveStreamAuth, "LiveStreamAuth")                                                  \
    X(QString, runningTime, RunningTime, "RunningTime")                                                        \
    X(QString, server, Server, "Server")                                                                       \
    X(QString, serverTime, ServerTime, "ServerTime")                                                           \
    X(QString, startUpTime, StartUpTime, "StartUpTime")

// The server's description and running state, as it reports them.
class ServerInfo : public QObject
{
    Q_OBJECT
    ZELKA_SERVERINFO_FIELDS(ZELKA_RECORD_DECLARE)

public:
    explicit ServerInfo(QObject *parent = nullptr);
    ~ServerInfo() override;

    // Rewrites every field; a missing key resets it.
    void fromJson(const QJsonObject &json);

private:
    QScopedPointer<ServerInfoPrivate> d;
};
