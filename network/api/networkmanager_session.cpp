// Login, logout and the records the client shows around them.
#include <QCryptographicHash>
#include <QDebug>
#include <QJsonDocument>

#include "apiquery.h"
#include "httpmanager.h"
#include "networkmanager.h"
#include "networkmanager_p.h"
#include "otherconfig.h"
#include "replyenvelope.h"
#include "secretmask.h"
#include "serverinfo.h"
#include "settings.h"

namespace {

QString passwordDigest(const QString &password)
{
    return QString::fromLatin1(QCryptographicHash::hash(password.toLatin1(), QCryptographicHash::Md5).toHex());
}

// The login reply as a log line, with the token masked.
QByteArray loginReplyForLog(const QByteArray &body)
{
    QJsonObject root = QJsonDocument::fromJson(body).object();
    QJsonObject envelope = root.value(QStringLiteral("ZelkaVSS")).toObject();
    QJsonObject replyBody = envelope.value(QStringLiteral("Body")).toObject();
    if (replyBody.contains(QStringLiteral("Token")))
        replyBody.insert(QStringLiteral("Token"), QStringLiteral("***"));
    envelope.insert(QStringLiteral("Body"), replyBody);
    root.insert(QStringLiteral("ZelkaVSS"), envelope);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

} // namespace

void NetworkManager::login(QString username, QString password, QString captcha, QJSValue callback)
{
    ApiQuery query;
    query.add(QStringLiteral("username"), username)
        .add(QStringLiteral("password"), passwordDigest(password))
        .add(QStringLiteral("captcha"), captcha);
    HttpRequest *request = d->newRequest(QStringLiteral("api/v1/login?") + query.toString());
    HttpManager *transport = d->httpManager;
    d->send(request, [callback, transport](HttpRequest *reply) {
        if (reply->error != 0) {
            const QString text = NetworkManagerPrivate::failureText(reply);
            NetworkManagerPrivate::jsCall(callback, false, text);
            qDebug() << "login error" << text;
            return;
        }
        transport->setToken(ReplyEnvelope(reply->data).legacyBody().value(QStringLiteral("Token")).toString());
        NetworkManagerPrivate::jsCall(callback, true, QString());
        qDebug() << "login" << loginReplyForLog(reply->data).constData();
    });
}

void NetworkManager::logout(QJSValue callback)
{
    HttpRequest *request = d->newRequest(QStringLiteral("api/v1/logout"), HttpRequest::Post);
    d->send(request, NetworkManagerPrivate::ackHandler(callback, "logout"));
}

void NetworkManager::getUserInfo(QJSValue callback)
{
    d->send(d->newRequest(QStringLiteral("api/v1/getuserinfo")), [callback](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getUserInfo", reply);
            return;
        }
        NetworkManagerPrivate::dataReply(callback,
                                         ReplyEnvelope(reply->data).legacyBodyObject(QStringLiteral("UserInfo")));
    });
}

void NetworkManager::getOtherConfig(QJSValue callback)
{
    Q_UNUSED(callback); // the record's own signals answer
    OtherConfig *record = d->otherConfig;
    d->send(d->newRequest(QStringLiteral("api/v1/getotherconfig")), [record](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getOtherConfig", reply);
            return;
        }
        record->fromJson(ReplyEnvelope(reply->data).legacyBody());
    });
}

void NetworkManager::getServerInfo(QJSValue callback)
{
    Q_UNUSED(callback); // the record's own signals answer
    ServerInfo *record = d->serverInfo;
    d->send(d->newRequest(QStringLiteral("api/v1/getserverinfo")), [record](HttpRequest *reply) {
        if (reply->error != 0) {
            qDebug() << "getServerInfo error" << reply->errorString;
            return;
        }
        record->fromJson(ReplyEnvelope(reply->data).legacyBody());
    });
}

void NetworkManager::getAdertisingList(QJSValue callback)
{
    d->send(d->newRequest(QStringLiteral("api/v1/advertisinglist")), [callback](HttpRequest *reply) {
        if (reply->error != 0) {
            qDebug() << "getAdertisingList error" << reply->errorString;
            return;
        }
        NetworkManagerPrivate::dataReply(callback, ReplyEnvelope(reply->data).bareArray());
    });
}

void NetworkManager::getServerState(QJSValue callback, QJSValue failed)
{
    d->send(d->newRequest(QStringLiteral("api/v1/state/top")), [callback, failed](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getServerState", reply);
            if (failed.isCallable() && NetworkManagerPrivate::hasScriptEngine())
                failed.call();
            return;
        }
        NetworkManagerPrivate::dataReply(callback, ReplyEnvelope(reply->data).bareObject());
    });
}

void NetworkManager::getRawImage(const QString &url, std::function<void(const QByteArray &)> callback)
{
    auto *request = new HttpRequest(d->serverRoot() + url);
    d->send(request, [url, callback](HttpRequest *reply) {
        if (reply->error != 0) {
            NetworkManagerPrivate::logFailure("getRawImage", reply);
            return;
        }
        qDebug() << SecretMask::text(url) << "getRawImage" << reply->data.size();
        if (callback)
            callback(reply->data);
    });
}
