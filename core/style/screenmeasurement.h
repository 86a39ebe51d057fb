#pragma once

#include <QSize>
#include <functional>

class QScreen;

// What the display scaling needs to know of a screen. pixelSize is in device pixels (a
// scaled high-density screen counts with its physical pixels); availableSize, the screen
// less its panels (WorkArea), in logical pixels.
struct ScreenMeasurement
{
    QSize pixelSize;
    qreal logicalDpi = 96.0;
    qreal devicePixelRatio = 1.0;
    QSize availableSize;
};

// Reads a screen (none: an empty measurement). pixelSize is filled only when asked for
// (withPixelSize); otherwise it stays empty.
using ScreenProbe = std::function<ScreenMeasurement(QScreen *screen, bool withPixelSize)>;

ScreenProbe screenProbe();
