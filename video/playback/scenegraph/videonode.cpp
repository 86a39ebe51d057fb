#include "videonode.h"

#include "qsgvideomaterial.h"

VideoNode::VideoNode()
    : m_material(new QSGVideoMaterial)
{
    setMaterial(m_material);
    setFlag(OwnsMaterial);
    auto *geometry = new QSGGeometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 4);
    geometry->setDrawingMode(QSGGeometry::DrawTriangleStrip);
    setGeometry(geometry);
    setFlag(OwnsGeometry);
}

void VideoNode::takePicture(VideoBuffer &picture)
{
    m_material->takePicture(picture);
    markDirty(DirtyMaterial);
}

QSize VideoNode::pictureSize() const
{
    return m_material->pictureSize();
}

void VideoNode::setTexturedRectGeometry(const QRectF &rect, const QRectF &sourceRect)
{
    if (rect == m_rect && sourceRect == m_sourceRect)
        return;
    m_rect = rect;
    m_sourceRect = sourceRect;
    // Vertices: top-left, bottom-left, top-right, bottom-right.
    QSGGeometry::updateTexturedRectGeometry(geometry(), rect, sourceRect);
    markDirty(DirtyGeometry);
}
