#include "sampleratefinder.h"

namespace zelkaplayer {

namespace {
// A stream whose first packets do not decode is not worth a decoder for ever.
constexpr int kDecodeTries = 50;
} // namespace

void SampleRateFinder::reset()
{
    m_decoder.reset();
    m_rate = 0;
    m_triesLeft = kDecodeTries;
}

bool SampleRateFinder::openDecoder(const AVStream &stream)
{
    const AVCodec *codec = avcodec_find_decoder(stream.codecpar->codec_id);
    CodecContextPtr decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream.codecpar) < 0)
        return false;
    decoder->thread_count = 1;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return false;
    m_decoder = std::move(decoder);
    if (!m_frame)
        m_frame = makeFrame();
    return m_frame != nullptr;
}

int SampleRateFinder::rateOf(const AVStream &stream, const AVPacket &packet)
{
    if (stream.codecpar->sample_rate > 0)
        return stream.codecpar->sample_rate;
    if (m_rate > 0 || m_triesLeft <= 0)
        return m_rate;
    --m_triesLeft;
    if (!m_decoder && !openDecoder(stream)) {
        m_triesLeft = 0;
        return 0;
    }
    if (avcodec_send_packet(m_decoder.get(), &packet) >= 0
        && avcodec_receive_frame(m_decoder.get(), m_frame.get()) >= 0) {
        m_rate = m_frame->sample_rate;
        av_frame_unref(m_frame.get());
    }
    if (m_rate > 0 || m_triesLeft <= 0)
        m_decoder.reset(); // done with it
    return m_rate;
}

} // namespace zelkaplayer
