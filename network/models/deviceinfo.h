#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QScopedPointer>

#include "channelinfo.h"
#include "recordproperties.h"

class DeviceInfoPrivate;

// Four keys of a device record are lower-case on the server.
#define ZELKA_DEVICEINFO_FIELDS(X)                                                                              \
    X(int, dahuaDeviceHandle, DahuaDeviceHandle, "DahuaDeviceHandle")                                          \
    X(int, deviceHandle, DeviceHandle, "DeviceHandle")                                                         \
    X(int, deviceID, DeviceID, "DeviceID")                                                                     \
    X(QString, deviceIp, DeviceIp, "DeviceIp")                                                                 \
    X(QString, deviceName, DeviceName, "DeviceName")                                                           \
    X(int, devicePort, DevicePort, "DevicePort")                                                               \
    X(QString, deviceType, DeviceType, "DeviceType")                                                           \
    X(bool, enable, Enable, "Enable")                                                                          \
    X(QString, gbDeviceID, GbDeviceID, "GbDeviceID")                                                           \
    X(QString, manufacturer, Manufacturer, "Manufacturer")                                                     \
    X(int, online, Online, "Online")                                                                           \
    X(QString, orgID, OrgID, "OrgID")                                                                          \
    X(QString, sDKVersion, SDKVersion, "SDKVersion")                                                           \
    X(QString, serverID, ServerID, "ServerID")                                                                 \
    X(QString, smsHost, SmsHost, "SmsHost")                                                                    \
    X(QString, transport, Transport, "Transport")                                                              \
    X(int, channelNums, ChannelNums, "channelNums")                                                            \
    X(QString, clusterName, ClusterName, "clusterName")                                                        \
    X(QString, updatedAt, UpdatedAt, "UpdatedAt")                                                              \
    X(bool, clusterOnline, ClusterOnline, "clusterOnline")                                                     \
    X(int, onlineChannelNums, OnlineChannelNums, "onlineChannelNums")

// One device registered on the server, with its camera channels.
class DeviceInfo : public QObject
{
    Q_OBJECT
    ZELKA_DEVICEINFO_FIELDS(ZELKA_RECORD_DECLARE)
    Q_PROPERTY(QList<ChannelInfo *> channelList READ channelList WRITE setChannelList NOTIFY channelListChanged)

public:
    explicit DeviceInfo(const QJsonObject &json = QJsonObject(), QObject *parent = nullptr);
    ~DeviceInfo() override;

    QList<ChannelInfo *> channelList() const;
    // Releases the channels it replaces (deferred) and always notifies.
    void setChannelList(const QList<ChannelInfo *> &list);

signals:
    void channelListChanged();

private:
    QScopedPointer<DeviceInfoPrivate> d;
};
