#include <QCryptographicHash>
#include <QJsonDocument>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "eventwait.h"
#include "channelinfo.h"
#include "deviceinfo.h"
#include "devicemanager.h"
#include "httpmanager.h"
#include "networkmanager.h"
#include "settings.h"
#include "apiclientfixture.h"
#include "logcapture.h"
#include "testserver.h"

namespace {

QString md5Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

} // namespace

class TestNetworkManager : public QObject
{
    Q_OBJECT

private:
    ApiClientFixture f;
    TestServer &m_server = f.server;

private slots:
    void initTestCase() { QVERIFY2(f.startServer(), qPrintable(m_server.errorString())); }
    void init() { f.setUp(); }

    void cleanup()
    {
        f.tearDown();
        DeviceManager::instance()->cleanupDeviceList();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void loginQueryIsEncodedAndHashed_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("captcha");
        QTest::addColumn<QString>("expected");
        const QString prefix = QStringLiteral("/api/v1/login?username=");
        QTest::newRow("plain") << QStringLiteral("admin") << QStringLiteral("abc") << QStringLiteral("8k3m")
                               << prefix + "admin&password=" + md5Hex("abc") + "&captcha=8k3m";
        QTest::newRow("empty captcha") << QStringLiteral("admin") << QStringLiteral("abc") << QString()
                                       << prefix + "admin&password=" + md5Hex("abc") + "&captcha=";
        QTest::newRow("outside latin-1") << QStringLiteral("admin") << QStringLiteral("密码x") << QString()
                                         << prefix + "admin&password=" + md5Hex("??x") + "&captcha=";
        QTest::newRow("reserved characters") << QStringLiteral("op#1&b+c=d") << QStringLiteral("abc") << QString()
                                             << prefix + "op%231%26b%2Bc%3Dd&password=" + md5Hex("abc") + "&captcha=";
    }

    void loginQueryIsEncodedAndHashed()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, captcha);
        QFETCH(QString, expected);
        f.client->login(user, password, captcha, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), expected);
        QVERIFY(m_server.requestLog().last().header("token").isEmpty());
    }

    void loginRefusalTextAndTokens()
    {
        f.fault(QStringLiteral("/api/v1/login"), 401, "用户名或密码错误");
        f.client->login(QStringLiteral("admin"), QStringLiteral("bad"), QString(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), false);
        QCOMPARE(f.recorder->argument(0, 1).toString(), QStringLiteral("用户名或密码错误"));

        f.fault(QStringLiteral("/api/v1/login"), 500, "");
        f.client->login(QStringLiteral("admin"), QStringLiteral("bad"), QString(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(2));
        QCOMPARE(f.recorder->argument(1, 0).toBool(), false);
        QVERIFY(!f.recorder->argument(1, 1).toString().isEmpty());

        m_server.clearFaults();
        f.client->login(m_server.userName(), m_server.password(), QString(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(3));
        QCOMPARE(f.recorder->argument(2, 0).toBool(), true);
        QCOMPARE(f.client->httpManager()->token(), m_server.token());

        f.fault(QStringLiteral("/api/v1/login"), 200, R"({"ZelkaVSS":{"Body":{"Token":"second"}}})");
        f.client->login(QStringLiteral("a"), QStringLiteral("b"), QString(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(4));
        QCOMPARE(f.client->httpManager()->token(), QStringLiteral("second"));

        f.fault(QStringLiteral("/api/v1/login"), 200, R"({"ZelkaVSS":{"Body":{}}})");
        f.client->login(QStringLiteral("a"), QStringLiteral("b"), QString(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(5));
        QCOMPARE(f.recorder->argument(4, 0).toBool(), true);
        QCOMPARE(f.client->httpManager()->token(), QStringLiteral("second"));
    }

    void tokenNeverLogged()
    {
        LogCapture log;
        f.client->login(m_server.userName(), m_server.password(), QString(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        const QStringList lines = log.lines();
        QVERIFY(!lines.isEmpty());
        for (const QString &line : lines)
            QVERIFY2(!line.contains(m_server.token()), qPrintable(line));
    }

    // An HTTP error without a body leaves only the network layer's text, which names the
    // whole address: what reaches the log and the pages must not carry the credentials.
    void failureTextsHideCredentials()
    {
        QTemporaryDir downloads;
        f.settings->setRecordPath(downloads.path());
        const QString passwordDigest = md5Hex("pass word");
        // Blanks come back decoded in the network layer's text, "%20" in the request.
        const QString playToken = QStringLiteral("play tok-7f3a&1");
        const QString cameraPassword = QStringLiteral("cam pw-9c");
        const QString fileToken = QStringLiteral("file-tok");
        const QString alarmPassword = QStringLiteral("alarm-pw");
        const QStringList secrets = {passwordDigest, QStringLiteral("tok-7f3a"), QStringLiteral("pw-9c"),
                                     fileToken, alarmPassword};
        for (const char *path : {"/api/v1/login", "/api/v1/devices/channelstream", "/download/device/101/x.mp4",
                                 "/download/alarm/1.mp4"})
            f.fault(QString::fromLatin1(path), 500, QByteArray());

        LogCapture log;
        f.client->login(QStringLiteral("admin"), QStringLiteral("pass word"), QString(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        f.client->getChannelStream(1, 101, playToken, f.recorder->callback());
        f.client->keepaliveChannleStream(1, 101, playToken,
                                         QStringLiteral("http://cam:%1@%2:%3/api/v1/devices/channelstream")
                                             .arg(QString::fromLatin1(QUrl::toPercentEncoding(cameraPassword)),
                                                  m_server.host(), QString::number(m_server.httpPort())));
        f.client->downloadDeviceRecord(QStringLiteral("/download/device/101/x.mp4?Token=") + fileToken,
                                       QStringLiteral("x"), 101, QStringLiteral("20240201080000"), QJSValue(),
                                       f.recorder->callback());
        QVERIFY(f.recorder->waitFor(2));
        f.client->downAlarmRecord(QStringLiteral("/download/alarm/1.mp4?password=") + alarmPassword,
                                  QStringLiteral("a"), 1, QStringLiteral("20240201080000"), QJSValue(),
                                  f.recorder->callback());
        QVERIFY(f.recorder->waitFor(3));
        QVERIFY(QTest::qWaitFor(
            [&log]() {
                return log.contains(QStringLiteral("getChannelStream error"))
                    && log.contains(QStringLiteral("keepaliveChannleStream error"));
            },
            kEventWaitMs));
        QCOMPARE(f.recorder->count(), 3); // a failed stream call stays silent

        // The texts still say what failed and where, with the values masked.
        const QString loginText = f.recorder->argument(0, 1).toString();
        QCOMPARE(f.recorder->argument(0, 0).toBool(), false);
        QVERIFY2(loginText.contains(QStringLiteral("username=admin&password=***&captcha=")), qPrintable(loginText));
        const QString downloadText = f.recorder->argument(1, 1).toString();
        QCOMPARE(f.recorder->argument(1, 0).toBool(), false);
        QVERIFY2(downloadText.contains(QStringLiteral("x.mp4?Token=***")), qPrintable(downloadText));
        QVERIFY(log.contains(QStringLiteral("http://***@")));
        QVERIFY(log.contains(QStringLiteral("&token=***&type=keepalive")));

        const QStringList texts = log.lines() << loginText << downloadText;
        for (const QString &text : texts) {
            for (const QString &secret : secrets)
                QVERIFY2(!text.contains(secret), qPrintable(secret + QStringLiteral(" in: ") + text));
        }
        for (const char *words : {"login error", "downloadDeviceRecord error", "downAlarmRecord error"})
            QVERIFY2(log.contains(QString::fromLatin1(words)), words);
    }

    void sessionCallsPathsAndEnvelopes()
    {
        QVERIFY(f.logIn());
        f.client->getUserInfo(f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/getuserinfo"));
        QCOMPARE(m_server.requestLog().last().header("token"), m_server.token().toLatin1());
        QCOMPARE(f.recorder->argument(0, 0).property(QStringLiteral("name")).toString(), QStringLiteral("admin"));

        f.client->getAdertisingList(f.recorder->callback());
        QVERIFY(f.recorder->waitFor(2));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/advertisinglist"));
        QVERIFY(f.recorder->argument(1, 0).isArray());
        QVERIFY(f.recorder->argument(1, 0).property(QStringLiteral("length")).toInt() > 0);

        f.client->getServerState(f.recorder->callback());
        QVERIFY(f.recorder->waitFor(3));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/state/top"));
        QVERIFY(f.recorder->argument(2, 0).property(QStringLiteral("cpuData")).isArray());

        f.client->logout(f.recorder->callback());
        QVERIFY(f.recorder->waitFor(4));
        const TestServerRequest logout = m_server.requestLog().last();
        QCOMPARE(logout.method, QByteArray("POST"));
        QCOMPARE(logout.path, QStringLiteral("/api/v1/logout"));
        QCOMPARE(logout.header("content-length"), QByteArray("0"));
        QCOMPARE(f.recorder->argument(3, 0).toBool(), true);
    }

    void nonJsonSuccessGivesEmptyValues()
    {
        QVERIFY(f.logIn());
        f.fault(QStringLiteral("/api/v1/getuserinfo"), 0, QByteArray(), true);
        f.fault(QStringLiteral("/api/v1/advertisinglist"), 0, QByteArray(), true);
        f.fault(QStringLiteral("/api/v1/state/top"), 200, "[1,2,3]");
        f.client->getUserInfo(f.recorder->callback());
        f.client->getAdertisingList(f.recorder->callback());
        f.client->getServerState(f.recorder->callback());
        QVERIFY(f.recorder->waitFor(3));
        for (int i = 0; i < 3; ++i) {
            const QJSValue value = f.recorder->argument(i, 0);
            QVERIFY(value.isObject());
            const bool empty = value.isArray() ? value.property(QStringLiteral("length")).toInt() == 0
                                               : QJsonDocument::fromVariant(value.toVariant()).object().isEmpty();
            QVERIFY2(empty, qPrintable(value.toString()));
        }
    }

    void failuresCallNothingForDataAndModelCalls()
    {
        QVERIFY(f.logIn());
        f.fault(QStringLiteral("/api/v1/getuserinfo"), 500, "broken");
        f.client->getUserInfo(f.recorder->callback());
        f.waitForLog(1);
        QTest::qWait(200);
        QCOMPARE(f.recorder->count(), 0);
    }

    void otherConfigFillsResetsAndNeverCallsBack()
    {
        OtherConfig *config = f.client->otherConfig();
        QCOMPARE(config->title(), QStringLiteral("ZelkaVSS客户端"));
        f.client->getOtherConfig(f.recorder->callback());
        QTRY_COMPARE_WITH_TIMEOUT(config->title(), QStringLiteral("Zelka视频监控平台(测试)"), kEventWaitMs);
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/getotherconfig"));
        QVERIFY(config->demo());
        QCOMPARE(config->mapZoom(), 15);

        f.fault(QStringLiteral("/api/v1/getotherconfig"), 0, QByteArray(), true);
        QSignalSpy zoom(config, &OtherConfig::mapZoomChanged);
        f.client->getOtherConfig(f.recorder->callback());
        QTRY_COMPARE_WITH_TIMEOUT(zoom.count(), 1, kEventWaitMs);
        QCOMPARE(config->mapZoom(), 0);
        QCOMPARE(config->title(), QStringLiteral("ZelkaVSS客户端"));
        QVERIFY(!config->demo());
        QCOMPARE(f.recorder->count(), 0);
    }

    void serverInfoFills()
    {
        QVERIFY(f.logIn());
        f.client->getServerInfo();
        QTRY_COMPARE_WITH_TIMEOUT(f.client->serverInfo()->activeOnline(), 5, kEventWaitMs);
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/getserverinfo"));
    }

    void unusablePortFailsWithoutARequest_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("text") << "http";
        QTest::newRow("empty") << "";
        QTest::newRow("too large") << "70000";
    }

    void unusablePortFailsWithoutARequest()
    {
        QFETCH(QString, port);
        f.settings->setPort(port);
        f.client->login(QStringLiteral("a"), QStringLiteral("b"), QString(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), false);
        QVERIFY(!f.recorder->argument(0, 1).toString().isEmpty());
        QVERIFY(m_server.requestLog().isEmpty());
    }

    void callsWithoutOrWithBadCallbacksStillSend()
    {
        QVERIFY(f.logIn());
        f.client->getUserInfo();
        f.client->getUserInfo(QJSValue(42));
        f.client->getUserInfo(QJSValue(QStringLiteral("not a function")));
        QCOMPARE(f.waitForLog(3).size(), 3);
    }

    void channelQueries_data()
    {
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("online");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("expected");
        const QString base = QStringLiteral("/api/v1/channels?");
        QTest::newRow("all online") << -1 << 1 << QString() << base + "start=0&limit=20&getdevinfo=true&online=true";
        QTest::newRow("offline") << 3 << 2 << QString() << base + "device=3&start=0&limit=20&getdevinfo=true&online=false";
        QTest::newRow("search") << 5 << 0 << QStringLiteral("gate") << base + "device=5&start=0&limit=20&getdevinfo=true&q=gate";
        QTest::newRow("minus two") << -2 << 7 << QString() << base + "device=-2&start=0&limit=20&getdevinfo=true";
        QTest::newRow("chinese search") << -1 << 0 << QStringLiteral("大门")
                                        << base + "start=0&limit=20&getdevinfo=true&q=%E5%A4%A7%E9%97%A8";
    }

    void channelQueries()
    {
        QFETCH(int, device);
        QFETCH(int, online);
        QFETCH(QString, search);
        QFETCH(QString, expected);
        QVERIFY(f.logIn());
        f.client->getChannelList(device, 0, 20, online, f.recorder->callback(), search);
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), expected);
        QVERIFY(f.recorder->argument(0, 0).hasProperty(QStringLiteral("Channels")));
    }

    void channelListById()
    {
        QVERIFY(f.logIn());
        f.client->getChannelInfoList({3, 7, 12}, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v2/channels?channels=3,7,12"));
        QVERIFY(f.recorder->argument(0, 0).isArray());
        f.client->getChannelInfoList({}, f.recorder->callback());
        QVERIFY(f.recorder->waitFor(2));
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v2/channels?channels="));
    }

    void deviceTreeFills()
    {
        QVERIFY(f.logIn());
        DeviceManager *devices = DeviceManager::instance();
        QSignalSpy published(devices, &DeviceManager::deviceListChanged);
        f.client->getDeviceList();
        QTRY_COMPARE_WITH_TIMEOUT(published.count(), 1, kEventWaitMs);
        QCOMPARE(m_server.requestLog().first().path + QLatin1Char('?')
                     + QString::fromUtf8(m_server.requestLog().first().rawQuery),
                 QStringLiteral("/api/v1/devices?start=0&limit=9999"));
        const QList<DeviceInfo *> list = devices->deviceList();
        QVERIFY(list.size() >= 2);
        // Every device gets its channels; channels with Parental 1 ask for sub-channels.
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(list.begin(), list.end(), [](DeviceInfo *d) {
                                     return !d->channelList().isEmpty() || d->channelNums() == 0;
                                 }),
                                 10000);
        int parental = 0;
        for (DeviceInfo *device : list)
            for (ChannelInfo *channel : device->channelList())
                parental += channel->parental() == 1 ? 1 : 0;
        QVERIFY(parental > 0);
        QTest::qWait(300);
        int subsetRequests = 0;
        int withSubChannels = 0;
        for (const TestServerRequest &r : m_server.requestLog())
            subsetRequests += r.rawQuery.contains("subset=") ? 1 : 0;
        for (DeviceInfo *device : list)
            for (ChannelInfo *channel : device->channelList())
                withSubChannels += channel->hasSubChannels() ? 1 : 0;
        QCOMPARE(subsetRequests, parental);
        QVERIFY(withSubChannels > 0);
        const QString firstChannelQuery = QString::fromUtf8(m_server.requestLog().at(1).rawQuery);
        QVERIFY2(firstChannelQuery.startsWith(QStringLiteral("device=")), qPrintable(firstChannelQuery));
        QVERIFY(firstChannelQuery.endsWith(QStringLiteral("&start=0&limit=9999")));
    }

    void replacedDeviceListDropsLateReplies()
    {
        QVERIFY(f.logIn());
        TestServerFault slow;
        slow.delayMs = 300;
        m_server.setFault(QStringLiteral("/api/v1/channels"), slow);
        DeviceManager *devices = DeviceManager::instance();
        QSignalSpy published(devices, &DeviceManager::deviceListChanged);
        f.client->getDeviceList();
        QTRY_COMPARE_WITH_TIMEOUT(published.count(), 1, kEventWaitMs);
        QPointer<DeviceInfo> stale(devices->deviceList().first());
        m_server.clearFaults();
        f.client->getDeviceList();
        QTRY_COMPARE_WITH_TIMEOUT(published.count(), 2, kEventWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(stale.isNull(), kEventWaitMs);
        // The slow replies for the released devices arrive now and must be dropped.
        QTest::qWait(800);
        for (DeviceInfo *device : devices->deviceList())
            QVERIFY(device->channelList().isEmpty() || device->channelList().first()->parent() == device);
    }
};

QTEST_GUILESS_MAIN(TestNetworkManager)
#include "tst_networkmanager.moc"
