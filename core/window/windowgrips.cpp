#include "windowgrips.h"

#include <QMouseEvent>

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

class WindowGripsPrivate
{
public:
    FramelessWindow *window = nullptr;
    WindowGrips::Begin begin;
    // Owned here; until it has finished, the window follows the pointer unjudged.
    QScopedPointer<SystemDrag> drag;
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
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove: {
        d->drag->pointerEvent(event->type());
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        handlePointer(event->type(), mouse->position().toPoint(), mouse->button());
        break;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::Enter:
        d->drag->pointerEvent(event->type());
        break;
    default:
        break;
    }
}

void WindowGrips::handlePointer(QEvent::Type type, const QPoint &pos, Qt::MouseButton button)
{
    FramelessWindow *window = d->window;
    // Only the press of the left button hands the pointer to the window manager, which is
    // told it is that button and ends at its release: a move started at a later mouse
    // move (Qt reports the button held even after the window manager's move took its
    // release) or by another button would carry the window along with a free pointer.
    const bool dragPress = type == QEvent::MouseButtonPress && button == Qt::LeftButton;
    if (window->captionArea().toRect().contains(pos)) {
        if (window->movable() && dragPress && d->drag->pressStillHeld())
            start(Qt::Edges());
        return;
    }
    if (window->windowStates().testFlag(Qt::WindowFullScreen) || !window->resizable())
        return;
    const Qt::Edges edges = resizeEdgesAt(pos, window->size());
    if (!edges)
        window->unsetCursor();
    else if (type == QEvent::MouseMove)
        window->setCursor(cursorForEdges(edges));
    else if (dragPress && d->drag->pressStillHeld())
        start(edges);
}

void WindowGrips::start(Qt::Edges edges)
{
    if (!d->begin(edges))
        return;
    d->resizing = edges != Qt::Edges();
    emit dragStarted(d->resizing);
    d->drag->start();
}
