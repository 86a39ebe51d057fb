#pragma once

// Changes the offscreen platform's desk for real, as a monitor plugged in or out, a new
// resolution or a new primary would: the platform adds, removes and resizes its screens
// and Qt announces what changed. Needs Qt6::GuiPrivate and the offscreen platform.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QScreen>
#include <QTest>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qwindowsysteminterface.h>

namespace OffscreenDesk {

using ReadConfiguration = QJsonObject (*)(QPlatformNativeInterface *);
using WriteConfiguration = void (*)(const QJsonObject &, QPlatformNativeInterface *);

inline QPlatformNativeInterface *platform()
{
    return QGuiApplication::platformNativeInterface();
}

inline bool available()
{
    return QGuiApplication::platformName() == QLatin1String("offscreen") && platform()
           && platform()->nativeResourceForIntegration("setConfiguration");
}

inline QJsonObject configuration()
{
    auto read = reinterpret_cast<ReadConfiguration>(platform()->nativeResourceForIntegration("configuration"));
    return read(platform());
}

inline QJsonObject screen(const QString &name, const QRect &geometry)
{
    return QJsonObject{{"name", name},         {"x", geometry.x()},          {"y", geometry.y()},
                       {"width", geometry.width()}, {"height", geometry.height()}, {"logicalDpi", 96},
                       {"logicalBaseDpi", 96}};
}

// The desk becomes these screens (matched by name); returns once Qt has taken the change.
inline void setScreens(const QJsonArray &screens)
{
    QJsonObject config = configuration();
    config[QLatin1String("screens")] = screens;
    auto write = reinterpret_cast<WriteConfiguration>(platform()->nativeResourceForIntegration("setConfiguration"));
    write(config, platform());
    QWindowSystemInterface::flushWindowSystemEvents();
    QCoreApplication::processEvents();
}

inline QScreen *screenNamed(const QString &name)
{
    const auto screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

inline void makePrimary(QScreen *screen)
{
    QWindowSystemInterface::handlePrimaryScreenChanged(screen->handle());
    QCoreApplication::processEvents();
}

// The tests' desk of two screens: the primary at the origin, the other beside it.
struct TwoScreens
{
    QScreen *left = nullptr;
    QScreen *right = nullptr;
    QRect leftDesk;
    QRect rightDesk;
};

inline TwoScreens twoScreens()
{
    const auto screens = QGuiApplication::screens();
    if (screens.size() < 2)
        return {};
    return {screens.at(0), screens.at(1), screens.at(0)->geometry(), screens.at(1)->geometry()};
}

// Puts the desk back as it was when made, primary included.
class Restorer
{
public:
    Restorer()
        : m_screens(configuration().value(QLatin1String("screens")).toArray())
        , m_primary(QGuiApplication::primaryScreen()->name())
    {
    }
    ~Restorer()
    {
        setScreens(m_screens);
        if (QScreen *primary = screenNamed(m_primary); primary && primary != QGuiApplication::primaryScreen())
            makePrimary(primary);
    }

private:
    QJsonArray m_screens;
    QString m_primary;
};

} // namespace OffscreenDesk

// In a test function: names the desk's two screens and their areas, skips the test when
// the offscreen platform has not two screens, and puts the desk back when the test ends.
#define OFFSCREEN_TWO_SCREENS_OR_SKIP(left, right, leftDesk, rightDesk)                                        \
    const auto [left, right, leftDesk, rightDesk] = OffscreenDesk::twoScreens();                              \
    if (!right || !OffscreenDesk::available())                                                                \
        QSKIP("needs the offscreen platform with two screens");                                               \
    const OffscreenDesk::Restorer offscreenDeskRestorer
