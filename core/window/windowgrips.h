#pragma once

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QScopedPointer>

#include <functional>

class FramelessWindow;
class QEvent;
class SystemDrag;
class WindowGripsPrivate;

// Where a press takes hold of a frameless window: its caption moves it, the 6-pixel bands
// along its edges resize it (the pointer's shape shows them). The window manager runs the
// move or resize (SystemDrag), asked for once the pointer has moved past the platform's
// drag distance from the press with the left button still held, as the X server tells: a
// click starts nothing (a release that came before the request would leave a window
// manager that takes no cancel carrying the window along with a free pointer). It runs
// from the press point, so the window keeps the place the pointer took hold of.
class WindowGrips : public QObject
{
    Q_OBJECT

public:
    // Asks the window manager for a move (no edges) or a resize by `edges` that starts at
    // the press at `pressPosition` (the window's logical pixels); false where it refuses.
    using Begin = std::function<bool(Qt::Edges edges, const QPoint &pressPosition)>;

    WindowGrips(FramelessWindow *window, Begin begin);
    ~WindowGrips() override;

    SystemDrag *drag() const;
    // A pointer event of the window, before its items see it.
    void pointerEvent(const QEvent *event);

signals:
    // The window manager took a move or resize on; it runs until `dropped`.
    void dragStarted(bool resizing);
    void dropped(bool resized);

private:
    void press(const QPoint &pos, Qt::MouseButton button);
    void move(const QPoint &pos, Qt::MouseButtons buttons);
    bool hasBands() const;
    void start(Qt::Edges edges, const QPoint &pressPosition);

    QScopedPointer<WindowGripsPrivate> d;
};
