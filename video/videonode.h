#pragma once

#include <QSGGeometryNode>

class QSGVideoMaterial;
class VideoBuffer;

// The textured rectangle that shows an item's picture through QSGVideoMaterial.
class VideoNode : public QSGGeometryNode
{
public:
    VideoNode();

    void setPicture(const VideoBuffer &picture);
    QSize pictureSize() const;
    // Nothing changes when rect and source rect are those already set.
    void setTexturedRectGeometry(const QRectF &rect, const QRectF &sourceRect);

private:
    QSGVideoMaterial *m_material;
    QRectF m_rect;
    QRectF m_sourceRect;
};
