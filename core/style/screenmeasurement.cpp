#include "screenmeasurement.h"

#include <QPixmap>
#include <QScreen>

#include "workarea.h"

ScreenProbe screenProbe()
{
    return [](QScreen *screen, bool grabPixels) {
        ScreenMeasurement m;
        if (!screen)
            return m;
        m.logicalDpi = screen->logicalDotsPerInch();
        m.devicePixelRatio = screen->devicePixelRatio();
        m.availableSize = WorkArea::instance()->availableGeometry(screen).size();
        if (grabPixels) {
            // Some platforms grab the whole desk for any of its screens: no more than
            // the screen's own pixels count.
            const QSize own = (QSizeF(screen->geometry().size()) * m.devicePixelRatio).toSize();
            const QSize grabbed = screen->grabWindow(0).size();
            m.pixelSize = grabbed.isEmpty() ? grabbed : grabbed.boundedTo(own);
        }
        return m;
    };
}
