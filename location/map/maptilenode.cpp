#include "maptilenode.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRectangleNode>
#include <QSGTexture>
#include <QSet>

MapSceneNode::MapSceneNode(QQuickWindow *window)
    : m_window(window)
    , m_background(window->createRectangleNode())
    , m_horizon(new QSGClipNode)
    , m_horizonGeometry(new QSGGeometry(QSGGeometry::defaultAttributes_Point2D(), 4))
    , m_layer(new QSGTransformNode)
{
    m_horizon->setIsRectangular(true);
    m_horizon->setGeometry(m_horizonGeometry);
    m_horizon->setFlag(QSGNode::OwnsGeometry);
    m_horizon->appendChildNode(m_layer);
    appendChildNode(m_background);
    appendChildNode(m_horizon);
}

MapSceneNode::~MapSceneNode()
{
    // The image nodes go with their parent; the textures are ours.
    qDeleteAll(m_textures);
}

void MapSceneNode::update(const MapFrame &frame)
{
    setBackground(frame.bounds, frame.color);
    setTiles(frame.transform, frame.draws, frame.ground);
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

void MapSceneNode::setTiles(const QMatrix4x4 &transform, const TileDrawList &draws, const QRectF &ground)
{
    if (m_horizon->clipRect() != ground) {
        m_horizon->setClipRect(ground);
        QSGGeometry::updateRectGeometry(m_horizonGeometry, ground);
        m_horizon->markDirty(QSGNode::DirtyGeometry);
    }
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
