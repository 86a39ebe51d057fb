#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "channelinfo.h"
#include "deviceinfo.h"
#include "devicemanager.h"
#include "otherconfig.h"
#include "serverinfo.h"

namespace {

QJsonObject json(const char *text)
{
    return QJsonDocument::fromJson(text).object();
}

} // namespace

class TestModels : public QObject
{
    Q_OBJECT

private slots:
    void intConversionEdges_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("7") << QByteArray("7") << 7;
        QTest::newRow("7.0") << QByteArray("7.0") << 7;
        QTest::newRow("7.5") << QByteArray("7.5") << 0;
        QTest::newRow("3e9") << QByteArray("3000000000") << 0;
        QTest::newRow("string") << QByteArray("\"7\"") << 0;
        QTest::newRow("true") << QByteArray("true") << 0;
        QTest::newRow("null") << QByteArray("null") << 0;
        QTest::newRow("negative") << QByteArray("-4") << -4;
    }

    void intConversionEdges()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        ChannelInfo channel(json("{\"ChannelID\": " + value + "}"));
        QCOMPARE(channel.channelID(), expected);
    }

    void enableIsBoolOnDevicesAndIntOnChannels()
    {
        QCOMPARE(DeviceInfo(json(R"({"Enable": 1})")).enable(), false);
        QCOMPARE(DeviceInfo(json(R"({"Enable": true})")).enable(), true);
        QCOMPARE(ChannelInfo(json(R"({"Enable": true})")).enable(), 0);
        QCOMPARE(ChannelInfo(json(R"({"Enable": 1})")).enable(), 1);
    }

    void otherFieldConversions()
    {
        ChannelInfo channel(json(R"({"GpsLatitude": "30.5", "GpsLongitude": 30, "Channels": [3, "4", 5.5, 6],
                                     "Name": 12, "IP": "10.0.0.1", "Parental": 1})"));
        QCOMPARE(channel.gpsLatitude(), 0.0);
        QCOMPARE(channel.gpsLongitude(), 30.0);
        QCOMPARE(channel.channels(), (QList<int>{3, 0, 0, 6}));
        QCOMPARE(channel.name(), QString());
        QCOMPARE(channel.iP(), QStringLiteral("10.0.0.1"));
        QCOMPARE(channel.parental(), 1);
        QVERIFY(!channel.hasSubChannels());
        for (const char *record : {R"({})", R"({"Channels": null})", R"({"Channels": {"a": 1}})"})
            QVERIFY(ChannelInfo(json(record)).channels().isEmpty());
    }

    void deviceKeysAreCaseSensitive()
    {
        DeviceInfo device(json(R"({"ChannelNums": 9, "onlineChannelNums": 3, "DeviceName": "NVR", "SDKVersion": "v2"})"));
        QCOMPARE(device.channelNums(), 0);
        QCOMPARE(device.onlineChannelNums(), 3);
        QCOMPARE(device.deviceName(), QStringLiteral("NVR"));
        QCOMPARE(device.sDKVersion(), QStringLiteral("v2"));
    }

    void settersNotifyOnlyOnChange()
    {
        ChannelInfo channel;
        QSignalSpy name(&channel, &ChannelInfo::nameChanged);
        QSignalSpy id(&channel, &ChannelInfo::channelIDChanged);
        channel.setName(QString());
        channel.setChannelID(0);
        QCOMPARE(name.count() + id.count(), 0);
        channel.setName(QStringLiteral("门口"));
        channel.setName(QStringLiteral("门口"));
        QCOMPARE(name.count(), 1);
    }

    void listWritesReleaseOldObjectsLaterAndAlwaysNotify()
    {
        DeviceInfo device;
        auto *first = new ChannelInfo(QJsonObject(), &device);
        device.setChannelList({first});
        QPointer<ChannelInfo> old(first);
        QSignalSpy changed(&device, &DeviceInfo::channelListChanged);
        device.setChannelList({});
        QCOMPARE(changed.count(), 1);
        QVERIFY(old); // still answers until the event loop runs
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(old.isNull());

        ChannelInfo channel;
        channel.setHasSubChannels(true);
        QSignalSpy subs(&channel, &ChannelInfo::subChannelListChanged);
        channel.setSubChannelList({});
        QCOMPARE(subs.count(), 1);
        QVERIFY(channel.hasSubChannels());
    }

    void deviceManagerReplacesWholesale()
    {
        DeviceManager manager;
        auto *device = new DeviceInfo(json(R"({"DeviceID": 1})"));
        auto *channel = new ChannelInfo(QJsonObject(), device);
        device->setChannelList({channel});
        manager.setDeviceList({device});
        QPointer<DeviceInfo> oldDevice(device);
        QPointer<ChannelInfo> oldChannel(channel);
        QSignalSpy changed(&manager, &DeviceManager::deviceListChanged);
        manager.setDeviceList({});
        QCOMPARE(changed.count(), 1);
        QVERIFY(manager.deviceList().isEmpty());
        QCOMPARE(oldDevice->deviceID(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(oldDevice.isNull());
        QVERIFY(oldChannel.isNull());
    }

    void otherConfigTitleDefault()
    {
        OtherConfig config;
        config.fromJson(QJsonObject());
        QCOMPARE(config.title(), OtherConfig::defaultTitle);
        QSignalSpy title(&config, &OtherConfig::titleChanged);
        config.fromJson(json(R"({"Title": 5})"));
        QCOMPARE(title.count(), 2); // to empty and back to the default
        QCOMPARE(config.title(), OtherConfig::defaultTitle);
        config.fromJson(json(R"({"Title": "  "})"));
        QCOMPARE(config.title(), QStringLiteral("  "));
        config.fromJson(json(R"({"AllowCaptcha": 1, "Demo": true, "Default": 3, "mapTrackSnap": true})"));
        QVERIFY(!config.allowCaptcha());
        QVERIFY(config.demo());
        QCOMPARE(config.property("default$").toInt(), 3);
        QVERIFY(config.mapTrackSnap());
        QSignalSpy demo(&config, &OtherConfig::demoChanged);
        config.fromJson(QJsonObject());
        QCOMPARE(demo.count(), 1);
        QVERIFY(!config.mapTrackSnap());
    }

    void serverInfoConversions()
    {
        ServerInfo info;
        info.fromJson(json(R"({"ActiveOnline": "5", "IsRtsp": true, "Server": "vss"})"));
        QCOMPARE(info.activeOnline(), 0);
        QVERIFY(info.isRtsp());
        QCOMPARE(info.server(), QStringLiteral("vss"));
    }
};

QTEST_GUILESS_MAIN(TestModels)
#include "tst_models.moc"
