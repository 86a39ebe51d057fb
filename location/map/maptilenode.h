#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QRect>
#include <QMatrix4x4>
#include <QSGClipNode>
#include <QSGGeometry>
#include <QSGNode>
#include <QSGTexture>
#include <QSGTransformNode>

#include "tiledraw.h"

class QQuickWindow;
class QSGImageNode;
class QSGRectangleNode;

// A map's scene: its background colour over the whole item (nothing drawn while it is
// transparent), and above it the tiles of one level as image nodes under one transform
// node that carries the bearing and the perspective of the tilt, cut off at the horizon;
// tiles shown pixel for pixel are sampled without filtering, and while the map is neither
// turned nor tilted a picture with clear parts is drawn as its painted parts only. Plain
// image nodes, a clip and a transform, so the software renderer draws it as well as the
// hardware ones. Lives on the render thread. The scene itself is a transform node (with no transform): the software
// renderer finds the position and clip of a changed node only through a parent of that kind.
class MapSceneNode : public QSGTransformNode
{
public:
    explicit MapSceneNode(QQuickWindow *window);
    ~MapSceneNode() override;

    void update(const MapFrame &frame);
    int tileNodeCount() const;

private:
    // Where each piece of a tile goes, and which part of its picture it shows.
    using Pieces = QList<QPair<QRectF, QRectF>>;

    struct TileTexture
    {
        QSGTexture *texture = nullptr;
        QList<QRect> parts; // of the picture, see paintedParts()
    };

    void setBackground(const QRectF &rect, const QColor &color);
    void setTiles(const QMatrix4x4 &transform, const TileDrawList &draws, const QRectF &ground);
    const TileTexture &textureFor(const QImage &picture);
    void setPieces(QList<QSGImageNode *> &nodes, const Pieces &pieces, QSGTexture *texture,
                   QSGTexture::Filtering filtering);

    QQuickWindow *m_window;
    QSGRectangleNode *m_background;
    QSGClipNode *m_horizon;
    QSGGeometry *m_horizonGeometry; // owned by the clip node
    QSGTransformNode *m_layer;
    // The image nodes of each tile drawn: its painted parts, or the whole picture.
    QHash<TileKey, QList<QSGImageNode *>> m_tiles;
    // Textures by picture; a picture drawn in several places is uploaded once.
    QHash<qint64, TileTexture> m_textures;
};
