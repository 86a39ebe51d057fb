#pragma once

#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QVariantList>

#include "configfilereader.h"
#include "openedurlrecorder.h"
#include "qmltestserver.h"

class QQmlEngine;

// What QML tests of the client's windows get besides the client's own root-context
// objects: the in-process test server, with the configuration's host and port pointed
// at it ("testServer"), the recorder of opened addresses ("openedUrls"), the reader of
// ./config/config.ini ("configFile") and a few helpers ("testKit").
class ClientTestKit : public QObject
{
    Q_OBJECT

public:
    explicit ClientTestKit(QObject *parent = nullptr);
    ~ClientTestKit() override;

    // Starts the server and points settingManager.settings at it.
    bool start();
    QString errorString() const;

    void install(QQmlEngine &engine);

    // The application's top-level Qt Quick windows, in creation order: windows that
    // the client makes for itself (the main window after login) are found here.
    Q_INVOKABLE QVariantList topLevelWindows() const;
    // Types text into the window that has the keyboard focus, one key event with its
    // text per character, including characters the test library's keyClick cannot
    // send (Chinese, "·").
    Q_INVOKABLE bool typeText(const QString &text) const;
    // Every message the process wrote (debug output included, from any thread) since
    // the last clearMessages(), for checks of what must never be logged. The first
    // clearMessages() starts the recording (ClientTestCase calls it before each test).
    Q_INVOKABLE QStringList messages() const;
    Q_INVOKABLE void clearMessages();
    // How long the client's transport waits for an unanswered API call; 0 or less
    // restores its usual limit.
    Q_INVOKABLE void setRequestTimeout(int milliseconds);
    // Whether a QML type of that name is registered under the module URI, version 1.0,
    // without importing the module.
    Q_INVOKABLE bool isTypeRegistered(const QString &uri, const QString &name) const;
    // SHA-1 in hex of a file's bytes (empty when it cannot be read), and of bytes that a
    // test fetched itself (an ArrayBuffer): a download compared with what was served.
    Q_INVOKABLE QString fileChecksum(const QString &path) const;
    Q_INVOKABLE QString checksum(const QByteArray &bytes) const;
    // Pictures a playback item (VideoItem) took from the player library so far: what it
    // decoded, whether shown or not; -1 for anything else.
    Q_INVOKABLE double decodedPictures(QObject *videoItem) const;

private:
    // The test library installs its message handler, which passes nothing on, when the
    // first test case starts: recording begins with the first call from a test.
    void startRecording();
    static void recordMessage(QtMsgType type, const QMessageLogContext &context, const QString &message);

    mutable QMutex m_messagesLock;
    QStringList m_messages;
    QmlTestServer m_server;
    OpenedUrlRecorder m_openedUrls;
    ConfigFileReader m_configFile;
};
