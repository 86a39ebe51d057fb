// Map pin benchmark (not a CTest test; bench/run-map-bench.sh runs it under Xvfb against a
// test server process serving a large site whose first device has many located channels).
// One run, one JSON object out: the GUI stall of a click on that device in the map page's
// side panel (the click's handler, and the longest gap between the frames of an animation
// running meanwhile), the pins it placed and the camera tiles they hold, closed and after
// one pin was opened and closed again.
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "allocatortuning.h"
#include "benchclient.h"
#include "benchtools.h"
#include "clientstartup.h"
#include "deviceinfo.h"
#include "devicemanager.h"

using namespace BenchTools;

namespace {

constexpr int kPatienceMs = 120000;
// How long after a click its frames are watched: the map's 250 ms glide and what the new
// pins cost to place and draw.
constexpr int kWatchMs = 3000;

// When each frame reached the screen, noted on the thread that swaps it.
class FrameClock
{
public:
    explicit FrameClock(QQuickWindow &window)
    {
        m_clock.start();
        m_connection = QObject::connect(&window, &QQuickWindow::frameSwapped, &window, [this] {
            QMutexLocker lock(&m_mutex);
            m_frames.append(m_clock.nsecsElapsed());
        }, Qt::DirectConnection);
    }
    ~FrameClock() { QObject::disconnect(m_connection); }
    qint64 now() const { return m_clock.nsecsElapsed(); }
    // Gaps between the frames from `from` to `to`, the wait from `from` to the first one
    // included: a stall that starts with no frame shown still counts whole.
    QList<double> gapsMs(qint64 from, qint64 to)
    {
        QMutexLocker lock(&m_mutex);
        QList<double> gaps;
        qint64 last = from;
        for (qint64 frame : std::as_const(m_frames)) {
            if (frame <= from || frame > to)
                continue;
            gaps << (frame - last) / 1e6;
            last = frame;
        }
        return gaps;
    }

private:
    QMetaObject::Connection m_connection;
    QElapsedTimer m_clock;
    QMutex m_mutex;
    QList<qint64> m_frames;
};

double longest(const QList<double> &values)
{
    return values.isEmpty() ? 0 : *std::max_element(values.begin(), values.end());
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.value(values.size() / 2);
}

bool isTile(const QObject *object)
{
    return QByteArray(object->metaObject()->className()).startsWith("CameraRectangle");
}

int tilesUnder(const QObject *object)
{
    int count = isTile(object) ? 1 : 0;
    for (const QObject *child : object->children())
        count += tilesUnder(child);
    return count;
}

QList<QQuickItem *> pinsOf(QQuickItem *map)
{
    QList<QQuickItem *> pins;
    for (QQuickItem *child : map->childItems()) {
        if (child->inherits("MapQuickItem"))
            pins << child;
    }
    return pins;
}

// Camera tiles held by pins whose tile is not open.
int tilesOfClosedPins(QQuickItem *map)
{
    int count = 0;
    for (QQuickItem *pin : pinsOf(map)) {
        if (!pin->property("open").toBool())
            count += tilesUnder(pin);
    }
    return count;
}

QQuickItem *pictureOf(QQuickItem *pin)
{
    return pin->findChild<QQuickItem *>(QStringLiteral("pinPicture"));
}

QVariant call(QObject *object, const char *name, const QVariant &a = QVariant(), const QVariant &b = QVariant())
{
    QVariant result;
    if (!a.isValid())
        QMetaObject::invokeMethod(object, name, Q_RETURN_ARG(QVariant, result));
    else
        QMetaObject::invokeMethod(object, name, Q_RETURN_ARG(QVariant, result), Q_ARG(QVariant, a), Q_ARG(QVariant, b));
    return result;
}

// Every device of the list has its channels.
bool channelsArrived()
{
    const QList<DeviceInfo *> devices = DeviceManager::instance()->deviceList();
    return !devices.isEmpty()
        && std::all_of(devices.begin(), devices.end(), [](DeviceInfo *device) { return !device->channelList().isEmpty(); });
}

struct Click
{
    double handlerMs = 0;
    double handlerGuiCpuMs = 0;
    double longestGapMs = 0;
    int frames = 0;
};

// The side panel's device tree reports a click on `device`, as a click on its row does.
Click clickDevice(QQuickWindow &window, FrameClock &frames, QObject *deviceTree, DeviceInfo *device)
{
    Click click;
    const qint64 start = frames.now();
    const qint64 cpu = threadCpuNs();
    QMetaObject::invokeMethod(deviceTree, "clickDevice", Q_ARG(DeviceInfo *, device));
    click.handlerGuiCpuMs = (threadCpuNs() - cpu) / 1e6;
    click.handlerMs = (frames.now() - start) / 1e6;
    window.update();
    waitMs(kWatchMs);
    const QList<double> gaps = frames.gapsMs(start, frames.now());
    click.longestGapMs = longest(gaps);
    click.frames = int(gaps.size());
    return click;
}

QJsonObject toJson(const Click &click)
{
    return QJsonObject{{"handler_ms", rounded(click.handlerMs, 1)},
                       {"handler_gui_cpu_ms", rounded(click.handlerGuiCpuMs, 1)},
                       {"longest_frame_gap_ms", rounded(click.longestGapMs, 1)},
                       {"frames_in_3_s", click.frames}};
}

// The last pin whose picture lies wholly left of `right` and inside the window's height:
// the pins added later stand above it, and none of them reaches into it from off screen.
QQuickItem *topmostShown(const QList<QQuickItem *> &pins, qreal right, qreal bottom)
{
    for (auto pin = pins.crbegin(); pin != pins.crend(); ++pin) {
        QQuickItem *picture = pictureOf(*pin);
        const QRectF area = picture->mapRectToScene(QRectF(0, 0, picture->width(), picture->height()));
        if (area.left() >= 0 && area.top() >= 0 && area.right() < right && area.bottom() < bottom)
            return *pin;
    }
    return pins.constLast();
}

// A click on a pin's picture, as the pointer makes it; the longest frame gap of the second
// after it.
double clickPin(QQuickWindow &window, FrameClock &frames, QQuickItem *pin)
{
    QQuickItem *picture = pictureOf(pin);
    const QPoint point = picture->mapToScene(QPointF(picture->width() / 2, picture->height() / 2)).toPoint();
    const qint64 start = frames.now();
    QTest::mouseMove(&window, point);
    QTest::mouseClick(&window, Qt::LeftButton, {}, point);
    waitMs(1000);
    return longest(frames.gapsMs(start, frames.now()));
}

} // namespace

int main(int argc, char **argv)
{
    AllocatorTuning::apply();
    QQuickStyle::setStyle(QStringLiteral("Universal"));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    for (const char *name : {"host", "port", "user", "password", "qml-root"})
        parser.addOption({QString::fromLatin1(name), QString::fromLatin1(name), QStringLiteral("value")});
    parser.process(app);

    BenchClient::start(parser.value("host"), parser.value("port"));

    QQmlEngine engine;
    ClientStartup::prepareEngine(engine);
    QQuickWindow window;
    window.resize(1688, 904);
    window.show();
    FrameClock frames(window);
    QObject *root = BenchClient::loadScene(engine, window, QStringLiteral(ZELKA_MAP_BENCH_QML), {}, parser.value("qml-root"));
    if (!root)
        return 1;

    call(root, "logIn", parser.value("user"), parser.value("password"));
    if (!waitUntil([&] { return root->property("page").value<QQuickItem *>() != nullptr; }, kPatienceMs)) {
        std::fprintf(stderr, "no login or no server configuration\n");
        return 1;
    }
    call(root, "refresh");
    if (!waitUntil(channelsArrived, kPatienceMs) || !waitUntil([&] { return call(root, "mapReady").toBool(); }, kPatienceMs)) {
        std::fprintf(stderr, "no device list or no map\n");
        return 1;
    }
    auto *page = root->property("page").value<QQuickItem *>();
    auto *map = page->findChild<QQuickItem *>(QStringLiteral("map"));
    QObject *deviceTree = page->findChild<QObject *>(QStringLiteral("deviceListView"));
    auto *panel = page->findChild<QQuickItem *>(QStringLiteral("deviceManageView"));
    DeviceInfo *device = DeviceManager::instance()->deviceList().constFirst();
    // The map's first tiles and the trees' first rows settle.
    waitMs(2000);

    const qint64 idleStart = frames.now();
    waitMs(1000);
    const double idleGap = median(frames.gapsMs(idleStart, frames.now()));
    const double startMb = residentMegabytes();
    const Click click = clickDevice(window, frames, deviceTree, device);
    const QList<QQuickItem *> pins = pinsOf(map);
    QJsonObject result{{"located_channels", int(device->channelList().size())},
                       {"pins", int(pins.size())},
                       {"idle_frame_gap_ms", rounded(idleGap, 1)},
                       {"place_pins", toJson(click)},
                       {"placed_mb", rounded(residentMegabytes() - startMb, 1)},
                       {"tiles_of_closed_pins", tilesOfClosedPins(map)}};
    if (!pins.isEmpty()) {
        QQuickItem *pin = topmostShown(pins, panel->mapToScene(QPointF(0, 0)).x(), window.height());
        result["open_pin_longest_frame_gap_ms"] = rounded(clickPin(window, frames, pin), 1);
        result["opened"] = pin->property("open").toBool();
        result["tiles_after_open"] = tilesUnder(map);
        clickPin(window, frames, pin);
        result["closed"] = !pin->property("open").toBool();
        result["tiles_of_closed_pins_after_open_close"] = tilesOfClosedPins(map);
    }
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
    // The render thread stops drawing the window (and reporting its frames to the clock)
    // before the clock and the window go.
    window.hide();
    delete root;
    return 0;
}
