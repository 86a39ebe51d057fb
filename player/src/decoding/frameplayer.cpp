#include "frameplayer.h"

#include <algorithm>
#include <ctime>

namespace zelkaplayer {

namespace {
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};

uint8_t clampToByte(double value)
{
    return value <= 0 ? 0 : value >= 255 ? 255 : static_cast<uint8_t>(value + 0.5);
}
} // namespace

FramePlayer::FramePlayer(int channelId, ZELKA_PLAYER_CALLBACK callback, void *user, bool pace, ChannelState &state)
    : m_channelId(channelId)
    , m_callback(callback)
    , m_user(user)
    , m_pace(pace)
    , m_state(state)
{
}

void FramePlayer::run()
{
    QueueItem item;
    while (m_state.nextItem(item, m_seekGeneration)) {
        handle(item);
        item = QueueItem();
    }
}

void FramePlayer::handle(QueueItem &item)
{
    switch (item.kind) {
    case QueueItem::Kind::Opened: onOpened(item.setup); break;
    case QueueItem::Kind::Flush: onFlush(item.seekTargetUs); break;
    case QueueItem::Kind::Discontinuity: restartAtKeyFrame(); break;
    case QueueItem::Kind::End: onEnd(); break;
    case QueueItem::Kind::Packet:
        if (item.video && item.packet)
            onVideoPacket(*item.packet);
        else if (!item.video)
            onAudio(item);
        break;
    }
}

void FramePlayer::onOpened(std::shared_ptr<const StreamSetup> setup)
{
    m_setup = std::move(setup);
    if (m_setup->video)
        m_decoder.open(*m_setup->video, m_setup->picturesMaySpanPackets);
    else
        m_decoder.close();
    m_originUs = m_setup->originUs;
    m_skipBeforeUs = AV_NOPTS_VALUE;
    m_lastSecond = -1;
    m_pacer.reset();
    m_estimatedRate.restart();
    m_needKeyFrame = true;
    m_streamReported = false;
    if (!m_setup->knowsDuration())
        return;
    const int64_t seconds = (m_setup->durationUs + AV_TIME_BASE / 2) / AV_TIME_BASE;
    if (seconds == m_reportedDuration)
        return;
    m_reportedDuration = seconds;
    ZELKA_FRAME_INFO info = videoInfo(0, 0);
    info.seconds = static_cast<uint32_t>(seconds);
    call(CALLBACK_DURATION, ZELKA_MEDIA_VIDEO, 0, info);
}

void FramePlayer::onFlush(int64_t targetUs)
{
    m_decoder.flush();
    m_skipBeforeUs = targetUs;
    m_lastSecond = -1;
    m_pacer.reset();
    m_estimatedRate.restart();
    m_needKeyFrame = true;
}

void FramePlayer::restartAtKeyFrame()
{
    m_decoder.flush();
    m_pacer.reset();
    m_estimatedRate.restart();
    m_needKeyFrame = true;
}

void FramePlayer::onEnd()
{
    if (m_decodeEnabled)
        m_decoder.drain([this](AVFrame &frame) { present(frame); });
    restartAtKeyFrame();
    ZELKA_FRAME_INFO info = videoInfo(0, 0);
    call(CALLBACK_STREAM_END, ZELKA_MEDIA_VIDEO, 0, info);
}

void FramePlayer::onVideoPacket(const AVPacket &packet)
{
    noteTimestamp(packet);
    const bool decodeEnabled = m_state.decodeEnabled.load(std::memory_order_relaxed);
    const bool keyFramesOnly = m_state.keyFramesOnly.load(std::memory_order_relaxed);
    if (decodeEnabled != m_decodeEnabled || keyFramesOnly != m_keyFramesOnly) {
        // The decoder's references do not match what follows: start clean at a key frame.
        m_decodeEnabled = decodeEnabled;
        m_keyFramesOnly = keyFramesOnly;
        m_decoder.flush();
        m_needKeyFrame = true;
    }
    if (!decodeEnabled) {
        reportStreamReached();
        passTime(packet);
        return;
    }
    const bool keyFrame = packet.flags & AV_PKT_FLAG_KEY;
    if ((keyFramesOnly || m_needKeyFrame) && !keyFrame)
        return;
    m_needKeyFrame = false;
    const auto sink = [this](AVFrame &frame) { present(frame); };
    m_decoder.decode(packet, sink);
    // Alone, a key frame would wait in the decoder for its successors.
    if (keyFramesOnly)
        m_decoder.drain(sink);
}

// Every packet counts, decoded or skipped, so the rate is known after the first few.
void FramePlayer::noteTimestamp(const AVPacket &packet)
{
    if (m_setup->frameRate > 0)
        return;
    const int64_t timeUs = toMicroseconds(packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts);
    if (timeUs != AV_NOPTS_VALUE)
        m_estimatedRate.add(timeUs);
}

int FramePlayer::frameRate() const
{
    if (!m_setup)
        return 0;
    return m_setup->frameRate > 0 ? m_setup->frameRate : m_estimatedRate.rate();
}

// With decoding off, a live stream without audio would never call back: its first
// video packet is reported once, as a video record without a picture.
void FramePlayer::reportStreamReached()
{
    if (m_streamReported)
        return;
    m_streamReported = true;
    ZELKA_FRAME_INFO info = videoInfo(0, 0);
    call(CALLBACK_MEDIA_FRAME, ZELKA_MEDIA_VIDEO, 0, info);
}

void FramePlayer::onAudio(const QueueItem &item)
{
    ZELKA_FRAME_INFO info = {};
    info.codecId = static_cast<uint32_t>(item.audioCodecId);
    info.sampleRate = static_cast<uint32_t>(item.audioSampleRate);
    call(CALLBACK_MEDIA_FRAME, ZELKA_MEDIA_AUDIO, 0, info);
}

bool FramePlayer::pacesMedia() const
{
    return m_pace && m_setup && m_setup->onDemand();
}

int64_t FramePlayer::toMicroseconds(int64_t timestamp) const
{
    return timestamp == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : av_rescale_q(timestamp, m_setup->videoTimeBase, kMicroseconds);
}

// Without decoding, media on demand still moves on in time (and reports it).
void FramePlayer::passTime(const AVPacket &packet)
{
    const int64_t timeUs = toMicroseconds(packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts);
    if (timeUs == AV_NOPTS_VALUE || !pacesMedia())
        return;
    if (waitForDueTime(timeUs))
        reportProgress(timeUs);
}

void FramePlayer::present(AVFrame &frame)
{
    const int64_t timeUs = toMicroseconds(frame.best_effort_timestamp);
    if (timeUs != AV_NOPTS_VALUE && m_skipBeforeUs != AV_NOPTS_VALUE) {
        if (timeUs < m_skipBeforeUs)
            return; // decoded only to reach the seek target
        m_skipBeforeUs = AV_NOPTS_VALUE;
    }
    if (timeUs != AV_NOPTS_VALUE && pacesMedia() && !waitForDueTime(timeUs))
        return;
    if (m_setup->onDemand())
        reportProgress(timeUs);
    deliverPicture(frame, timeUs);
}

bool FramePlayer::waitForDueTime(int64_t timeUs)
{
    while (true) {
        const int speedCode = m_state.speedCode();
        const auto due = m_pacer.dueTime(timeUs, Pacer::speedFactor(speedCode), Pacer::Clock::now());
        switch (m_state.waitUntilDue(due, speedCode, m_seekGeneration)) {
        case ChannelState::WaitResult::Due: return true;
        case ChannelState::WaitResult::Voided: return false;
        case ChannelState::WaitResult::SpeedChanged: break; // the pacer re-anchors at this picture
        }
    }
}

void FramePlayer::reportProgress(int64_t timeUs)
{
    if (timeUs == AV_NOPTS_VALUE)
        return;
    const int64_t origin = m_originUs != AV_NOPTS_VALUE ? m_originUs : 0;
    const int64_t second = std::max<int64_t>(0, (timeUs - origin) / AV_TIME_BASE);
    if (second == m_lastSecond)
        return;
    m_lastSecond = second;
    ZELKA_FRAME_INFO info = videoInfo(0, 0);
    info.seconds = static_cast<uint32_t>(second);
    call(CALLBACK_PROGRESS, ZELKA_MEDIA_VIDEO, 0, info);
}

void FramePlayer::deliverPicture(const AVFrame &frame, int64_t timeUs)
{
    // I420 needs even sizes: an odd last column or row is cropped, not scaled.
    const int width = frame.width & ~1;
    const int height = frame.height & ~1;
    if (width < 2 || height < 2 || width > 65534 || height > 65534)
        return;
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 3 / 2;
    if (m_picture.size() != size)
        m_picture.resize(size); // only when the format changes
    if (!m_converter.convert(frame, width, height, AV_PIX_FMT_YUV420P, width, height, m_picture.data()))
        return;
    reportFrameTime(timeUs);
    ZELKA_FRAME_INFO info = videoInfo(width, height);
    call(CALLBACK_MEDIA_FRAME, ZELKA_MEDIA_VIDEO, reinterpret_cast<int64_t>(m_picture.data()), info);
    m_streamReported = true;
}

void FramePlayer::reportFrameTime(int64_t timeUs)
{
    ZELKA_FRAME_TIME time = {};
    int64_t milliseconds = 0;
    if (m_setup->onDemand()) {
        const int64_t origin = m_originUs != AV_NOPTS_VALUE ? m_originUs : 0;
        milliseconds = timeUs != AV_NOPTS_VALUE ? std::max<int64_t>(0, (timeUs - origin) / 1000) : 0;
        const int64_t seconds = milliseconds / 1000;
        time.hour = static_cast<uint8_t>(seconds / 3600 % 256);
        time.minute = static_cast<uint8_t>(seconds / 60 % 60);
        time.second = static_cast<uint8_t>(seconds % 60);
    } else {
        struct timespec now = {};
        clock_gettime(CLOCK_REALTIME, &now);
        struct tm local = {};
        localtime_r(&now.tv_sec, &local);
        milliseconds = static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
        time.hour = static_cast<uint8_t>(local.tm_hour);
        time.minute = static_cast<uint8_t>(local.tm_min);
        time.second = static_cast<uint8_t>(local.tm_sec);
    }
    time.milliseconds = milliseconds;
    ZELKA_FRAME_INFO info = videoInfo(0, 0);
    call(CALLBACK_FRAME_TIME, ZELKA_MEDIA_VIDEO, reinterpret_cast<int64_t>(&time), info);
}

ZELKA_FRAME_INFO FramePlayer::videoInfo(int width, int height)
{
    ZELKA_FRAME_INFO info = {};
    const auto now = RateMeter::Clock::now();
    if (m_setup && m_setup->video)
        info.codecId = static_cast<uint32_t>(m_setup->video->codec_id);
    info.frameRate = static_cast<uint8_t>(frameRate());
    info.width = static_cast<uint16_t>(width);
    info.height = static_cast<uint16_t>(height);
    info.codeRate = static_cast<float>(
        m_receivedBytes.sampleTotal(m_state.bytesReceived.load(std::memory_order_relaxed), now) * 8.0 / 1000.0);
    info.cachedFrames = static_cast<uint32_t>(m_state.queuedVideoPackets());
    info.decodeFrameRate = clampToByte(m_deliveredFrames.add(width > 0 ? 1 : 0, now));
    return info;
}

void FramePlayer::call(ZELKA_CALLBACK_TYPE type, int mediaType, int64_t data, ZELKA_FRAME_INFO &info)
{
    // Nothing reaches the caller once it stopped or closed the channel.
    if (m_callback && m_state.mayDeliver())
        m_callback(type, m_channelId, m_user, mediaType, data, &info);
}

} // namespace zelkaplayer
