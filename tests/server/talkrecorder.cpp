#include "talkrecorder.h"

#include <QRegularExpression>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {

QString key(const QString &deviceId, const QString &channelId)
{
    return deviceId + QLatin1Char('/') + channelId;
}

} // namespace

TalkRecorder::TalkRecorder(QObject *parent)
    : QObject(parent)
    , m_server(new QWebSocketServer(QStringLiteral("zelka-test-talk"), QWebSocketServer::NonSecureMode, this))
{
    connect(m_server, &QWebSocketServer::newConnection, this, &TalkRecorder::onNewConnection);
}

TalkRecorder::~TalkRecorder()
{
    closeAll();
}

void TalkRecorder::takeOver(QTcpSocket *socket)
{
    socket->setParent(m_server);
    m_server->handleConnection(socket);
}

void TalkRecorder::onNewConnection()
{
    static const QRegularExpression talkPath(QStringLiteral("^/api/v1/ws_talk/([^/]+)/([^/]+)$"));
    while (QWebSocket *socket = m_server->nextPendingConnection()) {
        const QRegularExpressionMatch match = talkPath.match(socket->requestUrl().path());
        if (!match.hasMatch()) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("unknown path"));
            socket->deleteLater();
            continue;
        }
        socket->setParent(this);
        m_sockets.append(socket);
        const QString k = key(match.captured(1), match.captured(2));
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, k](const QByteArray &message) { m_chunks[k].append(message); });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] {
            m_sockets.removeAll(socket);
            socket->deleteLater();
        });
    }
}

QList<QByteArray> TalkRecorder::chunks(const QString &deviceId, const QString &channelId) const
{
    return m_chunks.value(key(deviceId, channelId));
}

int TalkRecorder::openSockets() const
{
    return m_sockets.size();
}

void TalkRecorder::clear()
{
    m_chunks.clear();
}

void TalkRecorder::closeAll()
{
    const QList<QWebSocket *> sockets = m_sockets;
    m_sockets.clear();
    for (QWebSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}
