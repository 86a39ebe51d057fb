#pragma once

#include <QProcess>
#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>
#include <memory>
#include <thread>

#include "eventwait.h"

// Small loopback servers for the player tests: every one listens on 127.0.0.1 only.
namespace LocalServers {

// A port that was free a moment ago.
quint16 freePort();
// Waits until something listens on 127.0.0.1:port (read from /proc/net/tcp, so
// single-client servers are not disturbed by a probing connection).
bool waitForListening(quint16 port, int timeoutMs);

} // namespace LocalServers

// Accepts TCP connections into its backlog and never answers: a stalled server.
class SilentServer
{
public:
    SilentServer();
    ~SilentServer();
    quint16 port() const { return m_port; }

private:
    int m_socket = -1;
    quint16 m_port = 0;
};

// Serves the files of one folder over HTTP/1.0 (GET, connection close), whole or from
// the offset of a "Range: bytes=N-" request.
class StaticHttpServer
{
public:
    explicit StaticHttpServer(const QString &folder);
    ~StaticHttpServer();
    quint16 port() const { return m_port; }
    QString url(const QString &path) const;
    // Requests answered so far, with the time each arrived.
    std::vector<std::chrono::steady_clock::time_point> requestTimes() const;
    // The next `count` requests for a file from an offset beyond its start (seeks)
    // fail with "503 Service Unavailable".
    void refuseSeeks(int count);
    int seeksRefused() const;

private:
    void serve();
    void answer(int client);
    QByteArray response(const QByteArray &request);
    bool takeRefusal();

    QString m_folder;
    int m_socket = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::chrono::steady_clock::time_point> m_requestTimes;
    int m_seeksToRefuse = 0;
    int m_seeksRefused = 0;
};

// ffmpeg playing a file in a loop at its own pace as a single-client RTMP or
// HTTP-FLV server ("-listen 1").
class FfmpegStreamServer
{
public:
    enum class Kind { Rtmp, HttpFlv };

    FfmpegStreamServer(Kind kind, const QString &file, quint16 port = 0);
    ~FfmpegStreamServer();
    bool start(int timeoutMs = kEventWaitMs);
    void stop();
    QString url() const;
    quint16 port() const { return m_port; }

private:
    Kind m_kind;
    QString m_file;
    quint16 m_port;
    std::unique_ptr<QProcess> m_process;
};

// GStreamer's RTSP server on its own main-loop thread.
class RtspTestServer
{
public:
    RtspTestServer();
    ~RtspTestServer();

    // Which RTP transports a mount offers; a SETUP asking for another is answered
    // "461 Unsupported Transport", as servers that offer only one do.
    enum class Transports { Any, UdpOnly, TcpOnly };

    // gst-launch description with a payloader named pay0; shared: one pipeline for all clients.
    void mount(const QString &path, const QString &launch, bool shared = false,
               Transports transports = Transports::Any);
    bool start();
    quint16 port() const { return m_port; }
    QString url(const QString &path) const;

    static QString fileLaunch(const QString &mp4File);
    static QString liveLaunch(const QString &x264Options = QString());

private:
    struct Private;
    std::unique_ptr<Private> d;
    quint16 m_port = 0;
};
