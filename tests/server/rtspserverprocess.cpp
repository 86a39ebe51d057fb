#include "rtspserverprocess.h"

#include "eventwait.h"
#include "rtspserverexit.h"

#include <QFile>

#include <chrono>
#include <cstdio>
#include <condition_variable>
#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int kKeptLines = 20;

QString describeEnd(const siginfo_t &info)
{
    if (info.si_code == CLD_EXITED)
        return QStringLiteral("exit code %1").arg(info.si_status);
    const char *name = sigdescr_np(info.si_status); // strsignal() is not thread-safe
    return QStringLiteral("killed by signal %1, %2").arg(info.si_status).arg(QString::fromLatin1(name ? name : "?"));
}

// Why a program that ended before it listened did not start: killed, or ended by itself,
// because its port was taken or for another reason (which its output then says).
QString describeStartFailure(const siginfo_t &info)
{
    if (info.si_code != CLD_EXITED)
        return QStringLiteral("it was %1, before it listened").arg(describeEnd(info));
    if (info.si_status == RtspServerExit::PortTaken)
        return QStringLiteral("it could not listen, the port is taken");
    return QStringLiteral("it ended with exit code %1 before it listened").arg(info.si_status);
}

QString where(quint16 port)
{
    return port ? QStringLiteral("127.0.0.1:%1").arg(port) : QStringLiteral("a free port of 127.0.0.1");
}

} // namespace

class RtspServerProcessPrivate
{
public:
    bool spawn(quint16 port, QString *error);
    void readOutput(int fd, pid_t child);
    void takeLines(QByteArray *pending);
    static void echo(const QByteArray &text);
    QString lastOutputLocked() const;
    QString endReportLocked() const;
    QString startFailureLocked() const;
    bool endedByItselfLocked() const { return ended && !stopping && port != 0; }

    QStringList arguments;
    QByteArray echoPrefix;
    std::function<void()> endHandler; // set before the reader thread starts
    std::thread reader; // joined by stop() and the next start
    int input = -1;     // the write end of the program's standard input
    mutable std::mutex mutex;
    std::condition_variable changed;
    // Guarded by mutex: the reader thread writes them.
    pid_t pid = -1;     // not reaped while ended is false, so a kill never meets another process
    bool ended = false;
    bool stopping = false;
    quint16 port = 0;
    int endCount = 0;
    QString endDescription;
    siginfo_t endInfo = {};
    QString startFailure; // why the last start() failed; empty after one that listened
    std::deque<QByteArray> lines;
};

bool RtspServerProcessPrivate::spawn(quint16 wantedPort, QString *error)
{
    const QByteArray program = QFile::encodeName(RtspServerProcess::program());
    std::vector<QByteArray> words{program, "--port", QByteArray::number(wantedPort)};
    for (const QString &argument : std::as_const(arguments))
        words.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        *error = QStringLiteral("cannot make a pipe: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        *error = QStringLiteral("cannot make a pipe: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        ::close(in[0]);
        ::close(in[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    // Nothing else of the test's (sockets of its other servers, other children's pipes).
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    // Signals as a fresh program has them, whatever thread of the test starts it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = -1;
    const int failure = posix_spawn(&child, program.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(in[0]);
    ::close(out[1]);
    if (failure != 0) {
        *error = QStringLiteral("cannot start %1: %2").arg(QString::fromLocal8Bit(program), QString::fromLocal8Bit(strerror(failure)));
        ::close(in[1]);
        ::close(out[0]);
        return false;
    }
    input = in[1];
    {
        std::lock_guard<std::mutex> lock(mutex);
        pid = child;
        ended = false;
        stopping = false;
        port = 0;
        endDescription.clear();
        endInfo = {};
        startFailure.clear();
        lines.clear();
    }
    reader = std::thread([this, fd = out[0], child] { readOutput(fd, child); });
    return true;
}

// The reader thread: keeps the program's output until it closes, then notes how the
// program ended (without reaping it yet, so that stop() can still kill it by its pid).
void RtspServerProcessPrivate::readOutput(int fd, pid_t child)
{
    QByteArray pending;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        pending.append(buffer, int(n));
        takeLines(&pending);
    }
    ::close(fd);
    siginfo_t info = {};
    while (::waitid(P_PID, id_t(child), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    QByteArray echoed;
    bool byItself = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!pending.isEmpty())
            lines.push_back(pending);
        while (lines.size() > kKeptLines)
            lines.pop_front();
        ended = true;
        endDescription = describeEnd(info);
        endInfo = info;
        byItself = endedByItselfLocked(); // a start that failed is told by start()
        if (byItself) {
            ++endCount;
            if (!echoPrefix.isEmpty())
                echoed = echoPrefix + endReportLocked().toLocal8Bit() + '\n';
        }
        changed.notify_all();
    }
    echo(echoed);
    if (byItself && endHandler)
        endHandler();
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

void RtspServerProcessPrivate::takeLines(QByteArray *pending)
{
    QByteArray echoed;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (int end = pending->indexOf('\n'); end >= 0; end = pending->indexOf('\n')) {
            const QByteArray line = pending->left(end);
            pending->remove(0, end + 1);
            if (port == 0 && line.startsWith("PORT ")) {
                port = quint16(line.mid(5).toUInt());
                changed.notify_all();
            } else if (!echoPrefix.isEmpty()) {
                echoed += echoPrefix + line + '\n';
            }
            lines.push_back(line);
            if (lines.size() > kKeptLines)
                lines.pop_front();
        }
    }
    echo(echoed);
}

void RtspServerProcessPrivate::echo(const QByteArray &text)
{
    if (!text.isEmpty())
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
}

QString RtspServerProcessPrivate::lastOutputLocked() const
{
    QStringList text;
    for (const QByteArray &line : lines)
        text.append(QString::fromLocal8Bit(line));
    return text.join(QStringLiteral(" | "));
}

QString RtspServerProcessPrivate::endReportLocked() const
{
    if (!ended)
        return {};
    return QStringLiteral("the RTSP test server ended (%1; its last output: %2)").arg(endDescription, lastOutputLocked());
}

QString RtspServerProcessPrivate::startFailureLocked() const
{
    const QString output = lastOutputLocked();
    const QString why = describeStartFailure(endInfo);
    return output.isEmpty() ? why : QStringLiteral("%1 (its last output: %2)").arg(why, output);
}

RtspMountOptions RtspMountOptions::live()
{
    RtspMountOptions options;
    options.shared = true;
    options.seekable = false;
    return options;
}

RtspMountOptions RtspMountOptions::offering(Transports transports)
{
    RtspMountOptions options;
    options.transports = transports;
    return options;
}

QStringList RtspMountOptions::arguments(const QString &path, const QString &launch) const
{
    QStringList words{QStringLiteral("--mount"), path, launch};
    if (shared)
        words << QStringLiteral("--shared");
    if (!seekable)
        words << QStringLiteral("--not-seekable");
    if (transports != Transports::Any)
        words << QStringLiteral("--transports")
              << (transports == Transports::UdpOnly ? QStringLiteral("udp") : QStringLiteral("tcp"));
    return words;
}

RtspServerProcess::RtspServerProcess()
    : d(std::make_unique<RtspServerProcessPrivate>())
{
}

RtspServerProcess::~RtspServerProcess()
{
    stop();
}

void RtspServerProcess::setArguments(const QStringList &arguments)
{
    d->arguments = arguments;
}

void RtspServerProcess::setEchoPrefix(const QByteArray &prefix)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->echoPrefix = prefix;
}

void RtspServerProcess::setEndHandler(std::function<void()> handler)
{
    d->endHandler = std::move(handler);
}

QStringList RtspServerProcess::arguments() const
{
    return d->arguments;
}

QString RtspServerProcess::program()
{
    return QStringLiteral(ZELKA_RTSP_SERVER_PROGRAM);
}

bool RtspServerProcess::start(quint16 port, QString *error)
{
    stop();
    if (!d->spawn(port, error)) {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->startFailure = *error;
        return false;
    }
    std::unique_lock<std::mutex> lock(d->mutex);
    const bool settled = d->changed.wait_for(lock, std::chrono::milliseconds(kEventWaitMs),
                                             [this] { return d->port != 0 || d->ended; });
    if (d->port != 0)
        return true;
    d->startFailure = settled ? d->startFailureLocked()
                              : QStringLiteral("it named no port within %1 ms and was stopped").arg(kEventWaitMs);
    *error = QStringLiteral("the RTSP test server did not start on %1: %2").arg(where(port), d->startFailure);
    lock.unlock();
    stop();
    return false;
}

void RtspServerProcess::stop()
{
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->stopping = true;
        if (d->pid > 0 && !d->ended)
            ::kill(d->pid, SIGKILL);
    }
    if (d->reader.joinable())
        d->reader.join();
    if (d->input >= 0)
        ::close(d->input);
    d->input = -1;
    std::lock_guard<std::mutex> lock(d->mutex);
    d->pid = -1;
    d->port = 0;
}

bool RtspServerProcess::waitForEnd(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(d->mutex);
    return d->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return d->pid <= 0 || d->ended; });
}

bool RtspServerProcess::isRunning() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->pid > 0 && !d->ended;
}

quint16 RtspServerProcess::port() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->port;
}

int RtspServerProcess::endCount() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->endCount;
}

QString RtspServerProcess::lastOutput() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->lastOutputLocked();
}

QString RtspServerProcess::endReport() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->endReportLocked();
}

QString RtspServerProcess::startFailure() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->startFailure;
}

void RtspServerProcess::tell(const QString &line) const
{
    QByteArray prefix;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        prefix = d->echoPrefix;
    }
    if (!prefix.isEmpty())
        d->echo(prefix + line.toLocal8Bit() + '\n');
}

QString RtspServerProcess::restartIfEnded()
{
    QString report;
    quint16 port = 0;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        if (!d->endedByItselfLocked())
            return {};
        report = d->endReportLocked();
        port = d->port;
    }
    QString error;
    if (!start(port, &error))
        report += QStringLiteral("; it could not be started again: ") + error;
    return report;
}
