#pragma once

#include "colormatrix.h"
#include "videobuffer.h"
#include "videotexture.h"

#include <QSGMaterial>
#include <QSGMaterialShader>

// Draws an I420 picture from three single-channel textures, converting to RGB on
// the GPU. The picture is copied in on the scene-graph thread during
// synchronisation and uploaded by the shader on the render thread.
class QSGVideoMaterial : public QSGMaterial
{
public:
    QSGVideoMaterial();
    ~QSGVideoMaterial() override;

    QSGMaterialType *type() const override;
    QSGMaterialShader *createShader(QSGRendererInterface::RenderMode renderMode) const override;
    int compare(const QSGMaterial *other) const override;

    // Takes the picture by exchanging storage: picture receives the previous one.
    void takePicture(VideoBuffer &picture);
    QSize pictureSize() const { return m_picture.size(); }
    const ColorMatrix &colorMatrix() const { return m_colorMatrix; }
    float opacity() const { return m_opacity; }
    void setOpacity(float opacity);

    // Uploads a new picture into the plane textures (render thread).
    void updateTextures(QRhi *rhi, QRhiResourceUpdateBatch *batch);
    VideoTexture *texture(int plane) { return &m_textures[plane]; }
    const VideoTexture *texture(int plane) const { return &m_textures[plane]; }

private:
    VideoBuffer m_picture;
    ColorMatrix m_colorMatrix;
    bool m_texturesDirty = false;
    float m_opacity = 1.0f;
    VideoTexture m_textures[VideoBuffer::PlaneCount];
};

class QSGVideoMaterialRhiShader : public QSGMaterialShader
{
public:
    QSGVideoMaterialRhiShader();

    bool updateUniformData(RenderState &state, QSGMaterial *newMaterial, QSGMaterial *oldMaterial) override;
    void updateSampledImage(RenderState &state, int binding, QSGTexture **texture, QSGMaterial *newMaterial,
                            QSGMaterial *oldMaterial) override;
};
