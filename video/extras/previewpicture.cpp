#include "previewpicture.h"

#include "colormatrix.h"
#include "videobuffer.h"

PreviewPicture::PreviewPicture(const QImage &image)
    : m_image(image)
{
}

PreviewPicture PreviewPicture::fromI420(const uchar *i420, QSize size)
{
    PreviewPicture picture;
    if (!ColorMatrix::isTightI420Size(size) || !i420)
        return picture;
    picture.m_size = size;
    picture.m_i420 = QByteArray(reinterpret_cast<const char *>(i420),
                                VideoBuffer::tightI420Bytes(size.width(), size.height()));
    return picture;
}

QSize PreviewPicture::size() const
{
    return m_image.isNull() ? m_size : m_image.size();
}

QImage PreviewPicture::toImage() const
{
    if (!m_image.isNull())
        return m_image;
    return ColorMatrix::imageFromTightI420(reinterpret_cast<const uchar *>(m_i420.constData()), m_size);
}

qsizetype PreviewPicture::byteCount() const
{
    return m_image.isNull() ? m_i420.size() : m_image.sizeInBytes();
}
