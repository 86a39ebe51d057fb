#pragma once

#include <QImage>
#include <QList>
#include <QRect>

// The parts of a picture that show anything, as rectangles of whole cells: an overlay
// such as the street layer is mostly clear ground, and a software OpenGL driver blends
// every pixel of a quad, clear or not, in every frame. A cell counts as painted when a
// pixel within one pixel of it is not fully transparent, so that a filtered sample at a
// left-out cell's edge, which reaches one pixel into its neighbour, sees only clear
// pixels there too. Cells painted in a row form one rectangle, and equal rectangles of
// rows one below the other merge. A picture without an alpha channel is one part.
QList<QRect> paintedParts(const QImage &picture, int cell = 32);
