#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QTcpSocket;
class QWebSocket;
class QWebSocketServer;

// The talk-back end of "/api/v1/ws_talk/<device>/<channel>": takes over upgraded
// sockets of the HTTP port and keeps every binary message per device and channel.
class TalkRecorder : public QObject
{
    Q_OBJECT
public:
    explicit TalkRecorder(QObject *parent = nullptr);
    ~TalkRecorder() override;

    void takeOver(QTcpSocket *socket);
    QList<QByteArray> chunks(const QString &deviceId, const QString &channelId) const;
    // Sockets not closed yet: once a client's socket is gone here, every message it sent
    // before its close is in chunks().
    int openSockets() const;
    void clear();
    void closeAll();

private:
    void onNewConnection();

    QWebSocketServer *m_server;
    QList<QWebSocket *> m_sockets;
    QHash<QString, QList<QByteArray>> m_chunks;
};
