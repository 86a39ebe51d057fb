#include <QCryptographicHash>
#include <QJsonDocument>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

#include "channelinfo.h"
#include "deviceinfo.h"
#include "devicemanager.h"
#include "httpmanager.h"
#include "networkmanager.h"
#include "settings.h"
#include "testserver.h"

namespace {

QString md5Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

} // namespace

// Records every call of the JavaScript callbacks it hands out.
class CallbackRecorder
{
public:
    explicit CallbackRecorder(QQmlEngine &engine)
        : m_engine(engine)
    {
        m_engine.globalObject().setProperty(QStringLiteral("calls"), m_engine.newArray());
    }

    QJSValue callback()
    {
        return m_engine.evaluate(QStringLiteral("(function() { calls.push(Array.prototype.slice.call(arguments)); })"));
    }

    int count() const { return calls().property(QStringLiteral("length")).toInt(); }
    QJSValue call(int index) const { return calls().property(quint32(index)); }
    QJSValue argument(int index, int argument) const { return call(index).property(quint32(argument)); }
    bool waitFor(int n, int timeoutMs = 10000) const
    {
        return QTest::qWaitFor([this, n]() { return count() >= n; }, timeoutMs);
    }

private:
    QJSValue calls() const { return m_engine.globalObject().property(QStringLiteral("calls")); }
    QQmlEngine &m_engine;
};

class TestNetworkManager : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    QScopedPointer<QQmlEngine> m_engine;
    QScopedPointer<Settings> m_settings;
    QScopedPointer<NetworkManager> m_client;
    QScopedPointer<CallbackRecorder> m_recorder;

    QList<TestServerRequest> waitForLog(int n)
    {
        (void)QTest::qWaitFor([this, n]() { return m_server.requestLog().size() >= n; }, 10000);
        return m_server.requestLog();
    }

    QString lastPathAndQuery()
    {
        const QList<TestServerRequest> log = waitForLog(1);
        if (log.isEmpty())
            return QString();
        const TestServerRequest &last = log.last();
        return last.rawQuery.isEmpty() ? last.path : last.path + QLatin1Char('?') + QString::fromUtf8(last.rawQuery);
    }

    void logIn()
    {
        m_client->login(m_server.userName(), m_server.password(), QString(), m_recorder->callback());
        QVERIFY(m_recorder->waitFor(1));
        QVERIFY2(m_recorder->argument(0, 0).toBool(), qPrintable(m_recorder->argument(0, 1).toString()));
        m_server.clearRequestLog();
        m_engine->globalObject().setProperty(QStringLiteral("calls"), m_engine->newArray());
    }

    void fault(const QString &path, int status, const QByteArray &body, bool nonJson = false)
    {
        TestServerFault f;
        f.status = status;
        f.body = body;
        f.nonJson200 = nonJson;
        f.contentType = "application/json";
        m_server.setFault(path, f);
    }

private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.errorString())); }

    void init()
    {
        m_server.clearFaults();
        m_server.clearRequestLog();
        m_engine.reset(new QQmlEngine);
        NetworkManager::setQmlEngine(m_engine.data());
        m_settings.reset(new Settings);
        m_settings->setHost(m_server.host());
        m_settings->setPort(QString::number(m_server.httpPort()));
        m_client.reset(new NetworkManager(m_settings.data()));
        m_recorder.reset(new CallbackRecorder(*m_engine));
    }

    void cleanup()
    {
        m_client.reset();
        DeviceManager::instance()->cleanupDeviceList();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_recorder.reset();
        m_engine.reset();
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
        m_client->login(user, password, captcha, m_recorder->callback());
        QVERIFY(m_recorder->waitFor(1));
        QCOMPARE(lastPathAndQuery(), expected);
        QVERIFY(m_server.requestLog().last().header("token").isEmpty());
    }

    void loginRefusalTextAndTokens()
    {
        fault(QStringLiteral("/api/v1/login"), 401, "用户名或密码错误");
        m_client->login(QStringLiteral("admin"), QStringLiteral("bad"), QString(), m_recorder->callback());
        QVERIFY(m_recorder->waitFor(1));
        QCOMPARE(m_recorder->argument(0, 0).toBool(), false);
        QCOMPARE(m_recorder->argument(0, 1).toString(), QStringLiteral("用户名或密码错误"));

        fault(QStringLiteral("/api/v1/login"), 500, "");
        m_client->login(QStringLiteral("admin"), QStringLiteral("bad"), QString(), m_recorder->callback());
        QVERIFY(m_recorder->waitFor(2));
        QCOMPARE(m_recorder->argument(1, 0).toBool(), false);
        QVERIFY(!m_recorder->argument(1, 1).toString().isEmpty());

        m_server.clearFaults();
        m_client->login(m_server.userName(), m_server.password(), QString(), m_recorder->callback());
        QVERIFY(m_recorder->waitFor(3));
        QCOMPARE(m_recorder->argument(2, 0).toBool(), true);
        QCOMPARE(m_client->httpManager()->token(), m_server.token());

        fault(QStringLiteral("/api/v1/login"), 200, R"({"ZelkaVSS":{"Body":{"Token":"second"}}})");
        m_client->login(QStringLiteral("a"), QStringLiteral("b"), QString(), m_recorder->callback());
        QVERIFY(m_recorder->waitFor(4));
        QCOMPARE(m_client->httpManager()->token(), QStringLiteral("second"));

        fault(QStringLiteral("/api/v1/login"), 200, R"({"ZelkaVSS":{"Body":{}}})");
        m_client->login(QStringLiteral("a"), QStringLiteral("b"), QString(), m_recorder->callback());
        QVERIFY(m_recorder->waitFor(5));
        QCOMPARE(m_recorder->argument(4, 0).toBool(), true);
        QCOMPARE(m_client->httpManager()->token(), QStringLiteral("second"));
    }

    void tokenNeverLogged()
    {
        static QStringList lines;
        lines.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { lines.append(text); });
        m_client->login(m_server.userName(), m_server.password(), QString(), m_recorder->callback());
        const bool answered = m_recorder->waitFor(1);
        qInstallMessageHandler(previous);
        QVERIFY(answered);
        QVERIFY(!lines.isEmpty());
        for (const QString &line : std::as_const(lines))
            QVERIFY2(!line.contains(m_server.token()), qPrintable(line));
    }

    void sessionCallsPathsAndEnvelopes()
    {
        logIn();
        m_client->getUserInfo(m_recorder->callback());
        QVERIFY(m_recorder->waitFor(1));
        QCOMPARE(lastPathAndQuery(), QStringLiteral("/api/v1/getuserinfo"));
        QCOMPARE(m_server.requestLog().last().header("token"), m_server.token().toLatin1());
        QCOMPARE(m_recorder->argument(0, 0).property(QStringLiteral("name")).toString(), QStringLiteral("admin"));

        m_client->getAdertisingList(m_recorder->callback());
        QVERIFY(m_recorder->waitFor(2));
        QCOMPARE(lastPathAndQuery(), QStringLiteral("/api/v1/advertisinglist"));
        QVERIFY(m_recorder->argument(1, 0).isArray());
        QVERIFY(m_recorder->argument(1, 0).property(QStringLiteral("length")).toInt() > 0);

        m_client->getServerState(m_recorder->callback());
        QVERIFY(m_recorder->waitFor(3));
        QCOMPARE(lastPathAndQuery(), QStringLiteral("/api/v1/state/top"));
        QVERIFY(m_recorder->argument(2, 0).property(QStringLiteral("cpuData")).isArray());

        m_client->logout(m_recorder->callback());
        QVERIFY(m_recorder->waitFor(4));
        const TestServerRequest logout = m_server.requestLog().last();
        QCOMPARE(logout.method, QByteArray("POST"));
        QCOMPARE(logout.path, QStringLiteral("/api/v1/logout"));
        QCOMPARE(logout.header("content-length"), QByteArray("0"));
        QCOMPARE(m_recorder->argument(3, 0).toBool(), true);
    }

    void nonJsonSuccessGivesEmptyValues()
    {
        logIn();
        fault(QStringLiteral("/api/v1/getuserinfo"), 0, QByteArray(), true);
        fault(QStringLiteral("/api/v1/advertisinglist"), 0, QByteArray(), true);
        fault(QStringLiteral("/api/v1/state/top"), 200, "[1,2,3]");
        m_client->getUserInfo(m_recorder->callback());
        m_client->getAdertisingList(m_recorder->callback());
        m_client->getServerState(m_recorder->callback());
        QVERIFY(m_recorder->waitFor(3));
        for (int i = 0; i < 3; ++i) {
            const QJSValue value = m_recorder->argument(i, 0);
            QVERIFY(value.isObject());
            const bool empty = value.isArray() ? value.property(QStringLiteral("length")).toInt() == 0
                                               : QJsonDocument::fromVariant(value.toVariant()).object().isEmpty();
            QVERIFY2(empty, qPrintable(value.toString()));
        }
    }

    void failuresCallNothingForDataAndModelCalls()
    {
        logIn();
        fault(QStringLiteral("/api/v1/getuserinfo"), 500, "broken");
        m_client->getUserInfo(m_recorder->callback());
        waitForLog(1);
        QTest::qWait(200);
        QCOMPARE(m_recorder->count(), 0);
    }

    void otherConfigFillsResetsAndNeverCallsBack()
    {
        OtherConfig *config = m_client->otherConfig();
        QCOMPARE(config->title(), QStringLiteral("ZelkaVSS客户端"));
        m_client->getOtherConfig(m_recorder->callback());
        QTRY_COMPARE(config->title(), QStringLiteral("Zelka视频监控平台(测试)"));
        QCOMPARE(lastPathAndQuery(), QStringLiteral("/api/v1/getotherconfig"));
        QVERIFY(config->demo());
        QCOMPARE(config->mapZoom(), 15);

        fault(QStringLiteral("/api/v1/getotherconfig"), 0, QByteArray(), true);
        QSignalSpy zoom(config, &OtherConfig::mapZoomChanged);
        m_client->getOtherConfig(m_recorder->callback());
        QTRY_COMPARE(zoom.count(), 1);
        QCOMPARE(config->mapZoom(), 0);
        QCOMPARE(config->title(), QStringLiteral("ZelkaVSS客户端"));
        QVERIFY(!config->demo());
        QCOMPARE(m_recorder->count(), 0);
    }

    void serverInfoFills()
    {
        logIn();
        m_client->getServerInfo();
        QTRY_COMPARE(m_client->serverInfo()->activeOnline(), 5);
        QCOMPARE(lastPathAndQuery(), QStringLiteral("/api/v1/getserverinfo"));
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
        m_settings->setPort(port);
        m_client->login(QStringLiteral("a"), QStringLiteral("b"), QString(), m_recorder->callback());
        QVERIFY(m_recorder->waitFor(1));
        QCOMPARE(m_recorder->argument(0, 0).toBool(), false);
        QVERIFY(!m_recorder->argument(0, 1).toString().isEmpty());
        QVERIFY(m_server.requestLog().isEmpty());
    }

    void callsWithoutOrWithBadCallbacksStillSend()
    {
        logIn();
        m_client->getUserInfo();
        m_client->getUserInfo(QJSValue(42));
        m_client->getUserInfo(QJSValue(QStringLiteral("not a function")));
        QCOMPARE(waitForLog(3).size(), 3);
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
        logIn();
        m_client->getChannelList(device, 0, 20, online, m_recorder->callback(), search);
        QVERIFY(m_recorder->waitFor(1));
        QCOMPARE(lastPathAndQuery(), expected);
        QVERIFY(m_recorder->argument(0, 0).hasProperty(QStringLiteral("Channels")));
    }

    void channelListById()
    {
        logIn();
        m_client->getChannelInfoList({3, 7, 12}, m_recorder->callback());
        QVERIFY(m_recorder->waitFor(1));
        QCOMPARE(lastPathAndQuery(), QStringLiteral("/api/v2/channels?channels=3,7,12"));
        QVERIFY(m_recorder->argument(0, 0).isArray());
        m_client->getChannelInfoList({}, m_recorder->callback());
        QVERIFY(m_recorder->waitFor(2));
        QCOMPARE(lastPathAndQuery(), QStringLiteral("/api/v2/channels?channels="));
    }

    void deviceTreeFills()
    {
        logIn();
        DeviceManager *devices = DeviceManager::instance();
        QSignalSpy published(devices, &DeviceManager::deviceListChanged);
        m_client->getDeviceList();
        QTRY_COMPARE(published.count(), 1);
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
        logIn();
        TestServerFault slow;
        slow.delayMs = 300;
        m_server.setFault(QStringLiteral("/api/v1/channels"), slow);
        DeviceManager *devices = DeviceManager::instance();
        QSignalSpy published(devices, &DeviceManager::deviceListChanged);
        m_client->getDeviceList();
        QTRY_COMPARE(published.count(), 1);
        QPointer<DeviceInfo> stale(devices->deviceList().first());
        m_server.clearFaults();
        m_client->getDeviceList();
        QTRY_COMPARE(published.count(), 2);
        QTRY_VERIFY(stale.isNull());
        // The slow replies for the released devices arrive now and must be dropped.
        QTest::qWait(800);
        for (DeviceInfo *device : devices->deviceList())
            QVERIFY(device->channelList().isEmpty() || device->channelList().first()->parent() == device);
    }
};

QTEST_GUILESS_MAIN(TestNetworkManager)
#include "tst_networkmanager.moc"
