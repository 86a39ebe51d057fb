#include "controlroutes.h"

#include <QJsonDocument>
#include <QUrlQuery>

namespace {

HttpResponse done()
{
    return HttpResponse::json(QJsonObject{{QStringLiteral("ok"), true}});
}

QJsonObject requestToJson(const TestServerRequest &request)
{
    QJsonArray headers;
    for (const auto &header : request.headers)
        headers.append(QJsonArray{QString::fromLatin1(header.first), QString::fromLatin1(header.second)});
    return QJsonObject{{QStringLiteral("method"), QString::fromLatin1(request.method)},
                       {QStringLiteral("path"), request.path},
                       {QStringLiteral("query"), QString::fromLatin1(request.rawQuery)},
                       {QStringLiteral("headers"), headers},
                       {QStringLiteral("body"), QString::fromUtf8(request.body)},
                       {QStringLiteral("bodyBase64"), QString::fromLatin1(request.body.toBase64())},
                       {QStringLiteral("receivedMs"), request.receivedMs},
                       {QStringLiteral("answeredMs"), request.answeredMs ? QJsonValue(request.answeredMs) : QJsonValue()}};
}

} // namespace

ControlRoutes::ControlRoutes(TestServer &server)
    : m_server(server)
{
}

bool ControlRoutes::handles(const QString &path)
{
    return path.startsWith(QLatin1String("/__control/"));
}

HttpResponse ControlRoutes::handle(const TestServerRequest &request)
{
    const QString name = request.path.mid(int(qstrlen("/__control/")));
    const bool post = request.method == "POST";
    if (name == QLatin1String("info"))
        return info();
    if (name == QLatin1String("log"))
        return log();
    if (post && name == QLatin1String("log/clear")) {
        m_server.clearRequestLog();
        return done();
    }
    if (post && name == QLatin1String("fault"))
        return fault(request);
    if (post && name == QLatin1String("fault/clear")) {
        m_server.clearFaults();
        return done();
    }
    if (post && name == QLatin1String("data"))
        return data(request);
    if (post && name == QLatin1String("reset")) {
        m_server.reset();
        return done();
    }
    if (name == QLatin1String("talk"))
        return talk(request);
    return HttpResponse::text(404, "no such control route (POST for changes)");
}

TestServerFault ControlRoutes::faultFromJson(const QJsonObject &json)
{
    TestServerFault fault;
    fault.status = json.value(QLatin1String("status")).toInt();
    fault.body = json.value(QLatin1String("body")).toString().toUtf8();
    fault.contentType = json.value(QLatin1String("contentType")).toString().toUtf8();
    fault.nonJson200 = json.value(QLatin1String("nonJson200")).toBool();
    fault.delayMs = json.value(QLatin1String("delayMs")).toInt();
    fault.neverAnswer = json.value(QLatin1String("neverAnswer")).toBool();
    fault.slowChunkDelayMs = json.value(QLatin1String("slowChunkDelayMs")).toInt();
    fault.slowWithLength = json.value(QLatin1String("slowWithLength")).toBool();
    fault.closeMidBody = json.value(QLatin1String("closeMidBody")).toBool();
    fault.remainingHits = json.value(QLatin1String("remainingHits")).toInt(-1);
    return fault;
}

HttpResponse ControlRoutes::info() const
{
    return HttpResponse::json(QJsonObject{{QStringLiteral("host"), m_server.host()},
                                          {QStringLiteral("httpPort"), m_server.httpPort()},
                                          {QStringLiteral("rtspPort"), m_server.rtspPort()},
                                          {QStringLiteral("userName"), m_server.userName()},
                                          {QStringLiteral("password"), m_server.password()},
                                          {QStringLiteral("token"), m_server.token()}});
}

HttpResponse ControlRoutes::log() const
{
    QJsonArray entries;
    for (const TestServerRequest &request : m_server.requestLog())
        entries.append(requestToJson(request));
    return HttpResponse::json(entries);
}

HttpResponse ControlRoutes::fault(const TestServerRequest &request)
{
    const QJsonObject json = QJsonDocument::fromJson(request.body).object();
    const QString path = json.value(QLatin1String("path")).toString();
    if (!path.startsWith(QLatin1Char('/')))
        return HttpResponse::text(400, "JSON object with a \"path\" beginning with / expected");
    m_server.setFault(path, faultFromJson(json));
    return done();
}

HttpResponse ControlRoutes::data(const TestServerRequest &request)
{
    if (!m_server.loadDataJson(request.body))
        return HttpResponse::text(400, m_server.errorString().toUtf8());
    return done();
}

HttpResponse ControlRoutes::talk(const TestServerRequest &request) const
{
    const QUrlQuery query(QString::fromLatin1(request.rawQuery));
    QJsonArray chunks;
    qint64 bytes = 0;
    for (const QByteArray &chunk : m_server.talkChunks(query.queryItemValue(QStringLiteral("device")),
                                                       query.queryItemValue(QStringLiteral("channel")))) {
        chunks.append(QString::fromLatin1(chunk.toBase64()));
        bytes += chunk.size();
    }
    return HttpResponse::json(QJsonObject{{QStringLiteral("count"), chunks.size()},
                                          {QStringLiteral("bytes"), bytes},
                                          {QStringLiteral("chunks"), chunks}});
}
