#include "videobuffer.h"

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

uchar clampToByte(int value)
{
    return static_cast<uchar>(std::clamp(value, 0, 255));
}

// Fixed-point BT.601 limited range, coefficients scaled by 2^16.
QRgb yuvToRgb(int y, int u, int v)
{
    const int luma = (y - 16) * 76309;
    const int cb = u - 128;
    const int cr = v - 128;
    const int r = (luma + 104597 * cr + 32768) >> 16;
    const int g = (luma - 25675 * cb - 53279 * cr + 32768) >> 16;
    const int b = (luma + 132201 * cb + 32768) >> 16;
    return qRgb(clampToByte(r), clampToByte(g), clampToByte(b));
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
    if (isEmpty()) {
        image = QImage();
        return;
    }
    if (image.size() != m_size || image.format() != QImage::Format_RGB32)
        image = QImage(m_size, QImage::Format_RGB32);
    const auto *lumaPlane = reinterpret_cast<const uchar *>(m_planes[Y].constData());
    const auto *cbPlane = reinterpret_cast<const uchar *>(m_planes[U].constData());
    const auto *crPlane = reinterpret_cast<const uchar *>(m_planes[V].constData());
    for (int y = 0; y < m_size.height(); ++y) {
        const uchar *luma = lumaPlane + qsizetype(y) * m_strides[Y];
        const uchar *cb = cbPlane + qsizetype(y / 2) * m_strides[U];
        const uchar *cr = crPlane + qsizetype(y / 2) * m_strides[V];
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < m_size.width(); ++x)
            out[x] = yuvToRgb(luma[x], cb[x / 2], cr[x / 2]);
    }
}
