#pragma once

#include <cstdint>
#include <memory>

#include "ffmpegptr.h"
#include "streamsetup.h"

namespace zelkaplayer {

// One entry of a channel's packet queue: a packet or a marker that tells the
// decoding side what happened to the input in between.
struct QueueItem
{
    enum class Kind {
        Packet,        // a video or audio packet
        Opened,        // the input was (re)opened: new stream set-up
        Flush,         // a seek: drop decoder state, skip pictures before the target
        Discontinuity, // packets were dropped: restart decoding at a key frame
        End            // finite media read to its end
    };

    Kind kind = Kind::Packet;
    PacketPtr packet;
    bool video = false;
    int audioCodecId = 0;
    int audioSampleRate = 0;
    std::shared_ptr<const StreamSetup> setup;
    int64_t seekTargetUs = AV_NOPTS_VALUE;
};

} // namespace zelkaplayer
