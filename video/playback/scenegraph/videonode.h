#pragma once

#include <QSGGeometryNode>

class QSGVideoMaterial;
class VideoBuffer;

// The textured rectangle that shows an item's picture through QSGVideoMaterial.
class VideoNode : public QSGGeometryNode
{
public:
    VideoNode();

    // Takes the picture without copying; picture receives the node's previous one.
    void takePicture(VideoBuffer &picture);
    QSize pictureSize() const;
    // Nothing changes when rect and source rect are those already set.
    void setTexturedRectGeometry(const QRectF &rect, const QRectF &sourceRect);

private:
    QSGVideoMaterial *m_material;
    QRectF m_rect;
    QRectF m_sourceRect;
};
