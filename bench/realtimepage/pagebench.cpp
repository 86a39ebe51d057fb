// Real-time view page benchmark (not a CTest test; bench/run-page-bench.sh runs it under
// Xvfb against a test server process). One scenario per process, one JSON object out:
//   --scenario empty   the page without streams: construction time and memory, CPU of
//                      its 144 empty tiles, one recomputation of every layout
//   --scenario play    `--tiles` channels of a group carousel in the layout `--layout`:
//                      time until every tile shows video, pictures drawn per second
//                      against the stream's rate (key frames in key-frame mode), CPU
//                      per drawn picture against ffmpeg on the same stream, memory per tile
//   --hide WHAT        with play: once every tile shows video, tiles go out of sight
//                      ("layout:N" another layout, "maximise" tile 0 over the others,
//                      "page" the page hidden): CPU and the pictures decoded and drawn
//                      by the hidden and the shown tiles; then back in sight: the time
//                      until each tile shown again draws a new picture
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QQuickWindow>

#include <algorithm>
#include <cstdio>

#include "allocatortuning.h"
#include "baselines.h"
#include "benchclient.h"
#include "benchtools.h"
#include "clientstartup.h"
#include "videoitem.h"

using namespace BenchTools;

namespace {

constexpr int kStreamRate = 25;
constexpr int kPatienceMs = 60000;

struct Options
{
    QString scenario;
    QString host;
    QString port;
    QString user;
    QString password;
    QString layoutFile;
    QString streamUrl;
    QString hide;
    int layout = 0;
    int tiles = 0;
    int firstChannel = 0;
    int seconds = 10;
};

Options parse(const QCoreApplication &app)
{
    QCommandLineParser parser;
    for (const char *name : {"scenario", "host", "port", "user", "password", "layout-file", "stream-url", "layout",
                             "tiles", "first-channel", "seconds", "hide"})
        parser.addOption({QString::fromLatin1(name), QString::fromLatin1(name), QStringLiteral("value")});
    parser.process(app);
    Options options;
    options.scenario = parser.value("scenario");
    options.host = parser.value("host");
    options.port = parser.value("port");
    options.user = parser.value("user");
    options.password = parser.value("password");
    options.layoutFile = parser.value("layout-file");
    options.streamUrl = parser.value("stream-url");
    options.hide = parser.value("hide");
    options.layout = parser.value("layout").toInt();
    options.tiles = parser.value("tiles").toInt();
    options.firstChannel = parser.value("first-channel").toInt();
    options.seconds = qMax(1, parser.value("seconds").toInt());
    return options;
}

// By the visual tree: the tiles' loaders make their video items without a QObject parent.
void collectVideoItems(QQuickItem *item, QList<VideoItem *> &found)
{
    if (auto *video = qobject_cast<VideoItem *>(item))
        found << video;
    for (QQuickItem *child : item->childItems())
        collectVideoItems(child, found);
}

QList<VideoItem *> videoItems(QQuickWindow &window)
{
    QList<VideoItem *> found;
    collectVideoItems(window.contentItem(), found);
    return found;
}

quint64 drawnPictures(const QList<VideoItem *> &items)
{
    quint64 drawn = 0;
    for (VideoItem *item : items)
        drawn += item->drawnFrameCount();
    return drawn;
}

int showingVideo(const QList<VideoItem *> &items)
{
    int count = 0;
    for (VideoItem *item : items)
        count += item->drawnFrameCount() > 0 ? 1 : 0;
    return count;
}

QJsonObject cpuObject(const CpuSplit &split, double perUnit)
{
    return QJsonObject{{"total_ms", rounded(split.total * 1000 / perUnit)},
                       {"render_ms", rounded(split.render * 1000 / perUnit)},
                       {"gui_ms", rounded(split.gui * 1000 / perUnit)},
                       {"pacers_ms", rounded(split.pacers * 1000 / perUnit)},
                       {"library_ms", rounded(split.library * 1000 / perUnit)}};
}

CpuSplit difference(const CpuSplit &after, const CpuSplit &before)
{
    return CpuSplit{after.total - before.total, after.render - before.render, after.gui - before.gui,
                    after.pacers - before.pacers, after.library - before.library};
}

QJsonObject emptyPage(QQuickWindow &window, QObject *page, const Options &options, double constructionMs,
                      double constructionMb)
{
    QJsonObject result{{"scenario", "empty"}, {"tiles", 144}};
    result["construction_ms"] = rounded(constructionMs, 1);
    result["construction_mb"] = rounded(constructionMb, 1);
    waitMs(2000);
    const CpuSplit before = processCpu();
    waitMs(options.seconds * 1000);
    const CpuSplit spent = difference(processCpu(), before);
    result["cpu_percent_idle"] = rounded(spent.total * 100 / options.seconds, 2);
    QVariant ms;
    QMetaObject::invokeMethod(page, "recalcMs", Q_RETURN_ARG(QVariant, ms), Q_ARG(QVariant, 20));
    result["recalc_layouts_ms"] = rounded(ms.toDouble(), 2);
    result["video_items"] = int(videoItems(window).size());
    return result;
}

quint64 receivedPictures(const QList<VideoItem *> &items)
{
    quint64 received = 0;
    for (VideoItem *item : items)
        received += item->receivedFrameCount();
    return received;
}

QList<VideoItem *> inSight(const QList<VideoItem *> &items, bool visible)
{
    QList<VideoItem *> chosen;
    for (VideoItem *item : items) {
        if (item->isVisible() == visible)
            chosen << item;
    }
    return chosen;
}

// Takes tiles out of sight (on) or brings them back (off), as the option says.
void hideTiles(QObject *page, const QString &what, int playedLayout, bool on)
{
    if (what.startsWith(QLatin1String("layout:"))) {
        const int layout = on ? what.mid(7).toInt() : playedLayout;
        QMetaObject::invokeMethod(page, "switchLayout", Q_ARG(QVariant, layout));
    } else if (what == QLatin1String("maximise")) {
        QMetaObject::invokeMethod(page, "maximise", Q_ARG(QVariant, 0), Q_ARG(QVariant, on));
    } else if (what == QLatin1String("page")) {
        QMetaObject::invokeMethod(page, "showPage", Q_ARG(QVariant, !on));
    }
}

double median(QList<qint64> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? double(values[middle]) : (values[middle - 1] + values[middle]) / 2.0;
}

// Hidden tiles keep their streams; what they cost out of sight, and how soon each shows a
// new picture once back in sight.
void measureHidden(QJsonObject &result, QQuickWindow &window, QObject *page, const Options &options)
{
    const QList<VideoItem *> all = videoItems(window);
    hideTiles(page, options.hide, options.layout, true);
    waitMs(2000);
    const QList<VideoItem *> hidden = inSight(all, false);
    const QList<VideoItem *> shown = inSight(all, true);
    const quint64 hiddenReceived = receivedPictures(hidden);
    const quint64 hiddenDrawn = drawnPictures(hidden);
    const quint64 shownReceived = receivedPictures(shown);
    const quint64 shownDrawn = drawnPictures(shown);
    const CpuSplit before = processCpu();
    QElapsedTimer measured;
    measured.start();
    waitMs(options.seconds * 1000);
    const double seconds = measured.elapsed() / 1000.0;
    const CpuSplit spent = difference(processCpu(), before);
    result["hide"] = options.hide;
    result["hidden_tiles"] = int(hidden.size());
    result["shown_tiles"] = int(shown.size());
    result["cpu_percent"] = rounded(spent.total * 100 / seconds, 1);
    result["cpu_ms_per_second"] = cpuObject(spent, seconds);
    result["hidden_decoded_fps"] = rounded(double(receivedPictures(hidden) - hiddenReceived) / seconds, 2);
    result["hidden_drawn_fps"] = rounded(double(drawnPictures(hidden) - hiddenDrawn) / seconds, 2);
    result["shown_decoded_fps"] = rounded(double(receivedPictures(shown) - shownReceived) / seconds, 2);
    result["shown_drawn_fps"] = rounded(double(drawnPictures(shown) - shownDrawn) / seconds, 2);

    QHash<VideoItem *, quint64> drawnAtShow;
    for (VideoItem *item : hidden)
        drawnAtShow.insert(item, item->drawnFrameCount());
    QHash<VideoItem *, qint64> firstPictureMs;
    QElapsedTimer clock;
    clock.start();
    hideTiles(page, options.hide, options.layout, false);
    waitUntil([&] {
        for (VideoItem *item : hidden) {
            if (!firstPictureMs.contains(item) && item->drawnFrameCount() > drawnAtShow.value(item))
                firstPictureMs.insert(item, clock.elapsed());
        }
        return firstPictureMs.size() == hidden.size();
    }, kPatienceMs);
    const QList<qint64> times = firstPictureMs.values();
    result["shown_again"] = int(times.size());
    result["first_picture_again_median_ms"] = median(times);
    result["first_picture_again_max_ms"] = times.isEmpty() ? -1 : double(*std::max_element(times.begin(), times.end()));
}

QJsonObject playing(QQuickWindow &window, QObject *page, const Options &options)
{
    const double startMb = residentMegabytes();
    QVariantList ids;
    for (int i = 0; i < options.tiles; ++i)
        ids << options.firstChannel + i;
    // No second tick within the run: it would start every tile again.
    QObject *popup = page->findChild<QObject *>(QStringLiteral("carouselSettingPopup"));
    auto *popupContent = popup ? popup->property("contentItem").value<QQuickItem *>() : nullptr;
    QObject *interval = popupContent ? popupContent->findChild<QObject *>(QStringLiteral("intervalEdit")) : nullptr;
    if (interval)
        interval->setProperty("text", QStringLiteral("36000"));
    QElapsedTimer clock;
    clock.start();
    QMetaObject::invokeMethod(page, "playGroup", Q_ARG(QVariant, QVariant(ids)));
    const bool allShown = waitUntil([&] { return showingVideo(videoItems(window)) >= options.tiles; }, kPatienceMs);
    QJsonObject result{{"scenario", "play"}, {"tiles", options.tiles}, {"layout", options.layout}};
    const QList<VideoItem *> items = videoItems(window);
    const bool keyFrames = page->property("keyFrameMode").toBool();
    result["key_frame_mode"] = keyFrames;
    result["interval_set"] = interval != nullptr;
    result["showing_video"] = showingVideo(items);
    result["all_shown_ms"] = allShown ? qint64(clock.elapsed()) : qint64(-1);
    waitMs(2000);
    if (!options.hide.isEmpty()) {
        measureHidden(result, window, page, options);
        QMetaObject::invokeMethod(page, "stopCarousel");
        waitMs(1500);
        return result;
    }
    const quint64 drawnBefore = drawnPictures(items);
    const CpuSplit before = processCpu();
    QElapsedTimer measured;
    measured.start();
    waitMs(options.seconds * 1000);
    const double seconds = measured.elapsed() / 1000.0;
    const CpuSplit spent = difference(processCpu(), before);
    const quint64 drawn = drawnPictures(items) - drawnBefore;
    const double expectedPerTile = keyFrames ? 1.0 : double(kStreamRate);
    const double drawnPerTile = double(drawn) / seconds / options.tiles;
    result["drawn_fps_per_tile"] = rounded(drawnPerTile, 2);
    result["expected_fps_per_tile"] = expectedPerTile;
    result["cpu_percent"] = rounded(spent.total * 100 / seconds, 1);
    result["cpu_per_drawn_frame"] = cpuObject(spent, qMax<double>(1, double(drawn)));
    result["resident_mb_per_tile"] = rounded((residentMegabytes() - startMb) / options.tiles, 2);
    QMetaObject::invokeMethod(page, "stopCarousel");
    waitMs(1500);
    const QJsonObject ffmpeg = Baselines::ffmpegDecodeUrl(options.streamUrl, options.seconds, kStreamRate, keyFrames);
    result["ffmpeg_paced"] = ffmpeg;
    const double ffmpegMs = ffmpeg.value("cpu_ms_per_frame").toDouble();
    if (ffmpegMs > 0 && drawn > 0)
        result["cpu_ratio_to_ffmpeg"] = rounded(spent.total * 1000 / double(drawn) / ffmpegMs, 2);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    AllocatorTuning::apply();
    QQuickStyle::setStyle(QStringLiteral("Universal"));
    QApplication app(argc, argv);
    const Options options = parse(app);
    BenchClient::start(options.host, options.port);

    QQmlEngine engine;
    ClientStartup::prepareEngine(engine);
    QQuickWindow window;
    window.resize(1688, 904);
    window.show();

    const double beforeMb = residentMegabytes();
    QElapsedTimer construction;
    construction.start();
    QQmlComponent component(&engine, QUrl::fromLocalFile(QStringLiteral(ZELKA_PAGE_BENCH_QML)));
    QObject *page = component.create();
    if (!page) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 1;
    }
    auto *pageItem = qobject_cast<QQuickItem *>(page);
    pageItem->setParentItem(window.contentItem());
    // Made and laid out; the first frame is not counted.
    const double constructionMs = construction.elapsed();
    waitUntil([&] { return window.isExposed(); }, kPatienceMs);
    waitMs(300);
    const double constructionMb = residentMegabytes() - beforeMb;

    QMetaObject::invokeMethod(page, "logIn", Q_ARG(QVariant, options.user), Q_ARG(QVariant, options.password));
    if (!waitUntil([&] { return page->property("loggedIn").toBool(); }, kPatienceMs)) {
        std::fprintf(stderr, "no login\n");
        return 1;
    }
    if (!options.layoutFile.isEmpty())
        QMetaObject::invokeMethod(page, "useLayouts", Q_ARG(QVariant, options.layoutFile), Q_ARG(QVariant, options.layout));
    waitMs(500);

    const QJsonObject result = options.scenario == QLatin1String("empty")
        ? emptyPage(window, page, options, constructionMs, constructionMb)
        : playing(window, page, options);
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    delete page;
    return 0;
}
