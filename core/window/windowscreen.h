#pragma once

#include <QObject>
#include <QRect>
#include <QScopedPointer>

class QScreen;
class QWindow;
class WindowScreenPrivate;

// The screen a top-level window is on: the one its centre lies on, or the nearest one
// when the centre is on none (a window dragged past the desk's edge). It follows the
// window as it moves and the screens as they come, go or change.
class WindowScreen : public QObject
{
    Q_OBJECT

public:
    explicit WindowScreen(QWindow *window);
    ~WindowScreen() override;

    QScreen *screen() const;
    // The screen's area less its panels, in logical pixels; empty without any screen.
    QRect availableArea() const;

    static QScreen *screenFor(const QRect &rect);
    static QRect availableAreaFor(const QRect &rect);
    // Whether the whole of `rect` lies inside one screen's available area.
    static bool insideOneAvailableArea(const QRect &rect);
    // Whether the centre of `rect` lies on any screen.
    static bool centreOnAScreen(const QRect &rect);
    // `rect` no larger than `area` and moved just far enough to lie inside it.
    static QRect keptInside(const QRect &rect, const QRect &area);

signals:
    void availableAreaChanged();
    // Once after a burst of screen changes, when the bindings on the area have settled.
    void screensChanged();

private:
    void watchScreen(QScreen *screen);
    void update();
    void screenSetChanged();

    QScopedPointer<WindowScreenPrivate> d;
};
