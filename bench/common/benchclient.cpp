#include "benchclient.h"

#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QUrl>

#include <cstdio>

#include "benchtools.h"
#include "clientstartup.h"
#include "fontfallback.h"
#include "settingmanager.h"
#include "settings.h"
#include "stylemanager.h"

namespace BenchClient {

void start(const QString &host, const QString &port)
{
    FontFallback::install();
    ClientStartup::createSingletons();
    ClientStartup::registerQmlTypes();
    StyleManager::instance()->loadStyleFile(QStringLiteral(":/zelka/style/default.json"));
    Settings *settings = SettingManager::instance()->settings();
    settings->setHost(host);
    settings->setPort(port);
    settings->setPlayerProtocol(QStringLiteral("RTSP"));
}

QObject *loadScene(QQmlEngine &engine, QQuickWindow &window, const QString &file, QVariantMap initial,
                   const QString &qmlRoot)
{
    QQmlComponent component(&engine, QUrl::fromLocalFile(file));
    if (!qmlRoot.isEmpty())
        initial[QStringLiteral("qmlRoot")] = QUrl::fromLocalFile(qmlRoot).toString();
    QObject *root = component.createWithInitialProperties(initial);
    if (!root) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return nullptr;
    }
    qobject_cast<QQuickItem *>(root)->setParentItem(window.contentItem());
    BenchTools::waitUntil([&] { return window.isExposed(); }, 120000);
    return root;
}

} // namespace BenchClient
