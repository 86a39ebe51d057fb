// Video item benchmark: one scenario per run, one JSON object on standard output.
//   grid    N items playing one file in a window: frames drawn per second against
//           expected, CPU per drawn frame (render threads apart), memory per item.
//   idle    N items without a stream: CPU of the whole process.
//   pacing  one item playing a file to its end: frames drawn and wall time.
//   decode  "ffmpeg -threads 1" decode-only CPU per frame of a file.
// Run under Xvfb (bench/run-video-bench.sh) so that the scene graph uses OpenGL.
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickWindow>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testmedia.h"
#include "videoinfo.h"
#include "videoitem.h"

namespace {

struct CpuSplit
{
    double total = 0;  // whole process, seconds
    double render = 0; // Qt's render thread and Mesa's rasteriser threads
    double gui = 0;    // the GUI thread
    double pacers = 0; // the items' pacing threads
};

double ticksToSeconds(long long ticks)
{
    return double(ticks) / double(sysconf(_SC_CLK_TCK));
}

bool isRenderThread(const QByteArray &name)
{
    return name.startsWith("QSGRenderThread") || name.startsWith("llvmpipe");
}

CpuSplit processCpu()
{
    CpuSplit split;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    split.total = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(task));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const int open = line.indexOf('('), close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (open < 0 || close < open || fields.size() <= 12)
            continue;
        const QByteArray name = line.mid(open + 1, close - open - 1);
        const double seconds = ticksToSeconds(fields[11].toLongLong() + fields[12].toLongLong());
        if (isRenderThread(name))
            split.render += seconds;
        else if (name == "VideoPacer")
            split.pacers += seconds;
        else if (task.toLongLong() == getpid())
            split.gui += seconds;
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

double rounded(double value, int digits = 3)
{
    const double scale = std::pow(10.0, digits);
    return std::round(value * scale) / scale;
}

// Sleeps in the event loop (processEvents alone would spin).
void sleepInEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void waitMs(int ms)
{
    sleepInEventLoop(ms);
}

bool waitUntil(const std::function<bool()> &predicate, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!predicate()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        sleepInEventLoop(20);
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

// Items in a near-square grid filling the window.
QList<VideoItem *> makeGrid(QQuickWindow &window, int count)
{
    const int columns = std::max(1, int(std::ceil(std::sqrt(double(count)))));
    const int rows = (count + columns - 1) / columns;
    const double width = double(window.width()) / columns;
    const double height = double(window.height()) / rows;
    QList<VideoItem *> items;
    if (count < 1)
        return items;
    for (int i = 0; i < count; ++i) {
        auto *item = new VideoItem(window.contentItem());
        item->setPosition(QPointF((i % columns) * width, (i / columns) * height));
        item->setSize(QSizeF(width, height));
        items << item;
    }
    return items;
}

quint64 drawnFrames(const QList<VideoItem *> &items)
{
    quint64 sum = 0;
    for (const VideoItem *item : items)
        sum += item->drawnFrameCount();
    return sum;
}

QJsonObject runGrid(QQuickWindow &window, int count, int height, int measureSeconds)
{
    const QString file = mediaFile(height, measureSeconds + 8);
    const double rssBefore = residentMegabytes();
    QList<VideoItem *> items = makeGrid(window, count);
    for (VideoItem *item : items)
        item->setVideoUrl(fileUrl(file));
    const bool started = waitUntil([&] {
        for (const VideoItem *item : items) {
            if (item->drawnFrameCount() < 2)
                return false;
        }
        return true;
    }, 20000);
    waitMs(1500);
    std::atomic<int> swaps{0};
    const QMetaObject::Connection counting = QObject::connect(&window, &QQuickWindow::frameSwapped, &window,
                                                              [&] { swaps.fetch_add(1); }, Qt::DirectConnection);
    const CpuSplit cpuStart = processCpu();
    const quint64 drawnStart = drawnFrames(items);
    QElapsedTimer wall;
    wall.start();
    waitMs(measureSeconds * 1000);
    const double seconds = wall.elapsed() / 1000.0;
    const quint64 drawn = drawnFrames(items) - drawnStart;
    const CpuSplit cpuEnd = processCpu();
    QObject::disconnect(counting);
    const double rssAfter = residentMegabytes();
    const double expected = 25.0 * count;
    const double renderCpu = cpuEnd.render - cpuStart.render;
    const double otherCpu = (cpuEnd.total - cpuStart.total) - renderCpu;

    QJsonObject result;
    result["items"] = count;
    result["height"] = height;
    result["started"] = started;
    result["seconds"] = rounded(seconds, 2);
    result["frames_drawn_per_second"] = rounded(double(drawn) / seconds, 1);
    result["frames_expected_per_second"] = expected;
    result["drawn_share"] = rounded(double(drawn) / seconds / expected);
    result["cpu_ms_per_frame_without_render"] = drawn ? rounded(otherCpu * 1000 / double(drawn)) : -1;
    result["render_cpu_ms_per_frame"] = drawn ? rounded(renderCpu * 1000 / double(drawn)) : -1;
    result["gui_cpu_ms_per_frame"] = drawn ? rounded((cpuEnd.gui - cpuStart.gui) * 1000 / double(drawn)) : -1;
    result["pacer_cpu_ms_per_frame"] = drawn ? rounded((cpuEnd.pacers - cpuStart.pacers) * 1000 / double(drawn)) : -1;
    result["render_cpu_share"] = rounded(renderCpu / std::max(1e-9, cpuEnd.total - cpuStart.total));
    result["window_frames_per_second"] = rounded(swaps.load() / seconds, 1);
    result["rss_mb_per_item"] = rounded((rssAfter - rssBefore) / count, 2);
    result["file"] = QFileInfo(file).fileName();
    qDeleteAll(items);
    return result;
}

QJsonObject runIdle(QQuickWindow &window, int count, int measureSeconds)
{
    QList<VideoItem *> items = makeGrid(window, count);
    waitMs(1000);
    const CpuSplit start = processCpu();
    waitMs(measureSeconds * 1000);
    const CpuSplit end = processCpu();
    QJsonObject result;
    result["items"] = count;
    result["seconds"] = measureSeconds;
    result["cpu_percent_of_one_core"] = rounded((end.total - start.total) / measureSeconds * 100, 3);
    qDeleteAll(items);
    return result;
}

QJsonObject runPacing(QQuickWindow &window, int seconds)
{
    const QString file = mediaFile(360, seconds);
    QList<VideoItem *> items = makeGrid(window, 1);
    VideoItem *item = items.first();
    QElapsedTimer wall;
    bool ended = false;
    QObject::connect(item, &VideoItem::finished, item, [&] { ended = true; });
    item->setVideoUrl(fileUrl(file));
    waitUntil([&] { return item->drawnFrameCount() >= 1; }, 10000);
    wall.start();
    waitUntil([&] { return ended; }, (seconds + 10) * 1000);
    const double elapsed = wall.elapsed() / 1000.0;
    // The last picture is handed over just before the end is reported.
    waitMs(200);
    QJsonObject result;
    result["file_seconds"] = seconds;
    result["frames_expected"] = seconds * 25;
    result["frames_drawn"] = qint64(item->drawnFrameCount());
    result["frames_missed"] = qint64(item->missedFrameCount());
    result["seconds_first_to_end"] = rounded(elapsed, 3);
    result["frame_error_percent"] = rounded((double(item->drawnFrameCount()) / (seconds * 25) - 1) * 100, 2);
    result["time_error_percent"] = rounded((elapsed / seconds - 1) * 100, 2);
    qDeleteAll(items);
    return result;
}

// CPU seconds of "ffmpeg -threads 1" decoding the file to nothing.
QJsonObject runDecode(int height, int seconds)
{
    const QString file = mediaFile(height, seconds);
    const QByteArray path = QFile::encodeName(file);
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("ffmpeg", "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-threads", "1", "-i",
               path.constData(), "-f", "null", "-", static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    QJsonObject result;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return result;
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result["height"] = height;
    result["frames"] = seconds * 25;
    result["ffmpeg_cpu_ms_per_frame"] = rounded(cpu * 1000 / (seconds * 25));
    return result;
}

int argumentValue(const QStringList &arguments, const QString &name, int fallback)
{
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    // The decode baseline needs no display.
    std::unique_ptr<QCoreApplication> app(mode == "decode" ? new QCoreApplication(argc, argv)
                                                           : new QGuiApplication(argc, argv));
    const QStringList arguments = app->arguments();
    const int items = argumentValue(arguments, "--items", 1);
    const int height = argumentValue(arguments, "--height", 1080);
    const int seconds = argumentValue(arguments, "--seconds", 6);

    QJsonObject result;
    if (mode == "decode") {
        result = runDecode(height, seconds);
    } else {
        QQuickWindow window;
        window.setColor(Qt::black);
        window.resize(1600, 900);
        window.show();
        waitMs(300);
        result["graphics"] = window.rendererInterface()->graphicsApi() == QSGRendererInterface::Software
            ? "software" : "rhi";
        if (mode == "grid")
            result = runGrid(window, items, height, seconds);
        else if (mode == "idle")
            result = runIdle(window, items, seconds);
        else if (mode == "pacing")
            result = runPacing(window, seconds);
        result["graphics"] = window.rendererInterface()->graphicsApi() == QSGRendererInterface::Software
            ? "software" : "rhi";
    }
    result["mode"] = mode;
    fputs(QJsonDocument(result).toJson(QJsonDocument::Compact).constData(), stdout);
    fputs("\n", stdout);
    return result.size() > 1 ? 0 : 1;
}
