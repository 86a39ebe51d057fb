// Groups and favourites.
#include <QDebug>
#include <QPointer>

#include "apiquery.h"
#include "channelinfo.h"
#include "networkmanager.h"
#include "networkmanager_p.h"
#include "replyenvelope.h"

namespace {

// The "data" array of a list reply, or nothing on failure.
NetworkManagerPrivate::ReplyHandler dataListReply(const char *operation, const QJSValue &callback)
{
    return [operation, callback](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure(operation, reply);
            return;
        }
        NetworkManagerPrivate::dataReply(callback, ReplyEnvelope(reply->data).dataArray());
    };
}

QString favouritePath(const char *operation, int deviceId, int channelId)
{
    ApiQuery query;
    query.add(QStringLiteral("device"), deviceId).add(QStringLiteral("channel"), channelId);
    return QStringLiteral("api/v1/") + QLatin1String(operation) + QLatin1Char('?') + query.toString();
}

// The tree form: the reply sets the flag; a channel released meanwhile is left alone.
NetworkManagerPrivate::ReplyHandler favouriteFlagReply(const char *operation, ChannelInfo *info, int flag)
{
    QPointer<ChannelInfo> channel(info);
    return [operation, channel, flag](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure(operation, reply);
            return;
        }
        if (channel)
            channel->setFavoritesChannel(flag);
    };
}

} // namespace

void NetworkManager::getGroupList(QJSValue callback)
{
    d->send(d->newRequest(QStringLiteral("api/v1/labelchannel/info")), dataListReply("getGroupList", callback));
}

void NetworkManager::getGroupDevice(int labelId, QJSValue callback)
{
    d->send(d->newRequest(QStringLiteral("api/v1/labelowninfo?labelid=") + QString::number(labelId)),
            dataListReply("getGroupDevice", callback));
}

void NetworkManager::getGroupDeviceChannel(int labelId, int deviceId, QJSValue callback)
{
    ApiQuery query;
    query.add(QStringLiteral("labelid"), labelId).add(QStringLiteral("deviceid"), deviceId);
    d->send(d->newRequest(QStringLiteral("api/v1/labeldeviceowninfo?") + query.toString()),
            dataListReply("getGroupDeviceChannel", callback));
}

void NetworkManager::getGroupChannelList(int labelId, QJSValue callback)
{
    ApiQuery query;
    query.add(QStringLiteral("labelid"), labelId);
    d->send(d->newRequest(QStringLiteral("api/v1/own/label/channels?") + query.toString()),
            dataListReply("getGroupChannelList", callback));
}

void NetworkManager::getFavoriteList(QJSValue callback)
{
    d->send(d->newRequest(QStringLiteral("api/v1/favorites")), [callback](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getFavoriteList", reply);
            return;
        }
        NetworkManagerPrivate::dataReply(callback,
                                         ReplyEnvelope(reply->data).legacyBodyArray(QStringLiteral("Devices")));
    });
}

void NetworkManager::addFavoritesChannel(ChannelInfo *info)
{
    if (!info)
        return;
    d->send(d->newRequest(favouritePath("addfavoriteschannel", info->parentDeviceID(), info->channelID())),
            favouriteFlagReply("addFavoritesChannel", info, 1));
}

void NetworkManager::addFavoritesChannel(int deviceId, int channelId, QJSValue callback)
{
    d->send(d->newRequest(favouritePath("addfavoriteschannel", deviceId, channelId)), [callback](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("addFavoritesChannel", reply);
            return;
        }
        NetworkManagerPrivate::jsCall(callback, true, QString());
    });
}

void NetworkManager::deleteFavoritesChannel(ChannelInfo *info)
{
    if (!info)
        return;
    d->send(d->newRequest(favouritePath("deletefavoriteschannel", info->parentDeviceID(), info->channelID())),
            favouriteFlagReply("deleteFavoritesChannel", info, 0));
}

void NetworkManager::deleteFavoritesChannel(int deviceId, int channelId, QJSValue callback)
{
    d->send(d->newRequest(favouritePath("deletefavoriteschannel", deviceId, channelId)),
            [callback](HttpRequest *reply) {
                if (reply->error != 0) {
                    NetworkManagerPrivate::logFailure("deleteFavoritesChannel", reply);
                    return;
                }
                qDebug() << "deleteFavoritesChannel" << reply->data;
                NetworkManagerPrivate::jsCall(callback, true, QString());
            });
}
