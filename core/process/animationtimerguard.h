#pragma once

#include <QObject>
#include <QScopedPointer>

class AnimationTimerGuardPrivate;
class QQmlEngine;

// Keeps Qt's animation timers from driving frames with nothing to animate.
//
// Qt's two animation timers of a thread (QtCore's, which QtCharts animates with, and QML's)
// stay registered with the thread's unified timer when a stop and a start cross: an
// animation ends (the timer's stop is queued), another starts (its start is queued after
// the stop, which then waits for it) and is stopped again before its start runs (a page
// hidden with its charts in mid-update). The timer, holding no animation, is never
// unregistered, so the animation driver runs for the rest of the process: the threaded
// render loop advances it after every sync and asks for the next frame, and a window with
// nothing moving is drawn at the screen's rate for good.
//
// The guard sees every tick of the GUI thread's unified timer. Ticks that keep coming with
// no animation running mean a timer is stuck: it then runs one short animation of each
// kind to its end, and the timers go through their own stop, which unregisters them.
class AnimationTimerGuard : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int kicks READ kicks NOTIFY kicked)

public:
    static AnimationTimerGuard *instance();
    ~AnimationTimerGuard() override;

    // Watches the calling thread's ticks from now on (the GUI thread's: the one that owns the
    // windows). `engine` makes the animation that frees QML's timer; without one only
    // QtCore's timer is freed. The engine may go before the guard.
    void install(QQmlEngine *engine);
    // The animation time without a running animation (and at least ten ticks) after which a
    // timer counts as stuck.
    void setStuckAfter(int milliseconds);
    // How often a stuck timer was freed.
    int kicks() const;

signals:
    void kicked();

private:
    explicit AnimationTimerGuard(QObject *parent = nullptr);
    static void onTick(qint64 delta);
    void noteTick(qint64 delta);
    void kick();
    void startCoreKick();
    void startQmlKick();

    QScopedPointer<AnimationTimerGuardPrivate> d;
};
