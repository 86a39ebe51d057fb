#include "clientstartup.h"

#include <QApplication>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickStyle>
#include <QScreen>
#include <QStyleHints>
#include <QSurfaceFormat>
#include <QTranslator>
#include <QtQml>

#include "animationtimerguard.h"
#include "debugconsole.h"
#include "fontfallback.h"
#include "framelesswindow.h"
#include "devicemanager.h"
#include "geomap.h"
#include "geoserviceplugin.h"
#include "graphicsbackend.h"
#include "networkmanager.h"
#include "logengine.h"
#include "mapquickitem.h"
#include "qmlapi.h"
#include "settingmanager.h"
#include "simpleaudioinput.h"
#include "previewprovider.h"
#include "videopreviewer.h"
#include "style.h"
#include "stylemanager.h"
#include "timelineitem.h"
#include "videocontroller.h"
#include "videoinfo.h"
#include "videoitem.h"
#include "videosnapitem.h"

// Generated with the interface module "zelka".
void qml_register_types_zelka();

namespace {

const char *const kUncreatablePrefix = "Can't created: ";
const char *const kBuiltInStyleFile = ":/zelka/style/default.json";

template <typename T>
void registerUncreatable(const char *uri, const char *name)
{
    qmlRegisterUncreatableType<T>(uri, 1, 0, name, QString::fromLatin1(kUncreatablePrefix) + QLatin1String(name));
}

// The log file beside the executable, and the console when the configuration asks for it.
void setUpDiagnostics()
{
    LOG::setLogPath(QCoreApplication::applicationDirPath() + QStringLiteral("/log/"));
    LOG::setLogFileName(QStringLiteral("client_log.txt"));
    if (SettingManager::instance()->settings()->enableDebug())
        initializeDebugEnveriment();
}

void installTranslator(QCoreApplication &app, QTranslator &translator)
{
    const QStringList tags = QLocale::system().uiLanguages();
    for (const QString &tag : tags) {
        const QString name = QStringLiteral("ZelkaVSS_Client_") + QLocale(tag).name();
        if (translator.load(QStringLiteral(":/i18n/") + name)) {
            app.installTranslator(&translator);
            return;
        }
    }
}

void exitWhenRootFails(QQmlApplicationEngine &engine, QCoreApplication &app, const QUrl &rootUrl)
{
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, &app,
        [rootUrl](QObject *object, const QUrl &url) {
            if (!object && url == rootUrl)
                QCoreApplication::exit(-1);
        },
        Qt::QueuedConnection);
}

// The client from its root window until the event loop ends; the engine goes with it.
int runEngine(QApplication &app, const QUrl &rootUrl)
{
    QQmlApplicationEngine engine;
    ClientStartup::prepareEngine(engine);
    exitWhenRootFails(engine, app, rootUrl);
    engine.load(rootUrl);
    return app.exec();
}

} // namespace

namespace ClientStartup {

QUrl defaultRootUrl()
{
    return QUrl(QStringLiteral("qrc:/zelka/qml/main.qml"));
}

void prepareProcess()
{
    SettingManager *store = SettingManager::instance();
    store->readSettings();
    const Settings *settings = store->settings();

    GraphicsBackendChoice::fromName(settings->graphicsBackend()).apply();
    QSurfaceFormat::setDefaultFormat(surfaceFormatWithSamples(QSurfaceFormat::defaultFormat(), settings->multiSampleSize()));

    QGuiApplication::setQuitOnLastWindowClosed(true);
    QGuiApplication::styleHints()->setMousePressAndHoldInterval(300);
    QQuickStyle::setStyle(QStringLiteral("Universal"));
}

void createSingletons()
{
    SettingManager::instance();
    StyleManager::instance()->setStyleMode(StyleManager::ClassicMode);
    VideoController::instance()->initialize();
}

void registerQmlTypes()
{
    // The interface module lives in a static library without a plugin: taking the address
    // of its registration keeps that object file, and with it the module's types, linked.
    volatile auto moduleRegistration = &qml_register_types_zelka;
    Q_UNUSED(moduleRegistration);
    qmlRegisterType<FramelessWindow>("an.window", 1, 0, "FramelessWindow");
    qmlRegisterType<Settings>("an.login", 1, 0, "LoginSetting");
    qmlRegisterType<SimpleAudioInput>("an.audio", 1, 0, "SimpleAudioInput");
    qmlRegisterType<VideoItem>("an.video", 1, 0, "VideoItem");
    qmlRegisterType<VideoSnapItem>("an.video", 1, 0, "VideoSnapItem");
    registerUncreatable<VideoInfo>("an.video", "VideoInfo");
    qmlRegisterType<Style>("an.style", 1, 0, "Style");
    qmlRegisterType<TimeLineItem>("an.item", 1, 0, "TimeLineItem");
    registerUncreatable<DeviceInfo>("an.device", "DeviceInfo");
    registerUncreatable<ChannelInfo>("an.device", "ChannelInfo");
    registerUncreatable<NetworkManager>("an.network", "NetworkManager");
    registerUncreatable<OtherConfig>("an.network", "OtherConfig");
    registerUncreatable<ServerInfo>("an.network", "ServerInfo");
    registerUncreatable<StyleManager>("an.style", "StyleManager");
    registerUncreatable<QScreen>("an.window", "QScreen");
    registerUncreatable<QmlApi>("an.qmlapi", "QmlApi");
    // Our map layer, under a name of its own so that it is never taken for Qt Location.
    qmlRegisterType<GeoServicePlugin>("an.location", 1, 0, "Plugin");
    qmlRegisterType<GeoPluginParameter>("an.location", 1, 0, "PluginParameter");
    registerUncreatable<GeoMapType>("an.location", "MapType");
    qmlRegisterType<GeoMap>("an.location", 1, 0, "Map");
    qmlRegisterType<MapQuickItem>("an.location", 1, 0, "MapQuickItem");
}

void prepareEngine(QQmlEngine &engine)
{
    NetworkManager::instance();
    NetworkManager::setQmlEngine(&engine);
    engine.addImageProvider(QStringLiteral("VideoPreview"), VideoPreviewer::instance()->previewProvider());
    installContextProperties(engine);
    AnimationTimerGuard::instance()->install(&engine);
}

void installContextProperties(QQmlEngine &engine)
{
    QQmlContext *root = engine.rootContext();
    root->setContextProperty(QStringLiteral("qmlApi"), QmlApi::instance());
    root->setContextProperty(QStringLiteral("deviceManager"), DeviceManager::instance());
    root->setContextProperty(QStringLiteral("styleManager"), StyleManager::instance());
    root->setContextProperty(QStringLiteral("settingManager"), SettingManager::instance());
    root->setContextProperty(QStringLiteral("networkManager"), NetworkManager::instance());
    root->setContextProperty(QStringLiteral("videoPreviewer"), VideoPreviewer::instance());
}

int run(int argc, char **argv, const QUrl &rootUrl)
{
    prepareProcess();
    QApplication app(argc, argv);
    FontFallback::install();
    setUpDiagnostics();
    createSingletons();
    registerQmlTypes();
    StyleManager::instance()->loadStyleFile(QString::fromLatin1(kBuiltInStyleFile));

    QTranslator translator;
    installTranslator(app, translator);

    const int status = runEngine(app, rootUrl);
    releaseDeferredDeletions();
    return status;
}

void releaseDeferredDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace ClientStartup
