#include "playbackscenarios.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QQuickWindow>

#include <atomic>

#include "benchtools.h"
#include "videoitem.h"

using namespace BenchTools;

namespace PlaybackScenarios {

namespace {

constexpr double kStreamRate = 25.0;

quint64 drawnFrames(const QList<VideoItem *> &items)
{
    quint64 sum = 0;
    for (const VideoItem *item : items)
        sum += item->drawnFrameCount();
    return sum;
}

quint64 receivedFrames(const QList<VideoItem *> &items)
{
    quint64 sum = 0;
    for (const VideoItem *item : items)
        sum += item->receivedFrameCount();
    return sum;
}

double perFrameMs(double seconds, quint64 frames)
{
    return frames ? rounded(seconds * 1000 / double(frames)) : -1;
}

} // namespace

QJsonObject grid(QQuickWindow &window, int count, int height, int measureSeconds)
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
    }, 30000);
    waitMs(1500);
    std::atomic<int> swaps{0};
    const QMetaObject::Connection counting = QObject::connect(&window, &QQuickWindow::frameSwapped, &window,
                                                              [&] { swaps.fetch_add(1); }, Qt::DirectConnection);
    const CpuSplit cpuStart = processCpu();
    const quint64 drawnStart = drawnFrames(items);
    const quint64 receivedStart = receivedFrames(items);
    QElapsedTimer wall;
    wall.start();
    waitMs(measureSeconds * 1000);
    const double seconds = wall.elapsed() / 1000.0;
    const quint64 drawn = drawnFrames(items) - drawnStart;
    const quint64 received = receivedFrames(items) - receivedStart;
    const CpuSplit cpuEnd = processCpu();
    QObject::disconnect(counting);
    const double rssAfter = residentMegabytes();
    const double expected = kStreamRate * count;
    const double renderCpu = cpuEnd.render - cpuStart.render;
    const double otherCpu = (cpuEnd.total - cpuStart.total) - renderCpu;

    QJsonObject result;
    result["items"] = count;
    result["height"] = height;
    result["started"] = started;
    result["seconds"] = rounded(seconds, 2);
    result["frames_expected_per_second"] = expected;
    result["frames_received_per_second"] = rounded(double(received) / seconds, 1);
    result["frames_drawn_per_second"] = rounded(double(drawn) / seconds, 1);
    result["drawn_share"] = rounded(double(drawn) / seconds / expected);
    result["cpu_ms_per_frame_without_render"] = perFrameMs(otherCpu, drawn);
    result["render_cpu_ms_per_frame"] = perFrameMs(renderCpu, drawn);
    result["library_cpu_ms_per_frame"] = perFrameMs(cpuEnd.library - cpuStart.library, drawn);
    result["gui_cpu_ms_per_frame"] = perFrameMs(cpuEnd.gui - cpuStart.gui, drawn);
    result["pacer_cpu_ms_per_frame"] = perFrameMs(cpuEnd.pacers - cpuStart.pacers, drawn);
    result["render_cpu_share"] = rounded(renderCpu / std::max(1e-9, cpuEnd.total - cpuStart.total));
    result["window_frames_per_second"] = rounded(swaps.load() / seconds, 1);
    result["rss_mb_per_item"] = rounded((rssAfter - rssBefore) / count, 2);
    result["file"] = QFileInfo(file).fileName();
    qDeleteAll(items);
    return result;
}

QJsonObject idle(QQuickWindow &window, int count, int measureSeconds)
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

QJsonObject pacing(QQuickWindow &window, int seconds)
{
    const QString file = mediaFile(360, seconds);
    QList<VideoItem *> items = makeGrid(window, 1);
    VideoItem *item = items.first();
    QElapsedTimer wall;
    bool ended = false;
    QObject::connect(item, &VideoItem::finished, item, [&] { ended = true; });
    item->setVideoUrl(fileUrl(file));
    waitUntil([&] { return item->drawnFrameCount() >= 1; }, 30000);
    wall.start();
    waitUntil([&] { return ended; }, (seconds + 30) * 1000);
    const double elapsed = wall.elapsed() / 1000.0;
    // The last picture is handed over just before the end is reported.
    waitMs(200);
    const int expected = int(seconds * kStreamRate);
    QJsonObject result;
    result["file_seconds"] = seconds;
    result["frames_expected"] = expected;
    result["frames_received"] = qint64(item->receivedFrameCount());
    result["frames_drawn"] = qint64(item->drawnFrameCount());
    result["frames_missed"] = qint64(item->missedFrameCount());
    result["seconds_first_to_end"] = rounded(elapsed, 3);
    result["frame_error_percent"] = rounded((double(item->drawnFrameCount()) / expected - 1) * 100, 2);
    // The first picture is drawn at 0 and the last one a frame interval before the end.
    result["time_error_percent"] = rounded((elapsed / (seconds - 1 / kStreamRate) - 1) * 100, 2);
    qDeleteAll(items);
    return result;
}

} // namespace PlaybackScenarios
