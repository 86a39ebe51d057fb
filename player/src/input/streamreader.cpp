#include "streamreader.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace zelkaplayer {

namespace {
// Audio is only described to the caller (codec, rate), not decoded: a note a second is enough.
constexpr auto kAudioNoteInterval = std::chrono::seconds(1);

int frameRateOf(AVFormatContext &input, AVStream &stream)
{
    const AVRational rate = av_guess_frame_rate(&input, &stream, nullptr);
    if (rate.num <= 0 || rate.den <= 0)
        return 0;
    const double fps = av_q2d(rate);
    return fps > 255.0 ? 255 : static_cast<int>(fps + 0.5);
}
} // namespace

StreamReader::StreamReader(SourceOptions source, bool reconnect, int mediaMask, ChannelState &state,
                           Recorder &recorder)
    : m_source(std::move(source))
    , m_reconnect(reconnect)
    , m_mediaMask(mediaMask)
    , m_state(state)
    , m_recorder(recorder)
{
}

void StreamReader::run()
{
    while (!m_state.stopping()) {
        InputPtr input = openInput();
        if (input) {
            std::shared_ptr<StreamSetup> setup = describe(*input);
            m_recorder.inputOpened(*input, m_videoIndex, m_audioIndex);
            QueueItem opened;
            opened.kind = QueueItem::Kind::Opened;
            opened.setup = setup;
            m_state.pushMarker(std::move(opened));
            // Media on demand that dropped resumes where it was.
            if (m_resumeSeconds >= 0 && setup->onDemand() && !m_state.hasPendingSeek())
                m_state.requestSeek(m_resumeSeconds);
            m_readSomething = false;
            m_videoQueued = false;
            m_videoSkipped = false;
            m_unseenPace.restart();
            m_nextStampedDts = AV_NOPTS_VALUE;
            m_sampleRate.reset();
            const Outcome outcome = readAll(*input, *setup);
            m_recorder.inputClosed();
            input.reset();
            if (outcome == Outcome::Stopped)
                return;
            if (m_readSomething)
                m_backoff.reset();
            QueueItem gap;
            gap.kind = QueueItem::Kind::Discontinuity;
            m_state.pushMarker(std::move(gap));
        }
        if (!m_reconnect) {
            waitForStop();
            return;
        }
        if (!m_state.waitBeforeRetry(m_backoff.next()))
            return;
    }
}

void StreamReader::waitForStop()
{
    int64_t ignored = 0;
    while (m_state.waitForSeek())
        m_state.takeSeek(ignored); // nothing to seek in
}

// An RTSP session description names every codec and carries the parameter sets:
// probing the first pictures on top of it would only add their delay (3 or 4
// frame intervals) to the first picture.
bool StreamReader::needsStreamInfo(const AVFormatContext &input) const
{
    if (m_source.kind() != SourceOptions::Kind::Rtsp || input.nb_streams == 0)
        return true;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        if (input.streams[i]->codecpar->codec_id == AV_CODEC_ID_NONE)
            return true;
    }
    return false;
}

int StreamReader::openFormat(AVFormatContext **context, SourceOptions::RtspTransport transport)
{
    *context = avformat_alloc_context();
    if (!*context)
        return AVERROR(ENOMEM);
    (*context)->interrupt_callback.callback = &ChannelState::interruptCallback;
    (*context)->interrupt_callback.opaque = &m_state;
    AVDictionary *options = m_source.inputOptions(transport);
    const int opened = avformat_open_input(context, m_source.url().c_str(), nullptr, &options);
    av_dict_free(&options);
    return opened; // on failure avformat_open_input freed the context
}

// Servers often offer RTP over one transport only and answer a SETUP for the other
// with "461 Unsupported Transport" (FFmpeg: EPROTONOSUPPORT); such a server gets the
// other transport, once.
int StreamReader::openRtspWithOtherTransport(AVFormatContext **context)
{
    const SourceOptions::RtspTransport asked = m_source.rtspTransport();
    const SourceOptions::RtspTransport other = SourceOptions::otherTransport(asked);
    const int opened = openFormat(context, other);
    const std::string outcome = opened >= 0 ? std::string("playing over ") + SourceOptions::nameOf(other)
                                            : std::string(SourceOptions::nameOf(other)) + " failed too";
    // Standard output: the client's debug console shows what is printed there.
    std::printf("libZelkaExPlayer: %s refused RTP over %s; %s\n", m_source.printableUrl().c_str(),
                SourceOptions::nameOf(asked), outcome.c_str());
    std::fflush(stdout);
    return opened;
}

StreamReader::InputPtr StreamReader::openInput()
{
    AVFormatContext *raw = nullptr;
    int opened = openFormat(&raw, m_source.rtspTransport());
    if (opened == AVERROR(EPROTONOSUPPORT) && m_source.kind() == SourceOptions::Kind::Rtsp && !m_state.stopping())
        opened = openRtspWithOtherTransport(&raw);
    if (opened < 0)
        return nullptr;
    InputPtr input(raw);
    if (needsStreamInfo(*input) && avformat_find_stream_info(input.get(), nullptr) < 0)
        return nullptr;
    if (m_state.stopping())
        return nullptr;
    m_videoIndex = (m_mediaMask & 1) ? av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0) : -1;
    m_audioIndex = (m_mediaMask & 2) ? av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) : -1;
    if (m_videoIndex < 0 && m_audioIndex < 0)
        return nullptr;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const int index = static_cast<int>(i);
        if (index != m_videoIndex && index != m_audioIndex)
            input->streams[i]->discard = AVDISCARD_ALL;
    }
    return input;
}

std::shared_ptr<StreamSetup> StreamReader::describe(const AVFormatContext &input) const
{
    auto setup = std::make_shared<StreamSetup>();
    if (m_videoIndex >= 0) {
        AVStream *stream = input.streams[m_videoIndex];
        setup->video.reset(avcodec_parameters_alloc());
        if (setup->video)
            avcodec_parameters_copy(setup->video.get(), stream->codecpar);
        setup->videoTimeBase = stream->time_base;
        setup->frameRate = frameRateOf(const_cast<AVFormatContext &>(input), *stream);
    }
    // Without a start time (RTSP opened unprobed) positions count from 0, as the
    // server's range does.
    setup->originUs = input.start_time != AV_NOPTS_VALUE ? input.start_time : 0;
    setup->durationUs = input.duration > 0 ? input.duration : 0;
    setup->localFile = m_source.kind() == SourceOptions::Kind::File;
    setup->picturesMaySpanPackets = m_source.kind() == SourceOptions::Kind::Rtsp;
    return setup;
}

StreamReader::Outcome StreamReader::readAll(AVFormatContext &input, const StreamSetup &setup)
{
    const bool live = !setup.onDemand();
    PacketPtr packet = makePacket();
    if (!packet)
        return Outcome::Dropped;
    while (true) {
        int64_t seconds = 0;
        if (m_state.takeSeek(seconds))
            seek(input, setup, seconds);
        if (!pauseWhileUnseen(live))
            return Outcome::Stopped;
        const auto readStart = UnseenReadPacer::Clock::now();
        const int result = av_read_frame(&input, packet.get());
        if (m_state.stopping())
            return Outcome::Stopped;
        if (unseen(live))
            m_unseenPace.noteRead(readStart, UnseenReadPacer::Clock::now(), result >= 0 ? packet->size : 0);
        else
            m_unseenPace.restart();
        if (result < 0) {
            const bool ended = result == AVERROR_EOF || !m_source.isNetwork();
            if (!ended || live)
                return Outcome::Dropped;
            QueueItem end;
            end.kind = QueueItem::Kind::End;
            m_state.pushMarker(std::move(end));
            m_resumeSeconds = -1;
            if (!m_state.waitForSeek())
                return Outcome::Stopped;
            continue;
        }
        m_readSomething = true;
        m_state.bytesReceived.fetch_add(static_cast<uint64_t>(packet->size), std::memory_order_relaxed);
        if (!route(packet.get(), input, live, packet))
            return Outcome::Stopped;
    }
}

bool StreamReader::route(AVPacket *packet, AVFormatContext &input, bool live, PacketPtr &spare)
{
    const int index = packet->stream_index;
    AVStream *stream = index >= 0 && index < static_cast<int>(input.nb_streams) ? input.streams[index] : nullptr;
    // Some inputs (FLV) announce their audio only once it arrives.
    if (stream && m_audioIndex < 0 && (m_mediaMask & 2) && stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
        m_audioIndex = index;

    if (index == m_videoIndex) {
        stampMissingTime(*packet, *stream);
        m_recorder.write(*packet);
        if (packet->pts != AV_NOPTS_VALUE) {
            m_lastVideoUs = av_rescale_q(packet->pts, stream->time_base, AVRational{1, AV_TIME_BASE});
            const int64_t origin = input.start_time != AV_NOPTS_VALUE ? input.start_time : 0;
            if (!live)
                m_resumeSeconds = std::max<int64_t>(0, (m_lastVideoUs - origin) / AV_TIME_BASE);
        }
        return queueVideo(live, spare);
    }
    if (index == m_audioIndex && stream) {
        m_recorder.write(*packet);
        const int sampleRate = m_sampleRate.rateOf(*stream, *packet);
        av_packet_unref(packet);
        const auto now = ChannelState::Clock::now();
        if (now - m_lastAudioNote < kAudioNoteInterval)
            return true;
        m_lastAudioNote = now;
        QueueItem item;
        item.audioCodecId = stream->codecpar->codec_id;
        item.audioSampleRate = sampleRate;
        return m_state.pushPacket(std::move(item), live);
    }
    av_packet_unref(packet);
    return true;
}

// Live pictures nobody decodes stop here, but for the first after each opening: the
// decoding side reports with it that the stream was reached. Skipped pictures leave a
// gap that the decoder must not predict across: it restarts at the next key frame.
bool StreamReader::queueVideo(bool live, PacketPtr &spare)
{
    if (unseen(live) && m_videoQueued) {
        av_packet_unref(spare.get());
        m_videoSkipped = true;
        return true;
    }
    if (m_videoSkipped) {
        QueueItem gap;
        gap.kind = QueueItem::Kind::Discontinuity;
        m_state.pushMarker(std::move(gap));
        m_videoSkipped = false;
    }
    QueueItem item;
    item.video = true;
    item.packet = std::move(spare);
    spare = makePacket();
    if (!spare)
        return false;
    m_videoQueued = true;
    return m_state.pushPacket(std::move(item), live);
}

bool StreamReader::unseen(bool live) const
{
    return live && !m_state.decodeEnabled.load(std::memory_order_relaxed);
}

// False when stopping.
bool StreamReader::pauseWhileUnseen(bool live)
{
    if (!unseen(live))
        return true;
    const std::chrono::milliseconds pause = m_unseenPace.pauseDue();
    if (pause.count() <= 0)
        return true;
    const auto start = UnseenReadPacer::Clock::now();
    if (!m_state.pauseUnseenReading(pause))
        return false;
    m_unseenPace.notePaused(start);
    return true;
}

// Raw elementary streams (a camera's .h264 export) carry no timestamps: without
// them a file could be neither paced nor recorded. Each picture lasts its
// duration, or one frame interval.
void StreamReader::stampMissingTime(AVPacket &packet, const AVStream &stream)
{
    if (packet.pts != AV_NOPTS_VALUE || packet.dts != AV_NOPTS_VALUE) {
        m_nextStampedDts = AV_NOPTS_VALUE;
        return;
    }
    int64_t duration = packet.duration;
    if (duration <= 0) {
        const AVRational rate = stream.r_frame_rate.num > 0 ? stream.r_frame_rate : AVRational{25, 1};
        duration = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(rate), stream.time_base));
    }
    if (m_nextStampedDts == AV_NOPTS_VALUE)
        m_nextStampedDts = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
    packet.dts = m_nextStampedDts;
    m_nextStampedDts += duration;
}

void StreamReader::seek(AVFormatContext &input, const StreamSetup &setup, int64_t seconds)
{
    if (!setup.onDemand())
        return; // live streams have nowhere to seek to
    const int64_t origin = setup.originUs != AV_NOPTS_VALUE ? setup.originUs : 0;
    if (setup.knowsDuration())
        seconds = std::min<int64_t>(seconds, setup.durationUs / AV_TIME_BASE + 1);
    const int64_t target = origin + seconds * AV_TIME_BASE;
    // Until a picture after the target is read, a drop must reopen at the target, not
    // where reading was before the seek.
    m_resumeSeconds = seconds;
    if (avformat_seek_file(&input, -1, INT64_MIN, target, target, 0) < 0)
        av_seek_frame(&input, -1, target, AVSEEK_FLAG_BACKWARD);
    if (m_nextStampedDts != AV_NOPTS_VALUE && m_videoIndex >= 0)
        m_nextStampedDts = av_rescale_q(target, AVRational{1, AV_TIME_BASE}, input.streams[m_videoIndex]->time_base);
    QueueItem flush;
    flush.kind = QueueItem::Kind::Flush;
    flush.seekTargetUs = target;
    m_state.pushMarker(std::move(flush));
}

} // namespace zelkaplayer
