#include "closescenario.h"

#include <QElapsedTimer>
#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <algorithm>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "benchtools.h"
#include "localservers.h"
#include "videoitem.h"

using namespace BenchTools;

namespace CloseScenario {

namespace {

constexpr int kReleaseAfterMs = 1000;
constexpr int kWatchAfterMs = 3000;

// A square that turns all the time: the window draws a frame every refresh, and
// every frame is animated on the GUI thread.
std::unique_ptr<QQuickItem> spinner(QQmlEngine &engine, QQuickWindow &window)
{
    QQmlComponent component(&engine);
    component.setData("import QtQuick\n"
                      "Rectangle { width: 60; height: 60; color: 'orange'; z: 10\n"
                      "  RotationAnimation on rotation { from: 0; to: 360; duration: 1000; "
                      "loops: Animation.Infinite } }",
                      QUrl());
    std::unique_ptr<QQuickItem> item(qobject_cast<QQuickItem *>(component.create()));
    if (item)
        item->setParentItem(window.contentItem());
    return item;
}

// Times of the GUI thread's animation steps.
class FrameClock
{
public:
    explicit FrameClock(QQuickWindow &window)
    {
        m_timer.start();
        m_connection = QObject::connect(&window, &QQuickWindow::afterAnimating, &window,
                                        [this] { m_stamps.push_back(m_timer.elapsed()); });
    }
    ~FrameClock() { QObject::disconnect(m_connection); }

    qint64 now() const { return m_timer.elapsed(); }
    // The longest gap between animation steps from start to end (ms of this clock).
    qint64 longestGap(qint64 start, qint64 end) const
    {
        qint64 longest = 0, previous = start;
        for (const qint64 stamp : m_stamps) {
            if (stamp < start)
                continue;
            if (stamp > end)
                break;
            longest = std::max(longest, stamp - previous);
            previous = stamp;
        }
        return std::max(longest, end - previous);
    }
    // The PERCENTILE-th percentile (nearest rank) of the gaps between animation steps from
    // start to end: one long gap moves the longest gap, and a run's other frames drown it here.
    qint64 gapPercentile(qint64 start, qint64 end, int percentile) const
    {
        std::vector<qint64> gaps;
        qint64 previous = -1;
        for (const qint64 stamp : m_stamps) {
            if (stamp < start)
                continue;
            if (stamp > end)
                break;
            if (previous >= 0)
                gaps.push_back(stamp - previous);
            previous = stamp;
        }
        if (gaps.empty())
            return -1;
        const size_t rank = (gaps.size() * size_t(percentile) + 99) / 100;
        std::nth_element(gaps.begin(), gaps.begin() + (rank - 1), gaps.end());
        return gaps[rank - 1];
    }
    int frames(qint64 start, qint64 end) const
    {
        int count = 0;
        for (const qint64 stamp : m_stamps)
            count += stamp >= start && stamp <= end ? 1 : 0;
        return count;
    }

private:
    QElapsedTimer m_timer;
    std::vector<qint64> m_stamps;
    QMetaObject::Connection m_connection;
};

int libraryThreads()
{
    return threadsNamed("zelka-reader") + threadsNamed("zelka-decoder");
}

// Watches for the library's threads to end on a thread of its own: reading /proc for
// hundreds of threads takes tens of milliseconds, which on the GUI thread the animation
// would count as the client's stall.
class ThreadWatch
{
public:
    ThreadWatch()
        : m_thread([this] { run(); })
    {
    }
    ~ThreadWatch()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    // Milliseconds from the watch's start until no library thread was left; -1 until then.
    qint64 goneAfterMs() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_goneAfterMs;
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            lock.unlock();
            const bool gone = libraryThreads() == 0;
            lock.lock();
            if (gone) {
                m_goneAfterMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - m_start)
                                    .count();
                return;
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_stop; });
        }
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    qint64 m_goneAfterMs = -1;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    // Last: its thread uses everything above.
    std::thread m_thread;
};

// FIFOs nobody writes to: opening one for reading blocks in the kernel.
class Fifos
{
public:
    explicit Fifos(int count)
    {
        for (int i = 0; i < count; ++i) {
            const QString path = m_dir.filePath(QStringLiteral("fifo%1").arg(i));
            if (mkfifo(QFile::encodeName(path).constData(), 0600) == 0)
                m_paths << path;
        }
    }
    const QStringList &paths() const { return m_paths; }
    // A writer that comes and goes lets every blocked open return.
    void release() const
    {
        for (const QString &path : m_paths) {
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    }

private:
    QTemporaryDir m_dir;
    QStringList m_paths;
};

} // namespace

QJsonObject run(QQuickWindow &window, int count, const QString &source)
{
    QJsonObject result;
    result["items"] = count;
    result["source"] = source;

    std::unique_ptr<RtspTestServer> live;
    std::unique_ptr<SilentServer> silent;
    std::unique_ptr<Fifos> fifos;
    QStringList urls;
    if (source == QLatin1String("live")) {
        live = std::make_unique<RtspTestServer>();
        live->mount("/live", RtspTestServer::liveLaunch(), RtspMountOptions::live());
        if (!live->start())
            return result;
        for (int i = 0; i < count; ++i)
            urls << live->url("/live");
    } else if (source == QLatin1String("stalled")) {
        silent = std::make_unique<SilentServer>();
        for (int i = 0; i < count; ++i)
            urls << QStringLiteral("rtsp://127.0.0.1:%1/stalled").arg(silent->port());
    } else if (source == QLatin1String("stuck")) {
        fifos = std::make_unique<Fifos>(count);
        for (const QString &path : fifos->paths())
            urls << fileUrl(path);
    }
    if (urls.size() != count)
        return result;

    QQmlEngine engine;
    const std::unique_ptr<QQuickItem> animation = spinner(engine, window);
    // From the tiles' making to the end: the whole run's frame gaps.
    FrameClock clock(window);
    QList<VideoItem *> items = makeGrid(window, count);
    for (int i = 0; i < count; ++i)
        items[i]->setVideoUrl(urls[i]);
    if (live) {
        result["started"] = waitUntil([&] {
            for (const VideoItem *item : items) {
                if (item->drawnFrameCount() < 1)
                    return false;
            }
            return true;
        }, 60000);
    }
    const qint64 playing = clock.now();
    waitMs(2500);
    const qint64 before = clock.now();
    qDeleteAll(items);
    const qint64 deleted = clock.now();
    if (fifos) {
        waitMs(kReleaseAfterMs);
        fifos->release();
    }
    const qint64 released = clock.now();
    bool gone = false;
    qint64 threadsGone = 0;
    {
        const qint64 watchStart = clock.now();
        const ThreadWatch watch;
        gone = waitUntil([&] { return watch.goneAfterMs() >= 0; }, 30000);
        threadsGone = gone ? watchStart + watch.goneAfterMs() : clock.now();
    }
    const qint64 watchedUntil = std::max(threadsGone, deleted + kWatchAfterMs);
    if (clock.now() < watchedUntil)
        waitMs(int(watchedUntil - clock.now()));

    result["deletion_ms"] = deleted - before;
    result["longest_gui_gap_ms_before"] = clock.longestGap(before - 1000, before);
    result["longest_gui_gap_ms"] = clock.longestGap(before, watchedUntil);
    result["gui_gap_p99_ms"] = clock.gapPercentile(0, watchedUntil, 99);
    result["gui_gap_p99_ms_playing"] = clock.gapPercentile(playing, before, 99);
    result["animation_frames_per_second"] =
        rounded(clock.frames(before, watchedUntil) * 1000.0 / double(watchedUntil - before), 1);
    result["threads_gone"] = gone;
    // Stuck readers can only end once their call returned.
    result["threads_gone_ms"] = threadsGone - (fifos ? released : before);
    result["threads_left"] = libraryThreads();
    if (live && !live->isRunning()) // GStreamer's RTSP server ended on a fault of its own
        result["rtsp_server_ended"] = live->endReport();
    return result;
}

} // namespace CloseScenario
