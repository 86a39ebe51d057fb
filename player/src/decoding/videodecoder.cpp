#include "videodecoder.h"

namespace zelkaplayer {

bool VideoDecoder::open(const AVCodecParameters &parameters, bool picturesMaySpanPackets)
{
    m_context.reset();
    const AVCodec *codec = avcodec_find_decoder(parameters.codec_id);
    if (!codec)
        return false;
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context || avcodec_parameters_to_context(context.get(), &parameters) < 0)
        return false;
    // One decoding thread per stream: many tiles share the machine.
    context->thread_count = 1;
    // Cameras send several slices per picture and the RTP demuxer may hand them over
    // in separate packets: let the decoder finish a picture only when all of it arrived.
    if (picturesMaySpanPackets && parameters.codec_id == AV_CODEC_ID_H264)
        context->flags2 |= AV_CODEC_FLAG2_CHUNKS;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return false;
    m_context = std::move(context);
    return true;
}

void VideoDecoder::decode(const AVPacket &packet, const FrameSink &sink)
{
    if (!m_context)
        return;
    if (avcodec_send_packet(m_context.get(), &packet) < 0)
        return;
    receiveAll(sink);
}

void VideoDecoder::drain(const FrameSink &sink)
{
    if (!m_context)
        return;
    if (avcodec_send_packet(m_context.get(), nullptr) >= 0)
        receiveAll(sink);
    avcodec_flush_buffers(m_context.get());
}

void VideoDecoder::flush()
{
    if (m_context)
        avcodec_flush_buffers(m_context.get());
}

void VideoDecoder::receiveAll(const FrameSink &sink)
{
    while (avcodec_receive_frame(m_context.get(), m_frame.get()) >= 0) {
        sink(*m_frame);
        av_frame_unref(m_frame.get());
    }
}

} // namespace zelkaplayer
