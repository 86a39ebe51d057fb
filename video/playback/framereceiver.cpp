#include "framereceiver.h"

#include "codecnames.h"
#include "framering.h"
#include "guithreadcall.h"
#include "nopicturewatchdog.h"
#include "snapshotgrabber.h"
#include "streamstate.h"
#include "videoinfo.h"
#include "videoitem.h"
#include "videopacer.h"

#include <atomic>
#include <chrono>

namespace {

constexpr qint64 kTimeUpdateSpacingMs = 126;
// The writer gives a picture up when no slot frees within this (the pacer frees one
// at the latest after its own bound).
constexpr std::chrono::milliseconds kWriteBound(4000);

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The last time update of all items together; the clock starts with the first callback.
std::atomic<qint64> &lastTimeUpdateMs()
{
    static std::atomic<qint64> last{steadyMs()};
    return last;
}

// Time updates of all items together are spaced at least kTimeUpdateSpacingMs apart.
bool takeTimeUpdateTurn()
{
    std::atomic<qint64> &lastUpdateMs = lastTimeUpdateMs();
    const qint64 now = steadyMs();
    qint64 last = lastUpdateMs.load();
    while (now - last >= kTimeUpdateSpacingMs) {
        if (lastUpdateMs.compare_exchange_weak(last, now))
            return true;
    }
    return false;
}

} // namespace

FrameReceiver::FrameReceiver(const Parts &parts)
    : m_state(parts.state)
    , m_ring(parts.ring)
    , m_grabber(parts.grabber)
    , m_watchdog(parts.watchdog)
    , m_info(parts.info)
    , m_calls(parts.calls)
    , m_listener(parts.listener)
{
}

void FrameReceiver::reset()
{
    m_reached = false;
    m_frameSize = QSize();
    m_publishedCacheCount = -1;
    m_publishedVideoCodec = 0;
    m_publishedCodeRate = 0;
    m_publishedPacketLoss = 0.0f;
    m_publishedAudioCodec = 0;
    m_publishedSampleRate = 0;
}

int FrameReceiver::playCallback(ZELKA_CALLBACK_TYPE type, int channelId, void *user, int mediaType, int64_t data,
                                ZELKA_FRAME_INFO *info)
{
    auto *receiver = static_cast<FrameReceiver *>(user);
    lastTimeUpdateMs();
    // The library opens a stream on its own threads and calls back only once it got
    // something of it: a stream it cannot reach never calls.
    if (!receiver->m_reached) {
        receiver->m_reached = true;
        receiver->onGuiThread(channelId, [receiver] { receiver->m_listener.streamReached(); });
    }
    if (type == CALLBACK_STREAM_END) {
        receiver->onGuiThread(channelId, [receiver] { receiver->m_listener.streamEnded(); });
        return 0;
    }
    if (info && !receiver->m_state.stopping.load())
        receiver->dispatch(type, channelId, mediaType, data, *info);
    return 0;
}

template <typename Fn>
void FrameReceiver::onGuiThread(int channelId, Fn fn)
{
    m_calls.post([this, channelId, fn] {
        if (channelId == m_currentChannel)
            fn();
    });
}

void FrameReceiver::dispatch(ZELKA_CALLBACK_TYPE type, int channelId, int mediaType, int64_t data,
                             const ZELKA_FRAME_INFO &info)
{
    switch (type) {
    case CALLBACK_DURATION: {
        const qulonglong seconds = info.seconds;
        onGuiThread(channelId, [this, seconds] { m_info.setDuration(seconds); });
        break;
    }
    case CALLBACK_FRAME_TIME: {
        if (!data || !takeTimeUpdateTurn())
            break;
        const auto *time = reinterpret_cast<const ZELKA_FRAME_TIME *>(data);
        const int hour = time->hour, minute = time->minute, second = time->second;
        onGuiThread(channelId, [this, hour, minute, second] { m_listener.timeReached(hour, minute, second); });
        break;
    }
    case CALLBACK_PROGRESS:
        if (mediaType == ZELKA_MEDIA_VIDEO) {
            const qulonglong seconds = info.seconds;
            onGuiThread(channelId, [this, seconds] { m_info.setProgress(seconds); });
        }
        break;
    case CALLBACK_MEDIA_FRAME:
        if (mediaType == ZELKA_MEDIA_VIDEO)
            takePicture(channelId, info, data);
        else if (mediaType == ZELKA_MEDIA_AUDIO)
            takeAudioStatistics(channelId, info);
        break;
    default:
        break;
    }
}

void FrameReceiver::takeHardwareType(int channelId, int decoder)
{
    if (m_state.hardwareType.load() != VideoItem::Unknown)
        return;
    static constexpr int kByDecoder[] = {VideoItem::Cpu, VideoItem::Gpu_Nvidia, VideoItem::Gpu_Dxva};
    if (decoder >= 0 && decoder < 3)
        m_state.hardwareType.store(kByDecoder[decoder]);
    onGuiThread(channelId, [this] { m_listener.hardwareTypeKnown(); });
}

void FrameReceiver::takeFrameRates(int channelId, int fps, int decodingFps)
{
    const int rate = VideoPacer::effectiveFrameRate(fps);
    if (m_state.frameRate.exchange(rate) != rate) {
        m_state.frameIntervalNs.store(VideoPacer::frameIntervalNs(rate));
        onGuiThread(channelId, [this] { m_listener.frameRateChanged(); });
    }
    if (m_state.decodeFrameRate.exchange(decodingFps) != decodingFps)
        onGuiThread(channelId, [this] { m_listener.decodeFrameRateChanged(); });
}

// A new picture size: the renderer takes the size from each picture, so the writer
// never waits for it; the GUI learns the size for its geometry and statistics.
void FrameReceiver::takeFormat(int channelId, QSize size)
{
    if (m_state.sourceValid.load() && size == m_frameSize)
        return;
    m_frameSize = size;
    m_state.sourceValid.store(true);
    onGuiThread(channelId, [this, size] {
        m_info.setResolution(size);
        m_listener.pictureSizeChanged(size);
    });
}

void FrameReceiver::publishCacheCount(int channelId)
{
    const int count = m_state.cacheCount.load();
    if (count == m_publishedCacheCount)
        return;
    m_publishedCacheCount = count;
    onGuiThread(channelId, [this, count] { m_info.setCacheFrameCount(qulonglong(count)); });
}

void FrameReceiver::takeVideoStatistics(int channelId, const ZELKA_FRAME_INFO &frame)
{
    const qulonglong codeRate = frame.codeRate > 0 ? qulonglong(frame.codeRate) : 0;
    if (frame.codecId == m_publishedVideoCodec && codeRate == m_publishedCodeRate
        && frame.packetLossRate == m_publishedPacketLoss)
        return;
    m_publishedVideoCodec = frame.codecId;
    m_publishedCodeRate = codeRate;
    m_publishedPacketLoss = frame.packetLossRate;
    const QString codec = CodecNames::video(int(frame.codecId));
    const float loss = frame.packetLossRate;
    onGuiThread(channelId, [this, codec, codeRate, loss] {
        m_info.setVideoCodec(codec);
        m_info.setCodeRate(codeRate);
        m_info.setPacketLossRate(loss);
    });
}

void FrameReceiver::takeAudioStatistics(int channelId, const ZELKA_FRAME_INFO &frame)
{
    if (frame.codecId == m_publishedAudioCodec && frame.sampleRate == m_publishedSampleRate)
        return;
    m_publishedAudioCodec = frame.codecId;
    m_publishedSampleRate = frame.sampleRate;
    const QString codec = CodecNames::audio(int(frame.codecId));
    const qulonglong sampleRate = frame.sampleRate;
    onGuiThread(channelId, [this, codec, sampleRate] {
        m_info.setAudioCodec(codec);
        m_info.setAudioSampleRate(sampleRate);
    });
}

void FrameReceiver::takePicture(int channelId, const ZELKA_FRAME_INFO &frame, int64_t data)
{
    const QSize size(frame.width, frame.height);
    if (size.width() < 1 || size.height() < 1)
        return;
    takeVideoStatistics(channelId, frame);
    takeHardwareType(channelId, frame.decoder);
    takeFrameRates(channelId, frame.frameRate, frame.decodeFrameRate);
    takeFormat(channelId, size);
    m_state.cacheCount.store(int(frame.cachedFrames) + m_ring.readyCount());
    publishCacheCount(channelId);
    if (!data)
        return;
    VideoBuffer *slot = m_ring.beginWrite(kWriteBound);
    if (!slot)
        return;
    const int type = m_state.hardwareType.load();
    const bool readable = type == VideoItem::Cpu || type == VideoItem::Gpu_Dxva;
    const auto *picture = reinterpret_cast<const uchar *>(data);
    if (readable)
        slot->assignTightI420(picture, size.width(), size.height());
    if (m_grabber.isPending())
        m_grabber.takePicture(picture, size, readable);
    m_ring.endWrite();
    m_watchdog.pictureArrived();
}
