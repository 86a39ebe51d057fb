#include "qmltestserver.h"

#include <QFile>
#include <QJsonDocument>
#include <QUrlQuery>

#include "controlroutes.h"

namespace {

const char *const kBuiltInData = ":/zelka/testserver/seed.json";

QVariantMap requestToMap(const TestServerRequest &request)
{
    QVariantMap headers;
    for (const auto &header : request.headers)
        headers.insert(QString::fromLatin1(header.first).toLower(), QString::fromLatin1(header.second));
    QVariantMap items;
    const QUrlQuery query(QString::fromLatin1(request.rawQuery));
    for (const auto &item : query.queryItems(QUrl::FullyDecoded))
        items.insert(item.first, item.second);
    return {{QStringLiteral("method"), QString::fromLatin1(request.method)},
            {QStringLiteral("path"), request.path},
            {QStringLiteral("query"), QString::fromLatin1(request.rawQuery)},
            {QStringLiteral("items"), items},
            {QStringLiteral("headers"), headers},
            {QStringLiteral("body"), QString::fromUtf8(request.body)}};
}

QJsonObject merged(QJsonObject base, const QJsonObject &patch)
{
    for (auto it = patch.begin(); it != patch.end(); ++it) {
        const QJsonValue old = base.value(it.key());
        const QJsonValue value = it.value();
        base.insert(it.key(), old.isObject() && value.isObject() ? QJsonValue(merged(old.toObject(), value.toObject())) : value);
    }
    return base;
}

} // namespace

QmlTestServer::QmlTestServer(QObject *parent)
    : QObject(parent)
{
    QFile seed(QString::fromLatin1(kBuiltInData));
    if (seed.open(QIODevice::ReadOnly))
        m_startData = QJsonDocument::fromJson(seed.readAll()).object();
}

bool QmlTestServer::start()
{
    const bool started = m_server.start();
    emit dataChanged();
    return started;
}

TestServer &QmlTestServer::server()
{
    return m_server;
}

QString QmlTestServer::host() const
{
    return m_server.host();
}

int QmlTestServer::port() const
{
    return m_server.httpPort();
}

int QmlTestServer::rtspPort() const
{
    return m_server.rtspPort();
}

QString QmlTestServer::userName() const
{
    return m_server.userName();
}

QString QmlTestServer::password() const
{
    return m_server.password();
}

QString QmlTestServer::errorString() const
{
    return m_server.errorString();
}

QString QmlTestServer::url(const QString &pathAndQuery) const
{
    return m_server.url(pathAndQuery).toString();
}

QVariantList QmlTestServer::requests(const QString &path) const
{
    QVariantList entries;
    for (const TestServerRequest &request : m_server.requestLog()) {
        if (path.isEmpty() || request.path == path)
            entries.append(requestToMap(request));
    }
    return entries;
}

void QmlTestServer::clearLog()
{
    m_server.clearRequestLog();
}

void QmlTestServer::setFault(const QString &path, const QVariantMap &fault)
{
    m_server.setFault(path, ControlRoutes::faultFromJson(QJsonObject::fromVariantMap(fault)));
}

void QmlTestServer::clearFaults()
{
    m_server.clearFaults();
}

bool QmlTestServer::loadData(const QVariant &data)
{
    const QByteArray json = data.typeId() == QMetaType::QString
                                ? data.toString().toUtf8()
                                : QJsonDocument(QJsonObject::fromVariantMap(data.toMap())).toJson();
    const bool loaded = m_server.loadDataJson(json);
    emit dataChanged();
    return loaded;
}

bool QmlTestServer::changeData(const QVariantMap &patch)
{
    const QJsonObject data = merged(m_startData, QJsonObject::fromVariantMap(patch));
    const bool loaded = m_server.loadDataJson(QJsonDocument(data).toJson());
    emit dataChanged();
    return loaded;
}

void QmlTestServer::reset()
{
    m_server.reset();
    emit dataChanged();
}

int QmlTestServer::openTalkSockets() const
{
    return m_server.openTalkSockets();
}

QVariantList QmlTestServer::talkChunks(const QString &deviceId, const QString &channelId) const
{
    QVariantList chunks;
    for (const QByteArray &chunk : m_server.talkChunks(deviceId, channelId))
        chunks.append(chunk);
    return chunks;
}
