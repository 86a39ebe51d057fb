#pragma once

#include <atomic>
#include <cstdint>

// What every thread of one playback item reads about its stream: the library thread
// writes what the stream reports, the GUI thread the switches and the stop, the pacing
// and scene-graph threads only read.
struct StreamState
{
    std::atomic<int> hardwareType{0}; // VideoItem::HardwareType
    std::atomic<int> frameRate{0};
    std::atomic<int> decodeFrameRate{0};
    std::atomic<int> cacheCount{0}; // the library's cache plus the ring's ready slots
    std::atomic<int64_t> frameIntervalNs{40000000};
    std::atomic<bool> stopping{false};
    std::atomic<bool> sourceValid{false};
    std::atomic<bool> decodeEnabled{true};
    std::atomic<bool> keyFramesOnly{false};
    // When the last picture arrived (steady clock, ms; 0: none yet), for the watchdog.
    std::atomic<int64_t> lastPictureMs{0};
    // Time between the last two pictures (ms; 0: not known). With key frames only, the
    // camera's key-frame interval.
    std::atomic<int64_t> pictureGapMs{0};
    // Pictures written into the ring so far (diagnostics).
    std::atomic<uint64_t> receivedPictures{0};
};
