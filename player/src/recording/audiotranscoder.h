#pragma once

#include <functional>

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

#include "ffmpegptr.h"

namespace zelkaplayer {

// Audio that MP4 cannot carry (G.711 from cameras) re-encoded to AAC with FFmpeg's
// own encoder, for one recording file: decode, convert to the encoder's format,
// cut into the encoder's frames, encode. Runs on the thread that writes the file.
class AudioTranscoder
{
public:
    // Returns false when the packet cannot be stored (a write error).
    using PacketSink = std::function<bool(AVPacket &packet)>;

    AudioTranscoder();
    ~AudioTranscoder();
    AudioTranscoder(const AudioTranscoder &) = delete;
    AudioTranscoder &operator=(const AudioTranscoder &) = delete;

    static bool canTranscode(const AVCodecParameters &input);

    bool open(const AVCodecParameters &input, AVRational inputTimeBase);
    // The AAC track's parameters (with its decoder configuration) and time base (1/rate).
    const AVCodecParameters &output() const { return *m_output; }
    AVRational timeBase() const { return AVRational{1, m_encoder->sample_rate}; }

    // Encoded packets carry timestamps of timeBase(), on the input's timeline.
    bool push(const AVPacket &packet, const PacketSink &sink);
    // Encodes what is held back, at the end of the file.
    bool finish(const PacketSink &sink);

private:
    struct ResamplerFree { void operator()(SwrContext *s) const { swr_free(&s); } };
    struct FifoFree { void operator()(AVAudioFifo *f) const { av_audio_fifo_free(f); } };

    bool openEncoder(const AVCodecContext &decoder);
    bool convert(AVFrame &decoded);
    bool encodeFifo(bool all, const PacketSink &sink);
    bool encode(const AVFrame *frame, const PacketSink &sink);

    CodecContextPtr m_decoder;
    CodecContextPtr m_encoder;
    CodecParametersPtr m_output;
    std::unique_ptr<SwrContext, ResamplerFree> m_resampler;
    std::unique_ptr<AVAudioFifo, FifoFree> m_fifo;
    FramePtr m_decoded = makeFrame();
    PacketPtr m_encoded = makePacket();
    int64_t m_nextPts = AV_NOPTS_VALUE; // of the first sample in the FIFO, encoder time base
};

} // namespace zelkaplayer
