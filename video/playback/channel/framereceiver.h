#pragma once

#include "libZelkaExPlayer.h"

#include <QSize>

#include <atomic>
#include <memory>

class PlaybackCore;
class VideoInfo;

// The player library's callbacks of one channel of a playback item, on the library's
// thread: the callback's user pointer. Pictures go into the item's frame ring (and to
// a pending snapshot); what the stream reports goes into the shared stream state at
// once, and to the statistics and the item on the GUI thread through the core's
// relay, only while the channel is still the item's current one. The channel keeps
// it until the library closed the channel: it holds the core, never the item.
class FrameReceiver
{
public:
    // What the item does with the stream's reports, on the GUI thread.
    class Listener
    {
    public:
        virtual bool isCurrentChannel(int channelId) const = 0;
        // The library reached the stream: the first report of the channel arrived.
        virtual void streamReached() = 0;
        virtual void streamEnded() = 0;
        virtual void timeReached(int hour, int minute, int second) = 0;
        virtual void hardwareTypeKnown() = 0;
        virtual void frameRateChanged() = 0;
        virtual void decodeFrameRateChanged() = 0;
        virtual void pictureSizeChanged(QSize size) = 0;

    protected:
        ~Listener() = default;
    };

    // ringSession: the ring's ticket for this channel. listener and info live on the
    // GUI thread and are reached only through calls the relay delivers.
    FrameReceiver(std::shared_ptr<PlaybackCore> core, long long ringSession, Listener &listener, VideoInfo &info);
    ~FrameReceiver();

    // The callback handed to the library, with a receiver as its user pointer.
    static int playCallback(ZELKA_CALLBACK_TYPE type, int channelId, void *user, int mediaType, int64_t data,
                            ZELKA_FRAME_INFO *info);

    // Any thread: later callbacks are dropped at once (one under way finishes into the
    // core, whose ring refuses it once the item started its next session).
    void detach() { m_detached.store(true); }
    // Any thread: wakes this channel's callback if it waits for a ring slot (its session
    // ended), so that it returns and the library can close the channel.
    void wakeWriter();

private:
    void take(ZELKA_CALLBACK_TYPE type, int channelId, int mediaType, int64_t data, const ZELKA_FRAME_INFO *info);
    void dispatch(ZELKA_CALLBACK_TYPE type, int channelId, int mediaType, int64_t data, const ZELKA_FRAME_INFO &info);
    void takePicture(int channelId, const ZELKA_FRAME_INFO &info, int64_t data);
    void takeVideoStatistics(int channelId, const ZELKA_FRAME_INFO &info);
    void takeAudioStatistics(int channelId, const ZELKA_FRAME_INFO &info);
    void takeHardwareType(int channelId, int decoder);
    void takeFrameRates(int channelId, int fps, int decodingFps);
    void takeFormat(int channelId, QSize size);
    void publishCacheCount(int channelId);
    // Runs fn(listener, info) on the GUI thread unless the channel is no longer the
    // item's current one (or the item is gone).
    template <typename Fn>
    void onGuiThread(int channelId, Fn fn);

    const std::shared_ptr<PlaybackCore> m_core;
    const long long m_ringSession;
    Listener *const m_listener;
    VideoInfo *const m_info;
    std::atomic<bool> m_detached{false};

    // Library thread only. What was last published, so that only changes cross to the
    // GUI thread.
    bool m_reached = false;
    QSize m_frameSize;
    int m_publishedCacheCount = -1;
    uint32_t m_publishedVideoCodec = 0;
    qulonglong m_publishedCodeRate = 0;
    float m_publishedPacketLoss = 0.0f;
    uint32_t m_publishedAudioCodec = 0;
    uint32_t m_publishedSampleRate = 0;
};
