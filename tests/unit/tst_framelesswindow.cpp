#include <QGuiApplication>
#include <QMouseEvent>
#include <QPlatformSurfaceEvent>
#include <QPointer>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <qpa/qwindowsysteminterface.h>

#include <memory>
#include <optional>

#include "framelesswindow.h"
#include "eventwait.h"
#include "offscreendesk.h"
#include "systemdrag.h"
#include "windowscreen.h"

namespace {

// Records the window manager's move and resize instead of asking the platform.
class RecordingWindow : public FramelessWindow
{
public:
    int moves = 0;
    QList<Qt::Edges> resizes;
    // Where each move or resize was told the press was.
    QList<QPoint> pressPositions;

protected:
    bool beginSystemMove(const QPoint &pressPosition) override
    {
        ++moves;
        pressPositions.append(pressPosition);
        return true;
    }
    bool beginSystemResize(Qt::Edges edges, const QPoint &pressPosition) override
    {
        resizes.append(edges);
        pressPositions.append(pressPosition);
        return true;
    }
};

// Notes the requested surface format at the moment the platform window comes to be.
class SurfaceRecordingWindow : public FramelessWindow
{
    Q_OBJECT
public:
    int alphaAtCreation = -2;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::PlatformSurface
            && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated)
            alphaAtCreation = requestedFormat().alphaBufferSize();
        return FramelessWindow::event(event);
    }
};

void sendMouse(QWindow &window, QEvent::Type type, const QPointF &pos, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, window.mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &event);
}

void press(QWindow &window, const QPointF &pos)
{
    sendMouse(window, QEvent::MouseButtonPress, pos, Qt::LeftButton);
}

void hover(QWindow &window, const QPointF &pos)
{
    sendMouse(window, QEvent::MouseMove, pos, Qt::NoButton);
}

void dragTo(QWindow &window, const QPointF &pos)
{
    sendMouse(window, QEvent::MouseMove, pos, Qt::LeftButton);
}

void release(QWindow &window, const QPointF &pos)
{
    sendMouse(window, QEvent::MouseButtonRelease, pos, Qt::NoButton);
}

int dragDistance()
{
    return QGuiApplication::styleHints()->startDragDistance();
}

// A press and a move just past the platform's drag distance, the button held: a drag.
void grab(QWindow &window, const QPoint &pos)
{
    press(window, pos);
    dragTo(window, pos + QPoint(dragDistance(), 0));
}

// A 100 x 80 window whose caption area lies away from the bands under test.
void prepareBandWindow(RecordingWindow &window)
{
    window.resize(100, 80);
    window.setCaptionArea(QRectF(40, 30, 10, 10));
}

Qt::Edges edges(Qt::Edge a, Qt::Edge b = Qt::Edge(0))
{
    return Qt::Edges(a) | b;
}

std::unique_ptr<QObject> createFromQml(QQmlEngine &engine, const QByteArray &qml)
{
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nimport an.window 1.0\n" + qml, QUrl());
    std::unique_ptr<QObject> object(component.create());
    if (!object)
        qWarning() << component.errorString();
    return object;
}

} // namespace

class TestFramelessWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qmlRegisterType<FramelessWindow>("an.window", 1, 0, "FramelessWindow");
    }

    void startState()
    {
        FramelessWindow window;
        QVERIFY(window.flags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(window.resizable());
        QVERIFY(window.movable());
        QVERIFY(window.visiblable());
        QVERIFY(window.taskbarHint());
        QVERIFY(!window.topHint());
        QCOMPARE(window.captionWidth(), 0);
        QCOMPARE(window.captionHeight(), 30);
        QCOMPARE(window.captionArea(), QRectF(5, 5, window.width(), window.captionHeight()));
        QVERIFY(!window.topWindow());
    }

    void pressStartsResizeByBand_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("expected");
        QTest::newRow("origin corner") << QPoint(0, 0) << int(edges(Qt::TopEdge, Qt::LeftEdge));
        QTest::newRow("inner corner edge") << QPoint(5, 5) << int(edges(Qt::TopEdge, Qt::LeftEdge));
        QTest::newRow("one past corner") << QPoint(6, 6) << 0;
        QTest::newRow("top band") << QPoint(50, 5) << int(edges(Qt::TopEdge));
        QTest::newRow("below top band") << QPoint(50, 6) << 0;
        QTest::newRow("top-right corner") << QPoint(100, 0) << int(edges(Qt::TopEdge, Qt::RightEdge));
        QTest::newRow("left band") << QPoint(0, 40) << int(edges(Qt::LeftEdge));
        QTest::newRow("right band inner edge") << QPoint(95, 40) << int(edges(Qt::RightEdge));
        QTest::newRow("left of right band") << QPoint(94, 40) << 0;
        QTest::newRow("right edge") << QPoint(100, 40) << int(edges(Qt::RightEdge));
        QTest::newRow("one past right") << QPoint(101, 40) << 0;
        QTest::newRow("bottom-left corner") << QPoint(0, 80) << int(edges(Qt::BottomEdge, Qt::LeftEdge));
        QTest::newRow("bottom band inner edge") << QPoint(50, 75) << int(edges(Qt::BottomEdge));
        QTest::newRow("above bottom band") << QPoint(50, 74) << 0;
        QTest::newRow("bottom-right corner") << QPoint(100, 80) << int(edges(Qt::BottomEdge, Qt::RightEdge));
        QTest::newRow("one past bottom") << QPoint(50, 81) << 0;
        QTest::newRow("negative") << QPoint(-1, 40) << 0;
    }

    void pressStartsResizeByBand()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, expected);
        RecordingWindow window;
        prepareBandWindow(window);
        window.setCursor(Qt::WaitCursor);
        grab(window, pos);
        QCOMPARE(window.moves, 0);
        if (expected) {
            QCOMPARE(window.resizes, QList<Qt::Edges>{Qt::Edges(expected)});
            QCOMPARE(window.pressPositions, QList<QPoint>{pos});
            QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
        } else {
            QVERIFY(window.resizes.isEmpty());
            QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        }
    }

    void tinyWindowBandsFollowPrecedence()
    {
        // Bands overlap on an 8 x 8 window: left beats right and top beats bottom.
        RecordingWindow window;
        window.resize(8, 8);
        window.setCaptionArea(QRectF());
        grab(window, QPoint(4, 4));
        grab(window, QPoint(8, 8));
        QCOMPARE(window.resizes, (QList<Qt::Edges>{edges(Qt::TopEdge, Qt::LeftEdge), edges(Qt::BottomEdge, Qt::RightEdge)}));
    }

    void hoverSetsCursorByBand_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("shape");
        QTest::newRow("top-left") << QPoint(2, 2) << int(Qt::SizeFDiagCursor);
        QTest::newRow("top") << QPoint(50, 0) << int(Qt::SizeVerCursor);
        QTest::newRow("top-right") << QPoint(98, 3) << int(Qt::SizeBDiagCursor);
        QTest::newRow("left") << QPoint(3, 40) << int(Qt::SizeHorCursor);
        QTest::newRow("right") << QPoint(97, 40) << int(Qt::SizeHorCursor);
        QTest::newRow("bottom-left") << QPoint(1, 79) << int(Qt::SizeBDiagCursor);
        QTest::newRow("bottom") << QPoint(50, 78) << int(Qt::SizeVerCursor);
        QTest::newRow("bottom-right") << QPoint(99, 79) << int(Qt::SizeFDiagCursor);
    }

    void hoverSetsCursorByBand()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, shape);
        RecordingWindow window;
        prepareBandWindow(window);
        hover(window, pos);
        QCOMPARE(int(window.cursor().shape()), shape);
        QVERIFY(window.resizes.isEmpty());
        QCOMPARE(window.moves, 0);
    }

    void leavingBandsResetsCursor()
    {
        RecordingWindow window;
        prepareBandWindow(window);
        hover(window, QPoint(50, 78));
        QCOMPARE(window.cursor().shape(), Qt::SizeVerCursor);
        hover(window, QPoint(50, 60));
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        hover(window, QPoint(0, 0));
        QCOMPARE(window.cursor().shape(), Qt::SizeFDiagCursor);
        hover(window, QPoint(150, 40));
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }

    void notResizableNeverResizesNorTouchesCursor()
    {
        RecordingWindow window;
        prepareBandWindow(window);
        window.setResizable(false);
        window.setCursor(Qt::WaitCursor);
        const QList<QPoint> positions{{0, 0}, {5, 5}, {50, 40}, {100, 80}, {50, 78}, {101, 40}};
        for (const QPoint &pos : positions) {
            grab(window, pos);
            hover(window, pos);
        }
        QVERIFY(window.resizes.isEmpty());
        QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
    }

    void platformFullScreenSwitchesBandsOff()
    {
        RecordingWindow window;
        prepareBandWindow(window);
        window.setWindowStates(Qt::WindowFullScreen);
        window.resize(100, 80);
        grab(window, QPoint(0, 0));
        QVERIFY(window.resizes.isEmpty());
    }

    // Only a drag from a press of the left button hands the window to the window manager,
    // once the pointer has gone the platform's drag distance from the press: a click starts
    // nothing, and neither does a move reported with the button held (Qt reports it so after
    // a window manager's move took the release) or a press of another button, which would
    // start a move that follows a free pointer. The move starts from the press.
    void captionDragMovesWindow()
    {
        RecordingWindow window;
        prepareBandWindow(window);
        window.setCaptionArea(QRectF(0, 0, 100, 30));
        window.setCursor(Qt::WaitCursor);
        press(window, QPoint(50, 20));
        release(window, QPoint(50, 20));
        press(window, QPoint(0, 0));
        dragTo(window, QPoint(dragDistance() - 1, 0));
        release(window, QPoint(dragDistance() - 1, 0));
        QCOMPARE(window.moves, 0);
        dragTo(window, QPoint(60, 20));
        dragTo(window, QPoint(90, 25));
        QCOMPARE(window.moves, 0);

        press(window, QPoint(40, 20));
        dragTo(window, QPoint(43, 22));
        QCOMPARE(window.moves, 0);
        dragTo(window, QPoint(40 + dragDistance() - 2, 22));
        QCOMPARE(window.moves, 1);
        QCOMPARE(window.pressPositions, QList<QPoint>{QPoint(40, 20)});
        QVERIFY(window.resizes.isEmpty());
        QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
        dragTo(window, QPoint(90, 25)); // the same press hands over once
        QCOMPARE(window.moves, 1);

        QMouseEvent rightPress(QEvent::MouseButtonPress, QPointF(50, 20), window.mapToGlobal(QPointF(50, 20)),
                               Qt::RightButton, Qt::RightButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &rightPress);
        QMouseEvent rightMove(QEvent::MouseMove, QPointF(90, 20), window.mapToGlobal(QPointF(90, 20)), Qt::NoButton,
                              Qt::RightButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &rightMove);
        QCOMPARE(window.moves, 1);

        window.setMovable(false);
        grab(window, QPoint(50, 20));
        QCOMPARE(window.moves, 1);
        QVERIFY(window.resizes.isEmpty());
    }

    // The drag a press may become, with the X server's account of the button: a press whose
    // button is up by the time the pointer has gone the drag distance (a click on a loaded
    // machine, its release not read yet) hands nothing over. A drag handed over lasts until
    // no button is held any more: read when a pointer event reaches the window and while
    // none comes; a release that reaches the window ends it at once.
    void dragLastsWhileTheButtonIsHeld()
    {
        RecordingWindow window;
        prepareBandWindow(window);
        window.setCaptionArea(QRectF(0, 0, 100, 30));
        bool held = true;
        SystemDrag *drag = window.systemDrag();
        drag->setButtonsProbe([&held] { return std::optional<bool>(held); });
        QSignalSpy finished(drag, &SystemDrag::finished);

        press(window, QPoint(50, 20));
        held = false; // the release came, and waits behind the move
        dragTo(window, QPoint(50, 20 + dragDistance()));
        QCOMPARE(window.moves, 0);
        QVERIFY(!drag->isActive());
        press(window, QPoint(0, 40));
        dragTo(window, QPoint(dragDistance(), 40));
        QVERIFY(window.resizes.isEmpty());

        held = true;
        grab(window, QPoint(50, 20));
        QCOMPARE(window.moves, 1);
        QVERIFY(drag->isActive());
        hover(window, QPoint(50, 20)); // the button still held: the drag goes on
        QTest::qWait(250);
        QVERIFY(drag->isActive());
        held = false; // let go outside the window: no event comes, the drag ends anyway
        QTRY_VERIFY_WITH_TIMEOUT(!drag->isActive(), kEventWaitMs);
        QCOMPARE(finished.count(), 1);

        held = true;
        grab(window, QPoint(0, 40)); // a band: the resize is a drag too
        QCOMPARE(window.resizes.size(), 1);
        QVERIFY(drag->isActive());
        release(window, QPoint(0, 40));
        QVERIFY(!drag->isActive());
        QCOMPARE(finished.count(), 2);

        // Where nobody can tell the buttons' state, the window's next pointer event ends it.
        drag->setButtonsProbe([] { return std::optional<bool>(); });
        grab(window, QPoint(50, 20));
        QVERIFY(drag->isActive());
        QTest::qWait(250);
        QVERIFY(drag->isActive());
        hover(window, QPoint(50, 20));
        QVERIFY(!drag->isActive());
        QCOMPARE(window.moves, 2);
    }

    // Also run at a device pixel ratio of 2: the caption is in the pointer's logical
    // pixels there too, and does not reach over what lies right of or below it.
    void captionSizeFollowsResizable()
    {
        RecordingWindow window;
        window.resize(400, 200);
        QSignalSpy heightSpy(&window, &FramelessWindow::captionHeightChanged);
        window.setCaptionWidth(200);
        window.setCaptionHeight(35);
        QCOMPARE(heightSpy.count(), 1);
        QCOMPARE(window.captionArea(), QRectF(5, 5, 200, 35));
        window.setCaptionHeight(35);
        QCOMPARE(heightSpy.count(), 1);
        grab(window, QPoint(100, 50));
        grab(window, QPoint(250, 20));
        QCOMPARE(window.moves, 0);
        grab(window, QPoint(100, 20));
        QCOMPARE(window.moves, 1);

        QSignalSpy resizableSpy(&window, &FramelessWindow::resizableChanged);
        QSignalSpy areaSpy(&window, &FramelessWindow::captionAreaChanged);
        window.setResizable(false);
        QCOMPARE(window.captionArea(), QRectF(0, 0, 200, 35));
        // Bindings on the area must see it move.
        QCOMPARE(areaSpy.count(), 1);
        window.setResizable(true);
        QCOMPARE(window.captionArea(), QRectF(5, 5, 200, 35));
        QCOMPARE(resizableSpy.count(), 2);
    }

    void captionAreaIsRoundedToPixels()
    {
        FramelessWindow window;
        QSignalSpy spy(&window, &FramelessWindow::captionAreaChanged);
        window.setCaptionArea(QRectF(10.4, 0.6, 99.7, 20.2));
        QCOMPARE(window.captionArea(), QRectF(10, 1, 100, 20));
        window.setCaptionArea(QRectF(10.2, 1.1, 100.1, 19.9));
        QCOMPARE(spy.count(), 1);
    }

    void fullScreenSavesAndRestores()
    {
        RecordingWindow window;
        window.setGeometry(30, 40, 300, 200);
        window.setCaptionArea(QRectF(60, 0, 180, 40));
        const QRectF caption = window.captionArea();
        QSignalSpy topSpy(&window, &FramelessWindow::topHintChanged);

        window.displayFullScreen();
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(window.geometry(), QRect(0, 0, screen.width() + 1, screen.height() + 1));
        QVERIFY(window.topHint());
        QVERIFY(window.flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!window.movable());
        QVERIFY(!window.resizable());
        grab(window, QPoint(100, 10));
        QCOMPARE(window.moves, 0);

        // A second call must not overwrite what the first saved.
        window.displayFullScreen();
        window.displayNormal();
        QCOMPARE(window.geometry(), QRect(30, 40, 300, 200));
        QVERIFY(!window.topHint());
        QVERIFY(!window.flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window.movable());
        QVERIFY(window.resizable());
        QCOMPARE(window.captionArea(), caption);
        QCOMPARE(topSpy.count(), 2);
        grab(window, QPoint(100, 10));
        QCOMPARE(window.moves, 1);

        // The minimum grew while it covered the screen (pages laid out for a larger ratio):
        // the way back is no smaller than the new minimum, and stays inside the screen.
        window.displayFullScreen();
        window.setMinimumSize(QSize(500, 400));
        window.displayNormal();
        QCOMPARE(window.geometry(), QRect(30, 40, 500, 400));
        window.setGeometry(screen.width() - 350, 40, 300, 200);
        window.setMinimumSize(QSize(300, 200));
        window.displayFullScreen();
        window.setMinimumSize(QSize(500, 400));
        window.displayNormal();
        QCOMPARE(window.geometry(), QRect(screen.width() - 500, 40, 500, 400));
    }

    // A desk of two screens, the second beside the primary and lower: a window knows the
    // screen its centre is on, full screen covers that screen, and a window left outside
    // every screen comes back inside its own.
    void windowsOnTheSecondScreen()
    {
        if (QGuiApplication::screens().size() < 2)
            QSKIP("needs the offscreen platform with two screens");
        QScreen *second = QGuiApplication::screens().at(1);
        const QRect desk = second->geometry();
        const QRect area = second->availableGeometry();
        RecordingWindow window;
        QSignalSpy areaChanges(&window, &FramelessWindow::availableAreaChanged);
        window.setGeometry(desk.x() + 300, desk.y() + 100, 400, 300);
        QCOMPARE(window.availableArea(), area);
        QCOMPARE(areaChanges.count(), 1);
        window.setX(desk.x() + 20); // still on the second screen: no news
        QCOMPARE(areaChanges.count(), 1);

        window.displayFullScreen();
        QCOMPARE(window.geometry(), QRect(desk.topLeft(), desk.size() + QSize(1, 1)));
        window.displayNormal();
        QCOMPARE(window.geometry(), QRect(desk.x() + 20, desk.y() + 100, 400, 300));

        // Its centre past the desk's right edge: the nearest screen is its own; full screen
        // covers that one and the way back lands inside it.
        window.setGeometry(desk.right() + 400, desk.y() + 100, 400, 300);
        QCOMPARE(window.availableArea(), area);
        window.displayFullScreen();
        QCOMPARE(window.geometry().topLeft(), desk.topLeft());
        window.displayNormal();
        QCOMPARE(window.geometry(), QRect(area.right() + 1 - 400, desk.y() + 100, 400, 300));

        // Back on the primary screen.
        window.setGeometry(100, 100, 400, 300);
        QCOMPARE(window.availableArea(), QGuiApplication::primaryScreen()->availableGeometry());
        QCOMPARE(areaChanges.count(), 2);

    }

    // Two monitors on a real X server (two-monitors.sh: A 1920 x 1080, the primary, and
    // B 1600 x 1200 right of it, in screen pixels): each one's available area leaves out the
    // window manager's work area of the current desktop (one rectangle for the whole desk),
    // read from the root window and followed as it changes; where a panel window says where
    // it lies, only the monitor it lies on loses its strip; with no work area, the whole
    // monitor.
    void workAreaOfEachMonitor()
    {
        const QList<QScreen *> screens = QGuiApplication::screens();
        if (QGuiApplication::platformName() != QLatin1String("xcb") || screens.size() != 2)
            QSKIP("needs the X11 platform on a desk of two monitors (two-monitors.sh)");
        const auto setProperty = [](const QStringList &where, const QString &name, const QString &values) {
            return QProcess::execute(QStringLiteral("xprop"), where + QStringList{"-f", name, "32c", "-set", name, values})
                   == 0;
        };
        const auto setRoot = [&setProperty](const QString &name, const QString &values) {
            return setProperty({"-root"}, name, values);
        };
        QScreen *a = QGuiApplication::primaryScreen();
        QScreen *b = screens.at(screens.at(0) == a ? 1 : 0);
        const qreal ratio = a->devicePixelRatio();
        // A rectangle given in screen pixels, in the desk's logical pixels: each monitor keeps
        // its origin, its pixels count `ratio` times.
        const auto logical = [ratio](QScreen *screen, const QRect &pixels) {
            const QPoint origin = screen->geometry().topLeft();
            return QRect(origin + (pixels.topLeft() - origin) / ratio, pixels.size() / ratio);
        };
        QCOMPARE(a->geometry(), logical(a, QRect(0, 0, 1920, 1080)));
        RecordingWindow onA; // laid out for its monitor: kept inside its area once it rests
        onA.setGeometry(QRect(a->geometry().topLeft() + QPoint(20, 20), QSize(300, 200)));
        onA.setLayoutSize(QSize(300, 200));
        RecordingWindow onB;
        onB.setGeometry(QRect(b->geometry().topLeft() + QPoint(20, 20), QSize(300, 200)));
        QCOMPARE(onB.windowScreen()->screen(), b);
        QSignalSpy areaOfA(&onA, &FramelessWindow::availableAreaChanged);

        // A task bar 26 pixels high along A's bottom, on the first of two desktops, named
        // before the client started (Qt gave each monitor whole then); no panel window says
        // where it lies, so the taller B is cut at the same height.
        QCOMPARE(onA.availableArea(), logical(a, QRect(0, 0, 1920, 1054)));
        QCOMPARE(onB.availableArea(), logical(b, QRect(1920, 0, 1600, 1054)));
        onA.setY(a->geometry().bottom() - 100);
        QTRY_COMPARE_WITH_TIMEOUT(onA.geometry().bottom(), onA.availableArea().bottom(), kEventWaitMs);
        onA.centreInAvailableArea();
        QVERIFY(qAbs(onA.geometry().center().y() - onA.availableArea().center().y()) <= 1);

        // The bar itself, a window along A's bottom that reserves the strip (as icewm's task
        // bar does); the window manager names its work area again as it comes.
        auto bar = std::make_unique<QWindow>();
        bar->setFlags(Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        bar->setGeometry(logical(a, QRect(0, 1054, 1920, 26)));
        bar->create();
        QVERIFY(setProperty({"-id", QString::number(bar->winId())}, "_NET_WM_STRUT", "0,0,0,26"));
        bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
        QVERIFY(setRoot("_NET_WORKAREA", "0,0,3520,1054,0,30,3520,1050"));
        QTRY_COMPARE_WITH_TIMEOUT(onB.availableArea(), b->geometry(), kEventWaitMs);
        QCOMPARE(onA.availableArea(), logical(a, QRect(0, 0, 1920, 1054)));
        bar.reset();
        QVERIFY(setRoot("_NET_WORKAREA", "0,0,3520,1054,0,30,3520,1050"));
        QTRY_COMPARE_WITH_TIMEOUT(onB.availableArea(), logical(b, QRect(1920, 0, 1600, 1054)), kEventWaitMs);

        // The second desktop, whose panel is 30 pixels high along the desk's top.
        areaOfA.clear();
        QVERIFY(setRoot("_NET_CURRENT_DESKTOP", "1"));
        QTRY_VERIFY_WITH_TIMEOUT(areaOfA.count() >= 1, kEventWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(onA.availableArea(), logical(a, QRect(0, 30, 1920, 1050)), kEventWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(onB.availableArea(), logical(b, QRect(1920, 30, 1600, 1050)), kEventWaitMs);

        QVERIFY(QProcess::execute(QStringLiteral("xprop"), {"-root", "-remove", "_NET_WORKAREA"}) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(onA.availableArea(), a->geometry(), kEventWaitMs);
        QCOMPARE(onB.availableArea(), b->geometry());
    }

    // On X11 the window takes a new size at the request and the next frame is drawn at it,
    // before the window manager answers: the pages (the content item) take a new layout's
    // size in the same step, or a frame shows the new layout squeezed into the old size.
    void newLayoutSizeReachesThePagesAtOnce()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs the X11 platform");
        RecordingWindow window;
        window.setGeometry(QRect(QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(40, 40),
                                 QSize(300, 200)));
        window.setLayoutSize(QSize(300, 200));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE_WITH_TIMEOUT(window.contentItem()->size(), QSizeF(300, 200), kEventWaitMs);
        window.setLayoutSize(QSize(420, 260));
        QCOMPARE(window.contentItem()->size(), QSizeF(420, 260));
        QTRY_COMPARE_WITH_TIMEOUT(window.size(), QSize(420, 260), kEventWaitMs);
        QCOMPARE(window.contentItem()->size(), QSizeF(420, 260));
    }

    // The desk really changes: a window across both screens stays where the operator put it
    // when a screen's area changes; one on a removed screen comes back inside a remaining
    // one; one leaving full screen after its screen shrank comes back inside it; with no
    // screen at all every window stays.
    void desksChangeForReal()
    {
        OFFSCREEN_TWO_SCREENS_OR_SKIP(left, right, leftDesk, rightDesk);
        const QJsonObject leftScreen = OffscreenDesk::screen(left->name(), leftDesk);

        // Its centre on the left screen, a fifth of it on the right one.
        RecordingWindow across;
        across.setGeometry(rightDesk.x() - 250, rightDesk.y() + 100, 400, 300);
        across.show();
        RecordingWindow onRight;
        onRight.setGeometry(rightDesk.x() + 300, rightDesk.y() + 200, 400, 300);
        onRight.show();
        RecordingWindow fullScreen;
        fullScreen.setGeometry(rightDesk.right() - 500, rightDesk.y() + 400, 400, 300);
        const QRect fullScreenNormal = fullScreen.geometry();
        fullScreen.show();
        fullScreen.displayFullScreen();
        QCOMPARE(fullScreen.geometry(), QRect(rightDesk.topLeft(), rightDesk.size() + QSize(1, 1)));

        // The right screen shrinks by 200 x 100: the window across both stays put, the full
        // screen one covers the smaller screen.
        const QRect smaller(rightDesk.topLeft(), rightDesk.size() - QSize(200, 100));
        OffscreenDesk::setScreens({leftScreen, OffscreenDesk::screen(right->name(), smaller)});
        QTRY_COMPARE(fullScreen.geometry(), QRect(smaller.topLeft(), smaller.size() + QSize(1, 1)));
        QCOMPARE(across.geometry(), QRect(rightDesk.x() - 250, rightDesk.y() + 100, 400, 300));
        QCOMPARE(onRight.availableArea(), smaller);
        // Its old place's centre is still on the screen, but the window is not inside it.
        fullScreen.displayNormal();
        QCOMPARE(fullScreen.geometry(), WindowScreen::keptInside(fullScreenNormal, smaller));
        QVERIFY(fullScreen.geometry() != fullScreenNormal);

        // The right screen goes: its window comes back inside the left one.
        OffscreenDesk::setScreens({leftScreen});
        QTRY_COMPARE(onRight.geometry(), QRect(leftDesk.right() + 1 - 400, rightDesk.y() + 200, 400, 300));
        QCOMPARE(onRight.availableArea(), left->availableGeometry());
        QCOMPARE(across.geometry(), QRect(rightDesk.x() - 250, rightDesk.y() + 100, 400, 300));

        // No screen at all: every window stays where it is, with the area it had.
        onRight.setGeometry(300, 200, 400, 300);
        OffscreenDesk::setScreens({});
        QTest::qWait(50);
        QCOMPARE(onRight.geometry(), QRect(300, 200, 400, 300));
        QCOMPARE(onRight.availableArea(), leftDesk);
        QCOMPARE(across.geometry(), QRect(rightDesk.x() - 250, rightDesk.y() + 100, 400, 300));
        OffscreenDesk::setScreens({leftScreen});
        QTRY_COMPARE(onRight.availableArea(), QGuiApplication::primaryScreen()->availableGeometry());
        QCOMPARE(onRight.geometry(), QRect(300, 200, 400, 300));
    }

    // Windows open on the primary screen, wherever it lies; they are placed on their own
    // screen only once moved.
    void windowsOpenOnThePrimary()
    {
        QScreen *primary = QGuiApplication::primaryScreen();
        FramelessWindow window;
        QCOMPARE(window.windowScreen()->screen(), primary);
        QCOMPARE(window.availableArea(), primary->availableGeometry());
        window.resize(300, 200);
        QCOMPARE(window.availableArea(), primary->availableGeometry());
        const QRect area = primary->availableGeometry();
        window.setPosition(area.x() + 20, area.y() + 30);
        QCOMPARE(window.windowScreen()->screen(), primary);
        if (QGuiApplication::screens().size() < 2)
            return;
        // Once placed, the window is where its centre is, the desk's origin included.
        window.setPosition(0, 0);
        QCOMPARE(window.windowScreen()->screen(), WindowScreen::screenFor(QRect(0, 0, 300, 200)));
    }

    // A window's own resize never takes it to another screen, whatever its new centre.
    void resizeKeepsTheScreen()
    {
        if (QGuiApplication::screens().size() < 2)
            QSKIP("needs the offscreen platform with two screens");
        QScreen *right = QGuiApplication::screens().at(1);
        FramelessWindow window;
        window.setGeometry(right->geometry().x() - 100, right->geometry().y() + 10, 400, 300);
        QCOMPARE(window.windowScreen()->screen(), right);
        window.resize(150, 300); // the centre now lies on the left screen
        QCOMPARE(window.windowScreen()->screen(), right);
        window.setX(window.x() + 1);
        QCOMPARE(window.windowScreen()->screen(), QGuiApplication::screens().at(0));
    }

    // Between the request to show a window and its mapping, the window manager reparents
    // it into a frame at the desk's corner and then places the frame: a place Qt reads from
    // the server meanwhile (for an older move of the window) is the corner. Such places are
    // not judged: once mapped, the window is where its platform then says it is. Once shown,
    // a move is judged at once.
    void placeReadWhileMappingWaitsForTheMapping()
    {
        if (QGuiApplication::screens().size() < 2)
            QSKIP("needs the offscreen platform with two screens");
        QScreen *right = QGuiApplication::screens().at(1);
        const QRect place(right->geometry().topLeft() + QPoint(400, 100), QSize(688, 448));
        FramelessWindow window;
        window.setGeometry(place);
        QCOMPARE(window.windowScreen()->screen(), right);
        QSignalSpy screenChanges(window.windowScreen(), &WindowScreen::screenChanged);
        QSignalSpy settled(window.windowScreen(), &WindowScreen::positionSettled);

        window.show(); // the platform's exposure comes through the event queue
        QVERIFY(!window.isExposed());
        using Delivery = QWindowSystemInterface::SynchronousDelivery;
        QWindowSystemInterface::handleGeometryChange<Delivery>(&window, QRect(QPoint(0, 0), place.size()));
        QCOMPARE(window.position(), QPoint(0, 0));
        QCOMPARE(window.windowScreen()->screen(), right);
        const QRect mapped = place.translated(20, 10); // the window manager's own report
        QWindowSystemInterface::handleGeometryChange<Delivery>(&window, mapped);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowScreen()->screen(), right);
        QCOMPARE(screenChanges.count(), 0);
        QCOMPARE(settled.count(), 1); // its mapped place judged

        window.setPosition(100, 100);
        QTRY_COMPARE(window.windowScreen()->screen(), QGuiApplication::screens().at(0));
    }

    // The same on a real X server under a window manager that frames a window at the desk's
    // corner and places the frame a second later (zelka_slow_framer): a hidden window moved
    // to another place and shown again (a popup reopened) has Qt read the answer to that move
    // while it lies at the corner, and no event corrects it later. It stays on its screen, and
    // Qt has it where the server has it.
    void placeReadWhileFramedAtTheCorner()
    {
        const QString framer = qEnvironmentVariable("ZELKA_SLOW_FRAMER");
        if (QGuiApplication::platformName() != QLatin1String("xcb") || framer.isEmpty()
            || QGuiApplication::screens().size() < 2)
            QSKIP("needs two monitors on an X server and zelka_slow_framer");
        QProcess manager;
        manager.start(framer, {});
        const auto said = [&manager](const QByteArray &line) {
            return manager.waitForReadyRead(30000) && manager.readLine().trimmed() == line;
        };
        QVERIFY(said("ready"));
        QScreen *right = QGuiApplication::screens().at(1);
        const QRect first(right->geometry().topLeft() + QPoint(100, 80), QSize(688, 448));
        FramelessWindow window;
        window.setGeometry(first);
        window.show();
        QVERIFY(said("framed"));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.hide();
        QTRY_VERIFY(!window.isExposed());

        QSignalSpy screenChanges(window.windowScreen(), &WindowScreen::screenChanged);
        const QRect second = first.translated(300, 150);
        window.setGeometry(second);
        window.show();
        QVERIFY(said("framed")); // Qt reads the move's answer only now
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.geometry(), second);
        QCOMPARE(window.windowScreen()->screen(), right);
        QCOMPARE(screenChanges.count(), 0);
        manager.kill();
        manager.waitForFinished();
    }

    // No signal of the window's reaches a listener once its destructor has begun, also
    // when the window is destroyed while shown (the toolkit hides it on the way out).
    void notSignalledAfterDestruction()
    {
        auto *window = new FramelessWindow;
        window->setGeometry(100, 100, 300, 200);
        window->show();
        QSignalSpy visible(window, &FramelessWindow::visibleChanged);
        QSignalSpy opacity(window, &FramelessWindow::opacityChanged);
        QSignalSpy area(window, &FramelessWindow::availableAreaChanged);
        delete window;
        QCOMPARE(visible.count(), 0);
        QCOMPARE(opacity.count(), 0);
        QCOMPARE(area.count(), 0);
    }

    void restoreWithoutFullScreenChangesNothing()
    {
        FramelessWindow window;
        window.setGeometry(30, 40, 300, 200);
        window.setResizable(false);
        window.setTopHint(true);
        window.displayNormal();
        QCOMPARE(window.geometry(), QRect(30, 40, 300, 200));
        QVERIFY(window.topHint());
        QVERIFY(!window.resizable());
        QVERIFY(window.movable());

        // The saved state is used up by the first restore.
        window.displayFullScreen();
        window.displayNormal();
        window.setGeometry(10, 10, 50, 50);
        window.displayNormal();
        QCOMPARE(window.geometry(), QRect(10, 10, 50, 50));
    }

    void followerTracksItsTopWindow()
    {
        FramelessWindow owner;
        FramelessWindow follower;
        owner.setTopHint(true);
        QSignalSpy windowSpy(&follower, &FramelessWindow::topWindowChanged);
        follower.setTopWindow(&owner);
        QCOMPARE(follower.topWindow(), &owner);
        QVERIFY(follower.topHint());
        QCOMPARE(windowSpy.count(), 1);
        // Transient for its owner (a dialog, which the platform names the owner for).
        QCOMPARE(follower.transientParent(), &owner);
        QCOMPARE(follower.type(), Qt::Dialog);
        QVERIFY(follower.flags().testFlag(Qt::FramelessWindowHint));
        follower.setTopWindow(&owner);
        QCOMPARE(windowSpy.count(), 1);

        owner.setTopHint(false);
        QVERIFY(!follower.topHint());
        owner.setGeometry(0, 0, 200, 100);
        owner.displayFullScreen();
        QVERIFY(follower.topHint());
        owner.displayNormal();
        QVERIFY(!follower.topHint());

        // Null only lets go of the owner.
        follower.setTopWindow(nullptr);
        QVERIFY(!follower.topWindow());
        QVERIFY(!follower.transientParent());
        QCOMPARE(follower.type(), Qt::Window);
        owner.setTopHint(true);
        QVERIFY(!follower.topHint());
        QCOMPARE(windowSpy.count(), 2);
    }

    void followerSurvivesOwnerDestruction()
    {
        FramelessWindow follower;
        QSignalSpy windowSpy(&follower, &FramelessWindow::topWindowChanged);
        {
            FramelessWindow owner;
            follower.setTopWindow(&owner);
        }
        QVERIFY(!follower.topWindow());
        QVERIFY(!follower.transientParent());
        QCOMPARE(windowSpy.count(), 2);

        follower.setTopWindow(nullptr);
        FramelessWindow next;
        next.setTopHint(true);
        follower.setTopWindow(&next);
        QVERIFY(follower.topHint());
        next.setTopHint(false);
        QVERIFY(!follower.topHint());
    }

    void taskbarHintSwitchesToolWindow()
    {
        QQmlEngine engine;
        std::unique_ptr<QObject> object(createFromQml(engine, "FramelessWindow { taskbarHint: false }\n"));
        auto *window = qobject_cast<FramelessWindow *>(object.get());
        QVERIFY(window);
        QCOMPARE(window->type(), Qt::Tool);
        QVERIFY(window->flags().testFlag(Qt::FramelessWindowHint));
        window->setTaskbarHint(true);
        QCOMPARE(window->type(), Qt::Window);
        QVERIFY(window->flags().testFlag(Qt::FramelessWindowHint));

        // A tool window that stays above another stays a tool window, transient for it.
        FramelessWindow owner;
        window->setTopWindow(&owner);
        QCOMPARE(window->type(), Qt::Dialog);
        window->setTaskbarHint(false);
        QCOMPARE(window->type(), Qt::Tool);
        QCOMPARE(window->transientParent(), &owner);
        window->setTopWindow(nullptr);
        QCOMPARE(window->type(), Qt::Tool);
    }

    void qmlFollowerAndSignals()
    {
        QQmlEngine engine;
        std::unique_ptr<QObject> root(createFromQml(engine,
                                                   "FramelessWindow {\n"
                                                   "  id: homeWindow\n"
                                                   "  width: 300; height: 200; opacity: 0.5\n"
                                                   "  property alias follower: popup\n"
                                                   "  property int closings: 0\n"
                                                   "  onClosing: closings++\n"
                                                   "  FramelessWindow { id: popup; topWindow: homeWindow; resizable: false }\n"
                                                   "}\n"));
        auto *home = qobject_cast<FramelessWindow *>(root.get());
        QVERIFY(home);
        auto *popup = qvariant_cast<FramelessWindow *>(home->property("follower"));
        QVERIFY(popup);
        QCOMPARE(popup->topWindow(), home);
        QCOMPARE(home->opacity(), 0.5);

        home->displayFullScreen();
        QVERIFY(popup->topHint());
        home->displayNormal();
        QVERIFY(!popup->topHint());

        // The toolkit announces opacity only once a platform window exists.
        home->show();
        QVERIFY(QTest::qWaitForWindowExposed(home));
        QSignalSpy opacitySpy(home, &FramelessWindow::opacityChanged);
        home->setProperty("opacity", 0.75);
        home->setOpacity(0.75);
        QCOMPARE(opacitySpy.count(), 1);
        QCOMPARE(home->opacity(), 0.75);

        home->close();
        QCOMPARE(home->property("closings").toInt(), 1);
    }

    // A window created at once by "visible: true" gets the alpha channel that its
    // transparent colour needs, whichever of the two the engine assigns first.
    void transparentWindowShownAtCreationHasAlpha_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("colour first") << QByteArray("color: \"transparent\"; visible: true");
        QTest::newRow("visible first") << QByteArray("visible: true; color: \"transparent\"");
    }

    void transparentWindowShownAtCreationHasAlpha()
    {
        QFETCH(QByteArray, body);
        qmlRegisterType<SurfaceRecordingWindow>("an.window.test", 1, 0, "SurfaceRecordingWindow");
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport an.window.test 1.0\nSurfaceRecordingWindow { width: 120; height: 80; "
                              + body + " }\n",
                          QUrl());
        std::unique_ptr<QObject> object(component.create());
        auto *window = qobject_cast<SurfaceRecordingWindow *>(object.get());
        QVERIFY2(window, qPrintable(component.errorString()));
        QVERIFY(window->isVisible());
        QCOMPARE(window->alphaAtCreation, 8);
    }

    // Showing waits only while QML builds the window.
    void visibilityAppliesAtOnceOutsideQml()
    {
        FramelessWindow window;
        QSignalSpy visibleSpy(&window, &FramelessWindow::visibleChanged);
        window.setVisible(true);
        QVERIFY(window.isVisible());
        QCOMPARE(visibleSpy.count(), 1);
        window.setVisible(false);
        QVERIFY(!window.isVisible());

        QQmlEngine engine;
        std::unique_ptr<QObject> object(createFromQml(engine, "FramelessWindow { property bool seenVisible: visible; visible: true; Component.onCompleted: seenVisible = visible }\n"));
        QVERIFY(object);
        QVERIFY(object->property("visible").toBool());
        QVERIFY(object->property("seenVisible").toBool());
    }

    void focusSignals()
    {
        FramelessWindow window;
        QSignalSpy in(&window, &FramelessWindow::focusIn);
        QSignalSpy out(&window, &FramelessWindow::focusOut);
        QFocusEvent focusIn(QEvent::FocusIn);
        QFocusEvent focusOut(QEvent::FocusOut);
        QCoreApplication::sendEvent(&window, &focusIn);
        QCoreApplication::sendEvent(&window, &focusOut);
        QCOMPARE(in.count(), 1);
        QCOMPARE(out.count(), 1);
    }
};

QTEST_MAIN(TestFramelessWindow)
#include "tst_framelesswindow.moc"
