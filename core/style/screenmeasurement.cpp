#include "screenmeasurement.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

ScreenProbe primaryScreenProbe()
{
    return [](bool grabPixels) {
        ScreenMeasurement m;
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (!screen)
            return m;
        m.logicalDpi = screen->logicalDotsPerInch();
        m.devicePixelRatio = screen->devicePixelRatio();
        m.availableSize = screen->availableGeometry().size();
        if (grabPixels)
            m.pixelSize = const_cast<QScreen *>(screen)->grabWindow(0).size();
        return m;
    };
}
