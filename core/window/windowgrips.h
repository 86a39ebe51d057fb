#pragma once

#include <QEvent>
#include <QObject>
#include <QScopedPointer>

#include <functional>

class FramelessWindow;
class QEvent;
class SystemDrag;
class WindowGripsPrivate;

// Where a press takes hold of a frameless window: its caption moves it, the 6-pixel bands
// along its edges resize it (the pointer's shape shows them). The window manager runs the
// move or resize (SystemDrag) from the press until it lets go.
class WindowGrips : public QObject
{
    Q_OBJECT

public:
    // Asks the window manager for a move (no edges) or a resize by `edges`; false where it
    // refuses.
    using Begin = std::function<bool(Qt::Edges edges)>;

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
    void handlePointer(QEvent::Type type, const QPoint &pos, Qt::MouseButton button);
    void start(Qt::Edges edges);

    QScopedPointer<WindowGripsPrivate> d;
};
