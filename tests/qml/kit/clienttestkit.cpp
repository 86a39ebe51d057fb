#include "clienttestkit.h"

#include <QCryptographicHash>
#include <QFile>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml/qqml.h>
#include <QQuickWindow>
#include <QTest>

#include <atomic>

#include "httpmanager.h"
#include "networkmanager.h"
#include "settingmanager.h"
#include "videoitem.h"

// Generated with the interface module "zelka".
void qml_register_types_zelka();

namespace {

std::atomic<ClientTestKit *> g_recordingKit{nullptr};
QtMessageHandler g_previousHandler = nullptr;

} // namespace

ClientTestKit::ClientTestKit(QObject *parent)
    : QObject(parent)
{
}

ClientTestKit::~ClientTestKit()
{
    if (g_recordingKit == this) {
        qInstallMessageHandler(g_previousHandler);
        g_recordingKit = nullptr;
    }
}

// Keeps a copy, then hands the message on to the test library's handler, which
// applies ignoreWarning and failOnWarning. The offscreen platform's note on window
// opacity is dropped.
void ClientTestKit::recordMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // The offscreen platform says so at every step of a fade.
    if (message == QLatin1String("This plugin does not support setting window opacity"))
        return;
    if (ClientTestKit *kit = g_recordingKit.load()) {
        QMutexLocker locker(&kit->m_messagesLock);
        kit->m_messages.append(message);
    }
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

void ClientTestKit::startRecording()
{
    if (g_recordingKit.load())
        return;
    g_recordingKit = this;
    g_previousHandler = qInstallMessageHandler(&ClientTestKit::recordMessage);
}

QStringList ClientTestKit::messages() const
{
    QMutexLocker locker(&m_messagesLock);
    return m_messages;
}

void ClientTestKit::clearMessages()
{
    startRecording();
    QMutexLocker locker(&m_messagesLock);
    m_messages.clear();
}

bool ClientTestKit::start()
{
    if (!m_server.start())
        return false;
    Settings *settings = SettingManager::instance()->settings();
    settings->setHost(m_server.host());
    settings->setPort(QString::number(m_server.port()));
    return true;
}

QString ClientTestKit::errorString() const
{
    return m_server.errorString();
}

void ClientTestKit::install(QQmlEngine &engine)
{
    // The module's own types are registered when it is imported, which Qt refuses for
    // this module (its module file names DeviceListView twice): register them here.
    static const bool moduleTypesRegistered = (qml_register_types_zelka(), true);
    Q_UNUSED(moduleTypesRegistered);
    QQmlContext *root = engine.rootContext();
    root->setContextProperty(QStringLiteral("testServer"), &m_server);
    root->setContextProperty(QStringLiteral("openedUrls"), &m_openedUrls);
    root->setContextProperty(QStringLiteral("configFile"), &m_configFile);
    root->setContextProperty(QStringLiteral("testKit"), this);
}

QVariantList ClientTestKit::topLevelWindows() const
{
    QVariantList windows;
    const QWindowList all = QGuiApplication::topLevelWindows();
    for (QWindow *window : all) {
        if (auto *quickWindow = qobject_cast<QQuickWindow *>(window))
            windows.append(QVariant::fromValue<QObject *>(quickWindow));
    }
    return windows;
}

bool ClientTestKit::typeText(const QString &text) const
{
    QWindow *window = QGuiApplication::focusWindow();
    if (!window)
        return false;
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, QString(character), Qt::NoModifier);
    return true;
}

void ClientTestKit::setRequestTimeout(int milliseconds)
{
    HttpManager *http = NetworkManager::instance()->httpManager();
    http->setRequestTimeout(milliseconds > 0 ? milliseconds : HttpManager::DefaultRequestTimeoutMs);
}

bool ClientTestKit::isTypeRegistered(const QString &uri, const QString &name) const
{
    return qmlTypeId(uri.toUtf8().constData(), 1, 0, name.toUtf8().constData()) >= 0;
}

QString ClientTestKit::fileChecksum(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return checksum(file.readAll());
}

double ClientTestKit::decodedPictures(QObject *videoItem) const
{
    const auto *item = qobject_cast<VideoItem *>(videoItem);
    return item ? double(item->receivedFrameCount()) : -1;
}

QString ClientTestKit::checksum(const QByteArray &bytes) const
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}
