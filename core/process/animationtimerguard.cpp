#include "animationtimerguard.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QQmlContext>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QThread>
#include <QVariantAnimation>
#include <QtCore/private/qabstractanimation_p.h>

Q_LOGGING_CATEGORY(lcAnimationTimer, "zelka.animationtimer", QtInfoMsg)

namespace {

// Healthy ticks without an animation come only between an animation's end and its
// timer's queued stop: one or two frames. A stuck timer ticks at the frame rate; a single
// late tick (the first after a long pause) spans much time but is one tick.
constexpr int kDefaultStuckAfter = 500;
constexpr int kStuckTicks = 10;

// Runs a QML animation to its end on a property of its own.
const char kQmlKick[] = "import QtQuick 2.0\n"
                        "NumberAnimation {\n"
                        "    property QtObject holder: QtObject { property real value }\n"
                        "    target: holder; property: \"value\"; from: 0; to: 1; duration: 1\n"
                        "}\n";

} // namespace

class AnimationTimerGuardPrivate
{
public:
    QThread *thread = nullptr;
    QPointer<QQmlEngine> engine;
    qint64 idleTime = 0;
    int idleTicks = 0;
    int stuckAfter = kDefaultStuckAfter;
    bool kickPending = false;
    int kicks = 0;
};

AnimationTimerGuard *AnimationTimerGuard::instance()
{
    static AnimationTimerGuard guard;
    return &guard;
}

AnimationTimerGuard::AnimationTimerGuard(QObject *parent)
    : QObject(parent)
    , d(new AnimationTimerGuardPrivate)
{
}

AnimationTimerGuard::~AnimationTimerGuard() = default;

void AnimationTimerGuard::install(QQmlEngine *engine)
{
    d->engine = engine;
    if (d->thread)
        return;
    d->thread = QThread::currentThread();
    // The unified timer calls this back once per tick that advances time. Its only other
    // user is the QML profiler, which a client run does not enable.
    QUnifiedTimer::instance(true)->registerProfilerCallback(&AnimationTimerGuard::onTick);
}

void AnimationTimerGuard::setStuckAfter(int milliseconds)
{
    d->stuckAfter = milliseconds;
}

int AnimationTimerGuard::kicks() const
{
    return d->kicks;
}

void AnimationTimerGuard::onTick(qint64 delta)
{
    AnimationTimerGuard *guard = instance();
    if (QThread::currentThread() == guard->d->thread)
        guard->noteTick(delta);
}

void AnimationTimerGuard::noteTick(qint64 delta)
{
    QUnifiedTimer *timer = QUnifiedTimer::instance(false);
    if (d->kickPending || !timer || timer->runningAnimationCount() > 0) {
        d->idleTime = 0;
        d->idleTicks = 0;
        return;
    }
    d->idleTime += delta;
    ++d->idleTicks;
    if (d->idleTime < d->stuckAfter || d->idleTicks < kStuckTicks)
        return;
    qCInfo(lcAnimationTimer) << d->idleTicks << "animation ticks in" << d->idleTime << "ms with no animation"
                             << "running: running one to its end to stop them";
    d->idleTime = 0;
    d->idleTicks = 0;
    d->kickPending = true;
    // Not inside the tick: starting an animation there is not safe.
    QMetaObject::invokeMethod(this, &AnimationTimerGuard::kick, Qt::QueuedConnection);
}

// One animation of each kind runs a tick and ends: its timer queues its stop with no other
// start pending, and that stop unregisters it.
void AnimationTimerGuard::kick()
{
    d->kickPending = false;
    startCoreKick();
    startQmlKick();
    ++d->kicks;
    emit kicked();
}

// Each kick's animation is deleted when it stops, and one still running at exit goes with the
// application, while the thread's timers it would stop still exist.
void AnimationTimerGuard::startCoreKick()
{
    auto *animation = new QVariantAnimation(QCoreApplication::instance());
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(1);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void AnimationTimerGuard::startQmlKick()
{
    if (!d->engine)
        return;
    QQmlComponent component(d->engine);
    component.setData(kQmlKick, QUrl());
    QObject *animation = component.create();
    if (!animation) {
        qCWarning(lcAnimationTimer) << "the QML animation timer cannot be freed:" << component.errorString();
        return;
    }
    animation->setParent(QCoreApplication::instance());
    connect(animation, SIGNAL(stopped()), animation, SLOT(deleteLater()));
    // A QML object must not outlive its engine's context.
    connect(d->engine->rootContext(), &QObject::destroyed, animation, [animation] { delete animation; });
    QMetaObject::invokeMethod(animation, "start");
}
