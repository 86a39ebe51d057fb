#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>
#include <memory>
#include <thread>

#include "eventwait.h"
#include "rtspserverprocess.h"

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

// GStreamer's RTSP server in a program of its own (zelka_rtsp_server, see
// RtspServerProcess): a fault of that library ends the server, which the player meets as a
// closed connection, never the test. A test reports a server that ended with endReport()
// or stateReport() and starts it again on its port with restart() or restartIfEnded().
class RtspTestServer
{
public:
    RtspTestServer();
    ~RtspTestServer();

    using Transports = RtspMountOptions::Transports;

    // launch: a gst-launch description with a payloader named pay0. By default each client
    // gets a pipeline of its own; RtspMountOptions::live() serves a live pattern as the test
    // server serves its cameras.
    void mount(const QString &path, const QString &launch, const RtspMountOptions &options = {});
    // The server aborts at its Nth PLAY request after the next start (0: never), so that
    // tests can see what a server that dies does to the player and to themselves.
    void setAbortOnPlay(int playRequest);
    bool start();
    quint16 port() const { return m_port; }
    QString url(const QString &path) const;

    bool isRunning() const;
    // Starts the server again on its port when it ended; true when it runs.
    bool restart();
    int endCount() const; // how many times it ended by itself
    bool waitForEnd(int timeoutMs);
    QString lastOutput() const;
    // "the RTSP test server ended (...; its last output: ...)" once it ended, else empty.
    QString endReport() const;
    // For a failed wait: whether the server runs, how often it ended by itself, and how it
    // ended last ("the RTSP test server runs (ends so far: 1)" or its endReport()).
    QString stateReport() const;
    // Empty while the server runs; else its endReport(), and the server is started again
    // on its port (the report says when that failed).
    QString restartIfEnded();

    static QString fileLaunch(const QString &mp4File);
    static QString liveLaunch(const QString &x264Options = QString());

private:
    void applyArguments();

    QStringList m_mounts;
    int m_abortOnPlay = 0;
    std::unique_ptr<RtspServerProcess> m_process;
    quint16 m_port = 0;
};
