#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QTest>

#include "eventwait.h"
#include "clientstartup.h"
#include "filechecks.h"
#include "graphicsbackend.h"

namespace {

QString binary(const char *name)
{
    return QDir(qEnvironmentVariable("ZELKA_BIN_DIR")).filePath(QLatin1String(name));
}

QString writeText(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

QByteArray readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kClosingRoot = "import QtQuick\nimport QtQuick.Window\n"
                                "Window { id: w; visible: true\n"
                                "  Timer { interval: 100; running: true; onTriggered: w.close() } }\n";

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void graphicsBackendTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("api");
        QTest::addColumn<bool>("setsAttribute");
        QTest::addColumn<int>("attribute");
        QTest::newRow("vulkan") << "vulkan" << int(QSGRendererInterface::Vulkan) << false << 0;
        QTest::newRow("opengles") << "opengles" << int(QSGRendererInterface::OpenGL) << true << int(Qt::AA_UseOpenGLES);
        QTest::newRow("d3d11") << "d3d11" << int(QSGRendererInterface::Direct3D11) << false << 0;
        QTest::newRow("metal") << "metal" << int(QSGRendererInterface::Metal) << false << 0;
        QTest::newRow("software") << "software" << int(QSGRendererInterface::Software) << false << 0;
        QTest::newRow("capital Vulkan") << "Vulkan" << int(QSGRendererInterface::OpenGL) << true
                                        << int(Qt::AA_UseDesktopOpenGL);
        QTest::newRow("empty") << "" << int(QSGRendererInterface::OpenGL) << true << int(Qt::AA_UseDesktopOpenGL);
        QTest::newRow("typo") << "opengl es" << int(QSGRendererInterface::OpenGL) << true
                              << int(Qt::AA_UseDesktopOpenGL);
    }

    void graphicsBackendTable()
    {
        QFETCH(QString, name);
        QFETCH(int, api);
        QFETCH(bool, setsAttribute);
        QFETCH(int, attribute);
        const GraphicsBackendChoice choice = GraphicsBackendChoice::fromName(name);
        QCOMPARE(int(choice.api), api);
        QCOMPARE(choice.setsAttribute, setsAttribute);
        if (setsAttribute)
            QCOMPARE(int(choice.attribute), attribute);
    }

    void sampleCountOnlyWhenPositive()
    {
        QSurfaceFormat base;
        base.setSamples(2);
        QCOMPARE(surfaceFormatWithSamples(base, 0).samples(), 2);
        QCOMPARE(surfaceFormatWithSamples(base, -4).samples(), 2);
        QCOMPARE(surfaceFormatWithSamples(base, 4).samples(), 4);
    }

    void registeredTypesCreateAndRefuse()
    {
        ClientStartup::registerQmlTypes();
        QQmlEngine engine;
        ClientStartup::installContextProperties(engine);

        QQmlComponent login(&engine);
        login.setData("import QtQuick\nimport an.login 1.0\nLoginSetting { username: \"a\" }\n", QUrl());
        QScopedPointer<QObject> record(login.create());
        QVERIFY2(record, qPrintable(login.errorString()));
        QCOMPARE(record->property("username").toString(), QStringLiteral("a"));

        QQmlComponent screen(&engine);
        screen.setData("import QtQuick\nimport an.window 1.0\nQScreen {}\n", QUrl());
        QVERIFY(!screen.create());
        QVERIFY2(screen.errorString().contains(QStringLiteral("Can't created: QScreen")), qPrintable(screen.errorString()));

        QQmlComponent store(&engine);
        store.setData("import QtQml\nQtObject { property string protocol: settingManager.settings.playerProtocol }\n",
                      QUrl());
        QScopedPointer<QObject> reader(store.create());
        QVERIFY2(reader, qPrintable(store.errorString()));
    }

    void orderlyExitRewritesConfigOwnerOnly()
    {
        QTemporaryDir work;
        writeText(work.filePath("config/config.ini"), "[Global]\nUsername=op\n[Layout]\nlayout1=2x2\n");
        const QString root = writeText(work.filePath("closing.qml"), kClosingRoot);

        QProcess client;
        client.setWorkingDirectory(work.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZELKA_TEST_ROOT_URL"), root);
        client.setProcessEnvironment(env);
        client.start(binary("ZelkaVSS_Client_testroot"), {});
        QVERIFY(client.waitForFinished(kEventWaitMs));
        QCOMPARE(client.exitStatus(), QProcess::NormalExit);
        QCOMPARE(client.exitCode(), 0);

        const QString iniPath = work.filePath("config/config.ini");
        const QByteArray ini = readText(iniPath);
        for (const char *key : {"MultiSampleSize=", "GraphicsBackend=", "Remeber=", "AutoLogin=", "Host=", "Username=op",
                                "Password=", "EnableDebug=", "PtzSpeed=", "Layout=", "SnapshotPath=", "RecordPath=",
                                "PlayerProtocol=RTSP", "PlayerProDecodeType=", "PlayerConnectionType=",
                                "CarouselOnStart=", "CarouselList=", "CarouselInterval=30", "layout1=2x2"})
            QVERIFY2(ini.contains(key), key);
        QVERIFY(isOwnerOnly(iniPath));
    }

    void brokenRootExitsWithMinusOneAndStillWrites()
    {
        QTemporaryDir work;
        const QString root = writeText(work.filePath("broken.qml"), "import QtQuick\nItem { width: \n");
        QProcess client;
        client.setWorkingDirectory(work.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZELKA_TEST_ROOT_URL"), root);
        client.setProcessEnvironment(env);
        client.start(binary("ZelkaVSS_Client_testroot"), {});
        QVERIFY(client.waitForFinished(kEventWaitMs));
        QCOMPARE(client.exitStatus(), QProcess::NormalExit);
        QCOMPARE(client.exitCode(), 255);
        QVERIFY(readText(work.filePath("config/config.ini")).contains("PlayerProtocol=RTSP"));
    }

    void realClientLoadsItsRoot()
    {
        // The shipped root creates its window and stays up until closed.
        QTemporaryDir work;
        QProcess client;
        client.setWorkingDirectory(work.path());
        client.setProcessChannelMode(QProcess::MergedChannels);
        client.start(binary("ZelkaVSS_Client"), {});
        QVERIFY(client.waitForStarted(kEventWaitMs));
        QVERIFY(!client.waitForFinished(2500));
        client.kill();
        client.waitForFinished(5000);
        QVERIFY2(!client.readAll().contains("failed to load"), "root file did not load");
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
