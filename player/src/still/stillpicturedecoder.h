#pragma once

#include <cstdint>

#include "ffmpegptr.h"
#include "decoding/pictureconverter.h"

namespace zelkaplayer {

// Decodes the first picture of a short H.264/H.265 Annex B body (parameter sets and
// a key frame) into a caller-sized packed picture. Fails rather than hand out a
// picture the decoder had to conceal or never finished.
class StillPictureDecoder
{
public:
    bool configure(int codecId, int outputFormat, int threads);
    // Below 0 on failure; then target is untouched.
    int decode(const uint8_t *data, int size, uint8_t *target, int width, int height);

private:
    bool openContext();
    bool decodeFirstPicture(const uint8_t *data, int size, AVFrame *picture);
    bool sendAndReceive(AVPacket *packet, AVFrame *picture, bool &gotPicture);

    CodecContextPtr m_context;
    ParserPtr m_parser;
    AVCodecID m_codecId = AV_CODEC_ID_NONE;
    AVPixelFormat m_outputFormat = AV_PIX_FMT_BGRA;
    int m_threads = 1;
    PictureConverter m_converter;
};

} // namespace zelkaplayer
