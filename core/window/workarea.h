// What windows may take of each screen: the screen less what the window manager reserves
// for its panels. On X11 the window manager names a work area (_NET_WORKAREA, the one of
// the current desktop), one rectangle for the whole desk. Qt gives each monitor of a desk of
// several whole until the work area changes while it runs (one named before the client
// started is never taken), and follows the first desktop's only: a window kept inside a
// monitor lay under icewm's task bar. Here each monitor leaves out the strips that the
// panels lying on it reserve (windows with _NET_WM_STRUT_PARTIAL or _NET_WM_STRUT, read
// again whenever the work area changes): the work area alone cut a monitor taller than the
// one with the task bar at the bar's height. Where no panel window is found, each monitor's
// area is the part of it inside the work area. Elsewhere, with one monitor, or where the
// window manager names no work area, Qt's own available geometry.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QRect>
#include <QScopedPointer>

class QScreen;
class WorkAreaPrivate;

// What windows may take of each screen: the screen less what the window manager reserves
// for its panels. On X11 that is the window manager's work area (_NET_WORKAREA, the one of
// the current desktop). Qt gives each monitor of a desk of several whole until the work area
// changes while it runs (one named before the client started is never taken), and follows
// the first desktop's only: a window kept inside a monitor lay under icewm's task bar. Here
// each monitor's area is the part of it inside the work area, as with one monitor (the work
// area is one rectangle for the whole desk). Elsewhere, with one monitor, or where the
// window manager names no work area, Qt's own available geometry.
class WorkArea : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // The process's one, made at the first call; the application must exist.
    static WorkArea *instance();
    ~WorkArea() override;

    // `screen`'s available area in logical pixels.
    QRect availableGeometry(QScreen *screen) const;

signals:
    // The window manager's work area changed; read once the event loop runs again.
    void changed();

protected:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    explicit WorkArea(QObject *parent);
    void read();

    QScopedPointer<WorkAreaPrivate> d;
};
