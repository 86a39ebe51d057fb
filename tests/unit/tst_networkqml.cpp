#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>

#include "eventwait.h"
#include "clientstartup.h"
#include "devicemanager.h"
#include "settingmanager.h"
#include "testserver.h"

// The pages' view of the API client: the real registrations and context properties.
class TestNetworkQml : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
        Settings *settings = SettingManager::instance()->settings();
        settings->setHost(m_server.host());
        settings->setPort(QString::number(m_server.httpPort()));
        ClientStartup::registerQmlTypes();
    }

    void loginThenDeviceListFromQml()
    {
        QQmlEngine engine;
        ClientStartup::prepareEngine(engine);
        QQmlComponent component(&engine);
        component.setData(R"(
            import QtQml
            import an.network 1.0
            QtObject {
                property bool loggedIn: false
                property string failure: ""
                property int devices: deviceManager.deviceList.length
                property int stopCommand: NetworkManager.Stop
                property int upCommand: NetworkManager.Up
                property string title: networkManager.otherConfig.title
                function start(user, password) {
                    networkManager.login(user, password, "", function(ok, text) {
                        loggedIn = ok
                        failure = text
                        if (ok)
                            networkManager.getDeviceList()
                    })
                }
            })",
                          QUrl());
        QScopedPointer<QObject> page(component.create());
        QVERIFY2(page, qPrintable(component.errorString()));
        QCOMPARE(page->property("stopCommand").toInt(), 0);
        QCOMPARE(page->property("upCommand").toInt(), 21);
        QCOMPARE(page->property("title").toString(), QStringLiteral("ZelkaVSS客户端"));

        QMetaObject::invokeMethod(page.data(), "start", Q_ARG(QVariant, m_server.userName()),
                                  Q_ARG(QVariant, m_server.password()));
        QTRY_VERIFY2_WITH_TIMEOUT(page->property("loggedIn").toBool(), qPrintable(page->property("failure").toString()), kEventWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(page->property("devices").toInt() > 0, kEventWaitMs);
        QCOMPARE(page->property("devices").toInt(), DeviceManager::instance()->deviceList().size());
    }

    void networkManagerIsNotCreatable()
    {
        QQmlEngine engine;
        ClientStartup::prepareEngine(engine);
        QQmlComponent component(&engine);
        component.setData("import QtQml\nimport an.network 1.0\nNetworkManager {}\n", QUrl());
        QVERIFY(component.isError());
        QVERIFY2(component.errorString().contains(QStringLiteral("Can't created: NetworkManager")),
                 qPrintable(component.errorString()));
    }
};

QTEST_MAIN(TestNetworkQml)
#include "tst_networkqml.moc"
