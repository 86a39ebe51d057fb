#include "videobuffer.h"

#include "colormatrix.h"

#include <algorithm>
#include <cstring>

namespace {

int alignedStride(int width)
{
    return (width + 3) & ~3;
}

int chromaExtent(int extent)
{
    return (extent + 1) / 2;
}

} // namespace

int VideoBuffer::tightI420Bytes(int width, int height)
{
    if (width < 1 || height < 1)
        return 0;
    return width * height + 2 * chromaExtent(width) * chromaExtent(height);
}

QSize VideoBuffer::planeSize(int plane) const
{
    if (plane == Y)
        return m_size;
    return QSize(chromaExtent(m_size.width()), chromaExtent(m_size.height()));
}

void VideoBuffer::reshape(QSize size)
{
    if (size == m_size)
        return;
    m_size = size;
    for (int plane = 0; plane < PlaneCount; ++plane) {
        const QSize extent = planeSize(plane);
        m_strides[plane] = alignedStride(extent.width());
        m_planes[plane].resize(qsizetype(m_strides[plane]) * extent.height());
    }
}

uchar *VideoBuffer::row(int plane, int y)
{
    // data() detaches only if a renderer still holds the previous picture.
    return reinterpret_cast<uchar *>(m_planes[plane].data()) + qsizetype(y) * m_strides[plane];
}

bool VideoBuffer::assignTightI420(const uchar *data, int width, int height)
{
    if (!data || width < 1 || height < 1)
        return false;
    reshape(QSize(width, height));
    const uchar *source = data;
    for (int plane = 0; plane < PlaneCount; ++plane) {
        const QSize extent = planeSize(plane);
        for (int y = 0; y < extent.height(); ++y) {
            std::memcpy(row(plane, y), source, size_t(extent.width()));
            source += extent.width();
        }
    }
    return true;
}

void VideoBuffer::swap(VideoBuffer &other) noexcept
{
    std::swap(m_size, other.m_size);
    for (int plane = 0; plane < PlaneCount; ++plane) {
        std::swap(m_strides[plane], other.m_strides[plane]);
        m_planes[plane].swap(other.m_planes[plane]);
    }
}

void VideoBuffer::clear()
{
    m_size = QSize();
    for (int plane = 0; plane < PlaneCount; ++plane) {
        m_strides[plane] = 0;
        m_planes[plane] = QByteArray();
    }
}

void VideoBuffer::convertTo(QImage &image) const
{
    const uchar *planes[PlaneCount];
    for (int plane = 0; plane < PlaneCount; ++plane)
        planes[plane] = reinterpret_cast<const uchar *>(m_planes[plane].constData());
    ColorMatrix::forPicture(m_size).convertI420(m_size, planes, m_strides, image);
}
