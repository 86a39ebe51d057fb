#include "maptilenode.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRectangleNode>
#include <QSGTexture>
#include <QSet>

#include <cmath>

namespace {

// The layer is only moved (not scaled, turned or tilted) on a window of one device pixel
// per pixel: a tile drawn at its own size then shows each of its pixels once.
bool showsPixelForPixel(const QMatrix4x4 &transform, qreal devicePixelRatio)
{
    constexpr float kSlack = 1e-6f;
    const auto is = [](float value, float expected) { return std::abs(value - expected) < kSlack; };
    return devicePixelRatio == 1.0 && is(transform(0, 0), 1) && is(transform(1, 1), 1) && is(transform(0, 1), 0)
           && is(transform(1, 0), 0) && is(transform(3, 0), 0) && is(transform(3, 1), 0) && is(transform(3, 3), 1);
}

} // namespace

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
    // A transparent colour (a map stacked over another) covers nothing: an OpenGL renderer
    // would still blend it over the whole item in every frame.
    const QRectF covered = color.alpha() == 0 ? QRectF() : rect;
    if (m_background->rect() != covered)
        m_background->setRect(covered);
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
    if (m_layer->matrix() != transform)
        m_layer->setMatrix(transform);
    // Drawn pixel for pixel, a tile needs no filtering; nearest sampling costs a fraction of
    // linear on a software OpenGL driver, and the map is drawn whole in every frame there.
    const bool pixelForPixel = showsPixelForPixel(transform, m_window->effectiveDevicePixelRatio());
    QHash<TileKey, QSGImageNode *> kept;
    QSet<qint64> pictures;
    for (const TileDraw &draw : draws) {
        QSGTexture *texture = textureFor(draw.picture);
        QSGImageNode *node = m_tiles.take(draw.cell);
        const bool fresh = !node;
        if (fresh) {
            node = m_window->createImageNode();
            node->setOwnsTexture(false);
        }
        const QSGTexture::Filtering filtering = pixelForPixel && draw.source.size() == draw.target.size()
                                                    ? QSGTexture::Nearest
                                                    : QSGTexture::Linear;
        if (node->filtering() != filtering)
            node->setFiltering(filtering);
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
