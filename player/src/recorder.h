#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "ffmpegptr.h"

namespace zelkaplayer {

// Remuxes a channel's packets (no transcoding) into a fragmented MP4 that stays
// playable when the process dies; starts at the next video key frame; finalised
// on stop, at its size or time limit, when the input goes away, and on close.
// start/stop come from the caller's thread, the rest from the reader thread.
class Recorder
{
public:
    ~Recorder();

    bool start(const std::string &path, int64_t maxBytes, int64_t maxSeconds);
    void stop();

    void inputOpened(const AVFormatContext &input, int videoIndex, int audioIndex);
    void inputClosed();
    void write(const AVPacket &packet);

private:
    struct Track
    {
        int inputIndex = -1;
        int outputIndex = -1;
        AVRational inputTimeBase{1, 1};
        int64_t lastDts = AV_NOPTS_VALUE;
    };

    bool openOutput(const AVPacket &keyFrame);
    static void fillPictureSize(AVCodecParameters &parameters, const AVPacket &keyFrame);
    void finish();
    void writeLocked(const AVPacket &packet, Track &track);
    void writePendingVideo();
    static bool continuesPicture(const AVPacket &pending, const AVPacket &next);
    static void appendTo(AVPacket &pending, const AVPacket &next);
    bool limitReached(const AVPacket &packet, const Track &track);
    Track *trackFor(int inputIndex);

    std::mutex m_mutex;
    std::string m_path;
    int64_t m_maxBytes = 0;
    int64_t m_maxSeconds = 0;
    bool m_armed = false;
    AVFormatContext *m_output = nullptr;
    bool m_headerWritten = false;
    std::vector<Track> m_tracks;
    PacketPtr m_pendingVideo;
    std::vector<CodecParametersPtr> m_inputParameters;
    int m_videoInput = -1;
    int64_t m_originUs = AV_NOPTS_VALUE;
};

} // namespace zelkaplayer
