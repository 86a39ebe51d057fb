#include "videogeometry.h"

namespace {

bool hasPicture(const QSizeF &nativeSize)
{
    return nativeSize.width() > 0 && nativeSize.height() > 0;
}

QRectF centred(const QSizeF &itemSize, const QSizeF &scaled)
{
    return QRectF(itemSize.width() / 2 - scaled.width() / 2, itemSize.height() / 2 - scaled.height() / 2,
                  scaled.width(), scaled.height());
}

QRectF contentFor(const QSizeF &itemSize, const QSizeF &nativeSize, int fillMode)
{
    const QRectF whole(QPointF(0, 0), itemSize);
    if (!hasPicture(nativeSize) || fillMode == VideoGeometry::Stretch)
        return whole;
    const Qt::AspectRatioMode mode =
        fillMode == VideoGeometry::PreserveAspectCrop ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio;
    return centred(itemSize, nativeSize.scaled(itemSize, mode));
}

// The part of the picture that falls inside the item when the content rect overflows it.
QRectF croppedSource(const QSizeF &itemSize, const QRectF &content)
{
    if (content.width() <= 0 || content.height() <= 0)
        return QRectF(0, 0, 1, 1);
    return QRectF(-content.x() / content.width(), -content.y() / content.height(),
                  itemSize.width() / content.width(), itemSize.height() / content.height());
}

bool fuzzyEqual(qreal a, qreal b)
{
    if (qFuzzyIsNull(a) || qFuzzyIsNull(b))
        return qAbs(a - b) <= 1e-12;
    return qFuzzyCompare(a, b);
}

} // namespace

VideoGeometry VideoGeometry::compute(const QSizeF &itemSize, const QSizeF &nativeSize, int fillMode)
{
    VideoGeometry geometry;
    const QRectF whole(QPointF(0, 0), itemSize);
    geometry.contentRect = contentFor(itemSize, nativeSize, fillMode);
    geometry.renderedRect = whole;
    geometry.sourceRect = QRectF(0, 0, 1, 1);
    if (!hasPicture(nativeSize))
        return geometry;
    if (fillMode == PreserveAspectFit)
        geometry.renderedRect = geometry.contentRect;
    else if (fillMode == PreserveAspectCrop)
        geometry.sourceRect = croppedSource(itemSize, geometry.contentRect);
    return geometry;
}

bool fuzzyEqualRects(const QRectF &a, const QRectF &b)
{
    return fuzzyEqual(a.x(), b.x()) && fuzzyEqual(a.y(), b.y()) && fuzzyEqual(a.width(), b.width())
        && fuzzyEqual(a.height(), b.height());
}
