// Snapshot benchmark: prints one JSON object.
//   For H.264 and H.265 bodies at 640x360 and 1920x1080: time from setting snapUrl to
//   the first frame that shows the picture, median over 60 items loaded as one page and
//   over 60 items loaded one after another, against ffmpeg's own decode time of the same
//   body ("ffmpeg -benchmark", rtime) and our still-picture decode alone.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "capturedstreams.h"
#include "snapbodies.h"
#include "snapdecoder.h"
#include "snapscene.h"
#include "videosnapitem.h"

namespace {

constexpr int kItems = 60;
constexpr int kColumns = 5;
constexpr int kTileWidth = 128;
constexpr int kTileHeight = 72;
constexpr int kWaitMs = 60000;

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double rounded(double value)
{
    return std::round(value * 100) / 100;
}

// Milliseconds from each item's address assignment to the first frame swapped after
// its picture became valid.
class ShownClock
{
public:
    explicit ShownClock(QQuickWindow *window)
    {
        m_clock.start();
        QObject::connect(window, &QQuickWindow::frameSwapped, window, [this] { frameSwapped(); }, Qt::DirectConnection);
    }
    size_t track(VideoSnapItem *item)
    {
        const size_t index = m_items.size();
        m_items.push_back({item, m_clock.nsecsElapsed() / 1e6, -1, -1});
        QObject::connect(item, &VideoSnapItem::snapValidChanged, item, [this, index] {
            if (m_items[index].item->snapValid() && m_items[index].validMs < 0)
                m_items[index].validMs = m_clock.nsecsElapsed() / 1e6;
        });
        return index;
    }
    bool allShown() const
    {
        return std::all_of(m_items.begin(), m_items.end(), [](const Entry &entry) { return entry.shownMs >= 0; });
    }
    std::vector<double> latencies() const
    {
        std::vector<double> values;
        for (const Entry &entry : m_items)
            values.push_back(entry.shownMs - entry.setMs);
        return values;
    }
    // Part of the latency spent before the picture was decoded and valid.
    std::vector<double> validLatencies() const
    {
        std::vector<double> values;
        for (const Entry &entry : m_items)
            values.push_back(entry.validMs - entry.setMs);
        return values;
    }

private:
    struct Entry
    {
        VideoSnapItem *item;
        double setMs;
        double shownMs;
        double validMs;
    };
    void frameSwapped()
    {
        const double now = m_clock.nsecsElapsed() / 1e6;
        for (Entry &entry : m_items) {
            if (entry.shownMs < 0 && entry.item->snapValid())
                entry.shownMs = now;
        }
    }

    QElapsedTimer m_clock;
    std::vector<Entry> m_items;
};

std::vector<VideoSnapItem *> makePage(QQuickWindow *window)
{
    std::vector<VideoSnapItem *> items;
    for (int i = 0; i < kItems; ++i) {
        auto *item = new VideoSnapItem(window->contentItem());
        item->setPosition(QPointF(i % kColumns * kTileWidth, i / kColumns * kTileHeight));
        item->setSize(QSizeF(kTileWidth, kTileHeight));
        items.push_back(item);
    }
    return items;
}

QString itemPath(const SnapBodies::Recipe &recipe, int run, int item)
{
    return QStringLiteral("/snap/bench/%1/%2/%3").arg(recipe.name).arg(run).arg(item);
}

struct Latencies
{
    std::vector<double> shown; // address set -> first frame with the picture
    std::vector<double> valid; // address set -> picture decoded and valid
    bool complete = false;
};

// Every item at once, as a page of the video square loads; or one after another, each
// alone on the line.
Latencies loadPage(SnapScene &scene, const SnapBodies::Recipe &recipe, const QByteArray &body, bool oneAtATime)
{
    Latencies result;
    QQuickWindow *window = scene.window(kColumns * kTileWidth, kItems / kColumns * kTileHeight);
    if (!QTest::qWaitForWindowExposed(window))
        return result;
    std::vector<VideoSnapItem *> items = makePage(window);
    const int run = oneAtATime ? 1 : 0;
    for (int i = 0; i < kItems; ++i)
        scene.serve(itemPath(recipe, run, i), body);
    QTest::qWait(50);
    ShownClock clock(window);
    result.complete = true;
    for (int i = 0; i < kItems; ++i) {
        clock.track(items[size_t(i)]);
        items[size_t(i)]->setSnapUrl(itemPath(recipe, run, i));
        if (oneAtATime)
            result.complete = result.complete && QTest::qWaitFor([&] { return clock.allShown(); }, kWaitMs);
    }
    if (!oneAtATime)
        result.complete = QTest::qWaitFor([&] { return clock.allShown(); }, kWaitMs);
    result.shown = clock.latencies();
    result.valid = clock.validLatencies();
    return result;
}

double ffmpegDecodeMs(const SnapBodies::Recipe &recipe)
{
    static const QRegularExpression rtime(QStringLiteral("rtime=([0-9.]+)s"));
    std::vector<double> runs;
    for (int i = 0; i < 7; ++i) {
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-benchmark"),
                      QStringLiteral("-threads"), QStringLiteral("1"), QStringLiteral("-f"),
                      recipe.codec == QLatin1String("h264") ? QStringLiteral("h264") : QStringLiteral("hevc"),
                      QStringLiteral("-i"), SnapBodies::path(recipe), QStringLiteral("-f"), QStringLiteral("null"),
                      QStringLiteral("-")});
        if (!ffmpeg.waitForFinished(kWaitMs))
            continue;
        const QRegularExpressionMatch match = rtime.match(QString::fromLatin1(ffmpeg.readAllStandardOutput() + ffmpeg.readAllStandardError()));
        if (match.hasMatch())
            runs.push_back(match.captured(1).toDouble() * 1000);
    }
    return median(runs);
}

double stillDecodeMs(const QByteArray &body)
{
    const video_info_t info = getVideoInfo(reinterpret_cast<const uint8_t *>(body.constData()), int(body.size()));
    std::vector<double> runs;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer timer;
        timer.start();
        decodeSnapPicture(body, info);
        runs.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(runs);
}

QJsonObject measure(SnapScene &scene, const SnapBodies::Recipe &recipe)
{
    const QByteArray body = SnapBodies::contents(recipe);
    Latencies page;
    Latencies sequential;
    double still = 0;
    {
        CapturedStreams quiet; // the parser's debug line for each H.265 body
        page = loadPage(scene, recipe, body, false);
        sequential = loadPage(scene, recipe, body, true);
        still = stillDecodeMs(body);
    }
    std::sort(page.shown.begin(), page.shown.end());
    QJsonObject result;
    result.insert(QStringLiteral("codec"), recipe.codec);
    result.insert(QStringLiteral("size"), QStringLiteral("%1x%2").arg(recipe.width).arg(recipe.height));
    result.insert(QStringLiteral("bodyBytes"), body.size());
    result.insert(QStringLiteral("complete"), page.complete && sequential.complete);
    result.insert(QStringLiteral("pageOf60_urlToShownMs_median"), rounded(median(page.shown)));
    result.insert(QStringLiteral("pageOf60_urlToShownMs_max"), rounded(page.shown.empty() ? -1 : page.shown.back()));
    result.insert(QStringLiteral("pageOf60_urlToValidMs_median"), rounded(median(page.valid)));
    result.insert(QStringLiteral("oneAtATime_urlToShownMs_median"), rounded(median(sequential.shown)));
    result.insert(QStringLiteral("oneAtATime_urlToValidMs_median"), rounded(median(sequential.valid)));
    result.insert(QStringLiteral("ffmpegDecodeMs_median"), rounded(ffmpegDecodeMs(recipe)));
    result.insert(QStringLiteral("stillDecoderMs_median"), rounded(still));
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SnapScene::useSoftwareSceneGraph();
    QGuiApplication app(argc, argv);
    const QList<SnapBodies::Recipe> recipes = {
        SnapBodies::recipe(QStringLiteral("h264"), 640, 360), SnapBodies::recipe(QStringLiteral("h265"), 640, 360),
        SnapBodies::recipe(QStringLiteral("h264"), 1920, 1080), SnapBodies::recipe(QStringLiteral("h265"), 1920, 1080)};
    QString error;
    SnapScene scene;
    if (!SnapBodies::ensure(recipes, &error) || !scene.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QJsonArray results;
    for (const SnapBodies::Recipe &recipe : recipes)
        results.append(measure(scene, recipe));
    QJsonObject report;
    report.insert(QStringLiteral("benchmark"), QStringLiteral("snapshot pictures"));
    report.insert(QStringLiteral("items"), kItems);
    report.insert(QStringLiteral("sceneGraph"), QStringLiteral("software, offscreen"));
    report.insert(QStringLiteral("results"), results);
    std::printf("%s\n", QJsonDocument(report).toJson(QJsonDocument::Indented).constData());
    return 0;
}
