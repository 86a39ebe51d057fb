#include "stillpicturedecoder.h"

#include <cstring>
#include <vector>

#include "playererrors.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace zelkaplayer {

namespace {
constexpr int kMaxSide = 16384;

bool isAcceptedCodec(int codecId)
{
    return codecId == AV_CODEC_ID_H264 || codecId == AV_CODEC_ID_HEVC;
}

bool isFourBytePacked(AVPixelFormat format)
{
    const AVPixFmtDescriptor *descriptor = av_pix_fmt_desc_get(format);
    return descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_RGB) && !(descriptor->flags & AV_PIX_FMT_FLAG_PLANAR)
        && PictureConverter::bufferSize(format, 1, 1) == 4;
}

bool isDamaged(const AVFrame &frame)
{
    return (frame.flags & AV_FRAME_FLAG_CORRUPT) || frame.decode_error_flags != 0;
}
} // namespace

bool StillPictureDecoder::configure(int codecId, int outputFormat, int threads)
{
    const auto format = static_cast<AVPixelFormat>(outputFormat);
    if (!isAcceptedCodec(codecId) || !isFourBytePacked(format))
        return false;
    m_codecId = static_cast<AVCodecID>(codecId);
    m_outputFormat = format;
    m_threads = threads > 1 ? threads : 1;
    return openContext();
}

bool StillPictureDecoder::openContext()
{
    const AVCodec *codec = avcodec_find_decoder(m_codecId);
    m_context.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    m_parser.reset(av_parser_init(m_codecId));
    if (!m_context || !m_parser)
        return false;
    m_context->thread_count = m_threads;
    // A damaged body must fail instead of giving a concealed picture.
    m_context->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM | AV_EF_BUFFER;
    return avcodec_open2(m_context.get(), codec, nullptr) >= 0;
}

int StillPictureDecoder::decode(const uint8_t *data, int size, uint8_t *target, int width, int height)
{
    if (!m_context)
        return kErrorNotReady;
    if (!data || size <= 0 || !target || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return kErrorArgument;
    FramePtr picture = makeFrame();
    const bool decoded = picture && decodeFirstPicture(data, size, picture.get());
    // Leave the decoder ready for the next body whatever happened.
    avcodec_flush_buffers(m_context.get());
    m_parser.reset(av_parser_init(m_codecId));
    if (!decoded)
        return kErrorDecode;
    if (!m_converter.convert(*picture, picture->width, picture->height, m_outputFormat, width, height, target))
        return kErrorDecode;
    return 0;
}

bool StillPictureDecoder::decodeFirstPicture(const uint8_t *data, int size, AVFrame *picture)
{
    // The parser and decoder may read a little past the end of their input.
    std::vector<uint8_t> padded(static_cast<size_t>(size) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::memcpy(padded.data(), data, static_cast<size_t>(size));
    PacketPtr packet = makePacket();
    if (!packet || !m_parser)
        return false;

    bool gotPicture = false;
    const uint8_t *cursor = padded.data();
    int remaining = size;
    bool flushingParser = false;
    while (!gotPicture) {
        uint8_t *unit = nullptr;
        int unitSize = 0;
        const int used = av_parser_parse2(m_parser.get(), m_context.get(), &unit, &unitSize, cursor, remaining,
                                          AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used < 0)
            return false;
        cursor += used;
        remaining -= used;
        if (unitSize > 0) {
            packet->data = unit;
            packet->size = unitSize;
            if (!sendAndReceive(packet.get(), picture, gotPicture))
                return false;
        }
        if (flushingParser)
            break;
        if (remaining == 0)
            flushingParser = true; // one more call with no input hands out the last unit
    }
    if (!gotPicture && !sendAndReceive(nullptr, picture, gotPicture))
        return false;
    return gotPicture && !isDamaged(*picture);
}

bool StillPictureDecoder::sendAndReceive(AVPacket *packet, AVFrame *picture, bool &gotPicture)
{
    int result = avcodec_send_packet(m_context.get(), packet);
    if (result < 0 && result != AVERROR_EOF)
        return false;
    result = avcodec_receive_frame(m_context.get(), picture);
    if (result >= 0) {
        gotPicture = true;
        return true;
    }
    return result == AVERROR(EAGAIN) || result == AVERROR_EOF;
}

} // namespace zelkaplayer
