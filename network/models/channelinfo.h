#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QScopedPointer>

#include "recordproperties.h"

class ChannelInfoPrivate;

#define ZELKA_CHANNELINFO_FIELDS(X)                                                                             \
    X(QString, aiIPCId, AiIPCId, "AiIPCId")                                                                    \
    X(QString, aiManufacturer, AiManufacturer, "AiManufacturer")                                               \
    X(int, alarmPlanID, AlarmPlanID, "AlarmPlanID")                                                            \
    X(QString, cdnUrl, CdnUrl, "CdnUrl")                                                                       \
    X(int, channelID, ChannelID, "ChannelID")                                                                  \
    X(int, channelNum, ChannelNum, "ChannelNum")                                                               \
    X(QList<int>, channels, Channels, "Channels")                                                              \
    X(QString, curPlayStreamType, CurPlayStreamType, "CurPlayStreamType")                                      \
    X(QString, customID, CustomID, "CustomID")                                                                 \
    X(int, enable, Enable, "Enable")                                                                           \
    X(int, enableAudio, EnableAudio, "EnableAudio")                                                            \
    X(int, enableCdn, EnableCdn, "EnableCdn")                                                                  \
    X(bool, enableH265ToH264, EnableH265ToH264, "EnableH265ToH264")                                            \
    X(int, enableRecord, EnableRecord, "EnableRecord")                                                         \
    X(QString, errorString, ErrorString, "ErrorString")                                                        \
    X(int, favoritesChannel, FavoritesChannel, "FavoritesChannel")                                             \
    X(QString, gBChannelID, GBChannelID, "GBChannelID")                                                        \
    X(QString, gBDeviceID, GBDeviceID, "GBDeviceID")                                                           \
    X(QString, gBID, GBID, "GBID")                                                                             \
    X(QString, gBParentID, GBParentID, "GBParentID")                                                           \
    X(double, gpsLatitude, GpsLatitude, "GpsLatitude")                                                         \
    X(double, gpsLongitude, GpsLongitude, "GpsLongitude")                                                      \
    X(QString, iP, IP, "IP")                                                                                   \
    X(bool, isLabel, IsLabel, "IsLabel")                                                                       \
    X(QString, labelCustomID, LabelCustomID, "LabelCustomID")                                                  \
    X(QString, labelName, LabelName, "LabelName")                                                              \
    X(int, labelParentID, LabelParentID, "LabelParentID")                                                      \
    X(double, latitude, Latitude, "Latitude")                                                                  \
    X(double, longitude, Longitude, "Longitude")                                                               \
    X(QString, name, Name, "Name")                                                                             \
    X(int, onDemand, OnDemand, "OnDemand")                                                                     \
    X(int, online, Online, "Online")                                                                           \
    X(QString, onvif, Onvif, "Onvif")                                                                          \
    X(int, parentDeviceID, ParentDeviceID, "ParentDeviceID")                                                   \
    X(int, parental, Parental, "Parental")                                                                     \
    X(QString, password, Password, "Password")                                                                 \
    X(int, playTime, PlayTime, "PlayTime")                                                                     \
    X(int, port, Port, "Port")                                                                                 \
    X(QString, protocol, Protocol, "Protocol")                                                                 \
    X(QString, recordPlan, RecordPlan, "RecordPlan")                                                           \
    X(QString, recordPlanNew, RecordPlanNew, "RecordPlanNew")                                                  \
    X(int, recordPlanOffTime, RecordPlanOffTime, "RecordPlanOffTime")                                          \
    X(bool, recordPlanSwitch, RecordPlanSwitch, "RecordPlanSwitch")                                            \
    X(QString, recordUrl, RecordUrl, "RecordUrl")                                                              \
    X(int, relationChnID, RelationChnID, "RelationChnID")                                                      \
    X(QString, rtspUrl, RtspUrl, "RtspUrl")                                                                    \
    X(QString, serverID, ServerID, "ServerID")                                                                 \
    X(QString, snapUrl, SnapUrl, "SnapUrl")                                                                    \
    X(bool, stopRecordTimer, StopRecordTimer, "StopRecordTimer")                                               \
    X(int, subCount, SubCount, "SubCount")                                                                     \
    X(QString, token, Token, "Token")                                                                          \
    X(QString, transport, Transport, "Transport")                                                              \
    X(QString, username, Username, "Username")

// One camera channel of a device, possibly with sub-channels.
class ChannelInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool hasSubChannels READ hasSubChannels WRITE setHasSubChannels NOTIFY hasSubChannelsChanged)
    ZELKA_CHANNELINFO_FIELDS(ZELKA_RECORD_DECLARE)
    Q_PROPERTY(QList<ChannelInfo *> subChannelList READ subChannelList WRITE setSubChannelList NOTIFY
                   subChannelListChanged)

public:
    explicit ChannelInfo(const QJsonObject &json = QJsonObject(), QObject *parent = nullptr);
    ~ChannelInfo() override;

    bool hasSubChannels() const;
    void setHasSubChannels(bool value);
    QList<ChannelInfo *> subChannelList() const;
    // Releases the sub-channels it replaces (deferred) and always notifies.
    void setSubChannelList(const QList<ChannelInfo *> &list);

signals:
    void hasSubChannelsChanged();
    void subChannelListChanged();

private:
    QScopedPointer<ChannelInfoPrivate> d;
};
