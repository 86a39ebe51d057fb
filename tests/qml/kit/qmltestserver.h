#pragma once

#include <QJsonObject>
#include <QObject>
#include <QVariant>

#include "testserver.h"

// The in-process test server as the QML tests see it ("testServer"): its address and
// seeded credentials, the request log, faults per route, the seeded data and the
// talk-back chunks. It answers from the GUI thread's event loop, so tests wait with
// tryCompare/tryVerify, which keep that loop running.
class QmlTestServer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString host READ host CONSTANT)
    Q_PROPERTY(int port READ port CONSTANT)
    Q_PROPERTY(int rtspPort READ rtspPort CONSTANT)
    Q_PROPERTY(QString userName READ userName NOTIFY dataChanged)
    Q_PROPERTY(QString password READ password NOTIFY dataChanged)
    Q_PROPERTY(QString errorString READ errorString NOTIFY dataChanged)

public:
    explicit QmlTestServer(QObject *parent = nullptr);

    bool start();
    TestServer &server();

    QString host() const;
    int port() const;
    int rtspPort() const;
    QString userName() const;
    QString password() const;
    QString errorString() const;

    // "http://127.0.0.1:<port>/" + path.
    Q_INVOKABLE QString url(const QString &pathAndQuery) const;
    // The log, oldest first, each entry {method, path, query, items, headers, body}:
    // items are the decoded query items, headers keyed by lower-case name. A path
    // keeps only the requests to that path.
    Q_INVOKABLE QVariantList requests(const QString &path = QString()) const;
    Q_INVOKABLE void clearLog();
    // Fault fields as for POST /__control/fault: status, body, contentType, nonJson200,
    // delayMs, neverAnswer, slowChunkDelayMs, closeMidBody, remainingHits.
    Q_INVOKABLE void setFault(const QString &path, const QVariantMap &fault);
    Q_INVOKABLE void clearFaults();
    // Replaces the seeded data wholesale (an object, or JSON text).
    Q_INVOKABLE bool loadData(const QVariant &data);
    // The start-up data with the given top-level parts changed: objects are merged key
    // by key, anything else replaced. {"OtherConfig": {"AllowCaptcha": true}} keeps
    // every other setting, user and device.
    Q_INVOKABLE bool changeData(const QVariantMap &patch);
    // Log, faults, talk chunks and data as after start.
    Q_INVOKABLE void reset();
    // The binary messages received on the talk-back socket of a channel.
    Q_INVOKABLE QVariantList talkChunks(const QString &deviceId, const QString &channelId) const;
    // Talk-back sockets still open on the server's side (0: every chunk sent is in).
    Q_INVOKABLE int openTalkSockets() const;

signals:
    void dataChanged();

private:
    TestServer m_server;
    QJsonObject m_startData;
};
