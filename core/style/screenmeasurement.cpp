#include "screenmeasurement.h"

#include <QScreen>

#include "workarea.h"

ScreenProbe screenProbe()
{
    return [](QScreen *screen, bool withPixelSize) {
        ScreenMeasurement m;
        if (!screen)
            return m;
        m.logicalDpi = screen->logicalDotsPerInch();
        m.devicePixelRatio = screen->devicePixelRatio();
        m.availableSize = WorkArea::instance()->availableGeometry(screen).size();
        // The screen's own device pixels, which is the size a grab of it gives (bounded to
        // the screen where a platform grabs the whole desk). Grabbed on the GUI thread only
        // for its size, a 3840 x 2160 screen froze the window for seconds after a move onto it.
        if (withPixelSize)
            m.pixelSize = (QSizeF(screen->geometry().size()) * m.devicePixelRatio).toSize();
        return m;
    };
}
