#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QStyleHints>
#include <QtMath>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <optional>

#include "eventwait.h"
#include "framelesswindow.h"
#include "interface.h"
#include "offscreendesk.h"
#include "style.h"
#include "stylemanager.h"
#include "systemdrag.h"

namespace {

// A screen the test controls: what the next measurement reports.
struct FakeScreen
{
    ScreenMeasurement current{QSize(1920, 1080), 96.0, 1.0};
    int grabs = 0;

    ScreenProbe probe()
    {
        return [this](QScreen *, bool withPixelSize) {
            ScreenMeasurement m = current;
            if (withPixelSize)
                ++grabs;
            else
                m.pixelSize = QSize();
            return m;
        };
    }
};

const QString kNoUiConfig = QStringLiteral("no-such-dir/ui_config.ini");

// A window the window manager drags: the headless platform refuses the move itself, and
// the test says when the button is up.
class DraggedWindow : public FramelessWindow
{
    Q_OBJECT
public:
    bool held = false;

    // A press on the caption point and a move past the drag distance, the button held
    // until drop().
    void press(const QPoint &at)
    {
        systemDrag()->setButtonsProbe([this] { return std::optional<bool>(held); });
        held = true;
        const QPoint past = at + QPoint(QGuiApplication::styleHints()->startDragDistance(), 0);
        QMouseEvent event(QEvent::MouseButtonPress, at, mapToGlobal(QPointF(at)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(this, &event);
        QMouseEvent move(QEvent::MouseMove, past, mapToGlobal(QPointF(past)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(this, &move);
        QVERIFY(systemDrag()->isActive());
    }
    // The button comes up while the window manager has the pointer: the window hears of it
    // only by asking.
    void drop()
    {
        held = false;
        QTRY_VERIFY_WITH_TIMEOUT(!systemDrag()->isActive(), kEventWaitMs);
    }

protected:
    bool beginSystemMove(const QPoint &) override { return true; }
};

// A window made in QML (a FramelessWindow, or `type`) with the given property lines, bound
// to `manager` as the main window is; null with the component's error in `error`.
template <typename Window = FramelessWindow>
std::unique_ptr<Window> qmlWindow(QQmlEngine &engine, StyleManager &manager, const char *properties, QString *error,
                                  const char *type = "FramelessWindow")
{
    engine.rootContext()->setContextProperty(QStringLiteral("styleManager"), &manager);
    qmlRegisterType<FramelessWindow>("an.window", 1, 0, "FramelessWindow");
    qmlRegisterType<DraggedWindow>("an.window", 1, 0, "DraggedWindow");
    QQmlComponent component(&engine);
    component.setData(QByteArray("import QtQuick\nimport an.window 1.0\n") + type + " {\n" + properties + "}\n",
                      QUrl());
    std::unique_ptr<Window> window(qobject_cast<Window *>(component.create()));
    if (!window)
        *error = component.errorString();
    return window;
}

// The main window as the client makes it: laid out for its screen and followed by
// `manager`; more property lines may follow the layout's.
template <typename Window = FramelessWindow>
std::unique_ptr<Window> mainWindow(QQmlEngine &engine, StyleManager &manager, QString *error,
                                   const char *moreProperties = "", const char *type = "FramelessWindow")
{
    const QByteArray properties = QByteArray("  layoutSize: styleManager.mainWindowSize\n") + moreProperties;
    std::unique_ptr<Window> window = qmlWindow<Window>(engine, manager, properties.constData(), error, type);
    if (window)
        manager.followWindow(window.get());
    return window;
}

} // namespace

class TestStyleManager : public QObject
{
    Q_OBJECT

private slots:
    void screenClassTable_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("type");
        const int k8 = StyleManager::Style_8k, k4 = StyleManager::Style_4k, k2 = StyleManager::Style_2k;
        const int fhd = StyleManager::Style_1080P, hd = StyleManager::Style_720P, none = StyleManager::Style_Default;
        QTest::newRow("8k exact") << QSize(7680, 4320) << k8;
        QTest::newRow("8k one short in width") << QSize(7679, 4320) << k4;
        QTest::newRow("8k one short in height") << QSize(7680, 4319) << k4;
        QTest::newRow("wide but 4k tall") << QSize(7680, 2160) << k4;
        QTest::newRow("3840x2160") << QSize(3840, 2160) << k4;
        QTest::newRow("3656x2160") << QSize(3656, 2160) << k4;
        QTest::newRow("3655x2160") << QSize(3655, 2160) << k2;
        QTest::newRow("3656x2159") << QSize(3656, 2159) << k2;
        QTest::newRow("2560x1440") << QSize(2560, 1440) << k2;
        QTest::newRow("2559x1440") << QSize(2559, 1440) << fhd;
        QTest::newRow("2560x1439") << QSize(2560, 1439) << fhd;
        QTest::newRow("2560x1080") << QSize(2560, 1080) << fhd;
        QTest::newRow("1920x1080") << QSize(1920, 1080) << fhd;
        QTest::newRow("1919x1080") << QSize(1919, 1080) << hd;
        QTest::newRow("1920x1079") << QSize(1920, 1079) << hd;
        QTest::newRow("1366x768") << QSize(1366, 768) << hd;
        QTest::newRow("1280x720") << QSize(1280, 720) << hd;
        QTest::newRow("1279x720") << QSize(1279, 720) << none;
        QTest::newRow("1280x719") << QSize(1280, 719) << none;
        QTest::newRow("1024x768") << QSize(1024, 768) << none;
        QTest::newRow("failed grab") << QSize() << none;
    }

    void screenClassTable()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, type);
        QCOMPARE(int(StyleManager::classify(pixels)), type);
    }

    void scaleRatios_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<double>("ratio");
        QTest::newRow("4k 96 dpi") << int(StyleManager::Style_4k) << 96.0 << 1.4;
        QTest::newRow("4k 144 dpi") << int(StyleManager::Style_4k) << 144.0 << 1.75;
        QTest::newRow("8k") << int(StyleManager::Style_8k) << 96.0 << 2.8;
        QTest::newRow("2k") << int(StyleManager::Style_2k) << 96.0 << 1.05;
        QTest::newRow("1080P 192 dpi") << int(StyleManager::Style_1080P) << 192.0 << 1.5;
        QTest::newRow("720P") << int(StyleManager::Style_720P) << 96.0 << 0.8;
        QTest::newRow("default") << int(StyleManager::Style_Default) << 96.0 << 1.0;
        QTest::newRow("unknown class") << 99 << 96.0 << 1.0;
        QTest::newRow("72 dpi") << int(StyleManager::Style_1080P) << 72.0 << 0.875;
    }

    void scaleRatios()
    {
        QFETCH(int, type);
        QFETCH(double, dpi);
        QFETCH(double, ratio);
        QCOMPARE(StyleManager::scaleRatioFor(type, dpi), ratio);
    }

    // A screen scaled by the toolkit is classed and scaled as the unscaled screen of its
    // logical size; text keeps its proportion to the boxes at every ratio.
    void scaledScreensLookLikeTheirLogicalSize_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<double>("devicePixelRatio");
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("ratio");
        const int k4 = StyleManager::Style_4k, k2 = StyleManager::Style_2k;
        const int fhd = StyleManager::Style_1080P, hd = StyleManager::Style_720P;
        QTest::newRow("1920x1080 at 1") << QSize(1920, 1080) << 1.0 << fhd << 1.0;
        QTest::newRow("3840x2160 at 1") << QSize(3840, 2160) << 1.0 << k4 << 1.4;
        QTest::newRow("1366x768 at 1") << QSize(1366, 768) << 1.0 << hd << 0.8;
        QTest::newRow("1920x1080 at 1.25") << QSize(1920, 1080) << 1.25 << hd << 0.8;
        QTest::newRow("1920x1080 at 1.5") << QSize(1920, 1080) << 1.5 << hd << 0.8;
        QTest::newRow("2560x1440 at 1.5") << QSize(2560, 1440) << 1.5 << hd << 0.8;
        QTest::newRow("3840x2160 at 1.5") << QSize(3840, 2160) << 1.5 << k2 << 1.05;
        QTest::newRow("3840x2160 at 2") << QSize(3840, 2160) << 2.0 << fhd << 1.0;
        QTest::newRow("7680x4320 at 2") << QSize(7680, 4320) << 2.0 << k4 << 1.4;
        QTest::newRow("2560x1440 at 2") << QSize(2560, 1440) << 2.0 << hd << 0.8;
    }

    void scaledScreensLookLikeTheirLogicalSize()
    {
        QFETCH(QSize, pixels);
        QFETCH(double, devicePixelRatio);
        QFETCH(int, type);
        QFETCH(double, ratio);
        FakeScreen screen;
        screen.current = {pixels, 96.0, devicePixelRatio};
        StyleManager manager(screen.probe(), kNoUiConfig);
        QCOMPARE(int(manager.styleType()), type);
        QCOMPARE(manager.scaleRatio(), ratio);
        QCOMPARE(manager.fontScaleRatio(), ratio);
    }

    // Where the main window at its class's ratio would not fit the primary screen's
    // available area, the ratio shrinks until the 1688 x 950 design fits it; elsewhere the
    // class's ratio stands.
    void ratioFitsTheMainWindowIntoTheAvailableArea_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<double>("devicePixelRatio");
        QTest::addColumn<QSize>("available");
        QTest::addColumn<double>("ratio");
        QTest::newRow("1920x1080 at 1, a 40-pixel panel") << QSize(1920, 1080) << 1.0 << QSize(1920, 1040) << 1.0;
        QTest::newRow("3840x2160 at 2, a panel") << QSize(3840, 2160) << 2.0 << QSize(1920, 1040) << 1.0;
        QTest::newRow("3840x2160 at 1, a panel") << QSize(3840, 2160) << 1.0 << QSize(3840, 2120) << 1.4;
        QTest::newRow("2560x1440 at 1.5") << QSize(2560, 1440) << 1.5 << QSize(1707, 960) << 0.8;
        QTest::newRow("1366x768 at 1") << QSize(1366, 768) << 1.0 << QSize(1366, 768) << 0.8;
        QTest::newRow("1366x768 at 1, a panel") << QSize(1366, 768) << 1.0 << QSize(1366, 728) << 728 / 950.0;
        QTest::newRow("1280x720 at 1") << QSize(1280, 720) << 1.0 << QSize(1280, 720) << 720 / 950.0;
        QTest::newRow("1024x768 at 1") << QSize(1024, 768) << 1.0 << QSize(1024, 768) << 1024 / 1688.0;
        QTest::newRow("1920x1080 at 2") << QSize(1920, 1080) << 2.0 << QSize(960, 540) << 540 / 950.0;
        QTest::newRow("2256x1504 at 2") << QSize(2256, 1504) << 2.0 << QSize(1128, 752) << 1128 / 1688.0;
    }

    void ratioFitsTheMainWindowIntoTheAvailableArea()
    {
        QFETCH(QSize, pixels);
        QFETCH(double, devicePixelRatio);
        QFETCH(QSize, available);
        QFETCH(double, ratio);
        FakeScreen screen;
        screen.current = {pixels, 96.0, devicePixelRatio, available};
        StyleManager manager(screen.probe(), kNoUiConfig);
        QCOMPARE(manager.scaleRatio(), ratio);
        QCOMPARE(manager.fontScaleRatio(), ratio);
        // The window at that ratio fits unbounded, to the whole pixel it is given in.
        QVERIFY(qFloor(1688 * manager.scaleRatio() + 1e-9) <= available.width());
        QVERIFY(qFloor(950 * manager.scaleRatio() + 1e-9) <= available.height());
    }

    // A panel that comes or goes announces the ratios; a new primary screen is measured
    // and followed from then on, the old one no longer.
    void ratiosFollowTheAreaAndANewPrimaryScreen()
    {
        FakeScreen screen;
        screen.current.availableSize = QSize(1920, 1040);
        StyleManager manager(screen.probe(), kNoUiConfig);
        QSignalSpy scale(&manager, &StyleManager::scaleRatioChanged);
        QSignalSpy font(&manager, &StyleManager::fontScaleRatioChanged);
        QScreen *primary = QGuiApplication::primaryScreen();
        screen.current.availableSize = QSize(1920, 760);
        emit primary->availableGeometryChanged(QRect(0, 0, 1920, 760));
        QCOMPARE(scale.count(), 1);
        QCOMPARE(font.count(), 1);
        QCOMPARE(manager.scaleRatio(), 0.8);
        QCOMPARE(screen.grabs, 1); // the class stands: nothing to grab
        // An area that leaves the ratio as it was announces nothing.
        screen.current.availableSize = QSize(1900, 760);
        emit primary->availableGeometryChanged(QRect(0, 0, 1900, 760));
        QCOMPARE(scale.count(), 1);
        QCOMPARE(font.count(), 1);

        screen.current.pixelSize = QSize(3840, 2160);
        screen.current.availableSize = QSize(3840, 2160);
        emit qGuiApp->primaryScreenChanged(primary);
        QCOMPARE(screen.grabs, 2);
        QCOMPARE(manager.styleType(), StyleManager::Style_4k);
        emit primary->geometryChanged(primary->geometry());
        QCOMPARE(screen.grabs, 3); // followed once, not twice
    }

    void constructionMeasuresOnceAndStartsInArMode()
    {
        FakeScreen screen;
        screen.current.pixelSize = QSize(3840, 2160);
        StyleManager manager(screen.probe(), kNoUiConfig);
        QCOMPARE(screen.grabs, 1);
        QCOMPARE(manager.styleType(), StyleManager::Style_4k);
        QCOMPARE(manager.styleMode(), StyleManager::ARMode);
        QCOMPARE(manager.scaleRatio(), 1.4);
        QVERIFY(manager.style());
        QCOMPARE(manager.style()->parent(), &manager);
        QCOMPARE(manager.interface()->parent(), &manager);
    }

    void ratiosFollowTheCurrentScreenOnEveryRead()
    {
        FakeScreen screen;
        StyleManager manager(screen.probe(), kNoUiConfig);
        QCOMPARE(manager.scaleRatio(), 1.0);
        screen.current.logicalDpi = 144.0;
        QCOMPARE(manager.scaleRatio(), 1.25);
        QCOMPARE(manager.fontScaleRatio(), 1.25);
        QCOMPARE(screen.grabs, 1); // reading the ratios never grabs the screen
    }

    void remeasuringAnnouncesOnlyChangedRatios()
    {
        FakeScreen screen;
        StyleManager manager(screen.probe(), kNoUiConfig);
        QSignalSpy type(&manager, &StyleManager::styleTypeChanged);
        QSignalSpy scale(&manager, &StyleManager::scaleRatioChanged);
        QSignalSpy font(&manager, &StyleManager::fontScaleRatioChanged);

        screen.current.pixelSize = QSize(1366, 768);
        manager.calcResolution();
        QCOMPARE(manager.styleType(), StyleManager::Style_720P);
        QCOMPARE(type.count(), 1);
        QCOMPARE(scale.count(), 1);
        QCOMPARE(font.count(), scale.count());

        manager.calcResolution(); // same screen: nothing changed, nothing to announce
        QCOMPARE(type.count(), 1);
        QCOMPARE(scale.count(), 1);
        QCOMPARE(font.count(), 1);

        // Another class with the same ratio (a 4K screen at 96 dpi is 1.4, a 2K one at
        // 128 dpi as well): the class is news, the ratio is not.
        screen.current.pixelSize = QSize(3840, 2160);
        manager.calcResolution();
        QCOMPARE(scale.count(), 2);
        screen.current.pixelSize = QSize(2560, 1440);
        screen.current.logicalDpi = 96.0 * (1 + 2 * (1.4 / 1.05 - 1));
        manager.calcResolution();
        QCOMPARE(type.count(), 3);
        QCOMPARE(manager.scaleRatio(), 1.4);
        QCOMPARE(scale.count(), 2);
    }

    void writingTheSameClassAnnouncesOnlyTheRatios()
    {
        FakeScreen screen;
        StyleManager manager(screen.probe(), kNoUiConfig);
        QSignalSpy type(&manager, &StyleManager::styleTypeChanged);
        QSignalSpy scale(&manager, &StyleManager::scaleRatioChanged);
        QSignalSpy font(&manager, &StyleManager::fontScaleRatioChanged);
        QVERIFY(manager.setProperty("styleType", int(StyleManager::Style_1080P)));
        QCOMPARE(type.count(), 0);
        QCOMPARE(scale.count(), 1);
        QCOMPARE(font.count(), 1);
        QVERIFY(manager.setProperty("styleType", int(StyleManager::Style_8k)));
        QCOMPARE(type.count(), 1);
        QCOMPARE(manager.scaleRatio(), 2.8);
    }

    void styleModeNotifiesOnlyOnChange()
    {
        FakeScreen screen;
        StyleManager manager(screen.probe(), kNoUiConfig);
        QSignalSpy mode(&manager, &StyleManager::styleModeChanged);
        manager.setStyleMode(StyleManager::ClassicMode);
        manager.setStyleMode(StyleManager::ClassicMode);
        QCOMPARE(mode.count(), 1);
        QCOMPARE(manager.styleMode(), StyleManager::ClassicMode);
    }

    // On a real desk of two screens (1920 x 1080 and 1600 x 900, the second a 720P one):
    // once a window is followed, its screen decides the class and the ratio, wherever it
    // goes; a new primary no longer does. Without a followed window, the primary decides.
    void ratioFollowsTheFollowedWindowsScreen()
    {
        OFFSCREEN_TWO_SCREENS_OR_SKIP(left, right, leftDesk, rightDesk);
        StyleManager manager(screenProbe(), kNoUiConfig);
        StyleManager primaryOnly(screenProbe(), kNoUiConfig);
        QCOMPARE(manager.scaleRatio(), 1.0);
        FramelessWindow window;
        window.resize(400, 300);
        manager.followWindow(&window);
        QSignalSpy scale(&manager, &StyleManager::scaleRatioChanged);
        QSignalSpy font(&manager, &StyleManager::fontScaleRatioChanged);

        window.setPosition(rightDesk.x() + 100, rightDesk.y() + 100);
        QCOMPARE(manager.screen(), right);
        QCOMPARE(manager.styleType(), StyleManager::Style_720P);
        QCOMPARE(manager.scaleRatio(), 0.8);
        QCOMPARE(scale.count(), 1);
        QCOMPARE(font.count(), 1);
        window.setPosition(rightDesk.x() + 200, rightDesk.y() + 150); // the same screen
        QCOMPARE(scale.count(), 1);

        // The right screen grows its width: still 720P at 0.8, nothing to announce. The
        // primary one's ratio does not move either.
        const QJsonObject leftScreen = OffscreenDesk::screen(left->name(), leftDesk);
        OffscreenDesk::setScreens({leftScreen, OffscreenDesk::screen(right->name(), rightDesk.adjusted(0, 0, 100, 0))});
        QTRY_COMPARE(right->geometry().width(), rightDesk.width() + 100);
        QCOMPARE(manager.scaleRatio(), 0.8);
        QCOMPARE(scale.count(), 1);
        QSignalSpy primaryScale(&primaryOnly, &StyleManager::scaleRatioChanged);
        OffscreenDesk::setScreens({OffscreenDesk::screen(left->name(), leftDesk.adjusted(0, 0, 80, 0)),
                                   OffscreenDesk::screen(right->name(), rightDesk)});
        QTRY_COMPARE(left->geometry().width(), leftDesk.width() + 80);
        QCOMPARE(primaryOnly.scaleRatio(), 1.0);
        QCOMPARE(primaryScale.count(), 0);

        // A new primary: the followed window's screen still decides; the other manager
        // follows the primary.
        OffscreenDesk::makePrimary(right);
        QCOMPARE(manager.scaleRatio(), 0.8);
        QCOMPARE(primaryOnly.screen(), right);
        QCOMPARE(primaryOnly.scaleRatio(), 0.8);
        OffscreenDesk::makePrimary(left);

        // The right screen goes: the window comes back on the left one, laid out for it.
        OffscreenDesk::setScreens({leftScreen});
        QTRY_COMPARE(manager.screen(), left);
        QCOMPARE(manager.styleType(), StyleManager::Style_1080P);
        QCOMPARE(manager.scaleRatio(), 1.0);
        QCOMPARE(scale.count(), 2);
        QCOMPARE(font.count(), 2);
    }

    // A window sized by the ratio, as the main window is, full screen on the right screen
    // while that screen takes a larger resolution: it covers the new screen whatever the
    // new ratio makes of its size, and comes back at the new ratio's size, inside it.
    void fullScreenWindowThroughARatioChange()
    {
        OFFSCREEN_TWO_SCREENS_OR_SKIP(left, right, leftDesk, rightDesk);
        StyleManager manager(screenProbe(), kNoUiConfig);
        QQmlEngine engine;
        QString error;
        const std::unique_ptr<FramelessWindow> window =
            qmlWindow(engine, manager,
                      "  minimumWidth: 1688 * styleManager.scaleRatio\n"
                      "  minimumHeight: 950 * styleManager.scaleRatio\n"
                      "  width: minimumWidth\n  height: minimumHeight\n",
                      &error);
        QVERIFY2(window, qPrintable(error));
        manager.followWindow(window.get());
        window->setPosition(rightDesk.topLeft() + QPoint(20, 20));
        QCOMPARE(manager.scaleRatio(), 0.8);
        QCOMPARE(window->size(), QSize(1350, 760));
        window->show();
        window->displayFullScreen();
        QCOMPARE(window->geometry(), QRect(rightDesk.topLeft(), rightDesk.size() + QSize(1, 1)));

        const QRect larger(rightDesk.topLeft(), QSize(1920, 1080));
        OffscreenDesk::setScreens({OffscreenDesk::screen(left->name(), leftDesk),
                                   OffscreenDesk::screen(right->name(), larger)});
        QTRY_COMPARE_WITH_TIMEOUT(manager.scaleRatio(), 1.0, kEventWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(window->geometry(), QRect(larger.topLeft(), larger.size() + QSize(1, 1)),
                                  kEventWaitMs);
        QTest::qWait(50);
        QCOMPARE(window->geometry(), QRect(larger.topLeft(), larger.size() + QSize(1, 1)));

        window->displayNormal();
        QCOMPARE(window->size(), QSize(1688, 950));
        QVERIFY(larger.contains(window->geometry()));
    }

    // With no screen at all the layout stays: the class and the ratio of the screen the
    // followed window was on, not those of an empty measurement (1.0, which grew the main
    // window from 1350 x 760 to 1688 x 950).
    void ratioStaysWithoutAnyScreen()
    {
        OFFSCREEN_TWO_SCREENS_OR_SKIP(left, right, leftDesk, rightDesk);
        StyleManager manager(screenProbe(), kNoUiConfig);
        FramelessWindow window;
        window.resize(400, 300);
        manager.followWindow(&window);
        window.setPosition(rightDesk.topLeft() + QPoint(100, 100));
        QCOMPARE(manager.scaleRatio(), 0.8);
        QSignalSpy scale(&manager, &StyleManager::scaleRatioChanged);

        OffscreenDesk::setScreens({});
        QTest::qWait(50);
        QCOMPARE(manager.styleType(), StyleManager::Style_720P);
        QCOMPARE(manager.scaleRatio(), 0.8);
        QCOMPARE(scale.count(), 0);
    }

    // The main window, laid out for its screen, on a desk of a 1920 x 1080 screen and a
    // 1600 x 900 one to its right. Along the boundary lies a band (top left x 1076 to 1245)
    // where the size for one screen puts the window's centre on the other: a move there,
    // x and y changed together, leaves it laid out for its screen and moves it inside that
    // screen; a move well onto the other screen lays it out once for that one, in one step
    // (never a mixed size), inside it; a walk across the band in 10 px steps lays it out
    // once; leaving full screen comes back laid out as it was; without any screen nothing
    // changes size.
    void mainWindowAcrossTwoScreens()
    {
        OFFSCREEN_TWO_SCREENS_OR_SKIP(left, right, leftDesk, rightDesk);
        StyleManager manager(screenProbe(), kNoUiConfig);
        QQmlEngine engine;
        QString error;
        const std::unique_ptr<FramelessWindow> window = mainWindow(engine, manager, &error);
        QVERIFY2(window, qPrintable(error));
        window->centreInAvailableArea();
        QCOMPARE(window->geometry(), QRect(116, 65, 1688, 950));
        QSignalSpy scale(&manager, &StyleManager::scaleRatioChanged);
        QList<QSize> sizesSeen;
        for (auto sizeSignal : {&QWindow::widthChanged, &QWindow::heightChanged})
            connect(window.get(), sizeSignal, this, [&] { sizesSeen << window->size(); });

        // Steps of a drag: the window goes where it is moved, and comes back inside its
        // screen only once it rests.
        window->setPosition(1150, 60);
        window->setPosition(1240, 90);
        QCOMPARE(window->geometry(), QRect(1240, 90, 1688, 950));
        QTRY_COMPARE_WITH_TIMEOUT(window->geometry(), QRect(232, 90, 1688, 950), kEventWaitMs);
        QCOMPARE(scale.count(), 0);
        window->setPosition(1150, 60);
        QTRY_COMPARE_WITH_TIMEOUT(window->geometry(), QRect(232, 60, 1688, 950), kEventWaitMs);
        QCOMPARE(scale.count(), 0);

        window->setPosition(2000, 80);
        QCOMPARE(scale.count(), 1);
        QCOMPARE(manager.screen(), right);
        QCOMPARE(window->geometry(), QRect(2000, 80, 1350, 760));
        QCOMPARE(window->minimumSize(), QSize(1350, 760));
        QCOMPARE(sizesSeen, QList<QSize>({QSize(1350, 760), QSize(1350, 760)}));

        // Into the band from the right: still laid out for the right, inside it.
        window->setPosition(1160, 70);
        QCOMPARE(scale.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(window->geometry(), QRect(rightDesk.x(), 70, 1350, 760), kEventWaitMs);

        for (int x = 1260; x >= 1060; x -= 10)
            window->setPosition(x, 80);
        QCOMPARE(scale.count(), 2);
        QCOMPARE(manager.screen(), left);
        QTRY_COMPARE_WITH_TIMEOUT(window->geometry(), QRect(232, 80, 1688, 950), kEventWaitMs);

        window->setPosition(2000, 100);
        QCOMPARE(scale.count(), 3);
        window->displayFullScreen();
        QCOMPARE(window->geometry(), QRect(rightDesk.topLeft(), rightDesk.size() + QSize(1, 1)));
        window->displayNormal();
        QCOMPARE(scale.count(), 3);
        QCOMPARE(window->geometry(), QRect(2000, 100, 1350, 760));

        sizesSeen.clear();
        OffscreenDesk::setScreens({});
        QTest::qWait(50);
        QCOMPARE(manager.scaleRatio(), 0.8);
        QCOMPARE(window->geometry(), QRect(2000, 100, 1350, 760));
        QVERIFY(sizesSeen.isEmpty());
    }

    // The main window dragged by the window manager over the same desk: while the button is
    // held it goes wherever it is put, at the size it had, on no screen but its own and never
    // pulled back, also when the hand rests in the band; once it has rested after the drop it
    // is laid out once for the screen its centre lies on and stays exactly where it was
    // dropped if it fits there, or is moved inside, at the size laid out for that screen.
    void mainWindowDraggedAcrossTwoScreens()
    {
        OFFSCREEN_TWO_SCREENS_OR_SKIP(left, right, leftDesk, rightDesk);
        StyleManager manager(screenProbe(), kNoUiConfig);
        QQmlEngine engine;
        QString error;
        const std::unique_ptr<DraggedWindow> window = mainWindow<DraggedWindow>(
            engine, manager, &error, "  captionArea: Qt.rect(450, 0, width - 900, 30)\n", "DraggedWindow");
        QVERIFY2(window, qPrintable(error));
        window->centreInAvailableArea();
        QSignalSpy scale(&manager, &StyleManager::scaleRatioChanged);
        QList<QSize> sizesSeen;
        for (auto sizeSignal : {&QWindow::widthChanged, &QWindow::heightChanged})
            connect(window.get(), sizeSignal, this, [&] { sizesSeen << window->size(); });

        window->press(QPoint(844, 15));
        for (const QPoint &step : {QPoint(600, 65), QPoint(1150, 60), QPoint(1600, 65), QPoint(2016, 65)})
            window->setPosition(step);
        QTest::qWait(400); // longer than any rest
        QCOMPARE(window->geometry(), QRect(2016, 65, 1688, 950));
        QCOMPARE(manager.screen(), left);
        QCOMPARE(scale.count(), 0);
        window->drop();
        // Judged once it has rested: a window manager may still move it.
        QCOMPARE(manager.screen(), left);
        QTRY_COMPARE_WITH_TIMEOUT(manager.screen(), right, kEventWaitMs);
        QCOMPARE(scale.count(), 1);
        QCOMPARE(window->geometry(), QRect(2016, 65, 1350, 760));
        QCOMPARE(sizesSeen, QList<QSize>({QSize(1350, 760), QSize(1350, 760)}));
        QTest::qWait(400);
        QCOMPARE(window->geometry(), QRect(2016, 65, 1350, 760));

        // Back, the hand resting in the band on the way.
        window->press(QPoint(675, 12));
        window->setPosition(1240, 90);
        QTest::qWait(400);
        QCOMPARE(window->geometry(), QRect(1240, 90, 1350, 760));
        QCOMPARE(scale.count(), 1);
        window->setPosition(116, 65);
        window->drop();
        QTRY_COMPARE_WITH_TIMEOUT(manager.screen(), left, kEventWaitMs);
        QCOMPARE(scale.count(), 2);
        QCOMPARE(window->geometry(), QRect(116, 65, 1688, 950));

        // Dropped hanging off its screen: moved inside it just as far as needed once it
        // rests, not at the drop (a window manager may still carry it).
        window->press(QPoint(844, 15));
        window->setPosition(300, 200);
        QRect atTheDrop;
        connect(window->systemDrag(), &SystemDrag::finished, this, [&] { atTheDrop = window->geometry(); });
        window->drop();
        QCOMPARE(atTheDrop, QRect(300, 200, 1688, 950));
        QTRY_COMPARE_WITH_TIMEOUT(window->geometry(),
                                  QRect(leftDesk.right() + 1 - 1688, leftDesk.bottom() + 1 - 950, 1688, 950),
                                  kEventWaitMs);
        QCOMPARE(scale.count(), 2);

        // Moved onto the right screen by the window manager (not a drag), which then puts an
        // older size back: once it rests it lies inside, at the size laid out for the right
        // screen, not squeezed into it at the size it happened to have.
        window->setPosition(2000, 60);
        QCOMPARE(window->size(), QSize(1350, 760));
        window->resize(1688, 950);
        QTRY_COMPARE_WITH_TIMEOUT(window->geometry(), QRect(2000, 60, 1350, 760), kEventWaitMs);

        // A window put wholly inside its screen stays exactly there.
        for (const QPoint &place : {QPoint(2100, 100), QPoint(2170, 140), QPoint(1921, 60)}) {
            window->setPosition(place);
            QTest::qWait(400);
            QCOMPARE(window->geometry(), QRect(place, QSize(1350, 760)));
        }
        QCOMPARE(scale.count(), 3);
    }

    // A window of its own over the main window (the alarm playback) is laid out for the
    // screen it is on: opened over the main window it takes that screen's size; left open
    // on one screen while the main window goes to the other, it keeps its size and place
    // there; opened again, it comes over the main window at that screen's size.
    void popupLaidOutForItsOwnScreen()
    {
        OFFSCREEN_TWO_SCREENS_OR_SKIP(left, right, leftDesk, rightDesk);
        StyleManager manager(screenProbe(), kNoUiConfig);
        QQmlEngine engine;
        QString error;
        const std::unique_ptr<FramelessWindow> owner = mainWindow(engine, manager, &error);
        QVERIFY2(owner, qPrintable(error));
        owner->setPosition(rightDesk.topLeft() + QPoint(40, 20));
        const std::unique_ptr<FramelessWindow> popup = qmlWindow(
            engine, manager,
            "  readonly property real ratio: { styleManager.scaleRatio; return styleManager.scaleRatioOn(onScreen); }\n"
            "  layoutSize: Qt.size(860 * ratio, 560 * ratio)\n",
            &error);
        QVERIFY2(popup, qPrintable(error));
        QCOMPARE(popup->size(), QSize(860, 560)); // made on the primary

        popup->placeOver(owner.get(), false);
        const QRect ownerPlace = owner->geometry();
        QCOMPARE(popup->geometry(), QRect(ownerPlace.x() + (1350 - 688) / 2, ownerPlace.y() + (760 - 448) / 2, 688, 448));
        const QRect corner(rightDesk.right() + 1 - 688, rightDesk.bottom() + 1 - 448, 688, 448);
        popup->setPosition(corner.topLeft());

        owner->setPosition(60, 60);
        QCOMPARE(manager.scaleRatio(), 1.0);
        QTest::qWait(400);
        QCOMPARE(popup->geometry(), corner);

        popup->placeOver(owner.get(), true);
        QCOMPARE(popup->geometry(), QRect(60 + (1688 - 860) / 2, 60 + (950 - 560) / 2, 860, 560));
    }

    void qmlFontBindingFollowsAScreenChange()
    {
        FakeScreen screen;
        StyleManager manager(screen.probe(), kNoUiConfig);
        QQmlEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("styleManager"), &manager);
        QQmlComponent component(&engine);
        component.setData("import QtQml\nQtObject {\n"
                          "  property real pixel: 100 * styleManager.scaleRatio\n"
                          "  property real font: 10 * styleManager.fontScaleRatio\n}\n",
                          QUrl());
        QScopedPointer<QObject> item(component.create());
        QVERIFY2(item, qPrintable(component.errorString()));
        QCOMPARE(item->property("font").toDouble(), 10.0);

        screen.current.pixelSize = QSize(3840, 2160);
        manager.calcResolution();
        QCOMPARE(item->property("pixel").toDouble(), 140.0);
        QCOMPARE(item->property("font").toDouble(), 14.0);
    }
};

QTEST_MAIN(TestStyleManager)
#include "tst_stylemanager.moc"
