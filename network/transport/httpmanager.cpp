#include "httpmanager.h"

#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>

#include "digeststate.h"
#include "httprequest.h"
#include "secretmask.h"

namespace {

const QString kFileExists = QStringLiteral("文件已经存在且无法写入!");
const QString kDownloadStopped = QStringLiteral("取消下载.");
const QString kTimedOut = QStringLiteral("请求超时.");
const QString kUnsupportedKind = QStringLiteral("不支持的请求类型.");
const char *const kTimedOutProperty = "zelkaTimedOut";

void finishWith(HttpRequest *request, int error, const QString &text)
{
    request->error = error;
    request->errorString = text;
    emit request->finished();
}

QByteArray contentTypeOf(HttpRequest::DataType type)
{
    return type == HttpRequest::Xml ? QByteArrayLiteral("text/xml; charset=utf-8")
                                    : QByteArrayLiteral("application/json; charset=utf-8");
}

// An exchange that moves no bytes for the given time is aborted and marked, so its
// finish reports a time-out rather than a cancel.
void armInactivityTimeout(QNetworkReply *reply, int milliseconds)
{
    if (milliseconds <= 0)
        return;
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    timer->setInterval(milliseconds);
    QObject::connect(timer, &QTimer::timeout, reply, [reply]() {
        reply->setProperty(kTimedOutProperty, true);
        reply->abort();
    });
    auto restart = [timer]() { timer->start(); };
    QObject::connect(reply, &QNetworkReply::downloadProgress, timer, restart);
    QObject::connect(reply, &QNetworkReply::uploadProgress, timer, restart);
    QObject::connect(reply, &QNetworkReply::finished, timer, &QTimer::stop);
    timer->start();
}

bool timedOut(const QNetworkReply *reply)
{
    return reply->property(kTimedOutProperty).toBool();
}

int errorCodeOf(const QNetworkReply *reply)
{
    return timedOut(reply) ? int(QNetworkReply::TimeoutError) : int(reply->error());
}

// The network layer's text names the whole address for an HTTP error status, query and
// user-info included; it reaches the log and the pages, so the credentials in it are masked.
QString errorTextOf(const QNetworkReply *reply)
{
    if (timedOut(reply))
        return kTimedOut;
    return SecretMask::text(reply->errorString(), {reply->url(), reply->request().url()});
}

bool isHttpErrorStatus(const QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 400;
}

} // namespace

class HttpManagerPrivate
{
public:
    explicit HttpManagerPrivate(HttpManager *owner)
        : q(owner)
    {
    }

    QUrl urlOf(const HttpRequest *request) const;
    void addTokenHeader(QNetworkRequest &networkRequest, const HttpRequest *request) const;
    QNetworkReply *send(HttpRequest *request);
    void wireApiReply(HttpRequest *request, QNetworkReply *reply);
    void startDownload(HttpRequest *request);
    void processNextRequest();
    QNetworkReply *sendAuthenticated(HttpRequest *request, const QByteArray &method, const QByteArray &authorization);
    void waitFor(QNetworkReply *reply);
    void answerChallenge(HttpRequest *request, QNetworkReply *reply, const QByteArray &method,
                         const QString &username, const QString &password);
    void sendBasic(HttpRequest *request, const QByteArray &method, const QString &username, const QString &password);

    HttpManager *q;
    mutable QMutex mutex;
    QNetworkAccessManager *networkManager = nullptr;
    QList<QPointer<HttpRequest>> queue;
    const HttpRequest *inFlight = nullptr; // the queued request being carried out
    QString basePath;
    QString token;
    DigestState digest;
    int requestTimeoutMs = HttpManager::DefaultRequestTimeoutMs;
};

QUrl HttpManagerPrivate::urlOf(const HttpRequest *request) const
{
    if (!request->fullUrl.isEmpty())
        return QUrl(request->fullUrl, QUrl::TolerantMode);
    return QUrl(QStringLiteral("http://") + request->host + QLatin1Char(':') + QString::number(request->port)
                    + basePath + QLatin1Char('/') + request->path,
                QUrl::TolerantMode);
}

void HttpManagerPrivate::addTokenHeader(QNetworkRequest &networkRequest, const HttpRequest *request) const
{
    const QString value = request->useOwnToken ? request->token : q->token();
    if (!value.isEmpty())
        networkRequest.setRawHeader("token", value.toLatin1());
}

// GET and the POSTs; null for the kinds this path cannot send.
QNetworkReply *HttpManagerPrivate::send(HttpRequest *request)
{
    QNetworkRequest networkRequest(urlOf(request));
    addTokenHeader(networkRequest, request);
    if (request->type == HttpRequest::Get)
        return networkManager->get(networkRequest);
    if (request->type != HttpRequest::Post)
        return nullptr;
    if (request->dataType == HttpRequest::MultiPart) {
        request->multiPart.setContentType(QHttpMultiPart::FormDataType);
        return networkManager->post(networkRequest, &request->multiPart);
    }
    networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, contentTypeOf(request->dataType));
    networkRequest.setHeader(QNetworkRequest::ContentLengthHeader, request->body.size());
    return networkManager->post(networkRequest, request->body);
}

void HttpManagerPrivate::wireApiReply(HttpRequest *request, QNetworkReply *reply)
{
    QObject::connect(request, &HttpRequest::abort, reply, &QNetworkReply::abort);
    QObject::connect(request, &HttpRequest::abort, reply, &QObject::deleteLater);
    QObject::connect(reply, &QNetworkReply::downloadProgress, request, &HttpRequest::downloadProgress);
    armInactivityTimeout(reply, requestTimeoutMs);
    QPointer<HttpRequest> guard(request);
    QObject::connect(reply, &QNetworkReply::finished, reply, [guard, reply]() {
        reply->deleteLater();
        if (!guard)
            return;
        // An aborted reply (time limit, stop) is closed: nothing to read.
        guard->data = reply->isOpen() ? reply->readAll() : QByteArray();
        finishWith(guard, errorCodeOf(reply), errorTextOf(reply));
    });
}

void HttpManagerPrivate::startDownload(HttpRequest *request)
{
    // A file already there stays until the new body is complete: a repeat that fails or
    // is stopped must not cost the copy the operator already has.
    const QFileInfo existing(request->filePath);
    if (existing.exists() && (existing.isDir() || !existing.isWritable())) {
        finishWith(request, HttpRequest::LocalFileError, kFileExists);
        return;
    }
    // The body goes to a temporary file beside the target, renamed over it only when
    // the whole body arrived: a failed or stopped download leaves the folder as it was.
    auto *file = new QSaveFile(request->filePath);
    if (!file->open(QIODevice::WriteOnly)) {
        const QString text = file->errorString();
        delete file;
        finishWith(request, HttpRequest::LocalFileError, text);
        return;
    }

    QNetworkReply *reply = networkManager->get(QNetworkRequest(urlOf(request)));
    file->setParent(reply);
    QPointer<HttpRequest> guard(request);
    auto writeFailed = std::make_shared<QString>();

    auto drainInto = [file, reply, writeFailed]() {
        const QByteArray bytes = reply->readAll();
        if (bytes.isEmpty() || !writeFailed->isEmpty() || isHttpErrorStatus(reply))
            return;
        if (file->write(bytes) != bytes.size()) {
            *writeFailed = file->errorString();
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::downloadProgress, q, [guard, drainInto](qint64 received, qint64 total) {
        drainInto();
        if (guard)
            emit guard->downloadProgress(received, total);
    });
    QObject::connect(request, &HttpRequest::stopDownload, reply, [reply, file]() {
        QObject::disconnect(reply, &QNetworkReply::downloadProgress, nullptr, nullptr);
        file->cancelWriting();
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [guard, reply, file, writeFailed, drainInto]() {
        reply->deleteLater();
        if (reply->error() == QNetworkReply::NoError)
            drainInto();
        int error = errorCodeOf(reply);
        QString text = error == QNetworkReply::OperationCanceledError ? kDownloadStopped : errorTextOf(reply);
        if (!writeFailed->isEmpty()) {
            error = HttpRequest::LocalFileError;
            text = *writeFailed;
        } else if (error == QNetworkReply::NoError && !file->commit()) {
            error = HttpRequest::LocalFileError;
            text = file->errorString();
        }
        if (error != QNetworkReply::NoError) {
            file->cancelWriting();
            file->commit(); // discards the temporary file now, not when the reply dies
        }
        if (!guard)
            return;
        // A stop that arrives after the end must not touch the finished file.
        QObject::disconnect(guard, &HttpRequest::stopDownload, reply, nullptr);
        guard->data.clear();
        finishWith(guard, error, text);
    });
}

void HttpManagerPrivate::processNextRequest()
{
    while (!inFlight && !queue.isEmpty()) {
        QPointer<HttpRequest> head = queue.takeFirst();
        if (!head)
            continue;
        if (head->type != HttpRequest::Get && head->type != HttpRequest::Post) {
            finishWith(head, QNetworkReply::ProtocolInvalidOperationError, kUnsupportedKind);
            continue;
        }
        inFlight = head;
        // A request released before its end must not hold the queue for ever.
        auto release = [this, request = head.data()]() {
            if (inFlight != request)
                return;
            inFlight = nullptr;
            processNextRequest();
        };
        QObject::connect(head, &HttpRequest::finished, q, release);
        QObject::connect(head, &QObject::destroyed, q, release);
        wireApiReply(head, send(head));
    }
}

QNetworkReply *HttpManagerPrivate::sendAuthenticated(HttpRequest *request, const QByteArray &method,
                                                     const QByteArray &authorization)
{
    QNetworkRequest networkRequest(QUrl(QStringLiteral("http://") + request->host + QLatin1Char(':')
                                        + QString::number(request->port) + QLatin1Char('/') + request->path));
    networkRequest.setRawHeader("Authorization", authorization);
    networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("UTF-8"));
    QNetworkReply *reply = method == "GET" ? networkManager->get(networkRequest)
                                           : networkManager->sendCustomRequest(networkRequest, method, request->body);
    armInactivityTimeout(reply, requestTimeoutMs);
    return reply;
}

void HttpManagerPrivate::waitFor(QNetworkReply *reply)
{
    if (reply->isFinished())
        return;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void HttpManagerPrivate::sendBasic(HttpRequest *request, const QByteArray &method, const QString &username,
                                   const QString &password)
{
    QNetworkReply *reply = sendAuthenticated(request, method, DigestState::basicAuthorization(username, password));
    waitFor(reply);
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError) {
        request->data = reply->readAll();
        emit request->finished();
        return;
    }
    if (reply->error() != QNetworkReply::AuthenticationRequiredError)
        qDebug() << "Basic Auth error: " << reply->error() << errorTextOf(reply);
    request->error = errorCodeOf(reply);
    emit request->finished();
}

void HttpManagerPrivate::answerChallenge(HttpRequest *request, QNetworkReply *reply, const QByteArray &method,
                                         const QString &username, const QString &password)
{
    digest.nonceCount = 1;
    const QString challenge = QString::fromLatin1(reply->rawHeader("WWW-Authenticate"));
    qDebug() << "authInfo" << SecretMask::text(challenge);
    const QString scheme = DigestState::schemeOf(challenge);
    if (scheme == QLatin1String("digest")) {
        digest.readChallenge(challenge);
        request->authRetryCount += 1;
        if (request->authRetryCount == 1) {
            q->requestAuth(request, username, password);
            return;
        }
        request->authRetryCount = 0;
        request->error = HttpRequest::AuthenticationFailed;
        emit request->finished();
    } else if (scheme == QLatin1String("basic")) {
        sendBasic(request, method, username, password);
    } else {
        request->error = HttpRequest::AuthenticationFailed;
        emit request->finished();
    }
}

HttpManager::HttpManager(QObject *parent)
    : QObject(parent)
{
}

HttpManager::~HttpManager() = default;

void HttpManager::initialize()
{
    if (d)
        return;
    d.reset(new HttpManagerPrivate(this));
    d->networkManager = new QNetworkAccessManager(this);
}

QString HttpManager::token() const
{
    QMutexLocker lock(&d->mutex);
    return d->token;
}

void HttpManager::setToken(const QString &token)
{
    if (token.isEmpty())
        return;
    QMutexLocker lock(&d->mutex);
    d->token = token;
}

QNetworkAccessManager *HttpManager::networkManager() const
{
    return d->networkManager;
}

QNetworkCookieJar *HttpManager::cookieJar() const
{
    return d->networkManager->cookieJar();
}

void HttpManager::setRequestTimeout(int milliseconds)
{
    d->requestTimeoutMs = milliseconds;
}

int HttpManager::requestTimeout() const
{
    return d->requestTimeoutMs;
}

void HttpManager::request(HttpRequest *request)
{
    if (!request)
        return;
    if (request->type == HttpRequest::Download) {
        d->startDownload(request);
        return;
    }
    QNetworkReply *reply = d->send(request);
    if (!reply) {
        finishWith(request, QNetworkReply::ProtocolInvalidOperationError, kUnsupportedKind);
        return;
    }
    d->wireApiReply(request, reply);
}

void HttpManager::requestQueue(HttpRequest *request)
{
    if (!request)
        return;
    d->queue.append(request);
    d->processNextRequest();
}

void HttpManager::requestAuth(HttpRequest *request, QString username, QString password)
{
    if (!request)
        return;
    if (request->type == HttpRequest::Download) {
        finishWith(request, QNetworkReply::ProtocolInvalidOperationError, kUnsupportedKind);
        return;
    }
    const QByteArray method = request->type == HttpRequest::Get ? QByteArrayLiteral("GET")
        : request->type == HttpRequest::Post                    ? QByteArrayLiteral("POST")
                                                                : QByteArrayLiteral("PUT");
    QNetworkReply *reply = d->sendAuthenticated(
        request, method, d->digest.authorization(QString::fromLatin1(method), request->path, username, password));
    QPointer<HttpRequest> guard(request);
    d->waitFor(reply);
    reply->deleteLater();
    if (!guard)
        return;
    if (reply->error() == QNetworkReply::NoError) {
        request->data = reply->readAll();
        emit request->finished();
        d->digest.nonceCount += 1;
        return;
    }
    // The Authorization value and the token never reach a log line.
    qDebug() << "error = " << reply->request().rawHeaderList() << errorTextOf(reply);
    if (reply->error() != QNetworkReply::AuthenticationRequiredError) {
        request->error = errorCodeOf(reply);
        emit request->finished();
        return;
    }
    d->answerChallenge(request, reply, method, username, password);
}
