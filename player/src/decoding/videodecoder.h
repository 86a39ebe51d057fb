#pragma once

#include <functional>

#include "ffmpegptr.h"

namespace zelkaplayer {

// One software video decoder on one thread (the channel's decoding thread).
class VideoDecoder
{
public:
    using FrameSink = std::function<void(AVFrame &)>;

    bool open(const AVCodecParameters &parameters, bool picturesMaySpanPackets);
    bool isOpen() const { return m_context != nullptr; }
    void close() { m_context.reset(); }

    // Decodes one packet and hands every picture it completes to sink. A damaged
    // packet is skipped; decoding goes on with the next.
    void decode(const AVPacket &packet, const FrameSink &sink);
    // Hands out the pictures still held for reordering, then resets the decoder.
    void drain(const FrameSink &sink);
    // Forgets everything held (after a seek or a gap).
    void flush();

private:
    void receiveAll(const FrameSink &sink);

    CodecContextPtr m_context;
    FramePtr m_frame = makeFrame();
};

} // namespace zelkaplayer
