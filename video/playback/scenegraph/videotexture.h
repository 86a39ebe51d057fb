#pragma once

#include <QByteArray>
#include <QSGTexture>
#include <QSize>

class QRhi;
class QRhiResourceUpdateBatch;
class QRhiTexture;

// One plane of a video picture as a single-channel texture. The texture is made on
// the render thread on first upload, remade when the plane's size changes, and
// released with this object (the scene graph deletes nodes on the render thread).
class VideoTexture : public QSGTexture
{
    Q_OBJECT
public:
    VideoTexture();
    ~VideoTexture() override;

    qint64 comparisonKey() const override;
    QRhiTexture *rhiTexture() const override;
    QSize textureSize() const override;
    bool hasAlphaChannel() const override;
    bool hasMipmaps() const override;

    // Queues an upload of rows of stride bytes; false when the texture cannot be made.
    bool upload(QRhi *rhi, QRhiResourceUpdateBatch *batch, QSize size, const QByteArray &bytes, int stride);

private:
    bool ensureTexture(QRhi *rhi, QSize size);

    QRhiTexture *m_texture = nullptr;
    QSize m_size;
};
