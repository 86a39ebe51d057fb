// The device tree and the channel queries.
#include <QDebug>
#include <QPointer>

#include "apiquery.h"
#include "channelinfo.h"
#include "deviceinfo.h"
#include "devicemanager.h"
#include "networkmanager.h"
#include "networkmanager_p.h"
#include "replyenvelope.h"

namespace {

const int kWholeList = 9999;

QString channelsPath(ApiQuery &query)
{
    return QStringLiteral("api/v1/channels?") + query.toString();
}

} // namespace

void NetworkManager::getDeviceList()
{
    ApiQuery query;
    query.add(QStringLiteral("start"), 0).add(QStringLiteral("limit"), kWholeList);
    d->send(d->newRequest(QStringLiteral("api/v1/devices?") + query.toString()), [this](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getDeviceList", reply);
            return;
        }
        QList<DeviceInfo *> devices;
        const QJsonArray records = ReplyEnvelope(reply->data).legacyBodyArray(QStringLiteral("Devices"));
        for (const QJsonValue &record : records) {
            auto *device = new DeviceInfo(record.toObject());
            getChannelInfo(device);
            devices.append(device);
        }
        DeviceManager::instance()->setDeviceList(devices);
    });
}

void NetworkManager::getChannelInfo(DeviceInfo *info)
{
    if (!info)
        return;
    ApiQuery query;
    query.add(QStringLiteral("device"), info->deviceID())
        .add(QStringLiteral("start"), 0)
        .add(QStringLiteral("limit"), kWholeList);
    // A newer device list may release the device before its channels arrive.
    QPointer<DeviceInfo> device(info);
    d->send(d->newRequest(channelsPath(query)), [this, device](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getChannelInfo", reply);
            return;
        }
        if (!device)
            return;
        QList<ChannelInfo *> channels;
        const QJsonArray records = ReplyEnvelope(reply->data).legacyBodyArray(QStringLiteral("Channels"));
        for (const QJsonValue &record : records) {
            auto *channel = new ChannelInfo(record.toObject(), device);
            if (channel->parental() == 1)
                getSubChannelInfo(channel);
            channels.append(channel);
        }
        device->setChannelList(channels);
    });
}

void NetworkManager::getSubChannelInfo(ChannelInfo *info)
{
    if (!info)
        return;
    ApiQuery query;
    query.add(QStringLiteral("device"), info->parentDeviceID())
        .add(QStringLiteral("start"), 0)
        .add(QStringLiteral("limit"), kWholeList)
        .add(QStringLiteral("subset"), info->gBChannelID());
    QPointer<ChannelInfo> parent(info);
    d->send(d->newRequest(channelsPath(query)), [parent](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getSubChannelInfo", reply);
            return;
        }
        if (!parent)
            return;
        QList<ChannelInfo *> channels;
        const QJsonArray records = ReplyEnvelope(reply->data).legacyBodyArray(QStringLiteral("Channels"));
        for (const QJsonValue &record : records)
            channels.append(new ChannelInfo(record.toObject(), parent));
        if (channels.isEmpty())
            return;
        parent->setSubChannelList(channels);
        parent->setHasSubChannels(true);
    });
}

void NetworkManager::getChannelList(int deviceId, int start, int limit, int onlineType, QJSValue callback,
                                    QString search)
{
    ApiQuery query;
    if (deviceId != -1)
        query.add(QStringLiteral("device"), deviceId);
    query.add(QStringLiteral("start"), start).add(QStringLiteral("limit"), limit);
    query.addFlag(QStringLiteral("getdevinfo"), true);
    if (onlineType == 1 || onlineType == 2)
        query.addFlag(QStringLiteral("online"), onlineType == 1);
    if (!search.isEmpty())
        query.add(QStringLiteral("q"), search);
    d->send(d->newRequest(channelsPath(query)), [callback](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getChannelList", reply);
            return;
        }
        NetworkManagerPrivate::dataReply(callback, ReplyEnvelope(reply->data).legacyBody());
    });
}

void NetworkManager::getChannelInfoList(QList<int> channelIdList, QJSValue callback)
{
    QStringList ids;
    for (int id : channelIdList)
        ids.append(QString::number(id));
    const QString path = QStringLiteral("api/v2/channels?channels=") + ids.join(QLatin1Char(','));
    d->send(d->newRequest(path), [callback](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getChannelInfoList", reply);
            return;
        }
        NetworkManagerPrivate::dataReply(callback, ReplyEnvelope(reply->data).dataArray());
    });
}
