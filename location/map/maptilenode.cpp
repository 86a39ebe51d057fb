#include "maptilenode.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRectangleNode>
#include <QSGTexture>
#include <QSet>

MapSceneNode::MapSceneNode(QQuickWindow *window)
    : m_window(window)
    , m_background(window->createRectangleNode())
    , m_layer(new QSGTransformNode)
{
    appendChildNode(m_background);
    appendChildNode(m_layer);
}

MapSceneNode::~MapSceneNode()
{
    // The image nodes go with their parent; the textures are ours.
    qDeleteAll(m_textures);
}

void MapSceneNode::setBackground(const QRectF &rect, const QColor &color)
{
    if (m_background->rect() != rect)
        m_background->setRect(rect);
    if (m_background->color() != color)
        m_background->setColor(color);
}

QSGTexture *MapSceneNode::textureFor(const QImage &picture)
{
    QSGTexture *&texture = m_textures[picture.cacheKey()];
    if (!texture)
        texture = m_window->createTextureFromImage(picture);
    return texture;
}

void MapSceneNode::setTiles(const QMatrix4x4 &transform, const TileDrawList &draws)
{
    m_layer->setMatrix(transform);
    QHash<TileKey, QSGImageNode *> kept;
    QSet<qint64> pictures;
    for (const TileDraw &draw : draws) {
        QSGTexture *texture = textureFor(draw.picture);
        QSGImageNode *node = m_tiles.take(draw.cell);
        const bool fresh = !node;
        if (fresh) {
            node = m_window->createImageNode();
            node->setFiltering(QSGTexture::Linear);
            node->setOwnsTexture(false);
        }
        if (node->texture() != texture)
            node->setTexture(texture);
        if (node->rect() != draw.target)
            node->setRect(draw.target);
        if (node->sourceRect() != draw.source)
            node->setSourceRect(draw.source);
        // The software renderer looks at a node as soon as it is added: complete it first.
        if (fresh)
            m_layer->appendChildNode(node);
        kept.insert(draw.cell, node);
        pictures.insert(draw.picture.cacheKey());
    }
    for (QSGImageNode *gone : std::as_const(m_tiles)) {
        m_layer->removeChildNode(gone);
        delete gone;
    }
    m_tiles = kept;
    for (auto it = m_textures.begin(); it != m_textures.end();) {
        if (pictures.contains(it.key())) {
            ++it;
        } else {
            delete it.value();
            it = m_textures.erase(it);
        }
    }
}

int MapSceneNode::tileNodeCount() const
{
    return int(m_tiles.size());
}
