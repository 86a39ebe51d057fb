#pragma once

#include <QJSValue>
#include <QList>
#include <QNetworkDatagram>
#include <QObject>
#include <QScopedPointer>

#include <functional>

#include "otherconfig.h"
#include "serverinfo.h"

class ChannelInfo;
class DeviceInfo;
class HttpManager;
class HttpRequest;
class NetworkManagerPrivate;
class QQmlEngine;
class Settings;

// The one REST client of the process: one slot per server call, answering the pages
// through JavaScript callbacks or by filling the model records.
class NetworkManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(OtherConfig *otherConfig READ otherConfig NOTIFY otherConfigChanged)
    Q_PROPERTY(ServerInfo *serverInfo READ serverInfo NOTIFY serverInfoChanged)

public:
    enum ErrorType { VercodeError = 1, LoginError = 2 };
    Q_ENUM(ErrorType)
    enum PtzCommand {
        Stop = 0,
        Up = 21,
        Down = 22,
        Left = 23,
        Right = 24,
        LeftUp = 25,
        RightUp = 26,
        LeftDown = 27,
        RightDown = 28,
        ZoomIn = 11,
        ZoomOut = 12,
        FocusNear = 13,
        FocusFar = 14,
        ApertureIn = 15,
        ApertureOut = 16
    };
    Q_ENUM(PtzCommand)

    static NetworkManager *instance();
    static void setQmlEngine(QQmlEngine *engine);

    // The singleton reads the store's record; tests give their own.
    explicit NetworkManager(Settings *settings, QObject *parent = nullptr);
    ~NetworkManager() override;

    OtherConfig *otherConfig() const;
    ServerInfo *serverInfo() const;
    HttpManager *httpManager() const;

    void getRawImage(const QString &url, std::function<void(const QByteArray &)> callback);

public slots:
    void addUdpSocket(QString host, quint16 port);
    void removeUdpSocket(QString host, quint16 port);
    void sendDatagram(QNetworkDatagram data);
    void sendDatagram(QString address, quint16 port, QByteArray data);
    QString getRecordPath();
    QString getAlarmLevel(int level);
    QString getAlarmMethod(int method);
    QString getAlarmType(int method, int type);
    QString getTalkUrl(int deviceId, int channelId);
    // An address as the log may show it: user name and password, and the values of
    // "token" and "password" query items, read "***".
    QString maskedUrl(QString url);

    void login(QString username, QString password, QString captcha, QJSValue callback = QJSValue());
    void logout(QJSValue callback = QJSValue());
    void getUserInfo(QJSValue callback = QJSValue());
    void getOtherConfig(QJSValue callback = QJSValue());
    void getServerInfo(QJSValue callback = QJSValue());
    void getAdertisingList(QJSValue callback = QJSValue());
    // `failed` (no arguments) is called when the request ends without a state record, so
    // that a caller that waits for each answer can ask again.
    void getServerState(QJSValue callback = QJSValue(), QJSValue failed = QJSValue());

    void getDeviceList();
    void getChannelInfo(DeviceInfo *info);
    void getSubChannelInfo(ChannelInfo *info);
    void getChannelList(int deviceId, int start, int limit, int onlineType, QJSValue callback = QJSValue(),
                        QString search = QString());
    void getChannelInfoList(QList<int> channelIdList, QJSValue callback = QJSValue());

    void getGroupList(QJSValue callback = QJSValue());
    void getGroupDevice(int labelId, QJSValue callback = QJSValue());
    void getGroupDeviceChannel(int labelId, int deviceId, QJSValue callback = QJSValue());
    void getGroupChannelList(int labelId, QJSValue callback = QJSValue());
    void getFavoriteList(QJSValue callback = QJSValue());

    void getChannelToken(int channelId, QJSValue callback = QJSValue());
    void getChannelStream(int deviceId, int channelId, QString token, QJSValue callback = QJSValue());
    void stopChannelStream(int deviceId, int channelId, QString streamType, QJSValue callback = QJSValue());
    void keepaliveChannleStream(int deviceId, int channelId, QString token, QString keepaliveUrl);

    void addFavoritesChannel(ChannelInfo *info);
    void addFavoritesChannel(int deviceId, int channelId, QJSValue callback = QJSValue());
    void deleteFavoritesChannel(ChannelInfo *info);
    void deleteFavoritesChannel(int deviceId, int channelId, QJSValue callback = QJSValue());

    void getAlarmList(int pageIndex, int pageSize, int level, int type, QJSValue callback = QJSValue(),
                      QString search = QString());
    void downAlarmRecord(QString url, QString title, int alarmId, QString period,
                         QJSValue progressCallback = QJSValue(), QJSValue finishedCallback = QJSValue());
    void stopDownloadAlarmRecord(QString title, int alarmId, QString period, QJSValue callback = QJSValue());
    void deleteAlarm(QList<int> alarmIds, QJSValue callback = QJSValue());
    void clearAlarm(QJSValue callback = QJSValue());

    void getRecordListForMonth(int channelId, int year, int month, int recordType, QJSValue callback = QJSValue());
    void getRecordListForDay(int channelId, int year, int month, int day, int recordType,
                             QJSValue callback = QJSValue(), int start = 0, int limit = 999);
    void setRecordImportant(int channelId, QString period, bool important, QJSValue callback = QJSValue());
    void downloadRecord(QString title, int channelId, QString period, QJSValue progressCallback = QJSValue(),
                        QJSValue finishedCallback = QJSValue());
    void stopDownloadRecord(QString title, int channelId, QString period, QJSValue callback = QJSValue());
    void removeRecord(int channelId, QString period, QJSValue callback = QJSValue());
    void getDeviceRecordUrl(int channelId, QString fileName, QString startTime, int duration,
                            QJSValue callback = QJSValue());
    void getDeviceRecordDownloadUrl(int channelId, QString fileName, QString startTime, int duration,
                                    QJSValue callback = QJSValue());
    void downloadDeviceRecord(QString url, QString title, int channelId, QString period,
                              QJSValue progressCallback = QJSValue(), QJSValue finishedCallback = QJSValue());
    void stopDownloadDeviceRecord(QString title, int channelId, QString period, QJSValue callback = QJSValue());

    void ptzControl(int deviceId, int channelId, NetworkManager::PtzCommand command,
                    NetworkManager::PtzCommand direction, int speed, QJSValue callback = QJSValue());

signals:
    void request(HttpRequest *request);
    void requestQueue(HttpRequest *request);
    void requestAuth(HttpRequest *request, QString username, QString password);
    void otherConfigChanged();
    void serverInfoChanged();
    void hasUdpDatagram(QString address, quint16 port, QByteArray data);
    void error(NetworkManager::ErrorType type, QString errorString);

private:
    friend class NetworkManagerPrivate;
    QScopedPointer<NetworkManagerPrivate> d;
};
