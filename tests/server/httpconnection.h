#pragma once

#include "httpresponse.h"
#include "testserver.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

class QTcpSocket;
class QTimer;

// One accepted HTTP/1.1 connection: parses requests one at a time (keep-alive,
// Content-Length and chunked bodies) and writes each answer the way it asks to be
// delivered. A WebSocket upgrade is detected before its bytes are consumed, so the
// socket can be handed over untouched.
class HttpConnection : public QObject
{
    Q_OBJECT
public:
    explicit HttpConnection(QTcpSocket *socket, QObject *parent = nullptr);
    ~HttpConnection() override;

    void respond(const HttpResponse &response);
    // Endless body (live stream): headers now, data as it comes, closed by either side.
    void writeStreamData(const QByteArray &data);
    void closeStream();

signals:
    void requestReceived(HttpConnection *connection, const TestServerRequest &request);
    // The head of the answer to the request last received went out, at `at` (see
    // TestServerRequest::answeredMs).
    void answered(HttpConnection *connection, qint64 at);
    void webSocketRequested(QTcpSocket *socket, const TestServerRequest &request);
    void liveStreamRequested(HttpConnection *connection, const QByteArray &name);
    void closed(HttpConnection *connection);

private:
    enum class State { Headers, Body, ChunkedBody, Answering, Streaming, Done };

    void onReadyRead();
    bool handOverWebSocket(const QByteArray &peeked);
    bool parseHeaders();
    static bool parseHead(const QByteArray &head, TestServerRequest *request, QByteArray *version);
    bool parseBody();
    bool parseChunkedBody();
    void dispatch();
    void fail(int status, const QByteArray &text);
    void writeNow(const HttpResponse &response);
    void writeSlowChunks(const HttpResponse &response);
    void writeHalfAndClose(const HttpResponse &response);
    void startStream(const HttpResponse &response);
    QByteArray statusAndHeaders(const HttpResponse &response, bool chunked, qint64 length) const;
    void writeHead(const HttpResponse &response, bool chunked, qint64 length);
    void finishResponse();

    QPointer<QTcpSocket> m_socket;
    QByteArray m_buffer;
    State m_state = State::Headers;
    TestServerRequest m_request;
    qint64 m_bodyRemaining = 0;
    bool m_keepAlive = true;
    QTimer *m_chunkTimer = nullptr;
};
