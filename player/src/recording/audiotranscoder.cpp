#include "audiotranscoder.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace zelkaplayer {

namespace {
// Narrow-band camera audio needs little: 4 bits a sample gives 32 kbit/s at 8 kHz.
constexpr int64_t kBitsPerSample = 4;
constexpr int64_t kMostBitRate = 160000;
constexpr int kFallbackRate = 48000;

bool encoderTakes(const AVCodec &encoder, int sampleRate)
{
    if (!encoder.supported_samplerates)
        return true;
    for (const int *rate = encoder.supported_samplerates; *rate; ++rate) {
        if (*rate == sampleRate)
            return true;
    }
    return false;
}
} // namespace

AudioTranscoder::AudioTranscoder() = default;
AudioTranscoder::~AudioTranscoder() = default;

bool AudioTranscoder::canTranscode(const AVCodecParameters &input)
{
    return input.codec_type == AVMEDIA_TYPE_AUDIO && avcodec_find_decoder(input.codec_id)
        && avcodec_find_encoder(AV_CODEC_ID_AAC);
}

bool AudioTranscoder::open(const AVCodecParameters &input, AVRational inputTimeBase)
{
    const AVCodec *codec = avcodec_find_decoder(input.codec_id);
    m_decoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), &input) < 0)
        return false;
    // RTP names G.711 by payload type alone: 8 kHz, one channel.
    if (m_decoder->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&m_decoder->ch_layout, 1);
    if (m_decoder->sample_rate <= 0)
        m_decoder->sample_rate = 8000;
    m_decoder->pkt_timebase = inputTimeBase;
    m_decoder->thread_count = 1;
    if (avcodec_open2(m_decoder.get(), codec, nullptr) < 0)
        return false;
    return openEncoder(*m_decoder) && m_decoded && m_encoded;
}

bool AudioTranscoder::openEncoder(const AVCodecContext &decoder)
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    m_encoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!m_encoder)
        return false;
    m_encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    m_encoder->sample_rate = encoderTakes(*codec, decoder.sample_rate) ? decoder.sample_rate : kFallbackRate;
    av_channel_layout_default(&m_encoder->ch_layout, std::min(decoder.ch_layout.nb_channels, 2));
    m_encoder->bit_rate = std::min<int64_t>(kMostBitRate, int64_t(m_encoder->sample_rate)
                                                              * m_encoder->ch_layout.nb_channels * kBitsPerSample);
    m_encoder->time_base = AVRational{1, m_encoder->sample_rate};
    m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER; // MP4 keeps the configuration in its header
    m_encoder->thread_count = 1;
    if (avcodec_open2(m_encoder.get(), codec, nullptr) < 0)
        return false;
    m_output.reset(avcodec_parameters_alloc());
    if (!m_output || avcodec_parameters_from_context(m_output.get(), m_encoder.get()) < 0)
        return false;
    m_fifo.reset(av_audio_fifo_alloc(m_encoder->sample_fmt, m_encoder->ch_layout.nb_channels,
                                     std::max(m_encoder->frame_size, 1024)));
    return m_fifo != nullptr;
}

bool AudioTranscoder::push(const AVPacket &packet, const PacketSink &sink)
{
    if (avcodec_send_packet(m_decoder.get(), &packet) < 0)
        return true; // a damaged packet is skipped
    while (avcodec_receive_frame(m_decoder.get(), m_decoded.get()) >= 0) {
        const bool converted = convert(*m_decoded);
        av_frame_unref(m_decoded.get());
        if (converted && !encodeFifo(false, sink))
            return false;
    }
    return true;
}

// The decoder tells its sample format with its first frame: the converter is made then.
bool AudioTranscoder::convert(AVFrame &decoded)
{
    if (!m_resampler) {
        SwrContext *resampler = nullptr;
        if (swr_alloc_set_opts2(&resampler, &m_encoder->ch_layout, m_encoder->sample_fmt, m_encoder->sample_rate,
                                &decoded.ch_layout, static_cast<AVSampleFormat>(decoded.format),
                                decoded.sample_rate, 0, nullptr)
            < 0)
            return false;
        m_resampler.reset(resampler);
        if (swr_init(resampler) < 0) {
            m_resampler.reset();
            return false;
        }
    }
    if (m_nextPts == AV_NOPTS_VALUE) {
        if (decoded.best_effort_timestamp == AV_NOPTS_VALUE)
            return false; // nothing to place the samples by
        m_nextPts = av_rescale_q(decoded.best_effort_timestamp, m_decoder->pkt_timebase, timeBase())
            - av_audio_fifo_size(m_fifo.get());
    }
    const int room = swr_get_out_samples(m_resampler.get(), decoded.nb_samples);
    if (room <= 0)
        return false;
    uint8_t **planes = nullptr;
    if (av_samples_alloc_array_and_samples(&planes, nullptr, m_encoder->ch_layout.nb_channels, room,
                                           m_encoder->sample_fmt, 0)
        < 0)
        return false;
    const int samples = swr_convert(m_resampler.get(), planes, room,
                                    const_cast<const uint8_t **>(decoded.extended_data), decoded.nb_samples);
    const bool stored = samples <= 0 || av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void **>(planes), samples)
                                            == samples;
    av_freep(&planes[0]);
    av_freep(&planes);
    return stored;
}

bool AudioTranscoder::encodeFifo(bool all, const PacketSink &sink)
{
    const int frameSize = m_encoder->frame_size > 0 ? m_encoder->frame_size : 1024;
    while (av_audio_fifo_size(m_fifo.get()) >= (all ? 1 : frameSize)) {
        FramePtr frame = makeFrame();
        if (!frame)
            return false;
        frame->nb_samples = std::min(frameSize, av_audio_fifo_size(m_fifo.get()));
        frame->format = m_encoder->sample_fmt;
        frame->sample_rate = m_encoder->sample_rate;
        if (av_channel_layout_copy(&frame->ch_layout, &m_encoder->ch_layout) < 0
            || av_frame_get_buffer(frame.get(), 0) < 0)
            return false;
        if (av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(frame->data), frame->nb_samples)
            < frame->nb_samples)
            return false;
        frame->pts = m_nextPts;
        m_nextPts += frame->nb_samples;
        if (!encode(frame.get(), sink))
            return false;
    }
    return true;
}

bool AudioTranscoder::encode(const AVFrame *frame, const PacketSink &sink)
{
    if (avcodec_send_frame(m_encoder.get(), frame) < 0)
        return true; // the encoder refused one frame: the rest goes on
    while (avcodec_receive_packet(m_encoder.get(), m_encoded.get()) >= 0) {
        const bool stored = sink(*m_encoded);
        av_packet_unref(m_encoded.get());
        if (!stored)
            return false;
    }
    return true;
}

bool AudioTranscoder::finish(const PacketSink &sink)
{
    if (!m_encoder)
        return true;
    if (m_resampler && m_nextPts != AV_NOPTS_VALUE && !encodeFifo(true, sink))
        return false;
    return encode(nullptr, sink);
}

} // namespace zelkaplayer
