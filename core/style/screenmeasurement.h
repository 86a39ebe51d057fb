#pragma once

#include <QSize>
#include <functional>

// What the display scaling needs to know of the primary screen. pixelSize is in
// device pixels (a scaled high-density screen counts with its physical pixels);
// availableSize, the screen less its panels, in logical pixels.
struct ScreenMeasurement
{
    QSize pixelSize;
    qreal logicalDpi = 96.0;
    qreal devicePixelRatio = 1.0;
    QSize availableSize;
};

// Reads the primary screen. Grabbing the screen to learn its pixel size is costly,
// so it happens only when asked for; otherwise pixelSize stays empty.
using ScreenProbe = std::function<ScreenMeasurement(bool grabPixels)>;

ScreenProbe primaryScreenProbe();
