// Live streams, PTZ and the talk-back address.
#include <QDebug>

#include "apiquery.h"
#include "networkmanager.h"
#include "networkmanager_p.h"
#include "replyenvelope.h"
#include "secretmask.h"
#include "settings.h"

namespace {

QString ptzText(int command)
{
    switch (command) {
    case NetworkManager::Stop:
        return QStringLiteral("stop");
    case NetworkManager::ZoomIn:
        return QStringLiteral("zoomin");
    case NetworkManager::ZoomOut:
        return QStringLiteral("zoomout");
    case NetworkManager::Up:
        return QStringLiteral("up");
    case NetworkManager::Down:
        return QStringLiteral("down");
    case NetworkManager::Left:
        return QStringLiteral("left");
    case NetworkManager::Right:
        return QStringLiteral("right");
    default:
        return QString();
    }
}

ApiQuery streamQuery(int deviceId, int channelId, const QString &protocol, const QString &token)
{
    ApiQuery query;
    query.add(QStringLiteral("device"), deviceId)
        .add(QStringLiteral("channel"), channelId)
        .add(QStringLiteral("protocol"), protocol)
        .add(QStringLiteral("token"), token);
    return query;
}

} // namespace

QString NetworkManager::getTalkUrl(int deviceId, int channelId)
{
    return QStringLiteral("ws://") + d->settings->host() + QLatin1Char(':') + d->settings->port()
        + QStringLiteral("/api/v1/ws_talk/") + QString::number(deviceId) + QLatin1Char('/')
        + QString::number(channelId);
}

QString NetworkManager::maskedUrl(QString url)
{
    return SecretMask::url(QUrl(url));
}

void NetworkManager::getChannelToken(int channelId, QJSValue callback)
{
    d->send(d->newRequest(QStringLiteral("api/v1/gettoken?channel=") + QString::number(channelId)),
            [channelId, callback](HttpRequest *reply) {
                if (reply->error != 0) {
                    NetworkManagerPrivate::logFailure("getChannelToken", reply);
                    return;
                }
                const QString token = ReplyEnvelope(reply->data).legacyBody().value(QStringLiteral("Token")).toString();
                if (callback.isCallable())
                    callback.call({QJSValue(channelId), QJSValue(token)});
            });
}

void NetworkManager::getChannelStream(int deviceId, int channelId, QString token, QJSValue callback)
{
    const ApiQuery query = streamQuery(deviceId, channelId, d->settings->playerProtocol(), token);
    NetworkManagerPrivate *p = d.data();
    d->send(d->newRequest(QStringLiteral("api/v1/devices/channelstream?") + query.toString()),
            [p, channelId, callback](HttpRequest *reply) {
                if (reply->error != 0) {
                    NetworkManagerPrivate::logFailure("getChannelStream", reply);
                    return;
                }
                const QJsonObject body = ReplyEnvelope(reply->data).legacyBody();
                QString url = body.value(QStringLiteral("URL")).toString();
                const QString protocol = p->settings->playerProtocol();
                const bool httpProtocol = protocol == QLatin1String("FLV") || protocol == QLatin1String("HLS");
                if (httpProtocol && !url.startsWith(QLatin1String("http:")) && !url.startsWith(QLatin1String("https:")))
                    url = p->serverRoot() + url;
                const QString keepaliveUrl = body.value(QStringLiteral("KeepaliveURL")).toString();
                if (callback.isCallable())
                    callback.call({QJSValue(channelId), QJSValue(url), QJSValue(keepaliveUrl)});
            });
}

void NetworkManager::keepaliveChannleStream(int deviceId, int channelId, QString token, QString keepaliveUrl)
{
    ApiQuery query = streamQuery(deviceId, channelId, d->settings->playerProtocol(), token);
    query.add(QStringLiteral("type"), QStringLiteral("keepalive"));
    QString url = keepaliveUrl + QLatin1Char('?') + query.toString();
    if (!keepaliveUrl.contains(QLatin1String("http")))
        url.prepend(d->serverRoot());
    d->send(new HttpRequest(url), [](HttpRequest *reply) {
        if (reply->error != 0)
            NetworkManagerPrivate::logFailure("keepaliveChannleStream", reply);
    });
}

void NetworkManager::stopChannelStream(int deviceId, int channelId, QString streamType, QJSValue callback)
{
    ApiQuery query;
    query.add(QStringLiteral("device"), deviceId)
        .add(QStringLiteral("channel"), channelId)
        .add(QStringLiteral("stream_type"), streamType);
    d->send(d->newRequest(QStringLiteral("api/v1/devices/stopchannelstream?") + query.toString()),
            NetworkManagerPrivate::ackHandler(callback, "stopChannelStream"));
}

void NetworkManager::ptzControl(int deviceId, int channelId, NetworkManager::PtzCommand command,
                                NetworkManager::PtzCommand direction, int speed, QJSValue callback)
{
    if (deviceId == -1 || channelId == -1) {
        NetworkManagerPrivate::jsCall(callback, false, QString());
        return;
    }
    ApiQuery query;
    query.add(QStringLiteral("device"), deviceId)
        .add(QStringLiteral("channel"), channelId)
        .add(QStringLiteral("command"), ptzText(command))
        .add(QStringLiteral("direction"), ptzText(direction))
        .add(QStringLiteral("speed"), speed);
    qDebug() << "ptzControl" << SecretMask::text(query.toString());
    // Each request has its own connection: sent at once, a stop could reach the server
    // before the start it ends and leave the camera moving. The commands of a channel
    // therefore go out in turn, each when the one before it was answered or failed, or
    // after a short patience (the one before it is on the wire by then), so that an
    // unanswered start cannot hold the stop back until the transport gives up.
    const QString path = QStringLiteral("api/v1/ptzcontrol?") + query.toString();
    const QString channel = QStringLiteral("%1/%2").arg(deviceId).arg(channelId);
    d->ptzQueue.enqueue(channel, [this, channel, path, callback](const SerialQueue::Done &done) {
        const NetworkManagerPrivate::ReplyHandler ack = NetworkManagerPrivate::ackHandler(callback, "ptzControl");
        d->sendPtz(channel, d->newRequest(path), [ack, done](HttpRequest *reply) {
            ack(reply);
            done();
        });
    });
}
