#pragma once

#include "libZelkaExPlayer.h"

#include <QSize>


class FrameRing;
class GuiThreadCall;
class NoPictureWatchdog;
class SnapshotGrabber;
class VideoInfo;
struct StreamState;

// The player library's callbacks of one playback item, on the library's thread.
// Pictures go into the frame ring (and to a pending snapshot); what the stream reports
// goes into the shared stream state at once, and to the statistics and the item on the
// GUI thread, only while the channel that reported it is still the item's current one.
class FrameReceiver
{
public:
    // What the item does with the stream's reports, on the GUI thread.
    class Listener
    {
    public:
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

    struct Parts
    {
        StreamState &state;
        FrameRing &ring;
        SnapshotGrabber &grabber;
        NoPictureWatchdog &watchdog;
        VideoInfo &info;
        GuiThreadCall &calls;
        Listener &listener;
    };

    explicit FrameReceiver(const Parts &parts);

    // The callback handed to the library, with this receiver as its user pointer.
    static int playCallback(ZELKA_CALLBACK_TYPE type, int channelId, void *user, int mediaType, int64_t data,
                            ZELKA_FRAME_INFO *info);

    // GUI thread, while no channel is open: the next stream starts with nothing published.
    void reset();
    // GUI thread: the channel whose reports still count (-1: none).
    void setCurrentChannel(int channelId) { m_currentChannel = channelId; }

private:
    void dispatch(ZELKA_CALLBACK_TYPE type, int channelId, int mediaType, int64_t data, const ZELKA_FRAME_INFO &info);
    void takePicture(int channelId, const ZELKA_FRAME_INFO &info, int64_t data);
    void takeVideoStatistics(int channelId, const ZELKA_FRAME_INFO &info);
    void takeAudioStatistics(int channelId, const ZELKA_FRAME_INFO &info);
    void takeHardwareType(int channelId, int decoder);
    void takeFrameRates(int channelId, int fps, int decodingFps);
    void takeFormat(int channelId, QSize size);
    void publishCacheCount(int channelId);
    // Runs fn on the GUI thread unless the channel was closed meanwhile.
    template <typename Fn>
    void onGuiThread(int channelId, Fn fn);

    StreamState &m_state;
    FrameRing &m_ring;
    SnapshotGrabber &m_grabber;
    NoPictureWatchdog &m_watchdog;
    VideoInfo &m_info;
    GuiThreadCall &m_calls;
    Listener &m_listener;

    // GUI thread.
    int m_currentChannel = -1;

    // Library thread only (one channel at a time; reset while none is open). What was
    // last published, so that only changes cross to the GUI thread.
    bool m_reached = false;
    QSize m_frameSize;
    int m_publishedCacheCount = -1;
    uint32_t m_publishedVideoCodec = 0;
    qulonglong m_publishedCodeRate = 0;
    float m_publishedPacketLoss = 0.0f;
    uint32_t m_publishedAudioCodec = 0;
    uint32_t m_publishedSampleRate = 0;
};
