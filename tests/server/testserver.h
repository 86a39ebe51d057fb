#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QScopedPointer>
#include <QString>
#include <QUrl>

// One HTTP request as the local test server received it.
struct TestServerRequest
{
    QByteArray method;
    QString path;        // decoded path without the query, beginning with "/"
    QByteArray rawQuery; // the query exactly as sent, without "?"
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;     // de-chunked
    // Milliseconds since the epoch when the whole request was read, and when the head of its
    // answer was written (0 while it is not answered; a WebSocket's handshake is not told).
    qint64 receivedMs = 0;
    qint64 answeredMs = 0;

    QByteArray header(const QByteArray &name) const; // case-insensitive; empty when absent
};

// Misbehaviour of one route (path without query, e.g. "/api/v1/login").
struct TestServerFault
{
    int status = 0;             // 0 = normal handling; else answer this status with `body`
    QByteArray body;
    QByteArray contentType;
    bool nonJson200 = false;    // 200 with a body that is not JSON
    int delayMs = 0;            // answer after a delay
    bool neverAnswer = false;   // accept, read, never answer (keep the socket open)
    int slowChunkDelayMs = 0;   // chunked body, one small chunk per delay
    bool slowWithLength = false; // with slowChunkDelayMs: Content-Length announced, plain pieces
    bool closeMidBody = false;  // announce Content-Length, send half, close
    int remainingHits = -1;     // -1 = forever; n = only the next n requests
};

class TestServerPrivate;

// A stand-in for the platform server on 127.0.0.1: every REST call over seeded data,
// the talk-back WebSocket on the HTTP port, media files with Range, HTTP-FLV and HLS,
// live RTSP test patterns, Digest/Basic test routes, a request log and fault injection.
// It lives in the thread that creates it and answers from that thread's event loop, so
// a test must keep that loop running while it waits (QSignalSpy::wait, QTRY_*), never
// block on a reply. RTSP is served by a program of its own (RtspServer).
//
// Media paths (no token): "/snap/<id>.h264" and ".h265" (Annex-B parameter sets + one
// IDR, 640x360), "/snap/alarm/<id>.h264|.h265", "/media/record.mp4" and "/media/record.flv"
// (10 s, H.264 + AAC), "/download/..." and "/api/v1/record/download/<channel>/<start>"
// (the MP4, or the FLV for a ".flv" name; byte ranges), "/hls/.../index.m3u8" (VOD),
// "/live/<channel>.flv" (endless HTTP-FLV), "/media/advert/<n>.jpg", "/media/record-snap.jpg",
// "/api/v1/captcha" (PNG), "/tiles/<type>/<z>/<x>/<y>.png" (map tiles, see TileRoutes). Record playback with byte ranges: "/vod/record/<channel>/<startAt>.mp4"
// (a seeded record's "hls" path, as long as the record) and "/vod/device/<channel>/<stime>-<etime>.flv"
// (the device playback address, as long as the span); the position is drawn on the picture. RTSP: "rtsp://127.0.0.1:<rtspPort>/live/<mount>", mounts
// h264, h265, h264-aac, h264-pcma, h265-aac, h265-pcmu, h264-slices, h264-15fps, h264-30fps,
// h264-50fps.
class TestServer : public QObject
{
    Q_OBJECT
public:
    explicit TestServer(QObject *parent = nullptr);
    ~TestServer() override;

    // Binds 127.0.0.1 on free ports (or the fixed ones set below); HTTP and WebSocket
    // share one port, RTSP has its own. Makes the media fixtures when missing.
    bool start(const QString &dataFile = QString());
    void stop();

    // Fixed ports for the stand-alone executable; 0 (the default) picks free ones.
    void setFixedPorts(quint16 httpPort, quint16 rtspPort);
    void setRtspEnabled(bool enabled); // on by default

    QString host() const;
    quint16 httpPort() const;
    quint16 rtspPort() const;
    QUrl url(const QString &pathAndQuery) const;
    QString userName() const;
    QString password() const;
    QString token() const;
    QString errorString() const;

    QList<TestServerRequest> requestLog() const;
    void clearRequestLog();
    void setFault(const QString &path, const TestServerFault &fault);
    void clearFaults();
    bool loadData(const QString &jsonFile);
    bool loadDataJson(const QByteArray &json);
    // Back to the state after start(): empty log, no faults, no talk chunks, the
    // start-up data again.
    void reset();
    QList<QByteArray> talkChunks(const QString &deviceId, const QString &channelId) const;
    // Talk-back sockets that are still open on the server's side.
    int openTalkSockets() const;

private:
    QScopedPointer<TestServerPrivate> d;
};
