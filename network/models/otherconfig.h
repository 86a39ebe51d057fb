#pragma once

#include <QJsonObject>
#include <QObject>
#include <QScopedPointer>

#include "recordproperties.h"

class OtherConfigPrivate;

// "Default" maps to the property "default$"; "mapTrackSnap" is the one lower-case key.
#define ZELKA_OTHERCONFIG_HEAD_FIELDS(X)                                                                        \
    X(bool, advertisingUpdate, AdvertisingUpdate, "AdvertisingUpdate")                                         \
    X(QString, allMediaType, AllMediaType, "AllMediaType")                                                     \
    X(bool, allowCaptcha, AllowCaptcha, "AllowCaptcha")                                                        \
    X(int, autoAudio, AutoAudio, "AutoAudio")                                                                  \
    X(QString, copyright, Copyright, "Copyright")                                                              \
    X(int, default$, Default, "Default")                                                                       \
    X(bool, demo, Demo, "Demo")                                                                                \
    X(int, hkMainStreamOnly, HkMainStreamOnly, "HkMainStreamOnly")                                            \
    X(int, hkPlayStreamType, HkPlayStreamType, "HkPlayStreamType")                                            \
    X(int, hkSubStreamOnly, HkSubStreamOnly, "HkSubStreamOnly")                                               \
    X(bool, initial, Initial, "Initial")                                                                       \
    X(bool, isAdvertising, IsAdvertising, "IsAdvertising")                                                     \
    X(QString, mapCentre, MapCentre, "MapCentre")                                                              \
    X(QString, mapDeviceId, MapDeviceId, "MapDeviceId")                                                        \
    X(QString, mapKey, MapKey, "MapKey")                                                                       \
    X(int, mapZoom, MapZoom, "MapZoom")                                                                        \
    X(int, playLog, PlayLog, "PlayLog")                                                                        \
    X(int, playTime, PlayTime, "PlayTime")                                                                     \
    X(int, playTimeSwitch, PlayTimeSwitch, "PlayTimeSwitch")                                                   \
    X(int, playerLogo, PlayerLogo, "PlayerLogo")                                                               \
    X(bool, recordVersion, RecordVersion, "RecordVersion")                                                     \
    X(int, saveDay, SaveDay, "SaveDay")                                                                        \
    X(int, saveThreshold, SaveThreshold, "SaveThreshold")                                                      \
    X(int, sipLog, SipLog, "SipLog")                                                                           \
    X(QString, title, Title, "Title")

#define ZELKA_OTHERCONFIG_TAIL_FIELDS(X) X(bool, mapTrackSnap, MapTrackSnap, "mapTrackSnap")

// The client configuration the server keeps: title, copyright, login switches, map view.
class OtherConfig : public QObject
{
    Q_OBJECT
    ZELKA_OTHERCONFIG_HEAD_FIELDS(ZELKA_RECORD_DECLARE)
    ZELKA_OTHERCONFIG_TAIL_FIELDS(ZELKA_RECORD_DECLARE)

public:
    static const QString defaultTitle;

    explicit OtherConfig(QObject *parent = nullptr);
    ~OtherConfig() override;

    // Rewrites every field; a missing key resets it, an empty title becomes the default.
    void fromJson(const QJsonObject &json);

private:
    QScopedPointer<OtherConfigPrivate> d;
};
