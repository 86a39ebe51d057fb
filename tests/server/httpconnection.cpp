#include "httpconnection.h"

#include <QDateTime>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

constexpr int kMaxHeaderBytes = 64 * 1024;
constexpr qint64 kMaxBodyBytes = 256 * 1024 * 1024;
constexpr int kSlowChunkBytes = 16;

int headerEnd(const QByteArray &data)
{
    return data.indexOf("\r\n\r\n");
}

bool isWebSocketUpgrade(const QByteArray &head)
{
    const QByteArray lower = head.toLower();
    return lower.contains("\r\nupgrade: websocket") || lower.contains("\r\nupgrade:websocket");
}

} // namespace

HttpConnection::HttpConnection(QTcpSocket *socket, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &HttpConnection::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        m_state = State::Done;
        emit closed(this);
    });
    if (socket->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &HttpConnection::onReadyRead);
}

HttpConnection::~HttpConnection()
{
    // The socket dies with us; its last signals must not reach a half-destroyed object.
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void HttpConnection::onReadyRead()
{
    if (!m_socket || m_state == State::Done)
        return;
    if (m_state == State::Headers && m_buffer.isEmpty()) {
        // Wait for the whole head before taking any byte: a WebSocket handshake must
        // reach the WebSocket server exactly as the client sent it.
        const QByteArray peeked = m_socket->peek(kMaxHeaderBytes + 1);
        if (headerEnd(peeked) < 0) {
            if (peeked.size() > kMaxHeaderBytes)
                fail(431, "header too large");
            return;
        }
        if (handOverWebSocket(peeked))
            return;
    }
    if (m_state == State::Answering || m_state == State::Streaming) {
        // Not pipelined: the next request waits in the socket until this answer is out.
        return;
    }
    m_buffer.append(m_socket->readAll());
    bool progressed = true;
    while (progressed && m_state != State::Answering && m_state != State::Done) {
        switch (m_state) {
        case State::Headers: progressed = parseHeaders(); break;
        case State::Body: progressed = parseBody(); break;
        case State::ChunkedBody: progressed = parseChunkedBody(); break;
        default: progressed = false; break;
        }
    }
}

bool HttpConnection::handOverWebSocket(const QByteArray &peeked)
{
    const int end = headerEnd(peeked);
    if (end < 0 || !isWebSocketUpgrade(peeked.left(end + 2)))
        return false;
    TestServerRequest request;
    QByteArray version;
    parseHead(peeked.left(end), &request, &version);
    request.receivedMs = QDateTime::currentMSecsSinceEpoch();
    QTcpSocket *socket = m_socket;
    disconnect(socket, nullptr, this, nullptr);
    socket->setParent(nullptr);
    m_socket = nullptr;
    m_state = State::Done;
    emit webSocketRequested(socket, request);
    emit closed(this);
    return true;
}

bool HttpConnection::parseHead(const QByteArray &head, TestServerRequest *request, QByteArray *version)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine.at(2).startsWith("HTTP/1."))
        return false;
    *request = TestServerRequest();
    request->method = requestLine.at(0);
    *version = requestLine.at(2);
    QByteArray target = requestLine.at(1);
    if (target.startsWith("http://") || target.startsWith("https://")) {
        const int pathStart = target.indexOf('/', target.indexOf("//") + 2);
        target = pathStart < 0 ? QByteArray("/") : target.mid(pathStart);
    }
    const int queryStart = target.indexOf('?');
    request->path = QUrl::fromPercentEncoding(queryStart < 0 ? target : target.left(queryStart));
    request->rawQuery = queryStart < 0 ? QByteArray() : target.mid(queryStart + 1);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon > 0)
            request->headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return true;
}

bool HttpConnection::parseHeaders()
{
    const int end = headerEnd(m_buffer);
    if (end < 0) {
        if (m_buffer.size() > kMaxHeaderBytes)
            fail(431, "header too large");
        return false;
    }
    QByteArray version;
    const bool parsed = parseHead(m_buffer.left(end), &m_request, &version);
    m_buffer.remove(0, end + 4);
    if (!parsed) {
        fail(400, "bad request line");
        return false;
    }
    const QByteArray connection = m_request.header("Connection").toLower();
    m_keepAlive = version == "HTTP/1.1" ? !connection.contains("close") : connection.contains("keep-alive");
    if (m_request.header("Expect").toLower() == "100-continue")
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    if (m_request.header("Transfer-Encoding").toLower().contains("chunked")) {
        m_state = State::ChunkedBody;
        return true;
    }
    bool ok = true;
    const QByteArray lengthText = m_request.header("Content-Length");
    m_bodyRemaining = lengthText.isEmpty() ? 0 : lengthText.toLongLong(&ok);
    if (!ok || m_bodyRemaining < 0 || m_bodyRemaining > kMaxBodyBytes) {
        fail(ok ? 413 : 400, "bad Content-Length");
        return false;
    }
    m_state = State::Body;
    return true;
}

bool HttpConnection::parseBody()
{
    const qint64 take = qMin<qint64>(m_bodyRemaining, m_buffer.size());
    m_request.body.append(m_buffer.left(take));
    m_buffer.remove(0, take);
    m_bodyRemaining -= take;
    if (m_bodyRemaining > 0)
        return false;
    dispatch();
    return true;
}

bool HttpConnection::parseChunkedBody()
{
    for (;;) {
        const int lineEnd = m_buffer.indexOf("\r\n");
        if (lineEnd < 0)
            return false;
        bool ok = false;
        const qint64 size = m_buffer.left(lineEnd).split(';').value(0).trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0 || m_request.body.size() + size > kMaxBodyBytes) {
            fail(400, "bad chunk");
            return false;
        }
        if (size == 0) {
            // Last chunk: skip optional trailers up to the empty line.
            const int trailerEnd = m_buffer.indexOf("\r\n\r\n", lineEnd);
            const bool noTrailers = m_buffer.mid(lineEnd, 4) == "\r\n\r\n";
            if (!noTrailers && trailerEnd < 0)
                return false;
            m_buffer.remove(0, (noTrailers ? lineEnd : trailerEnd) + 4);
            dispatch();
            return true;
        }
        if (m_buffer.size() < lineEnd + 2 + size + 2)
            return false;
        m_request.body.append(m_buffer.mid(lineEnd + 2, size));
        m_buffer.remove(0, lineEnd + 2 + size + 2);
    }
}

void HttpConnection::dispatch()
{
    m_state = State::Answering;
    m_request.receivedMs = QDateTime::currentMSecsSinceEpoch();
    emit requestReceived(this, m_request);
}

void HttpConnection::fail(int status, const QByteArray &text)
{
    m_keepAlive = false;
    m_state = State::Answering;
    writeNow(HttpResponse::text(status, text));
}

void HttpConnection::respond(const HttpResponse &response)
{
    if (!m_socket || m_state != State::Answering)
        return;
    switch (response.delivery) {
    case HttpResponse::Delivery::Never:
        return; // the socket stays open and silent
    case HttpResponse::Delivery::LiveStream:
        startStream(response);
        return;
    default:
        break;
    }
    auto deliver = [this, response] {
        if (!m_socket)
            return;
        if (response.delivery == HttpResponse::Delivery::SlowChunks)
            writeSlowChunks(response);
        else if (response.delivery == HttpResponse::Delivery::CloseMidBody)
            writeHalfAndClose(response);
        else
            writeNow(response);
    };
    // Never early: a coarse timer (Qt's choice from 2 s on) may fire 5 % before its time.
    if (response.delayMs > 0)
        QTimer::singleShot(response.delayMs, Qt::PreciseTimer, this, deliver);
    else
        deliver();
}

QByteArray HttpConnection::statusAndHeaders(const HttpResponse &response, bool chunked, qint64 length) const
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' '
                      + HttpResponse::reasonPhrase(response.status) + "\r\n";
    if (!response.contentType.isEmpty())
        head += "Content-Type: " + response.contentType + "\r\n";
    for (const auto &header : response.headers)
        head += header.first + ": " + header.second + "\r\n";
    if (chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (length >= 0)
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    head += m_keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    head += "Server: zelka-test-server\r\n\r\n";
    return head;
}

void HttpConnection::writeHead(const HttpResponse &response, bool chunked, qint64 length)
{
    m_socket->write(statusAndHeaders(response, chunked, length));
    emit answered(this, QDateTime::currentMSecsSinceEpoch());
}

void HttpConnection::writeNow(const HttpResponse &response)
{
    writeHead(response, false, response.body.size());
    if (!response.headOnly)
        m_socket->write(response.body);
    finishResponse();
}

void HttpConnection::writeSlowChunks(const HttpResponse &response)
{
    // With the length announced, a client can measure its progress while the body trickles.
    const bool chunked = !response.slowWithLength;
    writeHead(response, chunked, response.body.size());
    m_socket->flush();
    auto remaining = std::make_shared<QByteArray>(response.body);
    m_chunkTimer = new QTimer(this);
    m_chunkTimer->setInterval(qMax(1, response.chunkDelayMs));
    connect(m_chunkTimer, &QTimer::timeout, this, [this, remaining, chunked] {
        if (!m_socket)
            return;
        const QByteArray chunk = remaining->left(kSlowChunkBytes);
        remaining->remove(0, chunk.size());
        if (!chunk.isEmpty())
            m_socket->write(chunked ? QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n" : chunk);
        if (remaining->isEmpty()) {
            m_chunkTimer->deleteLater();
            m_chunkTimer = nullptr;
            if (chunked)
                m_socket->write("0\r\n\r\n");
            finishResponse();
        }
    });
    m_chunkTimer->start();
}

void HttpConnection::writeHalfAndClose(const HttpResponse &response)
{
    m_keepAlive = false;
    writeHead(response, false, response.body.size());
    m_socket->write(response.body.left(response.body.size() / 2));
    m_state = State::Done;
    m_socket->disconnectFromHost();
}

void HttpConnection::startStream(const HttpResponse &response)
{
    m_keepAlive = false;
    m_state = State::Streaming;
    writeHead(response, false, -1);
    emit liveStreamRequested(this, response.liveStreamName);
}

void HttpConnection::writeStreamData(const QByteArray &data)
{
    if (m_socket && m_state == State::Streaming)
        m_socket->write(data);
}

void HttpConnection::closeStream()
{
    if (!m_socket || m_state != State::Streaming)
        return;
    m_state = State::Done;
    m_socket->disconnectFromHost();
}

void HttpConnection::finishResponse()
{
    if (!m_keepAlive) {
        m_state = State::Done;
        m_socket->disconnectFromHost();
        return;
    }
    m_state = State::Headers;
    m_request = TestServerRequest();
    if (!m_buffer.isEmpty() || m_socket->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &HttpConnection::onReadyRead);
}
