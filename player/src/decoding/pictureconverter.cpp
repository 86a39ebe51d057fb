#include "pictureconverter.h"

extern "C" {
#include <libavutil/imgutils.h>
}

namespace zelkaplayer {

namespace {
constexpr int kRowAlignment = 64;
}

int PictureConverter::bufferSize(AVPixelFormat format, int width, int height)
{
    return av_image_get_buffer_size(format, width, height, 1);
}

bool PictureConverter::convert(const AVFrame &source, int regionWidth, int regionHeight, AVPixelFormat targetFormat,
                               int targetWidth, int targetHeight, uint8_t *target)
{
    const auto sourceFormat = static_cast<AVPixelFormat>(source.format);
    if (!target || regionWidth < 1 || regionHeight < 1 || regionWidth > source.width || regionHeight > source.height
        || targetWidth < 1 || targetHeight < 1)
        return false;
    const int size = bufferSize(targetFormat, targetWidth, targetHeight);
    if (size <= 0)
        return false;

    // Same layout and size: a plain plane copy is the cheapest hand-over.
    if (sourceFormat == targetFormat && regionWidth == targetWidth && regionHeight == targetHeight)
        return av_image_copy_to_buffer(target, size, source.data, source.linesize, targetFormat, targetWidth,
                                       targetHeight, 1)
            > 0;

    if (!prepareScaler(sourceFormat, regionWidth, regionHeight, targetFormat, targetWidth, targetHeight))
        return false;
    uint8_t *planes[4] = {};
    int strides[4] = {};
    if (av_image_fill_arrays(planes, strides, target, targetFormat, targetWidth, targetHeight, 1) < 0)
        return false;
    if (rowsAligned(strides))
        return sws_scale(m_scaler.get(), source.data, source.linesize, 0, regionHeight, planes, strides)
            == targetHeight;
    // swscale's vector code spoils the last pixels of rows that end off alignment:
    // scale into padded rows, then pack them.
    if (!prepareScratch(targetFormat, targetWidth, targetHeight)
        || sws_scale(m_scaler.get(), source.data, source.linesize, 0, regionHeight, m_scratch->data,
                     m_scratch->linesize)
            != targetHeight)
        return false;
    return av_image_copy_to_buffer(target, size, m_scratch->data, m_scratch->linesize, targetFormat, targetWidth,
                                   targetHeight, 1)
        > 0;
}

bool PictureConverter::rowsAligned(const int strides[4])
{
    for (int plane = 0; plane < 4; ++plane) {
        if (strides[plane] % kRowAlignment != 0)
            return false;
    }
    return true;
}

bool PictureConverter::prepareScratch(AVPixelFormat format, int width, int height)
{
    if (m_scratch && m_scratch->format == format && m_scratch->width == width && m_scratch->height == height)
        return true;
    m_scratch = makeFrame();
    if (!m_scratch)
        return false;
    m_scratch->format = format;
    m_scratch->width = width;
    m_scratch->height = height;
    return av_frame_get_buffer(m_scratch.get(), kRowAlignment) >= 0;
}

bool PictureConverter::prepareScaler(AVPixelFormat sourceFormat, int regionWidth, int regionHeight,
                                     AVPixelFormat targetFormat, int targetWidth, int targetHeight)
{
    if (m_scaler && sourceFormat == m_sourceFormat && targetFormat == m_targetFormat && regionWidth == m_regionWidth
        && regionHeight == m_regionHeight && targetWidth == m_targetWidth && targetHeight == m_targetHeight)
        return true;
    m_scaler.reset(sws_getContext(regionWidth, regionHeight, sourceFormat, targetWidth, targetHeight, targetFormat,
                                  SWS_BICUBIC, nullptr, nullptr, nullptr));
    m_sourceFormat = sourceFormat;
    m_targetFormat = targetFormat;
    m_regionWidth = regionWidth;
    m_regionHeight = regionHeight;
    m_targetWidth = targetWidth;
    m_targetHeight = targetHeight;
    return m_scaler != nullptr;
}

} // namespace zelkaplayer
