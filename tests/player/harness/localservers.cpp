#include "localservers.h"

#include "loopbacklistener.h"

#include "rtspserverprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QUrl>

#include <unistd.h>

namespace {

bool isListening(quint16 port)
{
    QFile table("/proc/net/tcp");
    if (!table.open(QIODevice::ReadOnly))
        return false;
    // local_address 0100007F:PORT, state 0A = LISTEN. A server that serves one client
    // (ffmpeg -listen 1) stops listening once it accepted one: a client that reconnects
    // at once may be there before this look, so an accepted connection (01 = ESTABLISHED,
    // on the server's side of it) counts too.
    const QByteArray wanted = QStringLiteral(":%1 ").arg(port, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && (fields[1] + ' ').endsWith(wanted) && (fields[3] == "0A" || fields[3] == "01"))
            return true;
    }
    return false;
}

} // namespace

namespace LocalServers {

quint16 freePort()
{
    quint16 port = 0;
    const int fd = listenOnLoopback(port, 1);
    if (fd >= 0)
        ::close(fd);
    return port;
}

bool waitForListening(quint16 port, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (isListening(port))
            return true;
        QThread::msleep(20); // test set-up only: waits for another process
    }
    return isListening(port);
}

} // namespace LocalServers

SilentServer::SilentServer()
{
    m_socket = listenOnLoopback(m_port, 16);
}

SilentServer::~SilentServer()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

StaticHttpServer::StaticHttpServer(const QString &folder)
    : m_folder(folder)
{
    m_socket = listenOnLoopback(m_port, 16);
    if (m_socket >= 0)
        m_thread = std::thread([this] { serve(); });
}

StaticHttpServer::~StaticHttpServer()
{
    m_stopping = true;
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR); // wakes accept()
    if (m_thread.joinable())
        m_thread.join();
    if (m_socket >= 0)
        ::close(m_socket);
}

QString StaticHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path);
}

std::vector<std::chrono::steady_clock::time_point> StaticHttpServer::requestTimes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requestTimes;
}

void StaticHttpServer::serve()
{
    while (!m_stopping) {
        const int client = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        answer(client);
        ::close(client);
    }
}

void StaticHttpServer::refuseSeeks(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_seeksToRefuse = count;
}

int StaticHttpServer::seeksRefused() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_seeksRefused;
}

bool StaticHttpServer::takeRefusal()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_seeksToRefuse <= 0)
        return false;
    --m_seeksToRefuse;
    ++m_seeksRefused;
    return true;
}

void StaticHttpServer::answer(int client)
{
    QByteArray request;
    char buffer[4096];
    while (!request.contains("\r\n\r\n")) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        request.append(buffer, static_cast<int>(n));
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requestTimes.push_back(std::chrono::steady_clock::now());
    }
    const QByteArray reply = response(request);
    qsizetype sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = ::send(client, reply.constData() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

QByteArray StaticHttpServer::response(const QByteArray &request)
{
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = requestLine.size() > 1
        ? QUrl::fromPercentEncoding(requestLine[1].split('?').first())
        : QString();
    QFile file(QDir(m_folder).filePath(path.mid(1)));
    if (path.contains("..") || !file.open(QIODevice::ReadOnly))
        return "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    const QByteArray type = path.endsWith(".m3u8") ? "application/vnd.apple.mpegurl"
        : path.endsWith(".mp4")                  ? "video/mp4"
                                                 : "video/mp2t";
    const QByteArray body = file.readAll();
    const QByteArray headers = "Content-Type: " + type + "\r\nAccept-Ranges: bytes\r\nConnection: close\r\n";
    const int range = request.toLower().indexOf("\r\nrange: bytes=");
    if (range < 0)
        return "HTTP/1.0 200 OK\r\n" + headers + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n"
            + body;
    const int from = range + int(qstrlen("\r\nrange: bytes="));
    const qint64 offset = request.mid(from, request.indexOf('-', from) - from).trimmed().toLongLong();
    if (offset > 0 && takeRefusal())
        return "HTTP/1.0 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    if (offset < 0 || offset >= body.size())
        return "HTTP/1.0 416 Range Not Satisfiable\r\nContent-Range: bytes */" + QByteArray::number(body.size())
            + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    const QByteArray part = body.mid(offset);
    return "HTTP/1.0 206 Partial Content\r\n" + headers + "Content-Range: bytes " + QByteArray::number(offset) + "-"
        + QByteArray::number(body.size() - 1) + "/" + QByteArray::number(body.size()) + "\r\nContent-Length: "
        + QByteArray::number(part.size()) + "\r\n\r\n" + part;
}

FfmpegStreamServer::FfmpegStreamServer(Kind kind, const QString &file, quint16 port)
    : m_kind(kind)
    , m_file(file)
    , m_port(port ? port : LocalServers::freePort())
{
}

FfmpegStreamServer::~FfmpegStreamServer()
{
    stop();
}

QString FfmpegStreamServer::url() const
{
    return m_kind == Kind::Rtmp ? QStringLiteral("rtmp://127.0.0.1:%1/live/stream").arg(m_port)
                                : QStringLiteral("http://127.0.0.1:%1/live.flv").arg(m_port);
}

bool FfmpegStreamServer::start(int timeoutMs)
{
    stop();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start("ffmpeg", {"-hide_banner", "-loglevel", "fatal", "-re", "-stream_loop", "-1", "-i", m_file,
                                "-c", "copy", "-f", "flv", "-listen", "1", url()});
    return m_process->waitForStarted(timeoutMs) && LocalServers::waitForListening(m_port, timeoutMs);
}

void FfmpegStreamServer::stop()
{
    if (!m_process)
        return;
    m_process->kill();
    m_process->waitForFinished(5000);
    m_process.reset();
}

RtspTestServer::RtspTestServer()
    : m_process(std::make_unique<RtspServerProcess>())
{
}

RtspTestServer::~RtspTestServer() = default;

void RtspTestServer::mount(const QString &path, const QString &launch, const RtspMountOptions &options)
{
    m_mounts << options.arguments(path, launch);
}

void RtspTestServer::setAbortOnPlay(int playRequest)
{
    m_abortOnPlay = playRequest;
}

void RtspTestServer::applyArguments()
{
    // One thread per client: on a loaded machine a client whose media is being prepared
    // or torn down would otherwise hold up every other client's requests.
    QStringList arguments{QStringLiteral("--client-threads"), QStringLiteral("16")};
    if (m_abortOnPlay > 0)
        arguments << QStringLiteral("--abort-on-play") << QString::number(m_abortOnPlay);
    m_process->setArguments(arguments + m_mounts);
}

bool RtspTestServer::start()
{
    applyArguments();
    QString error;
    if (!m_process->start(m_port, &error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    m_port = m_process->port();
    return true;
}

bool RtspTestServer::isRunning() const
{
    return m_process->isRunning();
}

bool RtspTestServer::restart()
{
    return isRunning() || start();
}

int RtspTestServer::endCount() const
{
    return m_process->endCount();
}

bool RtspTestServer::waitForEnd(int timeoutMs)
{
    return m_process->waitForEnd(timeoutMs);
}

QString RtspTestServer::lastOutput() const
{
    return m_process->lastOutput();
}

QString RtspTestServer::endReport() const
{
    return m_process->endReport();
}

QString RtspTestServer::stateReport() const
{
    const QString ends = QString::number(endCount());
    if (isRunning())
        return QStringLiteral("the RTSP test server runs (ends so far: %1)").arg(ends);
    const QString report = endReport();
    return QStringLiteral("%1 (ends so far: %2)")
        .arg(report.isEmpty() ? QStringLiteral("the RTSP test server does not run") : report, ends);
}

QString RtspTestServer::restartIfEnded()
{
    applyArguments();
    return m_process->restartIfEnded();
}

QString RtspTestServer::url(const QString &path) const
{
    return QStringLiteral("rtsp://127.0.0.1:%1%2").arg(m_port).arg(path);
}

QString RtspTestServer::fileLaunch(const QString &mp4File)
{
    return QStringLiteral("( filesrc location=\"%1\" ! qtdemux ! h264parse ! rtph264pay name=pay0 pt=96 "
                          "config-interval=-1 )")
        .arg(mp4File);
}

QString RtspTestServer::liveLaunch(const QString &x264Options)
{
    QString encoder = "x264enc tune=zerolatency speed-preset=ultrafast key-int-max=25";
    if (!x264Options.isEmpty())
        encoder += QStringLiteral(" option-string=\"%1\"").arg(x264Options);
    return QStringLiteral("( videotestsrc is-live=true pattern=ball ! video/x-raw,width=320,height=240,framerate=25/1 "
                          "! %1 ! h264parse ! rtph264pay name=pay0 pt=96 config-interval=-1 )")
        .arg(encoder);
}
