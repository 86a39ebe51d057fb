#include "windowgrips.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>

#include <optional>
#include <utility>

#include "framelesswindow.h"
#include "systemdrag.h"

namespace {

constexpr int kBandWidth = 6;

bool within(int value, int low, int high)
{
    return value >= low && value <= high;
}

// Which window edges a position grabs. Bands overlap on tiny windows: left wins
// over right and top over bottom.
Qt::Edges resizeEdgesAt(const QPoint &pos, const QSize &size)
{
    const int w = size.width();
    const int h = size.height();
    const int inner = kBandWidth - 1;
    Qt::Edges edges;
    if (within(pos.y(), 0, h)) {
        if (within(pos.x(), 0, inner))
            edges |= Qt::LeftEdge;
        else if (within(pos.x(), w - inner, w))
            edges |= Qt::RightEdge;
    }
    if (within(pos.x(), 0, w)) {
        if (within(pos.y(), 0, inner))
            edges |= Qt::TopEdge;
        else if (within(pos.y(), h - inner, h))
            edges |= Qt::BottomEdge;
    }
    return edges;
}

Qt::CursorShape cursorForEdges(Qt::Edges edges)
{
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling = edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

} // namespace

// A press on the caption (no edges) or a band that may still become a drag.
struct Grip
{
    QPoint pressPosition;
    Qt::Edges edges;
};

class WindowGripsPrivate
{
public:
    FramelessWindow *window = nullptr;
    WindowGrips::Begin begin;
    // Owned here; until it has finished, the window follows the pointer unjudged.
    QScopedPointer<SystemDrag> drag;
    std::optional<Grip> grip;
    bool resizing = false;
};

WindowGrips::WindowGrips(FramelessWindow *window, Begin begin)
    : d(new WindowGripsPrivate)
{
    d->window = window;
    d->begin = std::move(begin);
    d->drag.reset(new SystemDrag(window));
    connect(d->drag.get(), &SystemDrag::finished, this, [this] { emit dropped(d->resizing); });
}

WindowGrips::~WindowGrips() = default;

SystemDrag *WindowGrips::drag() const
{
    return d->drag.get();
}

void WindowGrips::pointerEvent(const QEvent *event)
{
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::Enter:
        d->drag->pointerEvent(type);
        break;
    default:
        return;
    }
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    if (type == QEvent::MouseButtonPress)
        press(mouse->position().toPoint(), mouse->button());
    else if (type == QEvent::MouseMove)
        move(mouse->position().toPoint(), mouse->buttons());
    else
        d->grip.reset();
}

// Only a press of the left button takes hold: the window manager is told it is that button
// and ends at its release. A move that came of another button, or of a mouse move that no
// press of ours began (Qt reports the button held even after a window manager's move took
// its release), would carry the window along with a free pointer.
void WindowGrips::press(const QPoint &pos, Qt::MouseButton button)
{
    d->grip.reset();
    if (d->window->captionArea().toRect().contains(pos)) {
        if (button == Qt::LeftButton && d->window->movable())
            d->grip = Grip{pos, Qt::Edges()};
        return;
    }
    if (!hasBands())
        return;
    const Qt::Edges edges = resizeEdgesAt(pos, d->window->size());
    if (!edges)
        d->window->unsetCursor();
    else if (button == Qt::LeftButton)
        d->grip = Grip{pos, edges};
}

void WindowGrips::move(const QPoint &pos, Qt::MouseButtons buttons)
{
    if (d->grip) {
        if (!buttons.testFlag(Qt::LeftButton)) {
            d->grip.reset();
        } else if ((pos - d->grip->pressPosition).manhattanLength()
                   >= QGuiApplication::styleHints()->startDragDistance()) {
            const Grip grip = *std::exchange(d->grip, std::nullopt);
            // The release may have come already and wait unread behind this move (a loaded
            // machine, a quick hand).
            if (d->drag->pressStillHeld())
                start(grip.edges, grip.pressPosition);
        }
        return;
    }
    if (d->window->captionArea().toRect().contains(pos) || !hasBands())
        return;
    if (const Qt::Edges edges = resizeEdgesAt(pos, d->window->size()))
        d->window->setCursor(cursorForEdges(edges));
    else
        d->window->unsetCursor();
}

// No bands on a window that is not resizable or is in the platform's full-screen state.
bool WindowGrips::hasBands() const
{
    return !d->window->windowStates().testFlag(Qt::WindowFullScreen) && d->window->resizable();
}

void WindowGrips::start(Qt::Edges edges, const QPoint &pressPosition)
{
    if (!d->begin(edges, pressPosition))
        return;
    d->resizing = edges != Qt::Edges();
    emit dragStarted(d->resizing);
    d->drag->start();
}
