#include "framereceiver.h"

#include "allocatortuning.h"
#include "codecnames.h"
#include "nopicturewatchdog.h"
#include "playbackcore.h"
#include "videoinfo.h"
#include "videoitem.h"

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

FrameReceiver::FrameReceiver(std::shared_ptr<PlaybackCore> core, long long ringSession, Listener &listener,
                             VideoInfo &info)
    : m_core(std::move(core))
    , m_ringSession(ringSession)
    , m_listener(&listener)
    , m_info(&info)
{
}

// The last holder lets go once the library has closed the channel: what the stream's
// threads had allocated is free by now, and the heaps may give its pages back.
FrameReceiver::~FrameReceiver()
{
    AllocatorTuning::noteStreamFreed();
}

void FrameReceiver::wakeWriter()
{
    m_core->ring.wake();
}

int FrameReceiver::playCallback(ZELKA_CALLBACK_TYPE type, int channelId, void *user, int mediaType, int64_t data,
                                ZELKA_FRAME_INFO *info)
{
    auto *receiver = static_cast<FrameReceiver *>(user);
    if (!receiver->m_detached.load())
        receiver->take(type, channelId, mediaType, data, info);
    return 0;
}

void FrameReceiver::take(ZELKA_CALLBACK_TYPE type, int channelId, int mediaType, int64_t data,
                         const ZELKA_FRAME_INFO *info)
{
    lastTimeUpdateMs();
    // The library opens a stream on its own threads and calls back only once it got
    // something of it: a stream it cannot reach never calls.
    if (!m_reached) {
        m_reached = true;
        onGuiThread(channelId, [](Listener &listener, VideoInfo &) { listener.streamReached(); });
    }
    if (type == CALLBACK_STREAM_END) {
        onGuiThread(channelId, [](Listener &listener, VideoInfo &) { listener.streamEnded(); });
        return;
    }
    if (info && !m_core->state.stopping.load())
        dispatch(type, channelId, mediaType, data, *info);
}

template <typename Fn>
void FrameReceiver::onGuiThread(int channelId, Fn fn)
{
    // The call holds what it reaches by value: the receiver may be gone when it runs.
    Listener *listener = m_listener;
    VideoInfo *info = m_info;
    m_core->relay.post([listener, info, channelId, fn] {
        if (listener->isCurrentChannel(channelId))
            fn(*listener, *info);
    });
}

void FrameReceiver::dispatch(ZELKA_CALLBACK_TYPE type, int channelId, int mediaType, int64_t data,
                             const ZELKA_FRAME_INFO &info)
{
    switch (type) {
    case CALLBACK_DURATION: {
        const qulonglong seconds = info.seconds;
        onGuiThread(channelId, [seconds](Listener &, VideoInfo &statistics) { statistics.setDuration(seconds); });
        break;
    }
    case CALLBACK_FRAME_TIME: {
        if (!data || !takeTimeUpdateTurn())
            break;
        const auto *time = reinterpret_cast<const ZELKA_FRAME_TIME *>(data);
        const int hour = time->hour, minute = time->minute, second = time->second;
        onGuiThread(channelId, [hour, minute, second](Listener &listener, VideoInfo &) {
            listener.timeReached(hour, minute, second);
        });
        break;
    }
    case CALLBACK_PROGRESS:
        if (mediaType == ZELKA_MEDIA_VIDEO) {
            const qulonglong seconds = info.seconds;
            onGuiThread(channelId, [seconds](Listener &, VideoInfo &statistics) { statistics.setProgress(seconds); });
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
    StreamState &state = m_core->state;
    if (state.hardwareType.load() != VideoItem::Unknown)
        return;
    static constexpr int kByDecoder[] = {VideoItem::Cpu, VideoItem::Gpu_Nvidia, VideoItem::Gpu_Dxva};
    if (decoder >= 0 && decoder < 3)
        state.hardwareType.store(kByDecoder[decoder]);
    onGuiThread(channelId, [](Listener &listener, VideoInfo &) { listener.hardwareTypeKnown(); });
}

void FrameReceiver::takeFrameRates(int channelId, int fps, int decodingFps)
{
    StreamState &state = m_core->state;
    const int rate = VideoPacer::effectiveFrameRate(fps);
    if (state.frameRate.exchange(rate) != rate) {
        state.frameIntervalNs.store(VideoPacer::frameIntervalNs(rate));
        onGuiThread(channelId, [](Listener &listener, VideoInfo &) { listener.frameRateChanged(); });
    }
    if (state.decodeFrameRate.exchange(decodingFps) != decodingFps)
        onGuiThread(channelId, [](Listener &listener, VideoInfo &) { listener.decodeFrameRateChanged(); });
}

// A new picture size: the renderer takes the size from each picture, so the writer
// never waits for it; the GUI learns the size for its geometry and statistics.
void FrameReceiver::takeFormat(int channelId, QSize size)
{
    StreamState &state = m_core->state;
    if (state.sourceValid.load() && size == m_frameSize)
        return;
    m_frameSize = size;
    state.sourceValid.store(true);
    onGuiThread(channelId, [size](Listener &listener, VideoInfo &statistics) {
        statistics.setResolution(size);
        listener.pictureSizeChanged(size);
    });
}

void FrameReceiver::publishCacheCount(int channelId)
{
    const int count = m_core->state.cacheCount.load();
    if (count == m_publishedCacheCount)
        return;
    m_publishedCacheCount = count;
    onGuiThread(channelId,
                [count](Listener &, VideoInfo &statistics) { statistics.setCacheFrameCount(qulonglong(count)); });
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
    onGuiThread(channelId, [codec, codeRate, loss](Listener &, VideoInfo &statistics) {
        statistics.setVideoCodec(codec);
        statistics.setCodeRate(codeRate);
        statistics.setPacketLossRate(loss);
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
    onGuiThread(channelId, [codec, sampleRate](Listener &, VideoInfo &statistics) {
        statistics.setAudioCodec(codec);
        statistics.setAudioSampleRate(sampleRate);
    });
}

void FrameReceiver::takePicture(int channelId, const ZELKA_FRAME_INFO &frame, int64_t data)
{
    const QSize size(frame.width, frame.height);
    if (size.width() < 1 || size.height() < 1)
        return;
    StreamState &state = m_core->state;
    takeVideoStatistics(channelId, frame);
    takeHardwareType(channelId, frame.decoder);
    takeFrameRates(channelId, frame.frameRate, frame.decodeFrameRate);
    takeFormat(channelId, size);
    FrameRing &ring = m_core->ring;
    state.cacheCount.store(int(frame.cachedFrames) + ring.readyCount());
    publishCacheCount(channelId);
    if (!data)
        return;
    VideoBuffer *slot = ring.beginWrite(kWriteBound, m_ringSession);
    if (!slot)
        return;
    const int type = state.hardwareType.load();
    const bool readable = type == VideoItem::Cpu || type == VideoItem::Gpu_Dxva;
    const auto *picture = reinterpret_cast<const uchar *>(data);
    if (readable)
        slot->assignTightI420(picture, size.width(), size.height());
    SnapshotGrabber &grabber = m_core->grabber;
    if (grabber.isPending())
        grabber.takePicture(picture, size, readable);
    ring.endWrite(slot);
    state.receivedPictures.fetch_add(1);
    // The watchdog reads these on its own timer: no call per picture to the GUI thread.
    const int64_t now = NoPictureWatchdog::nowMs();
    const int64_t previous = state.lastPictureMs.exchange(now);
    if (previous > 0)
        state.pictureGapMs.store(now - previous);
}
