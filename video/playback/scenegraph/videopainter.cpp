#include "videopainter.h"

#include "videobuffer.h"
#include "videogeometry.h"
#include "videonode.h"

#include <QQuickWindow>
#include <QSGImageNode>

namespace {

bool isSoftwareSceneGraph(const QQuickWindow *window)
{
    return !window || window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
}

} // namespace

QSGNode *VideoPainter::draw(QQuickWindow *window, QSGNode *oldNode, VideoBuffer &picture)
{
    if (isSoftwareSceneGraph(window)) {
        auto *node = dynamic_cast<QSGImageNode *>(oldNode);
        if (!node) {
            delete oldNode;
            node = window->createImageNode();
            node->setOwnsTexture(true);
            node->setFiltering(QSGTexture::Linear);
        }
        picture.convertTo(m_softwarePicture);
        node->setTexture(window->createTextureFromImage(m_softwarePicture));
        // The texture shares the image: detach now so that the next picture does not overwrite it.
        m_softwarePicture = QImage();
        return node;
    }
    auto *node = dynamic_cast<VideoNode *>(oldNode);
    if (!node) {
        delete oldNode;
        node = new VideoNode;
    }
    // The slot is released right after this: its storage goes back to the writer.
    node->takePicture(picture);
    return node;
}

void VideoPainter::place(QSGNode *node, QSizeF itemSize, int fillMode, QSize pictureSize)
{
    const VideoGeometry geometry = VideoGeometry::compute(itemSize, QSizeF(pictureSize), fillMode);
    if (auto *imageNode = dynamic_cast<QSGImageNode *>(node)) {
        const QRectF source = geometry.sourceRect;
        imageNode->setRect(geometry.renderedRect);
        imageNode->setSourceRect(QRectF(source.x() * pictureSize.width(), source.y() * pictureSize.height(),
                                        source.width() * pictureSize.width(), source.height() * pictureSize.height()));
    } else if (auto *videoNode = dynamic_cast<VideoNode *>(node)) {
        videoNode->setTexturedRectGeometry(geometry.renderedRect, geometry.sourceRect);
    }
}

QSize VideoPainter::pictureSizeOf(QSGNode *node)
{
    if (auto *imageNode = dynamic_cast<QSGImageNode *>(node))
        return imageNode->texture() ? imageNode->texture()->textureSize() : QSize();
    if (auto *videoNode = dynamic_cast<VideoNode *>(node))
        return videoNode->pictureSize();
    return QSize();
}
