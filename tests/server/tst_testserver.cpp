// Self-check of the local test server: the calls answer with the platform's envelopes,
// the media is real media, and the test controls (log, faults, data) do what they say.
#include "eventwait.h"
#include "testserver.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHttpMultiPart>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

namespace {

struct Reply
{
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QHash<QByteArray, QByteArray> headers;
    bool finished = false;

    QJsonObject object() const { return QJsonDocument::fromJson(body).object(); }
    QJsonObject legacyBody() const
    {
        return object().value(QLatin1String("ZelkaVSS")).toObject().value(QLatin1String("Body")).toObject();
    }
};

struct ToolRun
{
    int exitCode = -1;
    QByteArray output;
};

// Runs the tools side by side while this thread's event loop keeps the server answering.
QList<ToolRun> runTools(const QString &program, const QList<QStringList> &argumentLists, int timeoutMs = 30000)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const QStringList &arguments : argumentLists) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->start(program, arguments);
    }
    QElapsedTimer timer;
    timer.start();
    QList<ToolRun> runs;
    for (auto &process : processes) {
        while (process->state() != QProcess::NotRunning && timer.elapsed() < timeoutMs) {
            QSignalSpy spy(process.get(), &QProcess::finished);
            spy.wait(100);
        }
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(2000);
        }
        runs.append({process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1, process->readAllStandardOutput()});
    }
    return runs;
}

QString md5Hex(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toLatin1(), QCryptographicHash::Md5).toHex());
}

} // namespace

class TestServerSelfCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void everyCallAnswersWithItsEnvelope_data();
    void everyCallAnswersWithItsEnvelope();
    void protectedCallsNeedTheToken();
    void loginChecksNameAndHashedPassword();
    void captchaIsCheckedWhenSwitchedOn();
    void logoutAndAlarmDeletionParseTheirBodies();
    void favouritesAndRecordFlagsChangeTheData();
    void snapshotBodiesDecode();
    void liveStreamsAndRecordsProbe();
    void rangeRequests();
    void recordMediaLastsTheRecordAndSeeks();
    void recordMediaFollowsTheData();
    void webSocketRecordsChunks();
    void faultsDoWhatTheySay();
    void requestLogRecordsRequests();
    void rawHttpKeepAliveAndChunkedBodies();
    void digestAndBasicAuthentication();
    void loadDataReplacesTheSeed();
    void executableServesAndObeysControlRoutes();

private:
    Reply send(const QByteArray &method, const QString &pathAndQuery, const QByteArray &body = {},
               const QList<QPair<QByteArray, QByteArray>> &headers = {}, bool withToken = true, int timeoutMs = 30000);
    Reply get(const QString &pathAndQuery, bool withToken = true) { return send("GET", pathAndQuery, {}, {}, withToken); }
    Reply finish(QNetworkReply *reply, int timeoutMs);

    TestServer m_server;
    QNetworkAccessManager m_network;
};

void TestServerSelfCheck::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
    QVERIFY(m_server.httpPort() != 0);
    QVERIFY(m_server.rtspPort() != 0);
    QCOMPARE(m_server.host(), QStringLiteral("127.0.0.1"));
}

void TestServerSelfCheck::cleanup()
{
    m_server.reset();
}

Reply TestServerSelfCheck::finish(QNetworkReply *reply, int timeoutMs)
{
    Reply result;
    if (!reply->isFinished()) {
        QSignalSpy spy(reply, &QNetworkReply::finished);
        spy.wait(timeoutMs);
    }
    result.finished = reply->isFinished();
    if (!result.finished) {
        reply->abort();
        reply->deleteLater();
        return result;
    }
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.error = reply->error();
    result.body = reply->readAll();
    for (const auto &pair : reply->rawHeaderPairs())
        result.headers.insert(pair.first.toLower(), pair.second);
    reply->deleteLater();
    return result;
}

Reply TestServerSelfCheck::send(const QByteArray &method, const QString &pathAndQuery, const QByteArray &body,
                                const QList<QPair<QByteArray, QByteArray>> &headers, bool withToken, int timeoutMs)
{
    QNetworkRequest request(m_server.url(pathAndQuery));
    if (withToken)
        request.setRawHeader("token", m_server.token().toLatin1());
    for (const auto &header : headers)
        request.setRawHeader(header.first, header.second);
    if (method == "POST" && request.header(QNetworkRequest::ContentTypeHeader).isNull())
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json; charset=utf-8"));
    return finish(m_network.sendCustomRequest(request, method, body), timeoutMs);
}

void TestServerSelfCheck::everyCallAnswersWithItsEnvelope_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shape"); // legacy:<member>, legacy, data, count, array, object, text

    const QString password = md5Hex(QStringLiteral("admin123"));
    QTest::newRow("login") << "api/v1/login?username=admin&password=" + password + "&captcha=" << "legacy:Token";
    QTest::newRow("getuserinfo") << "api/v1/getuserinfo" << "legacy:UserInfo";
    QTest::newRow("getotherconfig") << "api/v1/getotherconfig" << "legacy:Title";
    QTest::newRow("getserverinfo") << "api/v1/getserverinfo" << "legacy:Server";
    QTest::newRow("advertisinglist") << "api/v1/advertisinglist" << "array";
    QTest::newRow("state/top") << "api/v1/state/top" << "object";
    QTest::newRow("devices") << "api/v1/devices?start=0&limit=9999" << "legacy:Devices";
    QTest::newRow("channels") << "api/v1/channels?device=1&start=0&limit=9999" << "legacy:Channels";
    QTest::newRow("sub-channels") << "api/v1/channels?device=1&start=0&limit=9999&subset=34020000001310000103" << "legacy:Channels";
    QTest::newRow("channel list") << "api/v1/channels?start=0&limit=20&getdevinfo=true&online=true" << "legacy:ChannelCount";
    QTest::newRow("v2 channels") << "api/v2/channels?channels=101,201,999" << "data";
    QTest::newRow("groups") << "api/v1/labelchannel/info" << "data";
    QTest::newRow("group devices") << "api/v1/labelowninfo?labelid=1" << "data";
    QTest::newRow("group device channels") << "api/v1/labeldeviceowninfo?labelid=1&deviceid=1" << "data";
    QTest::newRow("group channels") << "api/v1/own/label/channels?labelid=1" << "data";
    QTest::newRow("favorites") << "api/v1/favorites" << "legacy:Devices";
    QTest::newRow("add favourite") << "api/v1/addfavoriteschannel?device=1&channel=102" << "legacy";
    QTest::newRow("delete favourite") << "api/v1/deletefavoriteschannel?device=1&channel=102" << "legacy";
    QTest::newRow("gettoken") << "api/v1/gettoken?channel=101" << "legacy:Token";
    QTest::newRow("channelstream") << "api/v1/devices/channelstream?device=1&channel=101&protocol=RTSP&token=t" << "legacy:URL";
    QTest::newRow("keepalive") << "api/v1/devices/channelstream?device=1&channel=101&protocol=RTSP&token=t&type=keepalive" << "legacy";
    QTest::newRow("stopchannelstream") << "api/v1/devices/stopchannelstream?device=1&channel=101&stream_type=play" << "legacy";
    QTest::newRow("ptzcontrol") << "api/v1/ptzcontrol?device=2&channel=201&command=stop&direction=up&speed=100" << "legacy";
    QTest::newRow("alarmlist") << "api/v1/alarmlist?pageindex=0&pagesize=10&priority=0&method=0" << "count";
    QTest::newRow("clearalarm") << "api/v1/clearalarm" << "legacy";
    QTest::newRow("querymonthly") << "api/v1/record/querymonthly?id=101&recordType=Cloud&period=202402" << "text";
    QTest::newRow("querydaily") << "api/v1/record/querydaily?id=101&recordType=Cloud&period=20240201&start=0&limit=999" << "object";
    QTest::newRow("setimportant") << "api/v1/record/setimportant?id=101&period=20240201080000&important=true" << "legacy";
    QTest::newRow("remove") << "api/v1/record/remove?id=101&period=20240202123000" << "legacy";
    QTest::newRow("device playback") << "api/v1/devices/record/playback?channel=101&file=a.mp4&protocol=flv&stime=20240209235930&etime=20240210000030" << "legacy:URL";
    QTest::newRow("device download url") << "api/v1/record/downloaddevicerecord/101/a.mp4/60?start_time=20240209235930&end_time=20240210000030" << "legacy:url";
    QTest::newRow("stream info") << "api/v1/record/downloadrecord/streaminfo?channel=101&streamid=devstream-101-20240209235930" << "legacy:PlaybackFileURL";
}

void TestServerSelfCheck::everyCallAnswersWithItsEnvelope()
{
    QFETCH(QString, path);
    QFETCH(QString, shape);
    const Reply reply = get(path);
    QVERIFY2(reply.status == 200, reply.body.constData());
    const QJsonDocument document = QJsonDocument::fromJson(reply.body);
    if (shape.startsWith(QLatin1String("legacy"))) {
        QVERIFY(document.object().value(QLatin1String("ZelkaVSS")).toObject().value(QLatin1String("Body")).isObject());
        const QString member = shape.section(QLatin1Char(':'), 1);
        if (!member.isEmpty())
            QVERIFY2(reply.legacyBody().contains(member), reply.body.constData());
    } else if (shape == QLatin1String("data")) {
        QVERIFY(document.object().value(QLatin1String("data")).isArray());
    } else if (shape == QLatin1String("count")) {
        QVERIFY(document.object().value(QLatin1String("count")).isDouble());
        QVERIFY(document.object().value(QLatin1String("data")).isArray());
    } else if (shape == QLatin1String("array")) {
        QVERIFY(document.isArray());
    } else if (shape == QLatin1String("object")) {
        QVERIFY(document.isObject());
        QVERIFY(!document.object().contains(QLatin1String("ZelkaVSS")));
    } else {
        QVERIFY(QRegularExpression(QStringLiteral("^\"[01]{28,31}\"$")).match(QString::fromLatin1(reply.body)).hasMatch());
    }
    QVERIFY2(!reply.body.contains("\"_"), "server-internal keys must not leave the server");
}

void TestServerSelfCheck::protectedCallsNeedTheToken()
{
    for (const char *path : {"api/v1/devices?start=0&limit=1", "api/v1/getuserinfo", "api/v1/alarmlist?pageindex=0&pagesize=1&priority=0&method=0",
                             "api/v1/state/top", "api/v2/channels?channels=101"}) {
        QCOMPARE(get(QString::fromLatin1(path), false).status, 401);
        QCOMPARE(send("GET", QString::fromLatin1(path), {}, {{"token", "wrong"}}, false).status, 401);
    }
    for (const char *path : {"api/v1/getotherconfig", "api/v1/advertisinglist", "api/v1/captcha", "snap/101.h264",
                             "api/v1/record/download/101/20240201080000", "download/alarm/1.mp4", "media/advert/1.jpg"})
        QCOMPARE(get(QString::fromLatin1(path), false).status, 200);
}

void TestServerSelfCheck::loginChecksNameAndHashedPassword()
{
    const QString good = md5Hex(m_server.password());
    const Reply ok = get(QStringLiteral("api/v1/login?username=%1&password=%2&captcha=").arg(m_server.userName(), good), false);
    QCOMPARE(ok.legacyBody().value(QLatin1String("Token")).toString(), m_server.token());
    const Reply visitor = get(QStringLiteral("api/v1/login?username=guest&password=%1&captcha=").arg(md5Hex(QStringLiteral("vistr4816"))), false);
    QCOMPARE(visitor.status, 200);
    const QByteArray visitorToken = visitor.legacyBody().value(QLatin1String("Token")).toString().toLatin1();
    QVERIFY(visitorToken != m_server.token().toLatin1());
    const Reply visitorInfo = send("GET", QStringLiteral("api/v1/getuserinfo"), {}, {{"token", visitorToken}}, false);
    QCOMPARE(visitorInfo.legacyBody().value(QLatin1String("UserInfo")).toObject().value(QLatin1String("name")).toString(), QStringLiteral("guest"));
    QCOMPARE(get(QStringLiteral("api/v1/getuserinfo")).legacyBody().value(QLatin1String("UserInfo")).toObject().value(QLatin1String("name")).toString(),
             QStringLiteral("admin"));
    const Reply plain = get(QStringLiteral("api/v1/login?username=%1&password=%2&captcha=").arg(m_server.userName(), m_server.password()), false);
    QCOMPARE(plain.status, 401);
    QVERIFY(!plain.body.isEmpty());
    QCOMPARE(get(QStringLiteral("api/v1/login?username=nobody&password=%1&captcha=").arg(good), false).status, 401);
}

void TestServerSelfCheck::captchaIsCheckedWhenSwitchedOn()
{
    QVERIFY(m_server.loadDataJson(R"({"Users":[{"UserName":"op","Password":"pw"}], "Captcha":"Q7x2",
                                      "OtherConfig":{"AllowCaptcha":true}})"));
    const QString login = QStringLiteral("api/v1/login?username=op&password=%1&captcha=").arg(md5Hex(QStringLiteral("pw")));
    QCOMPARE(get(login, false).status, 400);
    QCOMPARE(get(login + QStringLiteral("q7X2"), false).status, 200);
    const Reply picture = get(QStringLiteral("api/v1/captcha"), false);
    QCOMPARE(picture.headers.value("content-type"), QByteArray("image/png"));
    QVERIFY(picture.body.startsWith("\x89PNG"));
}

void TestServerSelfCheck::logoutAndAlarmDeletionParseTheirBodies()
{
    QCOMPARE(send("POST", QStringLiteral("api/v1/logout")).status, 200);
    QCOMPARE(get(QStringLiteral("api/v1/logout")).status, 405);

    auto alarmCount = [this] {
        return get(QStringLiteral("api/v1/alarmlist?pageindex=0&pagesize=10&priority=0&method=0")).object().value(QLatin1String("count")).toInt();
    };
    const int before = alarmCount();
    QVERIFY(before >= 25);
    const QJsonArray rows = get(QStringLiteral("api/v1/alarmlist?pageindex=0&pagesize=100&priority=0&method=0")).object().value(QLatin1String("data")).toArray();
    for (int i = 1; i < rows.size(); ++i) // oldest first
        QVERIFY(rows.at(i - 1).toObject().value(QLatin1String("AlarmTime")).toString() <= rows.at(i).toObject().value(QLatin1String("AlarmTime")).toString());
    auto *multiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("text/plain"));
    part.setHeader(QNetworkRequest::ContentDispositionHeader, QByteArray("form-data; name=\"alarmids\""));
    part.setBody("[3,17,25]");
    multiPart->append(part);
    QNetworkRequest request(m_server.url(QStringLiteral("api/v1/deletealarm")));
    request.setRawHeader("token", m_server.token().toLatin1());
    QNetworkReply *reply = m_network.post(request, multiPart);
    multiPart->setParent(reply);
    const Reply deleted = finish(reply, 5000);
    QCOMPARE(deleted.status, 200);
    QCOMPARE(deleted.legacyBody().value(QLatin1String("Deleted")).toInt(), 3);
    QCOMPARE(alarmCount(), before - 3);
    QCOMPARE(send("POST", QStringLiteral("api/v1/deletealarm"), "[1]").status, 400); // not multipart
}

void TestServerSelfCheck::favouritesAndRecordFlagsChangeTheData()
{
    auto favouriteIds = [this] {
        QList<int> ids;
        for (const QJsonValue &device : get(QStringLiteral("api/v1/favorites")).legacyBody().value(QLatin1String("Devices")).toArray())
            for (const QJsonValue &channel : device.toObject().value(QLatin1String("channels")).toArray())
                ids.append(channel.toObject().value(QLatin1String("ChannelID")).toInt());
        return ids;
    };
    QVERIFY(!favouriteIds().contains(102));
    QCOMPARE(get(QStringLiteral("api/v1/addfavoriteschannel?device=1&channel=102")).status, 200);
    QVERIFY(favouriteIds().contains(102));
    QCOMPARE(get(QStringLiteral("api/v1/addfavoriteschannel?device=2&channel=102")).status, 404);

    const QString day = QStringLiteral("api/v1/record/querydaily?id=101&recordType=Cloud&period=20240201&start=0&limit=999");
    QCOMPARE(get(day).object().value(QLatin1String("total")).toInt(), 3);
    QCOMPARE(get(QStringLiteral("api/v1/record/setimportant?id=101&period=20240201080000&important=true")).status, 200);
    QCOMPARE(get(day).object().value(QLatin1String("list")).toArray().at(0).toObject().value(QLatin1String("important")).toBool(), true);
    QCOMPARE(get(QStringLiteral("api/v1/record/remove?id=101&period=20240201080000")).status, 200);
    QCOMPARE(get(day).object().value(QLatin1String("total")).toInt(), 2);
    QCOMPARE(get(QStringLiteral("api/v1/record/remove?id=101&period=20240201080000")).status, 404);
}

void TestServerSelfCheck::snapshotBodiesDecode()
{
    QTemporaryDir dir;
    QList<QStringList> probes;
    const QList<QPair<QString, QString>> snaps = {{QStringLiteral("snap/101.h264"), QStringLiteral("h264")},
                                                 {QStringLiteral("snap/102.h265"), QStringLiteral("hevc")},
                                                 {QStringLiteral("snap/alarm/4.h264"), QStringLiteral("h264")}};
    for (const auto &snap : snaps) {
        const Reply reply = get(snap.first, false);
        QCOMPARE(reply.status, 200);
        QVERIFY(reply.body.startsWith(QByteArray("\0\0\0\1", 4)));
        const QString file = dir.filePath(QString::number(probes.size()));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(reply.body);
        out.close();
        probes.append({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"), snap.second, QStringLiteral("-count_frames"),
                       QStringLiteral("-show_entries"), QStringLiteral("stream=codec_name,width,height,nb_read_frames"),
                       QStringLiteral("-of"), QStringLiteral("csv=p=0"), file});
    }
    const QList<ToolRun> runs = runTools(QStringLiteral("ffprobe"), probes);
    for (int i = 0; i < runs.size(); ++i) {
        QCOMPARE(runs.at(i).exitCode, 0);
        QCOMPARE(runs.at(i).output.trimmed(), (snaps.at(i).second + QStringLiteral(",640,360,1")).toLatin1());
    }
}

void TestServerSelfCheck::liveStreamsAndRecordsProbe()
{
    struct Probe
    {
        QString url;
        QByteArray codecs;
    };
    const QString rtsp = QStringLiteral("rtsp://127.0.0.1:%1/live/").arg(m_server.rtspPort());
    const QString channelStream = get(QStringLiteral("api/v1/devices/channelstream?device=2&channel=201&protocol=RTSP&token=t"))
                                      .legacyBody().value(QLatin1String("URL")).toString();
    const QString flvPath = get(QStringLiteral("api/v1/devices/channelstream?device=1&channel=101&protocol=FLV&token=t"))
                                .legacyBody().value(QLatin1String("URL")).toString();
    const QString hlsPath = get(QStringLiteral("api/v1/devices/channelstream?device=1&channel=101&protocol=HLS&token=t"))
                                .legacyBody().value(QLatin1String("URL")).toString();
    const QList<Probe> probes = {
        {rtsp + QStringLiteral("h264"), "h264"},
        {rtsp + QStringLiteral("h265"), "hevc"},
        {rtsp + QStringLiteral("h264-aac"), "h264,aac"},
        {rtsp + QStringLiteral("h264-pcma"), "h264,pcm_alaw"},
        {rtsp + QStringLiteral("h265-aac"), "hevc,aac"},
        {rtsp + QStringLiteral("h265-pcmu"), "hevc,pcm_mulaw"},
        {channelStream, "hevc,aac"},
        {m_server.url(flvPath).toString(), "h264,aac"},
        {m_server.url(hlsPath).toString(), "h264,aac"},
        {m_server.url(QStringLiteral("media/record.mp4")).toString(), "h264,aac"},
        {m_server.url(QStringLiteral("media/record.flv")).toString(), "h264,aac"},
        {m_server.url(QStringLiteral("api/v1/record/download/101/20240201080000")).toString(), "h264,aac"},
    };
    QList<QStringList> arguments;
    for (const Probe &probe : probes)
        arguments.append({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                          QStringLiteral("stream=codec_name:format=duration"), QStringLiteral("-of"),
                          QStringLiteral("compact=p=0:nk=1"), probe.url});
    const QList<ToolRun> runs = runTools(QStringLiteral("ffprobe"), arguments);
    for (int i = 0; i < runs.size(); ++i) {
        QVERIFY2(runs.at(i).exitCode == 0, qPrintable(probes.at(i).url));
        // Streams first (HLS lists them once more under its program), the duration last.
        const QList<QByteArray> lines = runs.at(i).output.trimmed().split('\n');
        QByteArrayList codecs;
        for (const QByteArray &line : lines.mid(0, lines.size() - 1)) {
            if (!line.trimmed().isEmpty() && !codecs.contains(line.trimmed()))
                codecs.append(line.trimmed());
        }
        QVERIFY2(codecs.join(',') == probes.at(i).codecs, qPrintable(probes.at(i).url + QLatin1Char(' ') + QString::fromLatin1(runs.at(i).output)));
        if (probes.at(i).url.endsWith(QLatin1String("record.mp4")))
            QVERIFY(qAbs(lines.last().toDouble() - 10.0) < 0.2);
    }
}

void TestServerSelfCheck::rangeRequests()
{
    const QString path = QStringLiteral("download/device/101/x.mp4");
    const Reply whole = get(path, false);
    QCOMPARE(whole.status, 200);
    QCOMPARE(whole.headers.value("accept-ranges"), QByteArray("bytes"));
    const qint64 size = whole.body.size();
    QVERIFY(size > 100000);

    const Reply first = send("GET", path, {}, {{"Range", "bytes=0-99"}}, false);
    QCOMPARE(first.status, 206);
    QCOMPARE(first.body, whole.body.left(100));
    QCOMPARE(first.headers.value("content-range"), "bytes 0-99/" + QByteArray::number(size));

    const Reply open = send("GET", path, {}, {{"Range", "bytes=" + QByteArray::number(size - 10) + '-'}}, false);
    QCOMPARE(open.body, whole.body.right(10));
    const Reply suffix = send("GET", path, {}, {{"Range", "bytes=-5"}}, false);
    QCOMPARE(suffix.body, whole.body.right(5));
    const Reply doubled = send("GET", QLatin1Char('/') + path, {}, {{"Range", "bytes=0-9"}}, false); // "//download/..."
    QCOMPARE(doubled.body, whole.body.left(10));
    const Reply beyond = send("GET", path, {}, {{"Range", "bytes=" + QByteArray::number(size) + '-'}}, false);
    QCOMPARE(beyond.status, 416);
    QCOMPARE(beyond.headers.value("content-range"), "bytes */" + QByteArray::number(size));
}

// Every seeded record's stream and the device playback spans last as long as asked, and a
// seek lands on the second asked for (a key frame each second). ffmpeg reads forward over
// short distances instead of asking for a range, so ranges are checked on their own.
void TestServerSelfCheck::recordMediaLastsTheRecordAndSeeks()
{
    struct Media
    {
        QString path;
        int seconds = 0;
    };
    QList<Media> media;
    const QJsonArray records = get(QStringLiteral("api/v1/record/querydaily?id=101&recordType=Cloud&period=20240201&start=0&limit=999"))
                                   .object().value(QLatin1String("list")).toArray();
    QCOMPARE(records.size(), 3);
    for (const QJsonValue &record : records)
        media.append({record[QLatin1String("hls")].toString(), record[QLatin1String("duration")].toInt()});
    QCOMPARE(media.at(0).path, QStringLiteral("/vod/record/101/20240201080000.mp4"));
    auto devicePath = [this](const char *span) {
        return get(QStringLiteral("api/v1/devices/record/playback?channel=101&file=dev.mp4&protocol=flv&") + QLatin1String(span))
            .legacyBody().value(QLatin1String("URL")).toString();
    };
    media.append({devicePath("stime=20240204123000&etime=20240204130000"), 1800});
    QCOMPARE(media.last().path, QStringLiteral("/vod/device/101/20240204123000-20240204130000.flv"));
    media.append({devicePath("stime=20240209235930&etime=20240210000045"), 75}); // not seeded: made when asked

    QList<QStringList> probes;
    for (const Media &item : media) {
        const QString url = m_server.url(item.path).toString();
        probes.append({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"), QStringLiteral("v"),
                       QStringLiteral("-show_entries"), QStringLiteral("stream=codec_name:format=duration"), QStringLiteral("-of"),
                       QStringLiteral("csv=p=0"), url});
        probes.append({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"), QStringLiteral("v"),
                       QStringLiteral("-read_intervals"), QStringLiteral("%1%+#1").arg(item.seconds / 4), QStringLiteral("-show_entries"),
                       QStringLiteral("packet=pts_time,flags"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), url});
    }
    const QList<ToolRun> runs = runTools(QStringLiteral("ffprobe"), probes);
    for (int i = 0; i < media.size(); ++i) {
        const Media &item = media.at(i);
        const QList<QByteArray> facts = runs.at(2 * i).output.trimmed().split('\n');
        QVERIFY2(runs.at(2 * i).exitCode == 0 && facts.size() == 2, qPrintable(item.path));
        QCOMPARE(facts.at(0).trimmed(), QByteArray("h264"));
        QVERIFY2(qAbs(facts.at(1).toDouble() - item.seconds) < 0.01, facts.at(1).constData());
        const QList<QByteArray> landed = runs.at(2 * i + 1).output.trimmed().split(',');
        QVERIFY2(landed.size() == 2, qPrintable(item.path));
        QCOMPARE(landed.at(0).toDouble(), double(item.seconds / 4));
        QVERIFY(landed.at(1).startsWith('K'));
    }

    const Reply whole = get(media.at(0).path, false);
    QCOMPARE(whole.headers.value("content-type"), QByteArray("video/mp4"));
    const Reply part = send("GET", media.at(0).path, {}, {{"Range", "bytes=100-199"}}, false);
    QCOMPARE(part.status, 206);
    QCOMPARE(part.body, whole.body.mid(100, 100));
    QCOMPARE(part.headers.value("content-range"), "bytes 100-199/" + QByteArray::number(whole.body.size()));
    QCOMPARE(get(QStringLiteral("api/v1/devices/record/playback?channel=101&file=d&protocol=flv&stime=20240204123000&etime=20240204122959")).status,
             400); // ends before it starts
}

// Records come and go with the data: a removed or unknown record has no stream, and a
// record of no length still opens (one second).
void TestServerSelfCheck::recordMediaFollowsTheData()
{
    const QString path = QStringLiteral("vod/record/101/20240201123000.mp4");
    QCOMPARE(get(path, false).status, 200);
    QCOMPARE(get(QStringLiteral("api/v1/record/remove?id=101&period=20240201123000")).status, 200);
    QCOMPARE(get(path, false).status, 404);
    QCOMPARE(get(QStringLiteral("vod/record/999/20240201080000.mp4"), false).status, 404);
    QCOMPARE(get(QStringLiteral("vod/record/101/20240131080000.mp4"), false).status, 404); // no records that day

    QVERIFY(m_server.loadDataJson(R"({"Users":[{"UserName":"op","Password":"pw"}],
                                      "Records":{"Channels":[7],"CloudDays":[1],"DeviceDays":[],
                                                 "Day":[{"Time":"060000","Duration":0},{"Time":"070000","Duration":20}]}})"));
    const QList<ToolRun> runs = runTools(QStringLiteral("ffprobe"),
                                         {{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                           QStringLiteral("format=duration"), QStringLiteral("-of"), QStringLiteral("csv=p=0"),
                                           m_server.url(QStringLiteral("vod/record/7/20240301060000.mp4")).toString()},
                                          {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                           QStringLiteral("format=duration"), QStringLiteral("-of"), QStringLiteral("csv=p=0"),
                                           m_server.url(QStringLiteral("vod/record/7/20240301070000.mp4")).toString()}});
    QCOMPARE(runs.at(0).output.trimmed().toDouble(), 1.0);
    QCOMPARE(runs.at(1).output.trimmed().toDouble(), 20.0);
}

void TestServerSelfCheck::webSocketRecordsChunks()
{
    m_server.clearRequestLog();
    QWebSocket socket;
    QSignalSpy connected(&socket, &QWebSocket::connected);
    socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/ws_talk/2/201").arg(m_server.httpPort())));
    QVERIFY(connected.wait(kEventWaitMs));
    socket.sendBinaryMessage(QByteArray(320, 'a'));
    socket.sendBinaryMessage(QByteArray(640, 'b'));
    socket.sendBinaryMessage(QByteArray("\0\1\2", 3));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.talkChunks(QStringLiteral("2"), QStringLiteral("201")).size(), 3, kEventWaitMs);
    const QList<QByteArray> chunks = m_server.talkChunks(QStringLiteral("2"), QStringLiteral("201"));
    QCOMPARE(chunks.at(1), QByteArray(640, 'b'));
    QCOMPARE(chunks.at(2), QByteArray("\0\1\2", 3));
    QVERIFY(m_server.talkChunks(QStringLiteral("2"), QStringLiteral("202")).isEmpty());
    QCOMPARE(m_server.requestLog().size(), 1);
    QCOMPARE(m_server.requestLog().at(0).path, QStringLiteral("/api/v1/ws_talk/2/201"));
    QCOMPARE(m_server.requestLog().at(0).header("upgrade").toLower(), QByteArray("websocket"));
    socket.close();
    QCOMPARE(get(QStringLiteral("api/v1/ws_talk/2/201")).status, 400); // plain GET, no upgrade
}

void TestServerSelfCheck::faultsDoWhatTheySay()
{
    const QString devices = QStringLiteral("api/v1/devices?start=0&limit=9999");
    TestServerFault status;
    status.status = 500;
    status.body = "服务器内部错误";
    status.remainingHits = 1;
    m_server.setFault(QStringLiteral("/api/v1/devices"), status);
    const Reply failed = get(devices);
    QCOMPARE(failed.status, 500);
    QCOMPARE(QString::fromUtf8(failed.body), QStringLiteral("服务器内部错误"));
    QCOMPARE(get(devices).status, 200); // the fault was for one hit only
    status.remainingHits = 0;
    m_server.setFault(QStringLiteral("/api/v1/devices"), status);
    QCOMPARE(get(devices).status, 200); // no hits left at all

    TestServerFault nonJson;
    nonJson.nonJson200 = true;
    m_server.setFault(QStringLiteral("api/v1/getotherconfig"), nonJson);
    const Reply html = get(QStringLiteral("api/v1/getotherconfig"));
    QCOMPARE(html.status, 200);
    QVERIFY(QJsonDocument::fromJson(html.body).isNull());

    TestServerFault delayed;
    delayed.delayMs = 300;
    m_server.setFault(QStringLiteral("/api/v1/getuserinfo"), delayed);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(get(QStringLiteral("api/v1/getuserinfo")).status, 200);
    QVERIFY(timer.elapsed() >= 290);

    TestServerFault silent;
    silent.neverAnswer = true;
    m_server.setFault(QStringLiteral("/api/v1/state/top"), silent);
    QVERIFY(!send("GET", QStringLiteral("api/v1/state/top"), {}, {}, true, 400).finished);

    TestServerFault slow;
    slow.slowChunkDelayMs = 20;
    m_server.setFault(QStringLiteral("/api/v1/getserverinfo"), slow);
    timer.restart();
    const Reply chunked = get(QStringLiteral("api/v1/getserverinfo"));
    QCOMPARE(chunked.status, 200);
    QVERIFY(chunked.legacyBody().contains(QLatin1String("Server")));
    QVERIFY(timer.elapsed() >= 20 * (chunked.body.size() / 16 - 1));
    QVERIFY(chunked.headers.value("transfer-encoding").contains("chunked"));

    // The same pace with the length announced, for clients that measure their progress.
    slow.slowWithLength = true;
    m_server.setFault(QStringLiteral("/api/v1/getserverinfo"), slow);
    const Reply measured = get(QStringLiteral("api/v1/getserverinfo"));
    QVERIFY(measured.legacyBody().contains(QLatin1String("Server")));
    QCOMPARE(measured.headers.value("content-length"), QByteArray::number(measured.body.size()));
    QVERIFY(!measured.headers.contains("transfer-encoding"));

    TestServerFault cut;
    cut.closeMidBody = true;
    m_server.setFault(QStringLiteral("/download/alarm/1.mp4"), cut);
    // Read on a raw socket: Qt's HTTP client may send the request again when the
    // connection closes before it has read a byte, and answer that try instead.
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), m_server.httpPort());
    QVERIFY(socket.waitForConnected(kEventWaitMs));
    socket.write("GET /download/alarm/1.mp4 HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray received;
    const auto closed = [&socket, &received] {
        received += socket.readAll();
        return socket.state() == QAbstractSocket::UnconnectedState;
    };
    QTRY_VERIFY_WITH_TIMEOUT(closed(), kEventWaitMs);
    received += socket.readAll();
    const qsizetype headEnd = received.indexOf("\r\n\r\n");
    QVERIFY(headEnd > 0);
    const QByteArray head = received.left(headEnd).toLower();
    const qsizetype lengthAt = head.indexOf("content-length:");
    QVERIFY(lengthAt > 0);
    const qint64 announced = head.mid(lengthAt + 15).split('\r').first().trimmed().toLongLong();
    const qint64 bodyReceived = received.size() - headEnd - 4;
    QVERIFY2(bodyReceived > 0 && bodyReceived < announced,
             qPrintable(QStringLiteral("%1 of %2 bytes").arg(bodyReceived).arg(announced)));

    m_server.clearFaults();
    QCOMPARE(get(QStringLiteral("api/v1/state/top")).status, 200);
    QCOMPARE(get(QStringLiteral("download/alarm/1.mp4"), false).error, QNetworkReply::NoError);
}

void TestServerSelfCheck::requestLogRecordsRequests()
{
    m_server.clearRequestLog();
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    send("POST", QStringLiteral("api/v1/logout"), "{}", {{"X-Probe", "1"}});
    get(QStringLiteral("api/v1/channels?device=5&start=0&limit=20&getdevinfo=true&q=gate"));
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    const QList<TestServerRequest> log = m_server.requestLog();
    QCOMPARE(log.size(), 2);
    QVERIFY(log.at(0).receivedMs >= before);
    QVERIFY(log.at(1).answeredMs <= after);
    QCOMPARE(log.at(0).method, QByteArray("POST"));
    QCOMPARE(log.at(0).path, QStringLiteral("/api/v1/logout"));
    QCOMPARE(log.at(0).body, QByteArray("{}"));
    QCOMPARE(log.at(0).header("x-probe"), QByteArray("1"));
    QCOMPARE(log.at(0).header("TOKEN"), m_server.token().toLatin1());
    QCOMPARE(log.at(1).rawQuery, QByteArray("device=5&start=0&limit=20&getdevinfo=true&q=gate"));

    // When each request arrived and its answer went out: a held answer after its delay, one
    // never given not at all. Each request here leaves once the one before was answered.
    TestServerFault late;
    late.delayMs = 300;
    m_server.setFault(QStringLiteral("/api/v1/state/top"), late);
    QCOMPARE(get(QStringLiteral("api/v1/state/top")).status, 200);
    TestServerFault silent;
    silent.neverAnswer = true;
    m_server.setFault(QStringLiteral("/api/v1/getotherconfig"), silent);
    QNetworkRequest unanswered(m_server.url(QStringLiteral("api/v1/getotherconfig")));
    std::unique_ptr<QNetworkReply> pending(m_network.get(unanswered));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.requestLog().size(), 4, kEventWaitMs);
    const QList<TestServerRequest> timed = m_server.requestLog();
    for (int i = 0; i < 3; ++i) {
        QVERIFY2(timed.at(i).receivedMs > 0 && timed.at(i).answeredMs >= timed.at(i).receivedMs, qPrintable(timed.at(i).path));
        QVERIFY(timed.at(i + 1).receivedMs >= timed.at(i).answeredMs);
    }
    QVERIFY2(timed.at(2).answeredMs - timed.at(2).receivedMs >= late.delayMs,
             qPrintable(QStringLiteral("answered %1 ms after it arrived").arg(timed.at(2).answeredMs - timed.at(2).receivedMs)));
    QVERIFY(timed.at(3).receivedMs > 0);
    QCOMPARE(timed.at(3).answeredMs, qint64(0));
    pending->abort();

    m_server.clearRequestLog();
    QVERIFY(m_server.requestLog().isEmpty());
}

void TestServerSelfCheck::rawHttpKeepAliveAndChunkedBodies()
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), m_server.httpPort());
    QVERIFY(socket.waitForConnected(kEventWaitMs));
    m_server.clearRequestLog();
    const QByteArray token = m_server.token().toLatin1();
    socket.write("POST /api/v1/logout HTTP/1.1\r\nHost: x\r\ntoken: " + token
                 + "\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n4;ext=1\r\ndefg\r\n0\r\n\r\n"
                   "GET /api/v1/getotherconfig HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += socket.readAll()).count("HTTP/1.1 200") == 2, kEventWaitMs);
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState); // kept alive
    QCOMPARE(m_server.requestLog().size(), 2);
    QCOMPARE(m_server.requestLog().at(0).body, QByteArray("abcdefg"));

    socket.write("BROKEN\r\n\r\n");
    QTRY_VERIFY_WITH_TIMEOUT((received += socket.readAll()).contains("HTTP/1.1 400"), kEventWaitMs);
}

void TestServerSelfCheck::digestAndBasicAuthentication()
{
    const Reply challenged = get(QStringLiteral("auth/digest?x=1"), false);
    QCOMPARE(challenged.status, 401);
    const QByteArray challenge = challenged.headers.value("www-authenticate");
    QVERIFY(challenge.startsWith("Digest "));
    QVERIFY(challenge.contains("qop=\"auth\""));
    const QByteArray nonce = QRegularExpression(QStringLiteral("nonce=\"([^\"]+)\"")).match(QString::fromLatin1(challenge)).captured(1).toLatin1();
    const QByteArray realm = QRegularExpression(QStringLiteral("realm=\"([^\"]+)\"")).match(QString::fromLatin1(challenge)).captured(1).toLatin1();
    auto digest = [&](const QString &password, const QByteArray &uri) {
        auto md5 = [](const QByteArray &data) { return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex(); };
        const QByteArray ha1 = md5(m_server.userName().toLatin1() + ':' + realm + ':' + password.toLatin1());
        const QByteArray ha2 = md5("GET:" + uri);
        const QByteArray response = md5(ha1 + ':' + nonce + ":00000001:9c4a71e0d2b85f36:auth:" + ha2);
        return "Digest username=\"" + m_server.userName().toLatin1() + "\", realm=\"" + realm + "\", nonce=\"" + nonce
               + "\", uri=\"" + uri + "\", cnonce=\"9c4a71e0d2b85f36\", nc=00000001, algorithm=MD5, response=\"" + response
               + "\", qop=auth";
    };
    const Reply accepted = send("GET", QStringLiteral("auth/digest?x=1"), {}, {{"Authorization", digest(m_server.password(), "/auth/digest?x=1")}}, false);
    QCOMPARE(accepted.status, 200);
    QCOMPARE(accepted.object().value(QLatin1String("auth")).toString(), QStringLiteral("digest"));
    QCOMPARE(send("GET", QStringLiteral("auth/digest?x=1"), {}, {{"Authorization", digest(QStringLiteral("wrong"), "/auth/digest?x=1")}}, false).status, 401);
    QCOMPARE(send("GET", QStringLiteral("auth/digest?x=1"), {}, {{"Authorization", digest(m_server.password(), "/auth/digest?x=2")}}, false).status, 401);
    QVERIFY(!get(QStringLiteral("auth/digest-noqop"), false).headers.value("www-authenticate").contains("qop"));

    const QByteArray basic = "Basic " + (m_server.userName() + QLatin1Char(':') + m_server.password()).toLatin1().toBase64();
    QCOMPARE(send("GET", QStringLiteral("auth/basic"), {}, {{"Authorization", basic}}, false).status, 200);
    const Reply refused = send("GET", QStringLiteral("auth/basic"), {}, {{"Authorization", "Basic " + QByteArray("admin:x").toBase64()}}, false);
    QCOMPARE(refused.status, 401);
    QVERIFY(refused.headers.value("www-authenticate").startsWith("Basic realm="));
}

void TestServerSelfCheck::loadDataReplacesTheSeed()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("data.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"Users":[{"UserName":"op","Password":"pw"}],
                   "Devices":[{"DeviceID":9,"DeviceName":"only"}],
                   "Channels":[{"ChannelID":90,"ParentDeviceID":9,"Name":"c","Online":1}]})");
    file.close();
    QVERIFY(m_server.loadData(file.fileName()));
    QCOMPARE(m_server.userName(), QStringLiteral("op"));
    const QJsonArray devices = get(QStringLiteral("api/v1/devices?start=0&limit=9999")).legacyBody().value(QLatin1String("Devices")).toArray();
    QCOMPARE(devices.size(), 1);
    QCOMPARE(devices.at(0).toObject().value(QLatin1String("channelNums")).toInt(), 1);
    QCOMPARE(devices.at(0).toObject().value(QLatin1String("onlineChannelNums")).toInt(), 1);
    QVERIFY(!m_server.loadData(dir.filePath(QStringLiteral("missing.json"))));
    QVERIFY(!m_server.loadDataJson("[1,2]"));
    QCOMPARE(m_server.userName(), QStringLiteral("op")); // a failed load keeps the data
}

void TestServerSelfCheck::executableServesAndObeysControlRoutes()
{
    QProcess process;
    process.start(qEnvironmentVariable("ZELKA_BIN_DIR") + QStringLiteral("/zelka_test_server"), {QStringLiteral("--no-rtsp")});
    QVERIFY(process.waitForStarted(kEventWaitMs));
    QRegularExpressionMatch match;
    QTRY_VERIFY_WITH_TIMEOUT((match = QRegularExpression(QStringLiteral("^http 127\\.0\\.0\\.1:(\\d+)$"), QRegularExpression::MultilineOption)
                                          .match(QString::fromLatin1(process.peek(4096)))).hasMatch(), 30000);
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(match.captured(1));
    auto call = [this, &base](const QByteArray &method, const QString &path, const QByteArray &body = {}) {
        QNetworkRequest request(QUrl(base + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
        return finish(m_network.sendCustomRequest(request, method, body), 5000);
    };
    const QJsonObject info = call("GET", QStringLiteral("__control/info")).object();
    QCOMPARE(info.value(QLatin1String("userName")).toString(), QStringLiteral("admin"));
    QCOMPARE(call("POST", QStringLiteral("__control/fault"), R"({"path":"/api/v1/getotherconfig","status":503,"body":"busy"})").status, 200);
    QCOMPARE(call("GET", QStringLiteral("api/v1/getotherconfig")).status, 503);
    const QJsonArray log = QJsonDocument::fromJson(call("GET", QStringLiteral("__control/log")).body).array();
    QCOMPARE(log.size(), 1);
    QCOMPARE(log.at(0).toObject().value(QLatin1String("path")).toString(), QStringLiteral("/api/v1/getotherconfig"));
    const qint64 receivedMs = qint64(log.at(0).toObject().value(QLatin1String("receivedMs")).toDouble());
    QVERIFY(receivedMs > 0);
    QVERIFY(qint64(log.at(0).toObject().value(QLatin1String("answeredMs")).toDouble()) >= receivedMs);
    QCOMPARE(call("POST", QStringLiteral("__control/reset")).status, 200);
    QCOMPARE(call("GET", QStringLiteral("api/v1/getotherconfig")).status, 200);
    process.terminate();
    QVERIFY(process.waitForFinished(kEventWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestServerSelfCheck)
#include "tst_testserver.moc"
