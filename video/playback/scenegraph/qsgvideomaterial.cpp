#include "qsgvideomaterial.h"

#include "streamcloser.h"

#include <QtGui/private/qrhi_p.h>

#include <cstring>
#include <memory>

namespace {
// The uniform block of both shader stages (std140): the item's matrix, the opacity,
// then the colour matrix on the next 16-byte boundary.
constexpr int kMatrixBytes = 64;
constexpr int kOpacityOffset = 64;
constexpr int kColorMatrixOffset = 80;
constexpr int kFirstPlaneBinding = 1;
} // namespace

QSGVideoMaterial::QSGVideoMaterial()
{
    setFlag(Blending, false);
}

// The scene graph deletes the nodes of deleted items while the GUI thread waits for it.
// A picture's planes of 192 KB and more are mappings of their own (AllocatorTuning), and
// unmapping them here would queue the render thread, and so the GUI thread, behind the
// unmappings of the deleted items' closes: a worker frees them.
QSGVideoMaterial::~QSGVideoMaterial()
{
    if (m_picture.isEmpty())
        return;
    auto released = std::make_shared<VideoBuffer>();
    released->swap(m_picture);
    StreamCloser::instance().dispose(std::move(released));
}

QSGMaterialType *QSGVideoMaterial::type() const
{
    static QSGMaterialType i420Type;
    return &i420Type;
}

QSGMaterialShader *QSGVideoMaterial::createShader(QSGRendererInterface::RenderMode) const
{
    return new QSGVideoMaterialRhiShader;
}

int QSGVideoMaterial::compare(const QSGMaterial *other) const
{
    const auto *that = static_cast<const QSGVideoMaterial *>(other);
    for (int plane = 0; plane < VideoBuffer::PlaneCount; ++plane) {
        const qint64 mine = m_textures[plane].comparisonKey();
        const qint64 theirs = that->m_textures[plane].comparisonKey();
        if (mine != theirs)
            return mine < theirs ? -1 : 1;
    }
    return 0;
}

void QSGVideoMaterial::takePicture(VideoBuffer &picture)
{
    m_picture.swap(picture);
    m_colorMatrix = ColorMatrix::forPicture(m_picture.size());
    m_texturesDirty = true;
}

void QSGVideoMaterial::setOpacity(float opacity)
{
    m_opacity = opacity;
    setFlag(Blending, !qFuzzyCompare(opacity, 1.0f));
}

void QSGVideoMaterial::updateTextures(QRhi *rhi, QRhiResourceUpdateBatch *batch)
{
    if (!m_texturesDirty || m_picture.isEmpty())
        return;
    for (int plane = 0; plane < VideoBuffer::PlaneCount; ++plane) {
        m_textures[plane].upload(rhi, batch, m_picture.planeSize(plane), m_picture.planeData(plane),
                                 m_picture.stride(plane));
    }
    m_texturesDirty = false;
}

QSGVideoMaterialRhiShader::QSGVideoMaterialRhiShader()
{
    setShaderFileName(VertexStage, QStringLiteral(":/zelka/video/shaders/videoi420.vert.qsb"));
    setShaderFileName(FragmentStage, QStringLiteral(":/zelka/video/shaders/videoi420.frag.qsb"));
}

bool QSGVideoMaterialRhiShader::updateUniformData(RenderState &state, QSGMaterial *newMaterial, QSGMaterial *)
{
    auto *material = static_cast<QSGVideoMaterial *>(newMaterial);
    QByteArray *buffer = state.uniformData();
    bool changed = false;
    if (state.isMatrixDirty()) {
        const QMatrix4x4 matrix = state.combinedMatrix();
        std::memcpy(buffer->data(), matrix.constData(), kMatrixBytes);
        changed = true;
    }
    if (state.isOpacityDirty()) {
        material->setOpacity(state.opacity());
        const float opacity = material->opacity();
        std::memcpy(buffer->data() + kOpacityOffset, &opacity, sizeof(opacity));
        changed = true;
    }
    // Items of other sizes may share this shader: write the matrix whenever it differs.
    const QMatrix4x4 colorMatrix = material->colorMatrix().toMatrix4x4();
    char *colorMatrixBytes = buffer->data() + kColorMatrixOffset;
    if (std::memcmp(colorMatrixBytes, colorMatrix.constData(), kMatrixBytes) != 0) {
        std::memcpy(colorMatrixBytes, colorMatrix.constData(), kMatrixBytes);
        changed = true;
    }
    return changed;
}

void QSGVideoMaterialRhiShader::updateSampledImage(RenderState &state, int binding, QSGTexture **texture,
                                                   QSGMaterial *newMaterial, QSGMaterial *)
{
    const int plane = binding - kFirstPlaneBinding;
    if (plane < 0 || plane >= VideoBuffer::PlaneCount)
        return;
    auto *material = static_cast<QSGVideoMaterial *>(newMaterial);
    material->updateTextures(state.rhi(), state.resourceUpdateBatch());
    *texture = material->texture(plane);
}
