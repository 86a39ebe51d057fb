#include "windowscreen.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <qpa/qplatformscreen.h>
#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "windowlog.h"
#include "workarea.h"
#include "x11windowplace.h"

class WindowScreenPrivate
{
public:
    QWindow *window = nullptr;
    QPointer<QScreen> screen;
    QRect availableArea;
    // Until the window is first moved, its place (the desk's origin) means nothing.
    bool placed = false;
    // Where the window was when its screen was last chosen, after what the choice did.
    QPoint chosenAt;
    WindowScreen::SizeOnScreen sizeOnScreen;
    int deskChanges = 0;
    bool held = false;
    // A move reported while the window was shown but not mapped yet, judged once it is.
    bool movedWhileMapping = false;
    // From the drop until the window has rested: the window manager may still be moving
    // it to where the pointer was let go.
    QTimer dropRest;
    // Coalesces the signals one change of the desk brings (a removal also moves the
    // primary, every screen's area may follow).
    QTimer settle;
};

namespace {

// How long a dropped window rests before its place is judged.
constexpr int kDropRestMs = 250;

// Squared distance from a point to a rectangle; 0 inside.
qint64 distanceSquared(const QPoint &point, const QRect &rect)
{
    const qint64 dx = qMax(0, qMax(rect.left() - point.x(), point.x() - rect.right()));
    const qint64 dy = qMax(0, qMax(rect.top() - point.y(), point.y() - rect.bottom()));
    return dx * dx + dy * dy;
}

// Keeps one length and its start inside a span.
void keepSpan(int &start, int &length, int spanStart, int spanLength)
{
    length = qMax(0, qMin(length, spanLength));
    start = qMax(spanStart, qMin(start, spanStart + spanLength - length));
}

// The screen whose device pixels hold `point`, or the nearest one.
QScreen *screenHoldingNative(const QPoint &point)
{
    QScreen *nearest = nullptr;
    qint64 nearestDistance = std::numeric_limits<qint64>::max();
    for (QScreen *screen : QGuiApplication::screens()) {
        const qint64 distance = screen->handle() ? distanceSquared(point, screen->handle()->geometry())
                                                 : std::numeric_limits<qint64>::max();
        if (distance < nearestDistance) {
            nearest = screen;
            nearestDistance = distance;
        }
    }
    return nearest;
}

} // namespace

WindowScreen::WindowScreen(QWindow *window)
    : d(new WindowScreenPrivate)
{
    d->window = window;
    d->settle.setSingleShot(true);
    d->settle.setInterval(0);
    d->dropRest.setSingleShot(true);
    d->dropRest.setInterval(kDropRestMs);
    connect(&d->dropRest, &QTimer::timeout, this, [this] {
        d->held = false;
        windowMoved();
    });
    connect(&d->settle, &QTimer::timeout, this, [this] {
        // A removed screen may still have been listed while its removal was announced.
        repick();
        emit screensChanged();
    });
    for (QScreen *screen : QGuiApplication::screens())
        watchScreen(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watchScreen(screen);
        screenSetChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &WindowScreen::screenSetChanged);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &WindowScreen::screenSetChanged);
    connect(WorkArea::instance(), &WorkArea::changed, this, &WindowScreen::screenSetChanged);
    connect(window, &QWindow::xChanged, this, &WindowScreen::windowMoved);
    connect(window, &QWindow::yChanged, this, &WindowScreen::windowMoved);
    window->installEventFilter(this);
    pick(QGuiApplication::primaryScreen());
}

WindowScreen::~WindowScreen() = default;

QScreen *WindowScreen::screen() const
{
    return d->screen;
}

QRect WindowScreen::availableArea() const
{
    return d->availableArea;
}

int WindowScreen::deskChanges() const
{
    return d->deskChanges;
}

bool WindowScreen::isPlaced() const
{
    return d->placed;
}

void WindowScreen::setSizeOnScreen(SizeOnScreen sizeOnScreen)
{
    d->sizeOnScreen = std::move(sizeOnScreen);
}

// Qt reads a window moved onto a screen of another scale through the screen it left until
// it has noticed the change (its place then lies far from where it is): the place is read
// from the window's device pixels through the screen that holds them, as Qt places it.
QRect WindowScreen::windowGeometry() const
{
    const QPlatformWindow *platform = d->window->handle();
    if (!platform)
        return d->window->geometry();
    const QRect native = platform->geometry();
    QScreen *holder = screenHoldingNative(native.center());
    if (!holder || holder == d->window->screen() || !holder->handle())
        return d->window->geometry();
    const qreal ratio = holder->devicePixelRatio();
    const QPoint origin = holder->handle()->geometry().topLeft();
    return QRect(origin + (native.topLeft() - origin) / ratio, native.size() / ratio);
}

QScreen *WindowScreen::screenFor(const QRect &rect)
{
    const QPoint centre = rect.center();
    QScreen *nearest = nullptr;
    qint64 nearestDistance = std::numeric_limits<qint64>::max();
    for (QScreen *screen : QGuiApplication::screens()) {
        const qint64 distance = distanceSquared(centre, screen->geometry());
        if (distance < nearestDistance) {
            nearest = screen;
            nearestDistance = distance;
        }
    }
    return nearest;
}

QRect WindowScreen::availableAreaFor(const QRect &rect)
{
    QScreen *screen = screenFor(rect);
    return screen ? WorkArea::instance()->availableGeometry(screen) : QRect();
}

bool WindowScreen::centreOnAScreen(const QRect &rect)
{
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [&rect](const QScreen *screen) { return screen->geometry().contains(rect.center()); });
}

QRect WindowScreen::keptInside(const QRect &rect, const QRect &area)
{
    int x = rect.x();
    int y = rect.y();
    int width = rect.width();
    int height = rect.height();
    keepSpan(x, width, area.x(), area.width());
    keepSpan(y, height, area.y(), area.height());
    return QRect(x, y, width, height);
}

void WindowScreen::watchScreen(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &WindowScreen::screenSetChanged);
    connect(screen, &QScreen::availableGeometryChanged, this, &WindowScreen::screenSetChanged);
}

void WindowScreen::hold()
{
    d->dropRest.stop();
    d->held = true;
}

// On a busy machine the window manager may take the last moves of the drag after the
// client saw the button come up: a screen chosen and a layout applied at once read the
// place from before them, and the new geometry put the window back there, a step or two
// behind the pointer. The place is judged once no move has come for a moment.
void WindowScreen::release()
{
    if (d->held && !d->dropRest.isActive())
        d->dropRest.start();
}

bool WindowScreen::isHeld() const
{
    return d->held;
}

void WindowScreen::expectAt(const QRect &rect)
{
    if (QGuiApplication::screens().isEmpty())
        return;
    d->placed = true;
    pick(choose(rect));
}

void WindowScreen::windowMoved()
{
    if (d->held) {
        if (d->dropRest.isActive())
            d->dropRest.start();
        return;
    }
    // Between the request to show it and its mapping, the window manager puts the window in
    // a frame of its own and only then places the frame: Qt reading an older move of the
    // window meanwhile asks the server where it is and may get the frame's origin, the desk's
    // corner. Judged there, the window took the corner's screen and a layout for it, and went
    // there. Judged once mapped, at the place the server gives then (takeMappedPlace).
    if (d->window->isVisible() && !d->window->isExposed()) {
        d->movedWhileMapping = true;
        return;
    }
    // The second half of one move, or the echo of a place the choice itself set.
    const QPoint position = windowGeometry().topLeft();
    if (d->placed && position == d->chosenAt)
        return;
    d->placed = true;
    pick(choose(windowGeometry()));
    d->chosenAt = windowGeometry().topLeft();
    emit positionSettled();
    // Moved inside its screen by what settled it: that place is already chosen for.
    d->chosenAt = windowGeometry().topLeft();
}

bool WindowScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == d->window && event->type() == QEvent::Expose && d->movedWhileMapping && d->window->isExposed()) {
        d->movedWhileMapping = false;
        takeMappedPlace();
        windowMoved();
    }
    return QObject::eventFilter(watched, event);
}

// No later event corrects a place Qt read mid-way through the mapping: the window manager
// tells nothing when it leaves the window where it was asked to be. The server's place is
// given to Qt as its platform gives a move, screen and all.
void WindowScreen::takeMappedPlace()
{
    const std::optional<QRect> onServer = X11WindowPlace::nativeGeometry(d->window);
    const QPlatformWindow *platform = d->window->handle();
    if (!onServer || !platform || platform->geometry() == *onServer)
        return;
    qCDebug(lcWindow) << d->window->title() << "reported at" << platform->geometry() << "while mapped at" << *onServer;
    using Delivery = QWindowSystemInterface::SynchronousDelivery;
    QWindowSystemInterface::handleGeometryChange<Delivery>(d->window, *onServer);
    if (QScreen *holder = screenHoldingNative(onServer->center()))
        QWindowSystemInterface::handleWindowScreenChanged<Delivery>(d->window, holder);
}

void WindowScreen::screenSetChanged()
{
    ++d->deskChanges;
    d->settle.start();
    repick();
}

void WindowScreen::repick()
{
    if (QGuiApplication::screens().isEmpty())
        return;
    pick(d->placed ? choose(windowGeometry()) : QGuiApplication::primaryScreen());
}

QScreen *WindowScreen::choose(const QRect &rect) const
{
    QScreen *candidate = screenFor(rect);
    if (!candidate || candidate == d->screen || !d->sizeOnScreen || !QGuiApplication::screens().contains(d->screen))
        return candidate;
    // Laid out for the candidate, would its centre still lie there? If not, it is in the
    // band along the boundary and stays.
    const QRect there(rect.topLeft(), d->sizeOnScreen(candidate));
    return screenFor(there) == candidate ? candidate : d->screen.data();
}

void WindowScreen::pick(QScreen *screen)
{
    if (!screen)
        return;
    const QRect area = WorkArea::instance()->availableGeometry(screen);
    const bool otherScreen = screen != d->screen;
    const bool otherArea = area != d->availableArea;
    d->screen = screen;
    d->availableArea = area;
    if (otherScreen)
        emit screenChanged();
    if (otherArea)
        emit availableAreaChanged();
}
