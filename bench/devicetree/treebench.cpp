// Device tree benchmark (not a CTest test; bench/run-tree-bench.sh runs it under Xvfb
// against a test server process serving a large site). One run, one JSON object out:
// memory and rows made after the device list arrives, the longest GUI stall of a device
// list refresh, of opening a device and of scrolling the home tree with every device open.
// `--case large` instead opens a platform device of thousands of channels, one showing its
// sub-channels, in the home tree, and a group of those channels in a group tree: the GUI
// stall of opening each, the rows made against what the view shows, and the frames while
// scrolling through it.
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJSValue>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <ctime>
#include <cstdio>

#include "allocatortuning.h"
#include "benchclient.h"
#include "benchtools.h"
#include "clientstartup.h"
#include "deviceinfo.h"
#include "devicemanager.h"

using namespace BenchTools;

namespace {

constexpr int kPatienceMs = 120000;

// The longest wait of the GUI thread's event loop while it runs: a 2 ms timer that
// notes how late each of its ticks comes, in wall time and in the thread's CPU time.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            const qint64 cpu = threadCpuNs();
            m_longest = std::max(m_longest, now - m_last);
            m_longestCpu = std::max(m_longestCpu, cpu - m_lastCpu);
            m_last = now;
            m_lastCpu = cpu;
        });
    }
    void start()
    {
        m_longest = 0;
        m_longestCpu = 0;
        m_clock.start();
        m_last = 0;
        m_lastCpu = threadCpuNs();
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return m_longest / 1e6;
    }
    double longestCpuMs() const { return m_longestCpu / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_lastCpu = 0;
    qint64 m_longest = 0;
    qint64 m_longestCpu = 0;
};

QJsonObject stall(StallProbe &probe)
{
    const double wall = probe.stop();
    return QJsonObject{{"wall_ms", rounded(wall, 1)}, {"gui_cpu_ms", rounded(probe.longestCpuMs(), 1)}};
}

QVariant call(QObject *page, const char *name, const QVariant &a = QVariant(), const QVariant &b = QVariant())
{
    QVariant result;
    if (!a.isValid())
        QMetaObject::invokeMethod(page, name, Q_RETURN_ARG(QVariant, result));
    else if (!b.isValid())
        QMetaObject::invokeMethod(page, name, Q_RETURN_ARG(QVariant, result), Q_ARG(QVariant, a));
    else
        QMetaObject::invokeMethod(page, name, Q_RETURN_ARG(QVariant, result), Q_ARG(QVariant, a), Q_ARG(QVariant, b));
    return result;
}

void countRows(QQuickItem *item, int &rows, int &items, int *lists = nullptr)
{
    ++items;
    if (item->objectName() == QLatin1String("textArea"))
        ++rows;
    if (lists && item->inherits("QQuickListView"))
        ++*lists;
    for (QQuickItem *child : item->childItems())
        countRows(child, rows, items, lists);
}

QJsonObject rowsMade(QQuickWindow &window)
{
    int rows = 0;
    int items = 0;
    countRows(window.contentItem(), rows, items);
    return QJsonObject{{"rows", rows}, {"items", items}};
}

// Devices and channels the API client holds, read without the script engine (whose
// wrappers for ten thousand records would weigh on what is measured).
qint64 channelCount()
{
    const QList<DeviceInfo *> devices = DeviceManager::instance()->deviceList();
    qint64 count = qint64(devices.size()) * 100000;
    for (const DeviceInfo *device : devices)
        count += device->channelList().size();
    return count;
}

// Until a new device list and all its channels have come and nothing changed for a second.
bool waitForSettledList(QObject *page, int listsBefore)
{
    QElapsedTimer clock;
    clock.start();
    if (!waitUntil([&] { return page->property("lists").toInt() > listsBefore; }, kPatienceMs))
        return false;
    qint64 last = -1;
    QElapsedTimer steady;
    steady.start();
    while (clock.elapsed() < kPatienceMs) {
        const qint64 now = channelCount();
        if (now != last) {
            last = now;
            steady.restart();
        } else if (now > 0 && steady.elapsed() > 1000) {
            return true;
        }
        waitMs(50);
    }
    return false;
}

// Refreshes and reports the longest GUI stall until the new list has settled.
QJsonObject refreshStall(QObject *page)
{
    StallProbe probe;
    const int lists = page->property("lists").toInt();
    probe.start();
    call(page, "refresh");
    waitForSettledList(page, lists);
    return stall(probe);
}

QJsonObject opening(QQuickWindow &window, QObject *page)
{
    QList<double> firstFrames;
    QList<double> stalls;
    QList<double> cpuStalls;
    for (int index : {3, 7, 11}) {
        call(page, "setOpen", index, false);
        waitMs(500);
        StallProbe probe;
        bool framed = false;
        QElapsedTimer clock;
        auto connection = QObject::connect(&window, &QQuickWindow::frameSwapped, &window, [&] {
            if (!framed)
                firstFrames << clock.nsecsElapsed() / 1e6;
            framed = true;
        });
        probe.start();
        clock.start();
        call(page, "setOpen", index, true);
        waitUntil([&] { return framed; }, kPatienceMs);
        waitMs(500);
        stalls << probe.stop();
        cpuStalls << probe.longestCpuMs();
        QObject::disconnect(connection);
    }
    std::sort(firstFrames.begin(), firstFrames.end());
    std::sort(stalls.begin(), stalls.end());
    std::sort(cpuStalls.begin(), cpuStalls.end());
    return QJsonObject{{"first_frame_ms", rounded(firstFrames.value(1), 1)},
                       {"longest_stall_ms", rounded(stalls.value(1), 1)},
                       {"longest_stall_gui_cpu_ms", rounded(cpuStalls.value(1), 1)},
                       {"rows_after", rowsMade(window)}};
}

// The gaps between the frames the window shows, in wall time and in the GUI thread's CPU
// time, while it lives; `onFrame` runs at each frame with the CPU gap (-1 at the first).
class FrameGaps
{
public:
    FrameGaps(QQuickWindow &window, std::function<void(double)> onFrame) : m_onFrame(std::move(onFrame))
    {
        m_clock.start();
        m_connection = QObject::connect(&window, &QQuickWindow::frameSwapped, &window, [this] { frame(); });
    }
    ~FrameGaps() { QObject::disconnect(m_connection); }

    QJsonObject summary() const
    {
        QList<double> gaps = m_gaps;
        QList<double> cpuGaps = m_cpuGaps;
        std::sort(gaps.begin(), gaps.end());
        std::sort(cpuGaps.begin(), cpuGaps.end());
        return QJsonObject{{"frames", int(gaps.size())},
                           {"median_gap_ms", rounded(gaps.value(gaps.size() / 2), 1)},
                           {"longest_gap_ms", rounded(gaps.isEmpty() ? 0 : gaps.last(), 1)},
                           {"longest_gap_gui_cpu_ms", rounded(cpuGaps.isEmpty() ? 0 : cpuGaps.last(), 1)}};
    }

private:
    void frame()
    {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        double cpuGap = -1;
        if (m_last >= 0) {
            m_gaps << (now - m_last) / 1e6;
            cpuGap = (cpu - m_lastCpu) / 1e6;
            m_cpuGaps << cpuGap;
        }
        m_last = now;
        m_lastCpu = cpu;
        m_onFrame(cpuGap);
    }

    std::function<void(double)> m_onFrame;
    QMetaObject::Connection m_connection;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    qint64 m_lastCpu = 0;
    QList<double> m_gaps;
    QList<double> m_cpuGaps;
};

// Every device opened, then 40 px further at each frame through `frames` frames.
QJsonObject scrolling(QQuickWindow &window, QObject *page, int frames)
{
    StallProbe openProbe;
    openProbe.start();
    QElapsedTimer openClock;
    openClock.start();
    call(page, "openAll");
    const double openAllMs = openClock.nsecsElapsed() / 1e6;
    waitMs(1500);
    const double openAllStall = openProbe.stop();
    const double height = call(page, "contentHeight").toDouble();
    QList<QPair<double, double>> worst;
    int frame = 0;
    double y = 0;
    QJsonObject gaps;
    {
        FrameGaps recorder(window, [&](double cpuGapMs) {
            if (cpuGapMs >= 0)
                worst << qMakePair(cpuGapMs, y);
            if (frame++ < frames) {
                y += 40;
                call(page, "scrollTo", y);
            }
        });
        call(page, "scrollTo", y);
        window.update();
        waitUntil([&] { return frame > frames; }, kPatienceMs);
        gaps = recorder.summary();
    }
    const QJsonObject rows = rowsMade(window);
    // The three frames of most GUI work, with the scroll position they drew.
    std::sort(worst.begin(), worst.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QJsonArray worstFrames;
    for (int i = 0; i < qMin(3, int(worst.size())); ++i)
        worstFrames.append(QJsonObject{{"gui_cpu_ms", rounded(worst[i].first, 1)}, {"content_y", worst[i].second}});
    QJsonObject result{{"content_height", height},
                       {"open_all_call_ms", rounded(openAllMs, 1)},
                       {"open_all_stall_ms", rounded(openAllStall, 1)},
                       {"worst_frames", worstFrames},
                       {"rows_while_scrolling", rows}};
    for (auto figure = gaps.constBegin(); figure != gaps.constEnd(); ++figure)
        result[figure.key()] = figure.value();
    return result;
}

// The rows and items of a tree, and its lists: each keeps its current row made, on
// screen or not.
QJsonObject rowsIn(QObject *page, const char *tree)
{
    int rows = 0;
    int items = 0;
    int lists = 0;
    if (auto *item = page->property(tree).value<QQuickItem *>())
        countRows(item, rows, items, &lists);
    return QJsonObject{{"rows", rows}, {"items", items}, {"lists", lists}};
}

// `step` px further at each frame from `from` to `to`: the gaps between frames.
QJsonObject scrollThrough(QQuickWindow &window, QObject *page, const QString &tree, double from, double to,
                          double step)
{
    double y = from;
    bool done = false;
    FrameGaps recorder(window, [&](double) {
        if (y >= to) {
            done = true;
            return;
        }
        y = std::min(to, y + step);
        call(page, "scrollTreeTo", tree, y);
    });
    call(page, "scrollTreeTo", tree, y);
    window.update();
    waitUntil([&] { return done; }, kPatienceMs);
    return recorder.summary();
}

// What an opened top row of `tree` (at `index`) costs: the longest stall until its rows
// stand, the rows made, and scrolling through it; `open` opens it, `opened` says when its
// rows are there.
QJsonObject openAndScroll(QQuickWindow &window, QObject *page, const QString &tree, int index,
                          const std::function<void()> &open, const std::function<bool()> &opened)
{
    const char *treeProperty = tree == QLatin1String("group") ? "groupTree" : "homeTree";
    waitMs(500);
    StallProbe probe;
    bool framed = false;
    auto connection = QObject::connect(&window, &QQuickWindow::frameSwapped, &window, [&] { framed = true; });
    probe.start();
    open();
    waitUntil([&] { return opened(); }, kPatienceMs);
    framed = false;
    waitUntil([&] { return framed; }, kPatienceMs);
    waitMs(500);
    QObject::disconnect(connection);
    QJsonObject result{{"open_stall", stall(probe)},
                       {"rows_shown_with_margin", call(page, "rowsShownWithMargin", tree).toInt()},
                       {"rows_after_open", rowsIn(page, treeProperty)}};
    QVariant spanValue = call(page, "rowSpan", tree, index);
    if (spanValue.canConvert<QJSValue>())
        spanValue = spanValue.value<QJSValue>().toVariant();
    const QVariantList span = spanValue.toList();
    const double top = span.value(0).toDouble();
    const double viewHeight = page->property(treeProperty).value<QQuickItem *>()->property("listView")
                                  .value<QQuickItem *>()->height();
    const double end = std::max(top, span.value(1).toDouble() - viewHeight);
    result["row_height_px"] = span.value(1).toDouble() - top;
    waitMs(300);
    result["scroll_through"] = scrollThrough(window, page, tree, top, end, 120);
    for (const auto &[name, y] : {std::pair{"rows_in_the_middle", (top + end) / 2}, std::pair{"rows_at_the_end", end}}) {
        call(page, "scrollTreeTo", tree, y);
        waitMs(300);
        result[name] = rowsIn(page, treeProperty);
    }
    return result;
}

QJsonObject largeDevice(QQuickWindow &window, QObject *page)
{
    const int index = call(page, "deviceIndex", QStringLiteral("平台设备")).toInt();
    if (index < 0)
        return QJsonObject{{"error", "no platform device"}};
    call(page, "setOpen", index, false);
    int subChannels = 0;
    waitUntil([&] { return (subChannels = call(page, "openSubChannels", index).toInt()) > 0; }, kPatienceMs);
    QJsonObject result = openAndScroll(
        window, page, QStringLiteral("home"), index, [&] { call(page, "setOpen", index, true); }, [] { return true; });
    result["sub_channels_open"] = subChannels;
    return result;
}

QJsonObject largeGroup(QQuickWindow &window, QObject *page)
{
    call(page, "loadGroups");
    int index = -1;
    waitUntil([&] { return (index = call(page, "groupIndex", QStringLiteral("平台分组")).toInt()) >= 0; }, kPatienceMs);
    if (index < 0)
        return QJsonObject{{"error", "no platform group"}};
    call(page, "openGroup", index);
    if (!waitUntil([&] { return call(page, "groupAnswered", index).toBool(); }, kPatienceMs))
        return QJsonObject{{"error", "the group did not answer"}};
    return openAndScroll(
        window, page, QStringLiteral("group"), index, [&] { call(page, "openGroupDevice", index); },
        [&] { return call(page, "groupDeviceAnswered", index).toBool(); });
}

} // namespace

int main(int argc, char **argv)
{
    AllocatorTuning::apply();
    QQuickStyle::setStyle(QStringLiteral("Universal"));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    for (const char *name : {"host", "port", "user", "password", "trees", "frames", "qml-root", "case"})
        parser.addOption({QString::fromLatin1(name), QString::fromLatin1(name), QStringLiteral("value")});
    parser.process(app);
    const bool trees = parser.value("trees") != QLatin1String("0");
    const int frames = parser.value("frames").isEmpty() ? 500 : parser.value("frames").toInt();
    const bool large = parser.value("case") == QLatin1String("large");

    BenchClient::start(parser.value("host"), parser.value("port"));

    QQmlEngine engine;
    ClientStartup::prepareEngine(engine);
    QQuickWindow window;
    window.resize(1688, 904);
    window.show();
    QObject *page = BenchClient::loadScene(engine, window, QStringLiteral(ZELKA_TREE_BENCH_QML),
                                           {{"trees", trees}, {"groups", large}}, parser.value("qml-root"));
    if (!page)
        return 1;
    waitMs(300);

    const double startMb = residentMegabytes();
    call(page, "logIn", parser.value("user"), parser.value("password"));
    if (!waitUntil([&] { return page->property("loggedIn").toBool(); }, kPatienceMs)) {
        std::fprintf(stderr, "no login\n");
        return 1;
    }
    StallProbe loadProbe;
    loadProbe.start();
    call(page, "refresh");
    if (!waitForSettledList(page, 0)) {
        std::fprintf(stderr, "the device list did not settle\n");
        return 1;
    }
    const QJsonObject loadStall = stall(loadProbe);
    waitMs(1000);
    if (large) {
        const QJsonObject result{{"case", "large"},
                                 {"large_device", largeDevice(window, page)},
                                 {"large_group", largeGroup(window, page)}};
        std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
        delete page;
        return 0;
    }
    QJsonObject result{{"trees", trees},
                       {"devices", int(DeviceManager::instance()->deviceList().size())},
                       {"load_stall", loadStall},
                       {"loaded_mb", rounded(residentMegabytes() - startMb, 1)},
                       {"rows_after_load", rowsMade(window)}};
    QList<QJsonObject> refreshes;
    for (int i = 0; i < 3; ++i)
        refreshes << refreshStall(page);
    // The middle one by wall time.
    std::sort(refreshes.begin(), refreshes.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return a.value("wall_ms").toDouble() < b.value("wall_ms").toDouble();
    });
    result["refresh_stall"] = refreshes.value(1);
    result["refreshed_mb"] = rounded(residentMegabytes() - startMb, 1);
    if (trees) {
        result["open_device"] = opening(window, page);
        result["scroll_all_open"] = scrolling(window, page, frames);
        // Every device open, scrolled into the middle of the site.
        result["refresh_stall_all_open"] = refreshStall(page);
        result["final_mb"] = rounded(residentMegabytes() - startMb, 1);
    }
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    delete page;
    return 0;
}
