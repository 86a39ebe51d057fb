#include <QBasicTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QVariantAnimation>
#include <QtTest>

#include "animationtimerguard.h"
#include "eventwait.h"

namespace {

// Ticks every 16 ms while animations run, as the default driver does, and says whether it
// runs (the render loop's driver asks for a frame at each tick).
class TestDriver : public QAnimationDriver
{
public:
    TestDriver()
    {
        connect(this, &QAnimationDriver::started, this, [this] { m_timer.start(16, this); });
        connect(this, &QAnimationDriver::stopped, this, [this] { m_timer.stop(); });
    }

protected:
    void timerEvent(QTimerEvent *) override { advance(); }

private:
    QBasicTimer m_timer;
};

// Two animations of one kind, started and stopped through `start` and `stop`.
struct AnimationPair
{
    std::function<void(int)> start;
    std::function<void(int)> stop;
};

void spin(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

const char kQmlPair[] = "import QtQuick 2.0\n"
                        "QtObject {\n"
                        "    property QtObject holder: QtObject { property real a; property real b }\n"
                        "    property var first: NumberAnimation { target: holder; property: 'a'; to: 1; duration: 100000 }\n"
                        "    property var second: NumberAnimation { target: holder; property: 'b'; to: 1; duration: 100000 }\n"
                        "}\n";

} // namespace

class tst_AnimationTimerGuard : public QObject
{
    Q_OBJECT

public:
    explicit tst_AnimationTimerGuard(QQmlEngine *engine)
        : m_engine(*engine)
    {
    }

private slots:
    void initTestCase();
    void init();
    void freesAStuckTimer_data();
    void freesAStuckTimer();
    void leavesRunningAnimationsAlone();
    void endsWithAKickInFlight();

private:
    AnimationPair corePair();
    AnimationPair qmlPair();
    void crossStopAndStart(const AnimationPair &pair);
    bool waitUntilStopped(int milliseconds);

    TestDriver m_driver;
    QQmlEngine &m_engine;
    QVariantAnimation m_core[2];
    QObject *m_qml = nullptr;
};

void tst_AnimationTimerGuard::initTestCase()
{
    m_driver.install();
    AnimationTimerGuard::instance()->install(&m_engine);
    for (QVariantAnimation &animation : m_core) {
        animation.setStartValue(0.0);
        animation.setEndValue(1.0);
        animation.setDuration(100000);
    }
    QQmlComponent component(&m_engine);
    component.setData(kQmlPair, QUrl());
    m_qml = component.create();
    QVERIFY2(m_qml, qPrintable(component.errorString()));
    m_qml->setParent(this);
}

void tst_AnimationTimerGuard::init()
{
    AnimationTimerGuard::instance()->setStuckAfter(300);
    QVERIFY(waitUntilStopped(kEventWaitMs));
}

AnimationPair tst_AnimationTimerGuard::corePair()
{
    return {[this](int i) { m_core[i].start(); }, [this](int i) { m_core[i].stop(); }};
}

AnimationPair tst_AnimationTimerGuard::qmlPair()
{
    auto animation = [this](int i) { return m_qml->property(i == 0 ? "first" : "second").value<QObject *>(); };
    return {[animation](int i) { QMetaObject::invokeMethod(animation(i), "start"); },
            [animation](int i) { QMetaObject::invokeMethod(animation(i), "stop"); }};
}

// The first animation ends while the second starts, and the second is stopped by an event
// that comes between the timer's queued stop and its queued start.
void tst_AnimationTimerGuard::crossStopAndStart(const AnimationPair &pair)
{
    pair.start(0);
    spin(100);
    pair.stop(0);
    QMetaObject::invokeMethod(this, [pair] { pair.stop(1); }, Qt::QueuedConnection);
    pair.start(1);
}

bool tst_AnimationTimerGuard::waitUntilStopped(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (m_driver.isRunning() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return !m_driver.isRunning();
}

void tst_AnimationTimerGuard::freesAStuckTimer_data()
{
    QTest::addColumn<bool>("qml");
    QTest::newRow("QtCore's timer") << false;
    QTest::newRow("QML's timer") << true;
}

// Stuck, the driver would run for good: it stops once the guard has run its animation, and
// a later animation still runs and ends on time.
void tst_AnimationTimerGuard::freesAStuckTimer()
{
    QFETCH(bool, qml);
    AnimationTimerGuard *guard = AnimationTimerGuard::instance();
    const AnimationPair pair = qml ? qmlPair() : corePair();
    guard->setStuckAfter(std::numeric_limits<int>::max());
    crossStopAndStart(pair);
    spin(1000);
    QVERIFY2(m_driver.isRunning(), "the timer did not get stuck: the crossing no longer shows Qt's fault");

    QSignalSpy kicked(guard, &AnimationTimerGuard::kicked);
    guard->setStuckAfter(300);
    QVERIFY2(waitUntilStopped(kEventWaitMs), "the driver still runs with no animation");
    QCOMPARE(kicked.count(), 1);

    QVariantAnimation later;
    later.setStartValue(0.0);
    later.setEndValue(1.0);
    later.setDuration(200);
    QSignalSpy finished(&later, &QAbstractAnimation::finished);
    later.start();
    QVERIFY(finished.wait(kEventWaitMs));
    QVERIFY(waitUntilStopped(kEventWaitMs));
    QCOMPARE(kicked.count(), 1);
}

// Animations that run longer than the guard's patience, alone and one after another with
// gaps, are never taken for a stuck timer.
void tst_AnimationTimerGuard::leavesRunningAnimationsAlone()
{
    QSignalSpy kicked(AnimationTimerGuard::instance(), &AnimationTimerGuard::kicked);
    for (const AnimationPair &pair : {corePair(), qmlPair()}) {
        pair.start(0);
        spin(900);
        pair.stop(0);
        for (int i = 0; i < 3; ++i) {
            pair.start(1);
            spin(150);
            pair.stop(1);
            spin(20);
        }
        QVERIFY(waitUntilStopped(kEventWaitMs));
    }
    QCOMPARE(kicked.count(), 0);
}

// The process ends right after a kick, with its animations still running (main() then deletes
// the application and the engine).
void tst_AnimationTimerGuard::endsWithAKickInFlight()
{
    AnimationTimerGuard *guard = AnimationTimerGuard::instance();
    guard->setStuckAfter(std::numeric_limits<int>::max());
    crossStopAndStart(corePair());
    crossStopAndStart(qmlPair());
    spin(500);
    QSignalSpy kicked(guard, &AnimationTimerGuard::kicked);
    guard->setStuckAfter(300);
    QVERIFY(kicked.wait(kEventWaitMs));
}

// Qt Quick Test deletes its application before its engine: what a kick leaves behind must
// not need either by then.
int main(int argc, char **argv)
{
    auto *app = new QGuiApplication(argc, argv);
    auto *engine = new QQmlEngine;
    int failures = 0;
    {
        tst_AnimationTimerGuard test(engine);
        failures = QTest::qExec(&test, argc, argv);
    }
    delete app;
    delete engine;
    return failures;
}
#include "tst_animationtimerguard.moc"
