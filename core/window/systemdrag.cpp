#include "systemdrag.h"

#include <QTimer>

#include "x11pointer.h"

namespace {

constexpr int kCheckInterval = 100;

} // namespace

class SystemDragPrivate
{
public:
    QWindow *window = nullptr;
    bool active = false;
    SystemDrag::ButtonsProbe buttonsHeld = &X11Pointer::buttonsHeld;
    QTimer check;
};

SystemDrag::SystemDrag(QWindow *window)
    : d(new SystemDragPrivate)
{
    d->window = window;
    d->check.setInterval(kCheckInterval);
    connect(&d->check, &QTimer::timeout, this, [this] { check(false); });
}

SystemDrag::~SystemDrag() = default;

bool SystemDrag::isActive() const
{
    return d->active;
}

bool SystemDrag::pressStillHeld() const
{
    return d->buttonsHeld().value_or(true);
}

void SystemDrag::start()
{
    d->active = true;
    d->check.start();
}

void SystemDrag::pointerEvent(QEvent::Type type)
{
    if (!d->active)
        return;
    if (type == QEvent::MouseButtonRelease) {
        // The release reached the window, so it came before the window manager took the
        // pointer (between the client's look at the button and the window manager's grab):
        // the move it starts now would carry the window along with a free pointer.
        X11Pointer::cancelMoveResize(d->window);
        finish();
        return;
    }
    check(true);
}

void SystemDrag::setButtonsProbe(ButtonsProbe probe)
{
    d->buttonsHeld = std::move(probe);
}

void SystemDrag::check(bool pointerEventCame)
{
    const std::optional<bool> held = d->buttonsHeld();
    if (held ? !*held : pointerEventCame)
        finish();
}

void SystemDrag::finish()
{
    if (!d->active)
        return;
    d->active = false;
    d->check.stop();
    emit finished();
}
