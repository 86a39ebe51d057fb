#pragma once

#include <QRectF>
#include <QSizeF>

// Where a picture goes inside an item for a fill mode: the content rect (the
// picture's place, may reach outside the item), the rendered rect (what is drawn)
// and the source rect (normalised texture coordinates of the drawn part).
struct VideoGeometry
{
    enum FillMode { Stretch = 0, PreserveAspectFit = 1, PreserveAspectCrop = 2 };

    QRectF contentRect;
    QRectF renderedRect;
    QRectF sourceRect;

    // nativeSize not above 0 (no picture yet) gives the item's own rect.
    static VideoGeometry compute(const QSizeF &itemSize, const QSizeF &nativeSize, int fillMode);
};

// Rectangles compared coordinate by coordinate with the toolkit's fuzzy comparison.
bool fuzzyEqualRects(const QRectF &a, const QRectF &b);
