#pragma once

#include <QObject>
#include <QRect>
#include <QScopedPointer>
#include <QSize>

#include <functional>

class QScreen;
class QWindow;
class WindowScreenPrivate;

// The screen a top-level window is on. A window not placed yet is on the primary screen;
// once moved, it is on the screen its centre lies on, or the nearest one when the centre
// is on none (a window dragged past the desk's edge). Only a move or a change of the
// screens picks again, once per new position (a move reports x and y one after the other):
// a window's own resize never takes it to another screen, or a size that follows the
// screen could carry it back and forth for ever. A shown window's moves are judged once it
// is mapped: until then its place is the window manager's business.
//
// A window whose size follows its screen (sizeOnScreen) goes to another screen only where
// it would still be there once laid out for it: in the band along a boundary where the
// other screen's size puts the centre back on its own, it stays, or each look would
// choose the other screen.
class WindowScreen : public QObject
{
    Q_OBJECT

public:
    // The size the window would have on a screen.
    using SizeOnScreen = std::function<QSize(QScreen *)>;

    // Watches `window` until this object is destroyed; the window's owner destroys it
    // first, so that no signal of a dying window reaches it.
    explicit WindowScreen(QWindow *window);
    ~WindowScreen() override;

    // Null only while the desk has no screen at all.
    QScreen *screen() const;
    // The screen's area less its panels (WorkArea), in logical pixels. Without any screen it keeps
    // the last one: windows stay where they are until a screen comes back.
    QRect availableArea() const;
    // Counts the changes of the desk (screens added or removed, a new primary, a screen's
    // geometry or available area), to tell whether the desk changed since a moment.
    int deskChanges() const;
    // Whether the window was moved since it was made (until then it is on the primary).
    bool isPlaced() const;
    // Set by what lays the window out for its screen; empty: the size follows no screen.
    void setSizeOnScreen(SizeOnScreen sizeOnScreen);
    // While the window manager drags the window, its moves are not judged: it follows the
    // pointer over any screen. Released, the place it was dropped at is judged once it has
    // rested (held until then).
    void hold();
    void release();
    bool isHeld() const;
    // The window is about to be put at `rect`: its screen is chosen for that place now, so
    // that what follows the screen (a layout) is done before it gets there.
    void expectAt(const QRect &rect);

    // The window's place in the desk's logical pixels, read through the screen it lies on.
    QRect windowGeometry() const;

    static QScreen *screenFor(const QRect &rect);
    static QRect availableAreaFor(const QRect &rect);
    // Whether the centre of `rect` lies on any screen.
    static bool centreOnAScreen(const QRect &rect);
    // `rect` no larger than `area` and moved just far enough to lie inside it.
    static QRect keptInside(const QRect &rect, const QRect &area);

signals:
    // The window is on another screen now; announced before its area, so that what follows
    // the screen is in place when the area's users look.
    void screenChanged();
    void availableAreaChanged();
    // Once after a burst of screen changes, when the bindings on the area have settled.
    void screensChanged();
    // After each new position, once the screen is chosen and what the choice brought
    // (a new layout) is done.
    void positionSettled();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchScreen(QScreen *screen);
    void windowMoved();
    void takeMappedPlace();
    void screenSetChanged();
    void repick();
    QScreen *choose(const QRect &rect) const;
    void pick(QScreen *screen);

    QScopedPointer<WindowScreenPrivate> d;
};
