#include "testserver.h"

#include "apiroutes.h"
#include "authroutes.h"
#include "controlroutes.h"
#include "httpconnection.h"
#include "liveflvstream.h"
#include "mediafixtures.h"
#include "mediaroutes.h"
#include "recordmedia.h"
#include "recordroutes.h"
#include "rtspserver.h"
#include "seeddata.h"
#include "talkrecorder.h"
#include "tileroutes.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

const QString kHost = QStringLiteral("127.0.0.1");
const QString kBuiltInData = QStringLiteral(":/zelka/testserver/seed.json");

bool readFile(const QString &fileName, QByteArray *contents, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString());
        return false;
    }
    *contents = file.readAll();
    return true;
}

QString normalisedPath(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
}

// The client joins "http://host:port/" and server paths that begin with "/", so a path can
// arrive as "//download/..."; routes and faults see it with single slashes.
QString collapsedSlashes(const QString &path)
{
    static const QRegularExpression repeated(QStringLiteral("/{2,}"));
    return QString(path).replace(repeated, QStringLiteral("/"));
}

} // namespace

QByteArray TestServerRequest::header(const QByteArray &name) const
{
    for (const auto &entry : headers) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return entry.second;
    }
    return {};
}

class TestServerPrivate
{
public:
    explicit TestServerPrivate(TestServer *owner);

    void acceptConnections();
    void onRequest(HttpConnection *connection, const TestServerRequest &request);
    void onLiveStream(HttpConnection *connection);
    HttpResponse route(const TestServerRequest &request);
    bool takeFault(const QString &path, TestServerFault *fault);
    static HttpResponse faultResponse(const TestServerFault &fault, HttpResponse normal);
    bool adoptData(const QByteArray &json);

    TestServer *q;
    QTcpServer tcp;
    SeedData data;
    MediaFixtures fixtures;
    ApiRoutes api{data};
    MediaRoutes media{fixtures};
    RecordMedia recordMedia{fixtures};
    RecordRoutes records{data, fixtures, recordMedia};
    AuthRoutes auth;
    ControlRoutes control;
    TalkRecorder talk;
    RtspServer rtsp;

    QString startData;
    QString token;
    QString userName;
    QString password;
    QString error;
    quint16 fixedHttpPort = 0;
    quint16 fixedRtspPort = 0;
    bool rtspEnabled = true;
    QList<TestServerRequest> log;
    QHash<HttpConnection *, qsizetype> unanswered; // the log entry each connection answers next
    QHash<QString, TestServerFault> faults;
    QList<HttpConnection *> connections;
    QList<LiveFlvStream *> streams;
};

TestServerPrivate::TestServerPrivate(TestServer *owner)
    : q(owner)
    , control(*owner)
{
    QObject::connect(&tcp, &QTcpServer::newConnection, q, [this] { acceptConnections(); });
}

void TestServerPrivate::acceptConnections()
{
    while (QTcpSocket *socket = tcp.nextPendingConnection()) {
        auto *connection = new HttpConnection(socket, q);
        connections.append(connection);
        QObject::connect(connection, &HttpConnection::requestReceived, q,
                         [this](HttpConnection *c, const TestServerRequest &request) { onRequest(c, request); });
        QObject::connect(connection, &HttpConnection::webSocketRequested, q,
                         [this](QTcpSocket *s, const TestServerRequest &request) {
                             log.append(request);
                             talk.takeOver(s);
                         });
        QObject::connect(connection, &HttpConnection::liveStreamRequested, q,
                         [this](HttpConnection *c, const QByteArray &) { onLiveStream(c); });
        QObject::connect(connection, &HttpConnection::answered, q, [this](HttpConnection *c, qint64 at) {
            const auto entry = unanswered.find(c);
            if (entry == unanswered.end())
                return;
            log[entry.value()].answeredMs = at;
            unanswered.erase(entry);
        });
        QObject::connect(connection, &HttpConnection::closed, q, [this](HttpConnection *c) {
            unanswered.remove(c);
            connections.removeAll(c);
            c->deleteLater();
        });
    }
}

void TestServerPrivate::onRequest(HttpConnection *connection, const TestServerRequest &request)
{
    if (ControlRoutes::handles(request.path)) {
        connection->respond(control.handle(request));
        return;
    }
    log.append(request);
    unanswered.insert(connection, log.size() - 1);
    TestServerRequest routed = request;
    routed.path = collapsedSlashes(request.path);
    TestServerFault fault;
    if (takeFault(routed.path, &fault)) {
        connection->respond(faultResponse(fault, fault.status == 0 && !fault.nonJson200 ? route(routed) : HttpResponse()));
        return;
    }
    connection->respond(route(routed));
}

void TestServerPrivate::onLiveStream(HttpConnection *connection)
{
    auto *stream = new LiveFlvStream(connection, q);
    streams.append(stream);
    QObject::connect(stream, &LiveFlvStream::finished, q, [this](LiveFlvStream *s) {
        streams.removeAll(s);
        s->deleteLater();
    });
    stream->start();
}

HttpResponse TestServerPrivate::route(const TestServerRequest &request)
{
    if (auth.handles(request.path))
        return auth.handle(request);
    if (media.handles(request.path))
        return media.handle(request);
    if (records.handles(request.path))
        return records.handle(request);
    if (TileRoutes::handles(request.path))
        return TileRoutes::handle(request);
    if (!api.handles(request.path))
        return HttpResponse::text(404, "not found");
    return api.handle(request, {token, quint16(tcp.serverPort()), rtsp.port()});
}

bool TestServerPrivate::takeFault(const QString &path, TestServerFault *fault)
{
    auto it = faults.find(path);
    if (it == faults.end())
        return false;
    if (it->remainingHits == 0) { // used up
        faults.erase(it);
        return false;
    }
    *fault = it.value();
    if (it->remainingHits > 0 && --it->remainingHits == 0)
        faults.erase(it);
    return true;
}

HttpResponse TestServerPrivate::faultResponse(const TestServerFault &fault, HttpResponse normal)
{
    HttpResponse response = normal;
    if (fault.status != 0) {
        response = HttpResponse::text(fault.status, fault.body);
        if (!fault.contentType.isEmpty())
            response.contentType = fault.contentType;
    } else if (fault.nonJson200) {
        response = HttpResponse::bytes(fault.body.isEmpty() ? QByteArray("<html><body>not json</body></html>") : fault.body,
                                       fault.contentType.isEmpty() ? QByteArray("text/html") : fault.contentType);
    }
    response.delayMs = fault.delayMs;
    if (fault.neverAnswer)
        response.delivery = HttpResponse::Delivery::Never;
    else if (fault.closeMidBody)
        response.delivery = HttpResponse::Delivery::CloseMidBody;
    else if (fault.slowChunkDelayMs > 0) {
        response.delivery = HttpResponse::Delivery::SlowChunks;
        response.chunkDelayMs = fault.slowChunkDelayMs;
        response.slowWithLength = fault.slowWithLength;
    }
    return response;
}

bool TestServerPrivate::adoptData(const QByteArray &json)
{
    SeedData fresh;
    if (!fresh.load(json, &error))
        return false;
    const QString name = fresh.firstUserName();
    if (name.isEmpty()) {
        error = QStringLiteral("seed data has no user");
        return false;
    }
    if (!recordMedia.prepare(fresh.recordDurations(), &error))
        return false;
    data = fresh;
    userName = name;
    password = data.user(name).value(QLatin1String("Password")).toString();
    auth.setCredentials(userName, password);
    media.setCaptchaText(data.captcha());
    return true;
}

TestServer::TestServer(QObject *parent)
    : QObject(parent)
    , d(new TestServerPrivate(this))
{
    d->token = QString::number(QRandomGenerator::global()->generate64(), 16);
}

TestServer::~TestServer()
{
    stop();
}

void TestServer::setFixedPorts(quint16 httpPort, quint16 rtspPort)
{
    d->fixedHttpPort = httpPort;
    d->fixedRtspPort = rtspPort;
}

void TestServer::setRtspEnabled(bool enabled)
{
    d->rtspEnabled = enabled;
}

bool TestServer::start(const QString &dataFile)
{
    if (d->tcp.isListening())
        return true;
    d->startData = dataFile.isEmpty() ? kBuiltInData : dataFile;
    if (!loadData(d->startData) || !d->fixtures.ensure(&d->error))
        return false;
    if (!d->tcp.listen(QHostAddress::LocalHost, d->fixedHttpPort)) {
        d->error = QStringLiteral("HTTP cannot listen on %1:%2: %3").arg(kHost).arg(d->fixedHttpPort).arg(d->tcp.errorString());
        return false;
    }
    if (d->rtspEnabled && !d->rtsp.start(d->fixedRtspPort, &d->error)) {
        d->tcp.close();
        return false;
    }
    return true;
}

void TestServer::stop()
{
    d->tcp.close();
    const QList<LiveFlvStream *> streams = d->streams;
    d->streams.clear();
    qDeleteAll(streams);
    const QList<HttpConnection *> connections = d->connections;
    d->connections.clear();
    for (HttpConnection *connection : connections) {
        connection->disconnect(this);
        delete connection;
    }
    d->talk.closeAll();
    d->rtsp.stop();
}

QString TestServer::host() const
{
    return kHost;
}

quint16 TestServer::httpPort() const
{
    return d->tcp.serverPort();
}

quint16 TestServer::rtspPort() const
{
    return d->rtsp.port();
}

QUrl TestServer::url(const QString &pathAndQuery) const
{
    const QString path = pathAndQuery.startsWith(QLatin1Char('/')) ? pathAndQuery.mid(1) : pathAndQuery;
    return QUrl(QStringLiteral("http://%1:%2/%3").arg(kHost).arg(httpPort()).arg(path), QUrl::TolerantMode);
}

QString TestServer::userName() const
{
    return d->userName;
}

QString TestServer::password() const
{
    return d->password;
}

QString TestServer::token() const
{
    return d->token;
}

QString TestServer::errorString() const
{
    return d->error;
}

QList<TestServerRequest> TestServer::requestLog() const
{
    return d->log;
}

void TestServer::clearRequestLog()
{
    d->log.clear();
    d->unanswered.clear();
}

void TestServer::setFault(const QString &path, const TestServerFault &fault)
{
    d->faults.insert(normalisedPath(path), fault);
}

void TestServer::clearFaults()
{
    d->faults.clear();
}

bool TestServer::loadData(const QString &jsonFile)
{
    QByteArray json;
    return readFile(jsonFile, &json, &d->error) && d->adoptData(json);
}

bool TestServer::loadDataJson(const QByteArray &json)
{
    return d->adoptData(json);
}

void TestServer::reset()
{
    clearRequestLog();
    clearFaults();
    d->talk.clear();
    loadData(d->startData.isEmpty() ? kBuiltInData : d->startData);
}

QList<QByteArray> TestServer::talkChunks(const QString &deviceId, const QString &channelId) const
{
    return d->talk.chunks(deviceId, channelId);
}

int TestServer::openTalkSockets() const
{
    return d->talk.openSockets();
}
