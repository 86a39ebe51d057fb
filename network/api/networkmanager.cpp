#include "networkmanager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QJSEngine>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QPointer>
#include <QQmlEngine>
#include <QTimer>

#include "httpmanager.h"
#include "networkmanager_p.h"
#include "otherconfig.h"
#include "serverinfo.h"
#include "settingmanager.h"
#include "udpmanager.h"
#include "udpworker.h"

namespace {

// The engine that turns reply JSON into JavaScript values; it dies before the singleton.
QPointer<QQmlEngine> g_qmlEngine;

const QString kInvalidPort = QStringLiteral("服务器端口无效.");

bool isUsablePort(int port)
{
    return port > 0 && port <= 65535;
}

} // namespace

NetworkManagerPrivate::NetworkManagerPrivate(NetworkManager *owner)
    : q(owner)
{
}

HttpRequest *NetworkManagerPrivate::newRequest(const QString &path, HttpRequest::RequestType type) const
{
    bool ok = false;
    int port = settings->port().toInt(&ok);
    if (!ok)
        port = 0;
    return new HttpRequest(settings->host(), port, path, QByteArray(), type, HttpRequest::Json);
}

void NetworkManagerPrivate::send(HttpRequest *request, const ReplyHandler &handler, HttpManager *transport)
{
    pending.insert(request);
    QObject::connect(request, &HttpRequest::finished, q, [this, request, handler]() {
        pending.remove(request);
        handler(request);
        request->deleteLater();
    });
    if (request->fullUrl.isEmpty() && !isUsablePort(request->port)) {
        // A port setting that is not a number reads as 0, and one past 65535 makes no
        // address: such a request could only go to nowhere and fail with a text that does
        // not say why. It fails with the reason instead, on a later pass as the transport
        // would, so the caller's handler is never run inside the call.
        QTimer::singleShot(0, request, [request]() {
            request->error = QNetworkReply::ProtocolUnknownError;
            request->errorString = kInvalidPort;
            emit request->finished();
        });
        return;
    }
    if (!transport) {
        emit q->request(request);
        return;
    }
    // Handed over a pass later, as the shared transport gets its requests.
    QMetaObject::invokeMethod(transport, [transport, request] { transport->request(request); }, Qt::QueuedConnection);
}

void NetworkManagerPrivate::sendPtz(const QString &channel, HttpRequest *request, const ReplyHandler &handler)
{
    // The camera follows the newer command, so the older one is not worth a connection:
    // its caller learns of the failure now, before anything of the newer one.
    if (const QPointer<HttpRequest> older = ptzUnanswered.take(channel))
        emit older->abort();
    ptzUnanswered.insert(channel, request);
    // The PTZ transport holds no token of its own.
    request->useOwnToken = true;
    request->token = httpManager ? httpManager->token() : QString();
    send(request, [this, channel, handler](HttpRequest *reply) {
        if (ptzUnanswered.value(channel) == reply)
            ptzUnanswered.remove(channel);
        handler(reply);
    }, ptzTransport);
    ptzReaper.watch(request);
}

QString NetworkManagerPrivate::failureText(const HttpRequest *request)
{
    return request->data.isEmpty() ? request->errorString : QString::fromUtf8(request->data);
}

void NetworkManagerPrivate::jsCall(const QJSValue &callback, bool success, const QString &text)
{
    if (callback.isCallable())
        callback.call({QJSValue(success), QJSValue(text)});
}

void NetworkManagerPrivate::ackReply(const QJSValue &callback, const char *operation, const HttpRequest *request)
{
    if (request->error == 0) {
        jsCall(callback, true, QString());
        return;
    }
    const QString text = failureText(request);
    qDebug() << (QByteArray(operation) + " error").constData() << text;
    jsCall(callback, false, text);
}

NetworkManagerPrivate::ReplyHandler NetworkManagerPrivate::ackHandler(const QJSValue &callback, const char *operation)
{
    return [callback, operation](HttpRequest *reply) { ackReply(callback, operation, reply); };
}

void NetworkManagerPrivate::dataReply(const QJSValue &callback, const QJsonValue &payload)
{
    if (callback.isCallable() && hasScriptEngine())
        callback.call({toScript(payload)});
}

bool NetworkManagerPrivate::hasScriptEngine()
{
    if (!g_qmlEngine)
        qWarning() << "NetworkManager: reply dropped, no QML engine to convert it";
    return !g_qmlEngine.isNull();
}

QJSValue NetworkManagerPrivate::toScript(const QJsonValue &value)
{
    return g_qmlEngine ? g_qmlEngine->toScriptValue(value) : QJSValue();
}

QString NetworkManagerPrivate::serverRoot() const
{
    return QStringLiteral("http://") + settings->host() + QLatin1Char(':') + settings->port();
}

void NetworkManagerPrivate::logFailure(const char *operation, const HttpRequest *request)
{
    qDebug() << (QByteArray(operation) + " error").constData() << QString::fromUtf8(request->data)
             << request->errorString;
}

NetworkManager *NetworkManager::instance()
{
    static NetworkManager manager(SettingManager::instance()->settings());
    return &manager;
}

void NetworkManager::setQmlEngine(QQmlEngine *engine)
{
    g_qmlEngine = engine;
}

NetworkManager::NetworkManager(Settings *settings, QObject *parent)
    : QObject(parent)
    , d(new NetworkManagerPrivate(this))
{
    d->httpManager = new HttpManager;
    connect(this, &NetworkManager::request, d->httpManager, &HttpManager::request, Qt::QueuedConnection);
    connect(this, &NetworkManager::requestQueue, d->httpManager, &HttpManager::requestQueue, Qt::QueuedConnection);
    connect(this, &NetworkManager::requestAuth, d->httpManager, &HttpManager::requestAuth, Qt::QueuedConnection);

    d->udpWorker = new UdpWorker;
    connect(d->udpWorker->manager(), &UdpManager::hasUdpDatagram, this, &NetworkManager::hasUdpDatagram,
            Qt::QueuedConnection);
    QMetaObject::invokeMethod(d->httpManager, "initialize");
    d->ptzTransport = new HttpManager;
    d->ptzTransport->initialize();
    // Cookies the server sets hold for PTZ commands too.
    QNetworkCookieJar *cookies = d->httpManager->cookieJar();
    d->ptzTransport->networkManager()->setCookieJar(cookies);
    cookies->setParent(d->httpManager->networkManager());

    d->timer = new QTimer(this);
    d->timer->setInterval(300000);
    d->settings = settings;
    d->otherConfig = new OtherConfig(this);
    d->otherConfig->fromJson(QJsonObject());
    d->serverInfo = new ServerInfo(this);
    d->serverInfo->fromJson(QJsonObject());
    getRecordPath();
    if (NetworkManagerPrivate::liveManagers().isEmpty())
        qAddPostRoutine(&NetworkManagerPrivate::releaseHttpTransportsAtExit);
    NetworkManagerPrivate::liveManagers().insert(d.data());
}

NetworkManager::~NetworkManager()
{
    NetworkManagerPrivate::liveManagers().remove(d.data());
    if (NetworkManagerPrivate::liveManagers().isEmpty())
        qRemovePostRoutine(&NetworkManagerPrivate::releaseHttpTransportsAtExit);
    // The worker thread is stopped and joined before its manager and sockets go.
    delete d->udpWorker;
    d->releaseHttpTransport();
}

void NetworkManagerPrivate::releaseHttpTransport()
{
    // First the transport that borrows the shared one's cookie jar.
    delete ptzTransport;
    ptzTransport = nullptr;
    ptzUnanswered.clear();
    delete httpManager;
    httpManager = nullptr;
    // Exchanges that never finished release their requests here, not never.
    qDeleteAll(pending);
    pending.clear();
}

void NetworkManagerPrivate::releaseHttpTransportsAtExit()
{
    for (NetworkManagerPrivate *manager : std::as_const(liveManagers()))
        manager->releaseHttpTransport();
}

QSet<NetworkManagerPrivate *> &NetworkManagerPrivate::liveManagers()
{
    static QSet<NetworkManagerPrivate *> managers;
    return managers;
}

OtherConfig *NetworkManager::otherConfig() const
{
    return d->otherConfig;
}

ServerInfo *NetworkManager::serverInfo() const
{
    return d->serverInfo;
}

HttpManager *NetworkManager::httpManager() const
{
    return d->httpManager;
}

void NetworkManager::addUdpSocket(QString host, quint16 port)
{
    QMetaObject::invokeMethod(d->udpWorker->manager(), "addUdpSocket", Q_ARG(QString, host), Q_ARG(quint16, port));
}

void NetworkManager::removeUdpSocket(QString host, quint16 port)
{
    QMetaObject::invokeMethod(d->udpWorker->manager(), "removeUdpSocket", Q_ARG(QString, host),
                              Q_ARG(quint16, port));
}

void NetworkManager::sendDatagram(QNetworkDatagram data)
{
    QMetaObject::invokeMethod(d->udpWorker->manager(), "sendDatagram", Q_ARG(QNetworkDatagram, data));
}

void NetworkManager::sendDatagram(QString address, quint16 port, QByteArray data)
{
    sendDatagram(QNetworkDatagram(data, QHostAddress(address), port));
}

QString NetworkManager::getRecordPath()
{
    const QString base = d->settings->recordPath().isEmpty() ? QCoreApplication::applicationDirPath()
                                                             : d->settings->recordPath();
    const QString path = base + QStringLiteral("/record/download/");
    QDir().mkpath(path);
    return path;
}
