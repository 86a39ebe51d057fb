#pragma once

#include <cstdint>

#include "ffmpegptr.h"

namespace zelkaplayer {

// Writes decoded pictures into one tight caller-owned block (rows without padding,
// planes back to back). Reuses its scaler while the formats stay the same.
class PictureConverter
{
public:
    // The top-left regionWidth x regionHeight of the source goes to a
    // targetWidth x targetHeight picture of targetFormat (scaled when sizes differ).
    bool convert(const AVFrame &source, int regionWidth, int regionHeight, AVPixelFormat targetFormat,
                 int targetWidth, int targetHeight, uint8_t *target);

    static int bufferSize(AVPixelFormat format, int width, int height);

private:
    static bool rowsAligned(const int strides[4]);
    bool prepareScratch(AVPixelFormat format, int width, int height);
    bool prepareScaler(AVPixelFormat sourceFormat, int regionWidth, int regionHeight, AVPixelFormat targetFormat,
                       int targetWidth, int targetHeight);

    SwsPtr m_scaler;
    FramePtr m_scratch;
    AVPixelFormat m_sourceFormat = AV_PIX_FMT_NONE;
    AVPixelFormat m_targetFormat = AV_PIX_FMT_NONE;
    int m_regionWidth = 0;
    int m_regionHeight = 0;
    int m_targetWidth = 0;
    int m_targetHeight = 0;
};

} // namespace zelkaplayer
