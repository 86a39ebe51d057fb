#include "framelesswindow.h"

#include <QGuiApplication>
#include <QPointer>
#include <QQuickItem>
#include <QScreen>
#include <QTimer>
#include <QtGui/private/qrhi_p.h>

#include <optional>
#include <utility>

#include "propertyhelpers.h"
#include "systemdrag.h"
#include "windowgrips.h"
#include "windowlog.h"
#include "windowscreen.h"
#include "x11pointer.h"
#include "x11windowmanager.h"
#include "x11windowbackground.h"

namespace {

constexpr int kCaptionInset = 5;
constexpr int kDefaultCaptionHeight = 30;
// How long a window rests after a move (a drop, a window manager's placement, a move by
// keys) before it is pulled back inside its screen.
constexpr int kRestBeforeKeptInside = 250;

// What displayNormal() brings back after the window's own full-screen mode.
struct NormalState
{
    QRect geometry;
    bool movable = true;
    bool resizable = true;
    QRect captionArea;
    // The desk as it was: a screen may have gone or shrunk while the window covered one.
    int deskChanges = 0;
};

} // namespace

class FramelessWindowPrivate
{
public:
    bool topHint = false;
    bool visiblable = true;
    bool resizable = true;
    bool movable = true;
    bool taskbarHint = true;
    int captionWidth = 0;
    int captionHeight = 0;
    QRect captionArea;
    // Between classBegin and componentComplete a requested visibility waits here.
    bool building = false;
    std::optional<bool> visibleOnCompletion;
    // Guarded: the followed window may be destroyed before this one.
    QPointer<FramelessWindow> topWindow;
    QMetaObject::Connection followTopHint;
    QMetaObject::Connection topWindowGone;
    std::optional<NormalState> normalState;
    QSize layoutSize;
    // Given by the operator through the window's edges since the last layout: the
    // pull-back keeps it.
    bool sizedByOperator = false;
    // Pulls the window back inside its screen once it has come to rest after a move or a
    // drop.
    QTimer keepInside;
    // Owned here; until its drag has finished, the window follows the pointer unjudged.
    QScopedPointer<WindowGrips> grips;
    int maxSamples = 1;
    QColor placeholderColor = Qt::transparent;
    // Owned here, not by the window's children: it must die before the window's base
    // part, which still moves and hides the window on its way out.
    QScopedPointer<WindowScreen> screen;
    // Forwarded from QWindow's own signals; cut in the destructor, because ~QWindow still
    // emits them when this class's part is already gone.
    QList<QMetaObject::Connection> forwarded;
};

FramelessWindow::FramelessWindow(QWindow *parent)
    : QQuickWindow(parent)
    , d(new FramelessWindowPrivate)
{
    setFlags(flags() | Qt::FramelessWindowHint);
    d->forwarded = {
        connect(this, qOverload<qreal>(&QWindow::opacityChanged), this, qOverload<>(&FramelessWindow::opacityChanged)),
        connect(this, qOverload<bool>(&QWindow::visibleChanged), this, qOverload<>(&FramelessWindow::visibleChanged)),
    };
    d->captionHeight = kDefaultCaptionHeight;
    d->captionArea = QRect(kCaptionInset, kCaptionInset, width(), d->captionHeight);
    for (auto sizeSignal : {&QWindow::widthChanged, &QWindow::heightChanged, &QWindow::maximumWidthChanged,
                            &QWindow::maximumHeightChanged})
        connect(this, sizeSignal, this, &FramelessWindow::keepWithinMaximumSize);
    d->screen.reset(new WindowScreen(this));
    connect(d->screen.get(), &WindowScreen::availableAreaChanged, this, &FramelessWindow::availableAreaChanged);
    connect(d->screen.get(), &WindowScreen::screenChanged, this, &FramelessWindow::onScreenChanged);
    connect(d->screen.get(), &WindowScreen::screensChanged, this, &FramelessWindow::keepOnItsScreen);
    d->keepInside.setSingleShot(true);
    d->keepInside.setInterval(kRestBeforeKeptInside);
    connect(&d->keepInside, &QTimer::timeout, this, &FramelessWindow::keepLaidOutInside);
    connect(d->screen.get(), &WindowScreen::positionSettled, &d->keepInside, qOverload<>(&QTimer::start));
    d->grips.reset(new WindowGrips(this, [this](Qt::Edges edges, const QPoint &pressPosition) {
        return edges ? beginSystemResize(edges, pressPosition) : beginSystemMove(pressPosition);
    }));
    connect(d->grips.get(), &WindowGrips::dragStarted, this, &FramelessWindow::startSystemDrag);
    connect(d->grips.get(), &WindowGrips::dropped, this, &FramelessWindow::endSystemDrag);
    connect(this, &QQuickWindow::sceneGraphInitialized, this, &FramelessWindow::readMaxSamples, Qt::DirectConnection);
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installEventFilter(this);
}

FramelessWindow::~FramelessWindow()
{
    for (const QMetaObject::Connection &connection : std::as_const(d->forwarded))
        QObject::disconnect(connection);
    QObject::disconnect(d->followTopHint);
    QObject::disconnect(d->topWindowGone);
    d->grips.reset();
    d->screen.reset();
}

void FramelessWindow::classBegin()
{
    d->building = true;
}

void FramelessWindow::componentComplete()
{
    d->building = false;
    if (const std::optional<bool> visible = std::exchange(d->visibleOnCompletion, std::nullopt))
        QQuickWindow::setVisible(*visible);
}

void FramelessWindow::setVisible(bool visible)
{
    if (d->building) {
        d->visibleOnCompletion = visible;
        return;
    }
    QQuickWindow::setVisible(visible);
}

bool FramelessWindow::resizable() const
{
    return d->resizable;
}

void FramelessWindow::setResizable(bool resizable)
{
    if (d->resizable == resizable)
        return;
    rebuildCaptionArea(resizable ? QPoint(kCaptionInset, kCaptionInset) : QPoint(0, 0));
    d->resizable = resizable;
    emit resizableChanged();
}

bool FramelessWindow::movable() const
{
    return d->movable;
}

void FramelessWindow::setMovable(bool movable)
{
    Zelka::assignIfChanged(this, d->movable, movable, &FramelessWindow::movableChanged);
}

bool FramelessWindow::visiblable() const
{
    return d->visiblable;
}

void FramelessWindow::setVisiblable(bool visiblable)
{
    Zelka::assignIfChanged(this, d->visiblable, visiblable, &FramelessWindow::visiblableChanged);
}

bool FramelessWindow::topHint() const
{
    return d->topHint;
}

void FramelessWindow::setTopHint(bool topHint)
{
    if (d->topHint == topHint)
        return;
    setFlag(Qt::WindowStaysOnTopHint, topHint);
    d->topHint = topHint;
    emit topHintChanged();
}

bool FramelessWindow::taskbarHint() const
{
    return d->taskbarHint;
}

void FramelessWindow::setTaskbarHint(bool taskbarHint)
{
    if (d->taskbarHint == taskbarHint)
        return;
    d->taskbarHint = taskbarHint;
    applyWindowType();
    emit taskbarHintChanged();
}

int FramelessWindow::captionWidth() const
{
    return d->captionWidth;
}

void FramelessWindow::setCaptionWidth(int width)
{
    // Logical pixels, as the pointer positions it is compared with: on a scaled screen a
    // caption in device pixels would reach over the window's own buttons.
    if (d->captionWidth == width)
        return;
    d->captionWidth = width;
    rebuildCaptionArea(d->captionArea.topLeft());
    emit captionWidthChanged();
}

int FramelessWindow::captionHeight() const
{
    return d->captionHeight;
}

void FramelessWindow::setCaptionHeight(int height)
{
    if (d->captionHeight == height)
        return;
    d->captionHeight = height;
    rebuildCaptionArea(d->captionArea.topLeft());
    emit captionHeightChanged();
}

QRectF FramelessWindow::captionArea() const
{
    return QRectF(d->captionArea);
}

void FramelessWindow::setCaptionArea(const QRectF &area)
{
    Zelka::assignIfChanged(this, d->captionArea, area.toRect(), &FramelessWindow::captionAreaChanged);
}

FramelessWindow *FramelessWindow::topWindow() const
{
    return d->topWindow;
}

void FramelessWindow::setTopWindow(FramelessWindow *window)
{
    if (d->topWindow == window)
        return;
    QObject::disconnect(d->followTopHint);
    QObject::disconnect(d->topWindowGone);
    d->topWindow = window;
    // Stacked above it by the window manager, whatever its own rules (a click on the owner
    // raises the owner and its transients with it).
    setTransientParent(window);
    applyWindowType();
    if (window) {
        d->followTopHint = connect(window, &FramelessWindow::topHintChanged, this,
                                   [this, window] { setTopHint(window->topHint()); });
        // The guarded pointer turns null with the window; tell the bindings.
        d->topWindowGone = connect(window, &QObject::destroyed, this, &FramelessWindow::topWindowChanged);
        setTopHint(window->topHint());
    }
    emit topWindowChanged();
}

// A tool window stays out of the task bar. A window that stays above another is a dialog:
// X11 names the owner (WM_TRANSIENT_FOR) only for dialogs and tool windows, and a plain
// window would be stacked by the window manager's own rules.
void FramelessWindow::applyWindowType()
{
    const Qt::WindowType type = !d->taskbarHint ? Qt::Tool : d->topWindow ? Qt::Dialog : Qt::Window;
    if (this->type() != type)
        setFlags((flags() & ~Qt::WindowType_Mask) | type);
}

QRect FramelessWindow::availableArea() const
{
    return d->screen->availableArea();
}

QScreen *FramelessWindow::onScreen() const
{
    return d->screen->screen();
}

WindowScreen *FramelessWindow::windowScreen() const
{
    return d->screen.get();
}

SystemDrag *FramelessWindow::systemDrag() const
{
    return d->grips->drag();
}

bool FramelessWindow::isOnAScreen() const
{
    return WindowScreen::centreOnAScreen(geometry());
}

QSize FramelessWindow::layoutSize() const
{
    return d->layoutSize;
}

void FramelessWindow::setLayoutSize(const QSize &size)
{
    if (d->layoutSize == size)
        return;
    d->layoutSize = size;
    d->sizedByOperator = false;
    if (!size.isEmpty()) {
        if (d->normalState) {
            // Covering its screen: the new size comes back with the window.
            d->normalState->geometry.setSize(size);
            setMinimumSize(size);
        } else {
            // A window not placed yet is placed as a whole later (centred, in one step).
            const QRect laidOut(d->screen->windowGeometry().topLeft(), size);
            applyGeometry(d->screen->isPlaced() ? WindowScreen::keptInside(laidOut, d->screen->availableArea())
                                                : laidOut);
        }
    }
    emit layoutSizeChanged();
}

int FramelessWindow::maxSamples() const
{
    return d->maxSamples;
}

// On the render thread, where the renderer lives; handed to the window's thread to store.
void FramelessWindow::readMaxSamples()
{
    int most = 1;
    QSGRendererInterface *renderer = rendererInterface();
    if (auto *rhi = renderer ? static_cast<QRhi *>(renderer->getResource(this, QSGRendererInterface::RhiResource))
                             : nullptr) {
        for (int count : rhi->supportedSampleCounts())
            most = qMax(most, count);
    }
    QMetaObject::invokeMethod(
        this, [this, most] { Zelka::assignIfChanged(this, d->maxSamples, most, &FramelessWindow::maxSamplesChanged); },
        Qt::QueuedConnection);
}

void FramelessWindow::centreInAvailableArea()
{
    const QRect area = d->screen->availableArea();
    setGeometry(QRect(QPoint(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2),
                      size()));
}

void FramelessWindow::placeOver(FramelessWindow *owner, bool keepPlace)
{
    if (!owner)
        return;
    QScreen *ownerScreen = owner->windowScreen()->screen();
    const QPoint kept = position();
    const bool keep = keepPlace && ownerScreen && WindowScreen::screenFor(QRect(kept, laidOutSize())) == ownerScreen;
    const std::optional<QPoint> at = keep ? std::optional<QPoint>(kept) : std::nullopt;
    // The screen is chosen for the place first: a window laid out for its screen takes the
    // size laid out for the owner's then, and is placed at that size (so asked twice).
    d->screen->expectAt(placeOverOwner(owner, at));
    const QRect place = placeOverOwner(owner, at);
    if (d->layoutSize.isEmpty())
        setGeometry(place);
    else
        applyGeometry(place);
}

// At `kept`, or centred on the owner; inside the owner's available area.
QRect FramelessWindow::placeOverOwner(const FramelessWindow *owner, const std::optional<QPoint> &kept) const
{
    const QSize size = laidOutSize();
    const QRect ownerPlace = owner->geometry();
    const QPoint centred(ownerPlace.x() + (ownerPlace.width() - size.width()) / 2,
                         ownerPlace.y() + (ownerPlace.height() - size.height()) / 2);
    return WindowScreen::keptInside(QRect(kept.value_or(centred), size), owner->availableArea());
}

QSize FramelessWindow::laidOutSize() const
{
    return d->layoutSize.isEmpty() ? size() : d->layoutSize;
}

void FramelessWindow::displayFullScreen()
{
    // A second call while already full screen keeps the state saved by the first.
    if (!d->normalState)
        d->normalState = NormalState{geometry(), d->movable, d->resizable, d->captionArea, d->screen->deskChanges()};
    // Off the platform's maximised state; its full-screen state stays for a second call.
    if (!(windowStates() & Qt::WindowFullScreen))
        setWindowState(Qt::WindowNoState);
    // On top first: a window manager may judge the window's layer again at each change of
    // its state, and icewm keeps a window above its panels only when the full-screen state
    // came last, while the window was active.
    setTopHint(true);
    coverScreen();
    setMovable(false);
    setResizable(false);
}

void FramelessWindow::displayNormal()
{
    if (!d->normalState)
        return;
    const NormalState saved = *d->normalState;
    d->normalState.reset();
    // The window manager puts back the geometry it had before; the saved one is set over it.
    if (windowStates() & Qt::WindowFullScreen)
        setWindowStates(Qt::WindowNoState);
    setTopHint(false);
    // The screen it came from may have gone, shrunk or grown a panel while it covered one.
    // Its minimum may have grown meanwhile (pages laid out for a larger ratio): a platform
    // does not apply it to a geometry set from here.
    QRect restored = saved.geometry;
    restored.setSize(restored.size().expandedTo(minimumSize()));
    const bool deskChanged = saved.deskChanges != d->screen->deskChanges();
    // A window laid out for its screen comes back inside it (its size may have followed a
    // new layout meanwhile).
    const bool bringBack = !QGuiApplication::screens().isEmpty()
                           && (deskChanged || restored != saved.geometry || !d->layoutSize.isEmpty()
                               || !WindowScreen::centreOnAScreen(saved.geometry));
    setGeometry(bringBack ? WindowScreen::keptInside(restored, WindowScreen::availableAreaFor(restored)) : restored);
    setMovable(saved.movable);
    setResizable(saved.resizable);
    // Switching resizable rebuilds the caption area; the window's own area comes back.
    setCaptionArea(saved.captionArea);
}

void FramelessWindow::activeWindow()
{
    requestActivate();
    raise();
}

QColor FramelessWindow::placeholderColor() const
{
    return d->placeholderColor;
}

void FramelessWindow::setPlaceholderColor(const QColor &colour)
{
    if (d->placeholderColor == colour)
        return;
    d->placeholderColor = colour;
    X11WindowBackground::fill(this, colour);
    emit placeholderColorChanged();
}

bool FramelessWindow::event(QEvent *event)
{
    if (event->type() == QEvent::Close)
        emit closing();
    // A new native window starts with the platform's own fill.
    if (event->type() == QEvent::PlatformSurface
        && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated)
        X11WindowBackground::fill(this, d->placeholderColor);
    return QQuickWindow::event(event);
}

// The window's pointer events are looked at here, before the window's own filters: Qt Quick's
// popup overlay takes presses through a filter of its own while a popup is open, and the
// window's event() would never see them.
bool FramelessWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this)
        d->grips->pointerEvent(event);
    return QQuickWindow::eventFilter(watched, event);
}

void FramelessWindow::focusInEvent(QFocusEvent *event)
{
    emit focusIn();
    QQuickWindow::focusInEvent(event);
}

void FramelessWindow::focusOutEvent(QFocusEvent *event)
{
    emit focusOut();
    QQuickWindow::focusOutEvent(event);
}

bool FramelessWindow::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    return QQuickWindow::nativeEvent(eventType, message, result);
}

// Qt's own request starts where the last pointer event it read was, which may lie a
// step or more past the press.
bool FramelessWindow::beginSystemMove(const QPoint &pressPosition)
{
    const std::optional<bool> begun = X11Pointer::beginMoveResize(this, pressPosition, Qt::Edges());
    return begun ? *begun : startSystemMove();
}

bool FramelessWindow::beginSystemResize(Qt::Edges edges, const QPoint &pressPosition)
{
    const std::optional<bool> begun = X11Pointer::beginMoveResize(this, pressPosition, edges);
    return begun ? *begun : startSystemResize(edges);
}

// From the press until the window manager lets go, the window follows the pointer: no
// screen is chosen again, nothing pulls it back or lays it out anew (a window pulled or
// resized under the window manager's drag jumps away from the pointer, and the window
// manager moves it back at the next step).
void FramelessWindow::startSystemDrag(bool resizing)
{
    qCDebug(lcWindow) << title() << (resizing ? "resize" : "move") << "handed to the window manager at" << geometry();
    d->keepInside.stop();
    d->screen->hold();
}

// The drop: the screen where the window's centre lies and the layout for it are chosen at
// once; a window laid out for its screen that hangs off it is moved inside once it has
// rested. A window manager may still carry it: one that took the move after the release
// moves it with the free pointer until the next click, and a window pulled back at each
// step would jump to and fro under the pointer.
void FramelessWindow::endSystemDrag(bool resized)
{
    qCDebug(lcWindow) << title() << "dropped at" << geometry();
    if (resized)
        d->sizedByOperator = true;
    d->screen->release();
    d->keepInside.start();
}

// The whole screen the window is on. A window manager keeps its panels above any window but
// one in the full-screen state, and covers the window's monitor, exactly, in that state: it
// is asked for that. Without one, the window covers the screen from its origin, one pixel
// over its right and bottom edges.
void FramelessWindow::coverScreen()
{
    QScreen *screen = d->screen->screen();
    if (!screen)
        return;
    if (X11WindowManager::takesFullScreen()) {
        if (!(windowStates() & Qt::WindowFullScreen))
            setWindowStates(Qt::WindowFullScreen);
        return;
    }
    const QRect whole = screen->geometry();
    setGeometry(QRect(whole.topLeft(), whole.size() + QSize(1, 1)));
}

// After the desk changed (a monitor unplugged, a resolution or scale changed): a window
// in its own full screen covers its screen anew; a shown window whose centre lies on no
// screen any more comes back inside its own screen's available area. Any other window
// stays where the operator put it, across two monitors or over a panel as it may be;
// with no screen at all, every window stays.
void FramelessWindow::keepOnItsScreen()
{
    if (!isVisible() || QGuiApplication::screens().isEmpty())
        return;
    if (d->normalState) {
        coverScreen();
        return;
    }
    if (!isOnAScreen())
        setGeometry(WindowScreen::keptInside(geometry(), d->screen->availableArea()));
}

// Not every platform holds a window to its maximum size (the offscreen one never, a window
// manager only once it has answered); a popup bounded by its screen must be so at once.
void FramelessWindow::keepWithinMaximumSize()
{
    const QSize bounded = size().boundedTo(maximumSize());
    if (bounded != size())
        resize(bounded);
}

// A window laid out for its screen lies inside that screen's available area once it rests
// after a move: laid out for one monitor, it must not hang off it where no monitor shows it, and
// the same place then gives the same screen at the next look.
void FramelessWindow::keepLaidOutInside()
{
    // Held from the start of a drag until the window has rested after the drop.
    if (d->layoutSize.isEmpty() || d->normalState || QGuiApplication::screens().isEmpty() || d->screen->isHeld())
        return;
    const QRect area = d->screen->availableArea();
    if (d->sizedByOperator) {
        const QRect inside = WindowScreen::keptInside(geometry(), area);
        if (inside != geometry())
            setGeometry(inside);
        return;
    }
    // At the size laid out for its screen, not the size it shows: a window manager may not
    // have applied the layout yet, or may have put an older size back meanwhile.
    const QRect inside = WindowScreen::keptInside(QRect(d->screen->windowGeometry().topLeft(), d->layoutSize), area);
    if (inside == geometry())
        return;
    qCDebug(lcWindow) << title() << "kept inside" << area << "from" << geometry() << "to" << inside;
    applyGeometry(inside);
}

// The geometry and the minimum size in one step: the minimum first lowered just enough
// that it does not resize the window on its own (width and height would go one at a time).
void FramelessWindow::applyGeometry(const QRect &geometry)
{
    setMinimumSize(minimumSize().boundedTo(geometry.size()));
    setGeometry(geometry);
    setMinimumSize(geometry.size());
    // Qt's X11 window takes the size asked for at once and the next frame is drawn at it,
    // but the pages learn it only once the window manager has answered: a new layout was
    // drawn squeezed into the old size until then. Only a shown window draws: a hidden one
    // (a popup placed before it opens) is sized by Qt when it shows.
    QQuickItem *content = contentItem();
    if (content && isVisible())
        content->setSize(size());
}

void FramelessWindow::rebuildCaptionArea(const QPoint &topLeft)
{
    setCaptionArea(QRect(topLeft, QSize(d->captionWidth, d->captionHeight)));
}
