#pragma once

#include <cstdint>

#include "ffmpegptr.h"

namespace zelkaplayer {

// What the decoding side needs to know of an opened input; a copy, so that the
// reader may close and reopen its input freely.
struct StreamSetup
{
    CodecParametersPtr video;  // null when the input has no video
    AVRational videoTimeBase{1, 90000};
    int frameRate = 0;         // 0 when unknown
    int64_t originUs = AV_NOPTS_VALUE; // time of position 0
    int64_t durationUs = 0;    // 0 for live streams and files that do not know theirs
    bool localFile = false;    // a file ends, is paced and is never dropped from, duration or not
    bool picturesMaySpanPackets = false; // RTP: the slices of a picture may come apart

    bool knowsDuration() const { return durationUs > 0; }
    // Media that is played from its start at its own pace rather than as it arrives.
    bool onDemand() const { return durationUs > 0 || localFile; }
};

} // namespace zelkaplayer
