#pragma once

#include <QEvent>
#include <QObject>
#include <QScopedPointer>

#include <functional>
#include <optional>

class QWindow;
class SystemDragPrivate;

// A move or resize that the window manager runs for a drag from a window's caption or edge.
// From the hand-over on the window manager owns the pointer: the window sees no pointer
// event until it lets go, and Qt never sees the release (it reports the button as held
// after).
// The drag is over once no pointer button is held, as the X server tells: looked at when
// a pointer event reaches the window again, and every 100 ms meanwhile (the pointer may
// end outside the window). Where the platform cannot tell (not X11), the window's next
// pointer event ends it.
class SystemDrag : public QObject
{
    Q_OBJECT

public:
    // Whether a pointer button is held now; empty when nobody can tell.
    using ButtonsProbe = std::function<std::optional<bool>()>;

    explicit SystemDrag(QWindow *window);
    ~SystemDrag() override;

    bool isActive() const;
    // Whether a press may still become a drag: its button is held yet. Handled late (a
    // loaded machine, a quick hand), its release may have come already, and a window
    // manager that starts a move then carries the window with a free pointer (not all of
    // them take the cancel that follows).
    bool pressStillHeld() const;
    // The window manager took the move or resize on: the drag runs from now on.
    void start();
    // A pointer event reached the window.
    void pointerEvent(QEvent::Type type);
    // Tests stand in for the X server.
    void setButtonsProbe(ButtonsProbe probe);

signals:
    // Once per drag, when the window manager has let go of the window.
    void finished();

private:
    void check(bool pointerEventCame);
    void finish();

    QScopedPointer<SystemDragPrivate> d;
};
