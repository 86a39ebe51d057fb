#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "libZelkaExPlayer.h"
#include "channelstate.h"
#include "framerateestimator.h"
#include "pacer.h"
#include "pictureconverter.h"
#include "ratemeter.h"
#include "streamsetup.h"
#include "videodecoder.h"

namespace zelkaplayer {

// The decoding half of a channel (its own thread, the one that calls back):
// decodes video, converts each picture into the one hand-over block, paces
// finite media by their timestamps and reports duration, progress, frame time
// and stream end.
class FramePlayer
{
public:
    FramePlayer(int channelId, ZELKA_PLAYER_CALLBACK callback, void *user, bool pace, ChannelState &state);

    void run();

private:
    void handle(QueueItem &item);
    void onOpened(std::shared_ptr<const StreamSetup> setup);
    void onFlush(int64_t targetUs);
    void onEnd();
    void onVideoPacket(const AVPacket &packet);
    void onAudio(const QueueItem &item);
    void reportStreamReached();
    void restartAtKeyFrame();
    void noteTimestamp(const AVPacket &packet);
    int frameRate() const;

    void present(AVFrame &frame);
    bool waitForDueTime(int64_t timeUs);
    bool pacesMedia() const;
    void passTime(const AVPacket &packet);
    int64_t toMicroseconds(int64_t timestamp) const;
    void reportProgress(int64_t timeUs);
    void deliverPicture(const AVFrame &frame, int64_t timeUs);
    void reportFrameTime(int64_t timeUs);
    ZELKA_FRAME_INFO videoInfo(int width, int height);
    void call(ZELKA_CALLBACK_TYPE type, int mediaType, int64_t data, ZELKA_FRAME_INFO &info);

    const int m_channelId;
    const ZELKA_PLAYER_CALLBACK m_callback;
    void *const m_user;
    const bool m_pace;
    ChannelState &m_state;

    std::shared_ptr<const StreamSetup> m_setup;
    VideoDecoder m_decoder;
    PictureConverter m_converter;
    std::vector<uint8_t> m_picture;
    Pacer m_pacer;
    FrameRateEstimator m_estimatedRate;
    RateMeter m_deliveredFrames;
    RateMeter m_receivedBytes;
    uint64_t m_seekGeneration = 0;
    int64_t m_originUs = AV_NOPTS_VALUE;
    int64_t m_skipBeforeUs = AV_NOPTS_VALUE;
    int64_t m_lastSecond = -1;
    int64_t m_reportedDuration = -1;
    bool m_needKeyFrame = true;
    // The caller learnt of the opened input (a picture, or the report without one).
    bool m_streamReported = false;
    bool m_decodeEnabled = true;
    bool m_keyFramesOnly = false;
};

} // namespace zelkaplayer
