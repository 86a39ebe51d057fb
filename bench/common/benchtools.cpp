#include "benchtools.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QQuickWindow>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <ctime>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testmedia.h"
#include "videoitem.h"

extern char **environ;

namespace BenchTools {

namespace {

double secondsOf(const rusage &usage)
{
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool isRenderThread(const QByteArray &name)
{
    return name.startsWith("QSGRenderThread") || name.startsWith("llvmpipe");
}

bool isLibraryThread(const QByteArray &name)
{
    return name.startsWith("zelka-reader") || name.startsWith("zelka-decoder");
}

struct ThreadTimes
{
    QByteArray name;
    double seconds = 0;
    bool main = false;
};

// Every thread of this process with its name and CPU seconds (schedstat counts
// nanoseconds: the clock ticks of stat would round each short-lived or mostly idle
// thread down to nothing).
QList<ThreadTimes> threadTimes()
{
    QList<ThreadTimes> threads;
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        QFile schedstat(QStringLiteral("/proc/self/task/%1/schedstat").arg(task));
        if (!comm.open(QIODevice::ReadOnly) || !schedstat.open(QIODevice::ReadOnly))
            continue;
        ThreadTimes thread;
        thread.name = comm.readAll().trimmed();
        thread.seconds = schedstat.readAll().split(' ').value(0).toDouble() / 1e9;
        thread.main = task.toLongLong() == getpid();
        threads << thread;
    }
    return threads;
}

} // namespace

CpuSplit processCpu()
{
    CpuSplit split;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    split.total = secondsOf(usage);
    for (const ThreadTimes &thread : threadTimes()) {
        if (isRenderThread(thread.name))
            split.render += thread.seconds;
        else if (thread.name == "VideoPacer")
            split.pacers += thread.seconds;
        else if (isLibraryThread(thread.name))
            split.library += thread.seconds;
        else if (thread.main)
            split.gui += thread.seconds;
    }
    return split;
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

int threadsNamed(const QByteArray &prefix)
{
    int count = 0;
    for (const ThreadTimes &thread : threadTimes())
        count += thread.name.startsWith(prefix) ? 1 : 0;
    return count;
}

double childCpuSeconds(const QStringList &arguments)
{
    QList<QByteArray> storage;
    std::vector<char *> argv;
    for (const QString &argument : arguments)
        storage << argument.toLocal8Bit();
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (argv.size() < 2 || posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return secondsOf(usage);
}

double rounded(double value, int digits)
{
    const double scale = std::pow(10.0, digits);
    return std::round(value * scale) / scale;
}

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()> &predicate, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!predicate()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        waitMs(20);
    }
    return true;
}

QString mediaFile(int height, int seconds)
{
    if (height >= 1080)
        return TestMedia::h264FullHd(seconds);
    const int width = height * 16 / 9;
    const QString size = QStringLiteral("%1x%2").arg(width).arg(height);
    return TestMedia::ensure(QStringLiteral("bench_%1_%2s.mp4").arg(size).arg(seconds),
                             {"-f", "lavfi", "-i",
                              QStringLiteral("testsrc2=size=%1:rate=25:duration=%2").arg(size).arg(seconds), "-c:v",
                              "libx264", "-preset", "veryfast", "-g", "50", "-pix_fmt", "yuv420p"});
}

QString fileUrl(const QString &path)
{
    return QUrl::fromLocalFile(path).toString();
}

QList<VideoItem *> makeGrid(QQuickWindow &window, int count)
{
    QList<VideoItem *> items;
    if (count < 1)
        return items;
    const int columns = std::max(1, int(std::ceil(std::sqrt(double(count)))));
    const int rows = (count + columns - 1) / columns;
    const double width = double(window.width()) / columns;
    const double height = double(window.height()) / rows;
    for (int i = 0; i < count; ++i) {
        auto *item = new VideoItem(window.contentItem());
        item->setPosition(QPointF((i % columns) * width, (i / columns) * height));
        item->setSize(QSizeF(width, height));
        items << item;
    }
    return items;
}

} // namespace BenchTools
