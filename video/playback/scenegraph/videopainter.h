#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>

class QQuickWindow;
class QSGNode;
class VideoBuffer;

// Puts a playback item's pictures into its scene-graph node, on the scene-graph thread:
// an image node with a picture converted on the CPU when the scene graph is the
// software one, a VideoNode that converts on the GPU otherwise.
class VideoPainter
{
public:
    // The node showing picture, made anew when the kind of node must change. The
    // picture's storage may be exchanged with the node's previous one.
    QSGNode *draw(QQuickWindow *window, QSGNode *oldNode, VideoBuffer &picture);

    // Places the node's picture inside an item of itemSize for the fill mode.
    static void place(QSGNode *node, QSizeF itemSize, int fillMode, QSize pictureSize);
    // The size of the picture a node shows; empty for any other node.
    static QSize pictureSizeOf(QSGNode *node);

private:
    QImage m_softwarePicture;
};
