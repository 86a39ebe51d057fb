#include "maptilenode.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRectangleNode>
#include <QSGTexture>
#include <QSet>

#include <cmath>

#include "paintedparts.h"

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

// Neither turned nor tilted: only moved and scaled. Pieces of a picture then meet along
// edges the rasteriser sees alike on both sides, so no seam shows between them.
bool isAxisAligned(const QMatrix4x4 &transform)
{
    return transform(0, 1) == 0 && transform(1, 0) == 0 && transform(3, 0) == 0 && transform(3, 1) == 0
           && transform(3, 3) == 1;
}

// The draw as pieces of its picture's painted parts, placed where the whole would put them.
QList<QPair<QRectF, QRectF>> paintedPieces(const TileDraw &draw, const QList<QRect> &parts)
{
    QList<QPair<QRectF, QRectF>> pieces;
    if (draw.source.isEmpty())
        return pieces;
    const qreal scaleX = draw.target.width() / draw.source.width();
    const qreal scaleY = draw.target.height() / draw.source.height();
    for (const QRect &part : parts) {
        const QRectF source = QRectF(part).intersected(draw.source);
        if (source.isEmpty())
            continue;
        const QRectF target(draw.target.x() + (source.x() - draw.source.x()) * scaleX,
                            draw.target.y() + (source.y() - draw.source.y()) * scaleY, source.width() * scaleX,
                            source.height() * scaleY);
        pieces.append({target, source});
    }
    return pieces;
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
    for (const TileTexture &texture : std::as_const(m_textures))
        delete texture.texture;
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

const MapSceneNode::TileTexture &MapSceneNode::textureFor(const QImage &picture)
{
    TileTexture &texture = m_textures[picture.cacheKey()];
    if (!texture.texture) {
        texture.texture = m_window->createTextureFromImage(picture);
        texture.parts = paintedParts(picture);
    }
    return texture;
}

// One image node per piece, reusing the tile's nodes of the frame before.
void MapSceneNode::setPieces(QList<QSGImageNode *> &nodes, const Pieces &pieces, QSGTexture *texture,
                             QSGTexture::Filtering filtering)
{
    while (nodes.size() > pieces.size()) {
        QSGImageNode *gone = nodes.takeLast();
        m_layer->removeChildNode(gone);
        delete gone;
    }
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const bool fresh = i >= nodes.size();
        QSGImageNode *node = fresh ? m_window->createImageNode() : nodes.at(i);
        if (fresh)
            node->setOwnsTexture(false);
        if (node->filtering() != filtering)
            node->setFiltering(filtering);
        if (node->texture() != texture)
            node->setTexture(texture);
        if (node->rect() != pieces.at(i).first)
            node->setRect(pieces.at(i).first);
        if (node->sourceRect() != pieces.at(i).second)
            node->setSourceRect(pieces.at(i).second);
        // The software renderer looks at a node as soon as it is added: complete it first.
        if (fresh) {
            m_layer->appendChildNode(node);
            nodes.append(node);
        }
    }
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
    const bool axisAligned = isAxisAligned(transform);
    QHash<TileKey, QList<QSGImageNode *>> kept;
    QSet<qint64> pictures;
    for (const TileDraw &draw : draws) {
        const TileTexture &texture = textureFor(draw.picture);
        const QSGTexture::Filtering filtering = pixelForPixel && draw.source.size() == draw.target.size()
                                                    ? QSGTexture::Nearest
                                                    : QSGTexture::Linear;
        const Pieces pieces = axisAligned ? paintedPieces(draw, texture.parts) : Pieces{{draw.target, draw.source}};
        QList<QSGImageNode *> nodes = m_tiles.take(draw.cell);
        setPieces(nodes, pieces, texture.texture, filtering);
        kept.insert(draw.cell, nodes);
        pictures.insert(draw.picture.cacheKey());
    }
    for (const QList<QSGImageNode *> &gone : std::as_const(m_tiles)) {
        for (QSGImageNode *node : gone) {
            m_layer->removeChildNode(node);
            delete node;
        }
    }
    m_tiles = kept;
    for (auto it = m_textures.begin(); it != m_textures.end();) {
        if (pictures.contains(it.key())) {
            ++it;
        } else {
            delete it.value().texture;
            it = m_textures.erase(it);
        }
    }
}

int MapSceneNode::tileNodeCount() const
{
    return int(m_tiles.size());
}
