#pragma once

#include <QHash>
#include <QJSValue>
#include <QJsonValue>
#include <QPointer>
#include <QSet>

#include <functional>

#include "httprequest.h"
#include "hungcallreaper.h"
#include "networkmanager.h"
#include "serialqueue.h"

class HttpManager;
class OtherConfig;
class QTimer;
class ServerInfo;
class Settings;
class UdpWorker;

// What every server call shares: the address, the hand-over to the transport, the
// callback kinds and the release of the request.
class NetworkManagerPrivate
{
public:
    using ReplyHandler = std::function<void(HttpRequest *)>;

    explicit NetworkManagerPrivate(NetworkManager *owner);

    HttpRequest *newRequest(const QString &path, HttpRequest::RequestType type = HttpRequest::Get) const;
    // Connects the handler, hands the request over, and releases it after the handler ran.
    // The transport is the shared one unless another is named.
    void send(HttpRequest *request, const ReplyHandler &handler, HttpManager *transport = nullptr);
    // Sends a PTZ command of a channel on the PTZ transport. The channel's command before it,
    // still unanswered (it is past its patience), is aborted first.
    void sendPtz(const QString &channel, HttpRequest *request, const ReplyHandler &handler);

    // The failure text of a call: the reply body when there is one, else the transport's text.
    static QString failureText(const HttpRequest *request);
    static void jsCall(const QJSValue &callback, bool success, const QString &text);
    static void ackReply(const QJSValue &callback, const char *operation, const HttpRequest *request);
    // The reply handler of a plain acknowledged call.
    static ReplyHandler ackHandler(const QJSValue &callback, const char *operation);
    static void dataReply(const QJSValue &callback, const QJsonValue &payload);
    // JSON as a script value; undefined when no engine is set (the reply is then dropped).
    static QJSValue toScript(const QJsonValue &value);
    static bool hasScriptEngine();
    // "http://" + host + ":" + port, the texts as configured.
    QString serverRoot() const;
    static void logFailure(const char *operation, const HttpRequest *request);

    enum class DownloadKind { Record, DeviceRecord, AlarmRecord };
    // The file name of a download, also its key in the running tables.
    static QString downloadKey(const QString &title, int id, const QString &period);
    QHash<QString, HttpRequest *> &downloadTable(DownloadKind kind);
    void startDownload(DownloadKind kind, HttpRequest *request, const QString &key, const QJSValue &progress,
                       const QJSValue &finished);
    void stopDownload(DownloadKind kind, const QString &key);

    // Releases the HTTP transport (its access manager ends Qt's network thread) and the
    // requests still out.
    void releaseHttpTransport();
    // Run as the application object ends (its post routine): Qt's network thread can take
    // back its connections only while the application still exists; after it they leak.
    static void releaseHttpTransportsAtExit();
    static QSet<NetworkManagerPrivate *> &liveManagers();

    NetworkManager *q;
    OtherConfig *otherConfig = nullptr;
    ServerInfo *serverInfo = nullptr;
    Settings *settings = nullptr;
    QTimer *timer = nullptr;
    HttpManager *httpManager = nullptr;
    UdpWorker *udpWorker = nullptr;
    // Requests handed over and not yet finished; released with the client.
    QSet<HttpRequest *> pending;
    // PTZ commands, one channel's in turn. A command waits for the previous one's answer
    // at most this long: a camera must stop soon after the operator lets go, even when
    // the server sits on the start.
    static constexpr int PtzPatienceMs = 1000;
    SerialQueue ptzQueue{PtzPatienceMs};
    // PTZ commands have connections of their own: a server that sits on them can hold
    // those (one per channel, see ptzUnanswered), never the ones the other calls need.
    HttpManager *ptzTransport = nullptr;
    // Per channel, its last command while unanswered.
    QHash<QString, QPointer<HttpRequest>> ptzUnanswered;
    // Across channels: cameras whose PTZ the server sits on hold no connection that a
    // newer command waits for past the patience.
    HungCallReaper ptzReaper{PtzPatienceMs};
    QHash<QString, HttpRequest *> recordDownloads;
    QHash<QString, HttpRequest *> deviceRecordDownloads;
    QHash<QString, HttpRequest *> alarmRecordDownloads;
};
