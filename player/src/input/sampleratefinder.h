#pragma once

#include "ffmpegptr.h"

namespace zelkaplayer {

// The sample rate of an audio stream whose brief probe left it unknown (HLS, whose
// audio comes after the probed bytes): learnt by decoding its first packets.
class SampleRateFinder
{
public:
    void reset();
    // The stream's rate, or 0 while it is not known yet.
    int rateOf(const AVStream &stream, const AVPacket &packet);

private:
    bool openDecoder(const AVStream &stream);

    CodecContextPtr m_decoder;
    FramePtr m_frame;
    int m_rate = 0;
    int m_triesLeft = 0;
};

} // namespace zelkaplayer
