#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include "apiclientfixture.h"
#include "channelinfo.h"
#include "devicemanager.h"

// Groups, favourites, live streams, PTZ, alarms and records against the test server.
class TestNetworkCalls : public QObject
{
    Q_OBJECT

private:
    ApiClientFixture f;

    QString root() const { return QStringLiteral("http://%1:%2").arg(f.server.host()).arg(f.server.httpPort()); }

private slots:
    void initTestCase() { QVERIFY2(f.startServer(), qPrintable(f.server.errorString())); }

    void init()
    {
        f.setUp();
        QVERIFY(f.logIn());
    }

    void cleanup() { f.tearDown(); }

    void groupAndFavouriteLists()
    {
        f.client->getGroupDevice(4, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/labelowninfo?labelid=4"));
        f.client->getGroupDeviceChannel(4, 9, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(2));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/labeldeviceowninfo?labelid=4&deviceid=9"));
        f.client->getGroupList(f.recorder->callback());
        QVERIFY(f.recorder->waitFor(3));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/labelchannel/info"));
        QVERIFY(f.recorder->argument(2, 0).property(QStringLiteral("length")).toInt() > 0);
        f.client->getGroupChannelList(1, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(4));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/own/label/channels?labelid=1"));
        f.client->getFavoriteList(f.recorder->callback());
        QVERIFY(f.recorder->waitFor(5));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/favorites"));
        QVERIFY(f.recorder->argument(4, 0).isArray());
    }

    void favouriteThroughTheTree()
    {
        ChannelInfo channel(QJsonDocument::fromJson(R"({"ChannelID": 101, "ParentDeviceID": 1})").object());
        QSignalSpy flag(&channel, &ChannelInfo::favoritesChannelChanged);
        f.client->addFavoritesChannel(&channel);
        QTRY_COMPARE_WITH_TIMEOUT(channel.favoritesChannel(), 1, kEventWaitMs);
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/addfavoriteschannel?device=1&channel=101"));
        f.client->addFavoritesChannel(&channel);
        f.waitForLog(2);
        QTest::qWait(100);
        QCOMPARE(flag.count(), 1);
        f.client->deleteFavoritesChannel(&channel);
        QTRY_COMPARE_WITH_TIMEOUT(channel.favoritesChannel(), 0, kEventWaitMs);
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/deletefavoriteschannel?device=1&channel=101"));

        // A channel released before its reply is left alone.
        auto *doomed = new ChannelInfo(QJsonDocument::fromJson(R"({"ChannelID": 101, "ParentDeviceID": 1})").object());
        TestServerFault slow;
        slow.delayMs = 200;
        f.server.setFault(QStringLiteral("/api/v1/addfavoriteschannel"), slow);
        f.client->addFavoritesChannel(doomed);
        delete doomed;
        QTest::qWait(400);
    }

    void favouriteByIdsCallsBackOnlyOnSuccess()
    {
        f.client->addFavoritesChannel(1, 101, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), true);
        QCOMPARE(f.recorder->argument(0, 1).toString(), QString());
        f.fault(QStringLiteral("/api/v1/deletefavoriteschannel"), 500, "no");
        f.client->deleteFavoritesChannel(1, 101, f.recorder->callback());
        f.waitForLog(2);
        QTest::qWait(200);
        QCOMPARE(f.recorder->count(), 1);
    }

    void channelTokenAndStream_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("expectedUrl");
        QTest::newRow("rtsp unchanged") << QStringLiteral("RTSP") << QString();
        QTest::newRow("flv completed") << QStringLiteral("FLV") << QStringLiteral("/live/101.flv");
        QTest::newRow("hls completed") << QStringLiteral("HLS") << QStringLiteral("/hls/live/101/index.m3u8");
        QTest::newRow("lower-case flv not completed") << QStringLiteral("flv") << QStringLiteral("=/live/101.flv");
    }

    void channelTokenAndStream()
    {
        QFETCH(QString, protocol);
        QFETCH(QString, expectedUrl);
        f.settings->setPlayerProtocol(protocol);
        f.client->getChannelToken(101, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/gettoken?channel=101"));
        QCOMPARE(f.recorder->argument(0, 0).toInt(), 101);
        const QString token = f.recorder->argument(0, 1).toString();
        QVERIFY(!token.isEmpty());

        f.client->getChannelStream(1, 101, token, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(2));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/devices/channelstream?device=1&channel=101&protocol=%1&token=%2")
                                           .arg(protocol, QString::fromLatin1(QUrl::toPercentEncoding(token))));
        QCOMPARE(f.recorder->argument(1, 0).toInt(), 101);
        const QString url = f.recorder->argument(1, 1).toString();
        if (expectedUrl.isEmpty())
            QVERIFY2(url.startsWith(QStringLiteral("rtsp://127.0.0.1:")), qPrintable(url));
        else if (expectedUrl.startsWith(QLatin1Char('=')))
            QCOMPARE(url, expectedUrl.mid(1));
        else
            QCOMPARE(url, root() + expectedUrl);
        QCOMPARE(f.recorder->argument(1, 2).toString(), QStringLiteral("/api/v1/devices/channelstream"));
    }

    void httpsStreamUrlPassesUnchangedAndFailuresStaySilent()
    {
        f.settings->setPlayerProtocol(QStringLiteral("FLV"));
        f.fault(QStringLiteral("/api/v1/devices/channelstream"), 200,
                "{\"ZelkaVSS\":{\"Body\":{\"URL\":\"https://cdn.example/live.flv\",\"KeepaliveURL\":\"k\"}}}");
        f.client->getChannelStream(1, 101, QStringLiteral("t"), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 1).toString(), QStringLiteral("https://cdn.example/live.flv"));
        f.fault(QStringLiteral("/api/v1/gettoken"), 500, "");
        f.client->getChannelToken(101, f.recorder->callback());
        f.waitForLog(2);
        QTest::qWait(200);
        QCOMPARE(f.recorder->count(), 1);
    }

    void keepaliveAddressRules()
    {
        f.client->keepaliveChannleStream(1, 101, QStringLiteral("tok"), QStringLiteral("/api/v1/devices/channelstream"));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/devices/channelstream?device=1&channel=101&protocol=RTSP"
                                                      "&token=tok&type=keepalive"));
        f.server.clearRequestLog();
        // An address that carries its own scheme gets no prefix.
        f.settings->setHost(QStringLiteral("192.0.2.1"));
        f.client->keepaliveChannleStream(1, 101, QStringLiteral("tok"),
                                         root() + QStringLiteral("/api/v1/devices/channelstream"));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/devices/channelstream?device=1&channel=101&protocol=RTSP"
                                                      "&token=tok&type=keepalive"));
    }

    void stopStream()
    {
        f.client->stopChannelStream(1, 101, QStringLiteral("play"), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/devices/stopchannelstream?device=1&channel=101&stream_type=play"));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), true);
    }

    void ptzTexts_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("query");
        QTest::newRow("stop up") << int(NetworkManager::Stop) << int(NetworkManager::Up)
                                 << QStringLiteral("command=stop&direction=up&speed=100");
        QTest::newRow("focus near") << int(NetworkManager::FocusNear) << int(NetworkManager::FocusNear)
                                    << QStringLiteral("command=&direction=&speed=100");
        QTest::newRow("zoom") << int(NetworkManager::ZoomIn) << int(NetworkManager::ZoomOut)
                              << QStringLiteral("command=zoomin&direction=zoomout&speed=100");
        QTest::newRow("moves") << int(NetworkManager::Down) << int(NetworkManager::Left)
                               << QStringLiteral("command=down&direction=left&speed=100");
        QTest::newRow("right, diagonal") << int(NetworkManager::Right) << int(NetworkManager::RightDown)
                                         << QStringLiteral("command=right&direction=&speed=100");
    }

    void ptzTexts()
    {
        QFETCH(int, command);
        QFETCH(int, direction);
        QFETCH(QString, query);
        f.client->ptzControl(1, 101, NetworkManager::PtzCommand(command), NetworkManager::PtzCommand(direction), 100,
                             f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/ptzcontrol?device=1&channel=101&") + query);
    }

    // The PTZ test kit: callbacks that log "tag:ok" in call order, and the "channel:command"
    // of the first n PTZ requests the server received.
    QJSValue ptzTagged()
    {
        f.engine->globalObject().setProperty(QStringLiteral("order"), f.engine->newArray());
        return f.engine->evaluate(
            QStringLiteral("(function(tag) { return function(ok) { order.push(tag + ':' + ok); }; })"));
    }
    QStringList ptzAnswers(int n)
    {
        const auto count = [this] { return f.engine->globalObject().property("order").property("length").toInt(); };
        (void)QTest::qWaitFor([&] { return count() >= n; }, kEventWaitMs);
        return f.engine->globalObject().property("order").toVariant().toStringList();
    }
    QStringList ptzCommands(int n)
    {
        QStringList sent;
        for (const TestServerRequest &request : f.waitForLog(n)) {
            const QUrlQuery query(QString::fromUtf8(request.rawQuery));
            sent << query.queryItemValue("channel") + QLatin1Char(':') + query.queryItemValue("command");
        }
        return sent;
    }

    // A stop must never reach the camera before the start it ends: one channel's commands
    // go out in turn, also after a failure. Yet an unanswered start holds the next command
    // back only briefly, not until the transport gives up on it, and is given up then;
    // another channel's commands are not held up at all.
    void ptzCommandsOfAChannelGoInTurn()
    {
        const QJSValue tagged = ptzTagged();
        const QString ptzPath = QStringLiteral("/api/v1/ptzcontrol");
        TestServerFault slowStart;
        slowStart.delayMs = 300;
        slowStart.remainingHits = 1;
        f.server.setFault(ptzPath, slowStart);
        f.client->ptzControl(1, 101, NetworkManager::Up, NetworkManager::Up, 5, tagged.call({"up"}));
        f.client->ptzControl(1, 101, NetworkManager::Stop, NetworkManager::Up, 5, tagged.call({"stop"}));
        QCOMPARE(ptzAnswers(2), (QStringList{"up:true", "stop:true"}));
        QCOMPARE(ptzCommands(2), (QStringList{"101:up", "101:stop"}));

        f.server.clearRequestLog();
        ptzTagged();
        TestServerFault hungStart;
        hungStart.neverAnswer = true;
        hungStart.remainingHits = 1;
        f.server.setFault(ptzPath, hungStart);
        f.client->ptzControl(1, 101, NetworkManager::Up, NetworkManager::Up, 5, tagged.call({"up"}));
        f.client->ptzControl(1, 101, NetworkManager::Stop, NetworkManager::Up, 5, tagged.call({"stop"}));
        f.client->ptzControl(1, 101, NetworkManager::Left, NetworkManager::Left, 5, tagged.call({"left"}));
        QCOMPARE(ptzCommands(3), (QStringList{"101:up", "101:stop", "101:left"}));
        // The start is given up as the stop goes out.
        QCOMPARE(ptzAnswers(3), (QStringList{"up:false", "stop:true", "left:true"}));

        f.server.clearRequestLog();
        ptzTagged();
        f.fault(ptzPath, 500, R"({"code": 500, "msg": "busy"})");
        f.client->ptzControl(1, 101, NetworkManager::Up, NetworkManager::Up, 5, tagged.call({"up"}));
        f.client->ptzControl(1, 101, NetworkManager::Stop, NetworkManager::Up, 5, tagged.call({"stop"}));
        QCOMPARE(ptzAnswers(2), (QStringList{"up:false", "stop:false"}));
        QCOMPARE(ptzCommands(2), (QStringList{"101:up", "101:stop"}));
        f.server.clearFaults();
        f.client->ptzControl(1, 101, NetworkManager::Stop, NetworkManager::Up, 5, tagged.call({"again"}));
        QCOMPARE(ptzAnswers(3).value(2), QStringLiteral("again:true"));

        ptzTagged();
        f.server.clearRequestLog();
        f.server.setFault(ptzPath, hungStart);
        f.client->ptzControl(1, 101, NetworkManager::Up, NetworkManager::Up, 5, tagged.call({"101"}));
        QCOMPARE(ptzCommands(1), QStringList{"101:up"});
        f.client->ptzControl(1, 102, NetworkManager::Up, NetworkManager::Up, 5, tagged.call({"102"}));
        QCOMPARE(ptzAnswers(1), (QStringList{"102:true"}));
    }

    // PTZ calls that the server sits on hold at most one connection per camera, and none
    // that the other calls need.
    void otherCallsGoThroughWhilePtzCallsHang()
    {
        const QJSValue tagged = ptzTagged();
        TestServerFault hang;
        hang.neverAnswer = true;
        f.server.setFault(QStringLiteral("/api/v1/ptzcontrol"), hang);
        f.client->ptzControl(1, 101, NetworkManager::Up, NetworkManager::Up, 5, tagged.call({"up"}));
        f.client->ptzControl(1, 101, NetworkManager::Stop, NetworkManager::Up, 5, tagged.call({"stop"}));
        f.client->ptzControl(1, 101, NetworkManager::Up, NetworkManager::Up, 5, tagged.call({"again"}));
        f.client->ptzControl(1, 101, NetworkManager::Stop, NetworkManager::Up, 5, tagged.call({"last"}));
        QCOMPARE(ptzAnswers(3), (QStringList{"up:false", "stop:false", "again:false"}));
        QCOMPARE(ptzCommands(4), (QStringList{"101:up", "101:stop", "101:up", "101:stop"}));

        // Six cameras more than the transport opens connections to one server.
        for (int channel = 102; channel <= 107; ++channel)
            f.client->ptzControl(1, channel, NetworkManager::Up, NetworkManager::Up, 5, tagged.call({"hung"}));
        QVERIFY(f.waitForLog(9).size() >= 9);
        QSignalSpy listed(DeviceManager::instance(), &DeviceManager::deviceListChanged);
        f.client->getDeviceList();
        QVERIFY(listed.wait(kEventWaitMs));
        QCOMPARE(ptzAnswers(0).size(), 3); // every camera's last command is still unanswered

        // The seventh camera's command waits for a connection no longer than the patience:
        // the oldest hung command (101's) is given up for it, well before its time limit.
        QElapsedTimer waited;
        waited.start();
        QVERIFY(QTest::qWaitFor([this] { return ptzCommands(0).contains(QStringLiteral("107:up")); }, kEventWaitMs));
        QVERIFY2(waited.elapsed() < 20000, "held until a hung command timed out");
        QCOMPARE(ptzAnswers(4).value(3), QStringLiteral("last:false"));
    }

    // A camera whose command was just answered holds no connection: its next command
    // going out from that answer makes six calls, not seven, and gives nobody up.
    void aHealthyCameraGivesUpNoHungCommand()
    {
        const QJSValue tagged = ptzTagged();
        TestServerFault hang;
        hang.neverAnswer = true;
        hang.remainingHits = 5;
        f.server.setFault(QStringLiteral("/api/v1/ptzcontrol"), hang);
        for (int channel = 102; channel <= 106; ++channel)
            f.client->ptzControl(1, channel, NetworkManager::Up, NetworkManager::Up, 5, tagged.call({"hung"}));
        QCOMPARE(f.waitForLog(5).size(), 5);
        QTest::qWait(1200); // past the patience

        // The stop, asked from the start's answer, waits in the camera's queue behind it
        // and goes out as that answer is handled.
        QQmlEngine::setObjectOwnership(f.client.data(), QQmlEngine::CppOwnership);
        const QJSValue release = f.engine->evaluate(QStringLiteral(
            "(function(client, stopped) { return function(ok) { order.push('start:' + ok); "
            "client.ptzControl(1, 101, 0, 21, 5, stopped); }; })"));
        f.client->ptzControl(1, 101, NetworkManager::Up, NetworkManager::Up, 5,
                             release.call({f.engine->newQObject(f.client.data()), tagged.call({"stop"})}));
        QCOMPARE(ptzAnswers(2), (QStringList{"start:true", "stop:true"}));
        QTest::qWait(200);
        QCOMPARE(ptzAnswers(0), (QStringList{"start:true", "stop:true"}));
    }

    void ptzWithoutIdsSendsNothing()
    {
        f.client->ptzControl(-1, 7, NetworkManager::Up, NetworkManager::Up, 1, f.recorder->callback());
        QCOMPARE(f.recorder->count(), 1);
        QCOMPARE(f.recorder->argument(0, 0).toBool(), false);
        QCOMPARE(f.recorder->argument(0, 1).toString(), QString());
        QTest::qWait(100);
        QVERIFY(f.server.requestLog().isEmpty());
    }

    void talkUrl()
    {
        QCOMPARE(f.client->getTalkUrl(3, 12),
                 QStringLiteral("ws://127.0.0.1:%1/api/v1/ws_talk/3/12").arg(f.server.httpPort()));
        f.settings->setHost(QString());
        QCOMPARE(f.client->getTalkUrl(3, 12), QStringLiteral("ws://:%1/api/v1/ws_talk/3/12").arg(f.server.httpPort()));
    }

    void alarmList()
    {
        f.client->getAlarmList(0, 10, 0, 0, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/alarmlist?pageindex=0&pagesize=10&priority=0&method=0"));
        QVERIFY(f.recorder->argument(0, 0).toInt() >= 25);
        QCOMPARE(f.recorder->argument(0, 1).property(QStringLiteral("length")).toInt(), 10);

        f.client->getAlarmList(1, 5, 2, 5, f.recorder->callback(), QStringLiteral("东门"));
        QVERIFY(f.recorder->waitFor(2));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/alarmlist?pageindex=1&pagesize=5&priority=2&method=5&q=%E4%B8%9C%E9%97%A8"));

        f.fault(QStringLiteral("/api/v1/alarmlist"), 200, R"({"data":[{"ID":1}]})");
        f.client->getAlarmList(0, 10, 0, 0, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(3));
        QCOMPARE(f.recorder->argument(2, 0).toInt(), 0);
        QCOMPARE(f.recorder->argument(2, 1).property(QStringLiteral("length")).toInt(), 1);

        f.fault(QStringLiteral("/api/v1/alarmlist"), 500, "down");
        f.client->getAlarmList(0, 10, 0, 0, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(4));
        QCOMPARE(f.recorder->argument(3, 0).toInt(), 0);
        QVERIFY(f.recorder->argument(3, 1).isArray());
        QCOMPARE(f.recorder->argument(3, 1).property(QStringLiteral("length")).toInt(), 0);
    }

    void deleteAndClearAlarms()
    {
        f.client->deleteAlarm({3, 17, 25}, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), true);
        TestServerRequest request = f.server.requestLog().last();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QStringLiteral("/api/v1/deletealarm"));
        QVERIFY(request.body.contains("Content-Disposition: form-data; name=\"alarmids\""));
        QVERIFY(request.body.contains("Content-Type: text/plain"));
        QVERIFY(request.body.contains("\r\n\r\n[3,17,25]\r\n"));

        f.client->deleteAlarm({}, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(2));
        QVERIFY(f.server.requestLog().last().body.contains("\r\n\r\n[]\r\n"));

        f.client->clearAlarm(f.recorder->callback());
        QVERIFY(f.recorder->waitFor(3));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/clearalarm"));
        QCOMPARE(f.recorder->argument(2, 0).toBool(), true);
    }

    void alarmLabels()
    {
        NetworkManager &c = *f.client;
        QCOMPARE(c.getAlarmLevel(0), QStringLiteral("未知警情"));
        QCOMPARE(c.getAlarmLevel(1), QStringLiteral("一级警情"));
        QCOMPARE(c.getAlarmLevel(4), QStringLiteral("四级警情"));
        QCOMPARE(c.getAlarmLevel(5), QStringLiteral("未知警情"));
        QCOMPARE(c.getAlarmMethod(0), QStringLiteral("全部报警"));
        QCOMPARE(c.getAlarmMethod(6), QStringLiteral("设备故障报警"));
        QCOMPARE(c.getAlarmMethod(7), QStringLiteral("其他报警"));
        QCOMPARE(c.getAlarmMethod(-1), QStringLiteral("其他报警"));
        QCOMPARE(c.getAlarmType(5, 13), QStringLiteral("图像遮挡报警"));
        QCOMPARE(c.getAlarmType(2, 1), QStringLiteral("视频丢失报警"));
        QCOMPARE(c.getAlarmType(6, 2), QStringLiteral("存储设备风扇故障报警"));
        QCOMPARE(c.getAlarmType(1, 1), QString());
        QCOMPARE(c.getAlarmType(2, 6), QString());
        QCOMPARE(c.getAlarmType(5, 14), QString());
        QCOMPARE(c.getAlarmType(4, 101), QString());
    }

    void recordQueries()
    {
        f.client->getRecordListForMonth(7, 2024, 2, 0, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/record/querymonthly?id=7&recordType=Cloud&period=202402"));

        const QByteArray days = "\"01010101010101010101010101011\"";
        f.fault(QStringLiteral("/api/v1/record/querymonthly"), 200, days);
        f.client->getRecordListForMonth(7, 2024, 2, 1, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(2));
        const QJSValue list = f.recorder->argument(1, 0);
        QCOMPARE(list.property(QStringLiteral("length")).toInt(), 29);
        QCOMPARE(list.property(1).toString(), QStringLiteral("1"));
        QCOMPARE(list.property(0).toString(), QStringLiteral("0"));

        f.client->getRecordListForDay(7, 2024, 2, 9, 1, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(3));
        QCOMPARE(f.lastPathAndQuery(),
                 QStringLiteral("/api/v1/record/querydaily?id=7&recordType=Device&period=20240209&start=0&limit=999"));

        f.client->setRecordImportant(7, QStringLiteral("20240209080000"), false, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(4));
        QCOMPARE(f.lastPathAndQuery(),
                 QStringLiteral("/api/v1/record/setimportant?id=7&period=20240209080000&important=false"));

        f.client->removeRecord(7, QStringLiteral("20240209080000"), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(5));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/record/remove?id=7&period=20240209080000"));
    }

    void dayListOfARealChannel()
    {
        f.client->getRecordListForDay(101, 2024, 2, 1, 0, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QVERIFY(f.recorder->argument(0, 0).hasProperty(QStringLiteral("list")));
    }

    void deviceRecordUrlCrossesMidnight()
    {
        f.client->getDeviceRecordUrl(101, QStringLiteral("a.mp4"), QStringLiteral("20240209235930"), 60,
                                     f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/devices/record/playback?channel=101&file=a.mp4"
                                                      "&protocol=flv&stime=20240209235930&etime=20240210000030"));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), true);
        QVERIFY(!f.recorder->argument(0, 1).toString().isEmpty());
    }

    void badStartTimeAnswersAtOnce()
    {
        f.client->getDeviceRecordUrl(101, QStringLiteral("a.mp4"), QStringLiteral("2024-02-09 23:59:30"), 60,
                                     f.recorder->callback());
        f.client->getDeviceRecordDownloadUrl(101, QStringLiteral("a.mp4"), QStringLiteral("20240209 235930"), 60,
                                             f.recorder->callback());
        QCOMPARE(f.recorder->count(), 2);
        QCOMPARE(f.recorder->argument(0, 0).toBool(), false);
        QCOMPARE(f.recorder->argument(1, 0).toBool(), false);
        QVERIFY(!f.recorder->argument(1, 1).toString().isEmpty());
        QTest::qWait(100);
        QVERIFY(f.server.requestLog().isEmpty());
    }

    void deviceRecordDownloadUrlIsChained()
    {
        f.client->getDeviceRecordDownloadUrl(101, QStringLiteral("a.mp4"), QStringLiteral("20240209235930"), 60,
                                             f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        const QList<TestServerRequest> log = f.server.requestLog();
        QCOMPARE(log.size(), 2);
        QCOMPARE(ApiClientFixture::pathAndQuery(log.at(0)),
                 QStringLiteral("/api/v1/record/downloaddevicerecord/101/a.mp4/60?start_time=20240209235930"
                                "&end_time=20240210000030"));
        QCOMPARE(ApiClientFixture::pathAndQuery(log.at(1)),
                 QStringLiteral("/api/v1/record/downloadrecord/streaminfo?channel=101&streamid=devstream-101-20240209235930"));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), true);
        QCOMPARE(f.recorder->argument(0, 1).toString(),
                 QStringLiteral("/download/device/101/devstream-101-20240209235930.mp4"));
    }

    void hostileFileNameCannotReshapeTheAddress()
    {
        f.client->getDeviceRecordDownloadUrl(101, QStringLiteral("a%6?x=1#b"), QStringLiteral("20240209235930"), 60,
                                             f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        const TestServerRequest first = f.server.requestLog().first();
        QCOMPARE(first.path, QStringLiteral("/api/v1/record/downloaddevicerecord/101/a%6?x=1#b/60"));
        QCOMPARE(first.rawQuery, QByteArray("start_time=20240209235930&end_time=20240210000030"));
    }
};

QTEST_GUILESS_MAIN(TestNetworkCalls)
#include "tst_networkcalls.moc"
