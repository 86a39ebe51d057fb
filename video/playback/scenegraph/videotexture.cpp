#include "videotexture.h"

#include <QtGui/private/qrhi_p.h>

VideoTexture::VideoTexture()
{
    setFiltering(QSGTexture::Linear);
    setHorizontalWrapMode(QSGTexture::ClampToEdge);
    setVerticalWrapMode(QSGTexture::ClampToEdge);
}

VideoTexture::~VideoTexture()
{
    // deleteLater: a frame still in flight may use the texture.
    if (m_texture)
        m_texture->deleteLater();
}

qint64 VideoTexture::comparisonKey() const
{
    return m_texture ? qint64(quintptr(m_texture)) : qint64(quintptr(this));
}

QRhiTexture *VideoTexture::rhiTexture() const
{
    return m_texture;
}

QSize VideoTexture::textureSize() const
{
    return m_size;
}

bool VideoTexture::hasAlphaChannel() const
{
    return false;
}

bool VideoTexture::hasMipmaps() const
{
    return mipmapFiltering() != QSGTexture::None;
}

bool VideoTexture::ensureTexture(QRhi *rhi, QSize size)
{
    if (m_texture && m_size == size)
        return true;
    if (m_texture) {
        m_texture->deleteLater();
        m_texture = nullptr;
    }
    m_size = size;
    m_texture = rhi->newTexture(QRhiTexture::R8, size, 1);
    if (!m_texture->create()) {
        delete m_texture;
        m_texture = nullptr;
        return false;
    }
    return true;
}

bool VideoTexture::upload(QRhi *rhi, QRhiResourceUpdateBatch *batch, QSize size, const QByteArray &bytes, int stride)
{
    if (!rhi || !batch || size.isEmpty() || !ensureTexture(rhi, size))
        return false;
    QRhiTextureSubresourceUploadDescription description(bytes);
    description.setDataStride(quint32(stride));
    batch->uploadTexture(m_texture, QRhiTextureUploadDescription(QRhiTextureUploadEntry(0, 0, description)));
    return true;
}
