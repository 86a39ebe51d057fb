#include "recorder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace zelkaplayer {

namespace {
const AVOutputFormat *mp4Format()
{
    return av_guess_format("mp4", nullptr, nullptr);
}

bool mp4Carries(const AVCodecParameters &parameters)
{
    return avformat_query_codec(mp4Format(), parameters.codec_id, FF_COMPLIANCE_NORMAL) == 1;
}

// Creates (or empties) the file now, so that an unwritable place fails the start.
bool canCreate(const std::string &path)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}
} // namespace

Recorder::~Recorder()
{
    stop();
}

bool Recorder::start(const std::string &path, int64_t maxBytes, int64_t maxSeconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    finish();
    if (path.empty() || !canCreate(path))
        return false;
    m_path = path;
    m_maxBytes = maxBytes;
    m_maxSeconds = maxSeconds;
    m_armed = true;
    return true;
}

void Recorder::stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    finish();
}

void Recorder::inputOpened(const AVFormatContext &input, int videoIndex, int audioIndex)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // A recording does not run across two inputs: their timelines differ.
    if (m_output)
        finish();
    m_tracks.clear();
    m_inputParameters.clear();
    m_videoInput = videoIndex;
    for (int index : {videoIndex, audioIndex}) {
        if (index < 0 || !mp4Carries(*input.streams[index]->codecpar))
            continue;
        CodecParametersPtr parameters(avcodec_parameters_alloc());
        if (!parameters || avcodec_parameters_copy(parameters.get(), input.streams[index]->codecpar) < 0)
            continue;
        Track track;
        track.inputIndex = index;
        track.inputTimeBase = input.streams[index]->time_base;
        m_tracks.push_back(track);
        m_inputParameters.push_back(std::move(parameters));
    }
}

void Recorder::inputClosed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_output)
        finish();
    m_tracks.clear();
    m_inputParameters.clear();
    m_videoInput = -1;
}

// Inputs opened without probing (RTSP) leave the picture size unset; MP4 needs it.
void Recorder::fillPictureSize(AVCodecParameters &parameters, const AVPacket &keyFrame)
{
    if (parameters.width > 0 && parameters.height > 0)
        return;
    CodecContextPtr context(avcodec_alloc_context3(nullptr));
    ParserPtr parser(av_parser_init(parameters.codec_id));
    if (!context || !parser || avcodec_parameters_to_context(context.get(), &parameters) < 0)
        return;
    parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    std::vector<uint8_t> padded(static_cast<size_t>(keyFrame.size) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    memcpy(padded.data(), keyFrame.data, static_cast<size_t>(keyFrame.size));
    uint8_t *unit = nullptr;
    int unitSize = 0;
    av_parser_parse2(parser.get(), context.get(), &unit, &unitSize, padded.data(), keyFrame.size, AV_NOPTS_VALUE,
                     AV_NOPTS_VALUE, 0);
    if (parser->width > 0 && parser->height > 0) {
        parameters.width = parser->width;
        parameters.height = parser->height;
    }
}

Recorder::Track *Recorder::trackFor(int inputIndex)
{
    for (Track &track : m_tracks) {
        if (track.inputIndex == inputIndex)
            return &track;
    }
    return nullptr;
}

void Recorder::write(const AVPacket &packet)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_armed)
        return;
    Track *track = trackFor(packet.stream_index);
    if (!track)
        return;
    if (!m_output) {
        const bool keyFrame = packet.stream_index == m_videoInput && (packet.flags & AV_PKT_FLAG_KEY);
        if (!keyFrame)
            return;
        if (!openOutput(packet)) {
            finish();
            std::remove(m_path.c_str()); // never leave an empty or headless file behind
            return;
        }
    }
    if (packet.stream_index != m_videoInput) {
        writeLocked(packet, *track);
        return;
    }
    // The slices of one picture may come in several packets: store them as one sample.
    if (m_pendingVideo && continuesPicture(*m_pendingVideo, packet)) {
        appendTo(*m_pendingVideo, packet);
        return;
    }
    writePendingVideo();
    m_pendingVideo.reset(av_packet_clone(&packet));
}

bool Recorder::continuesPicture(const AVPacket &pending, const AVPacket &next)
{
    if (next.pts == AV_NOPTS_VALUE)
        return false;
    if (pending.pts == AV_NOPTS_VALUE)
        return (pending.flags & AV_PKT_FLAG_KEY) && (next.flags & AV_PKT_FLAG_KEY);
    return pending.pts == next.pts;
}

void Recorder::appendTo(AVPacket &pending, const AVPacket &next)
{
    const int offset = pending.size;
    if (av_grow_packet(&pending, next.size) < 0)
        return;
    memcpy(pending.data + offset, next.data, static_cast<size_t>(next.size));
    if (pending.pts == AV_NOPTS_VALUE) {
        pending.pts = next.pts;
        pending.dts = next.dts;
    }
}

void Recorder::writePendingVideo()
{
    if (!m_pendingVideo)
        return;
    PacketPtr pending = std::move(m_pendingVideo);
    if (Track *track = trackFor(m_videoInput); track && m_output)
        writeLocked(*pending, *track);
}

bool Recorder::openOutput(const AVPacket &keyFrame)
{
    if (trackFor(m_videoInput) == nullptr)
        return false;
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        if (m_tracks[i].inputIndex == m_videoInput)
            fillPictureSize(*m_inputParameters[i], keyFrame);
    }
    if (avformat_alloc_output_context2(&m_output, nullptr, "mp4", m_path.c_str()) < 0 || !m_output)
        return false;
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        AVStream *stream = avformat_new_stream(m_output, nullptr);
        if (!stream || avcodec_parameters_copy(stream->codecpar, m_inputParameters[i].get()) < 0)
            return false;
        stream->codecpar->codec_tag = 0;
        stream->time_base = m_tracks[i].inputTimeBase;
        m_tracks[i].outputIndex = stream->index;
        m_tracks[i].lastDts = AV_NOPTS_VALUE;
    }
    if (avio_open(&m_output->pb, m_path.c_str(), AVIO_FLAG_WRITE) < 0)
        return false;
    // Each finished fragment goes to the file at once, not when a buffer fills.
    m_output->flush_packets = 1;
    AVDictionary *options = nullptr;
    // Fragments from key frame to key frame: everything written so far stays playable.
    av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    const int result = avformat_write_header(m_output, &options);
    av_dict_free(&options);
    m_originUs = AV_NOPTS_VALUE;
    m_headerWritten = result >= 0;
    return m_headerWritten;
}

void Recorder::writeLocked(const AVPacket &packet, Track &track)
{
    int64_t dts = packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
    if (dts == AV_NOPTS_VALUE)
        return;
    const AVRational microseconds{1, AV_TIME_BASE};
    if (m_originUs == AV_NOPTS_VALUE)
        m_originUs = av_rescale_q(dts, track.inputTimeBase, microseconds);
    const int64_t offset = av_rescale_q(m_originUs, microseconds, track.inputTimeBase);
    int64_t pts = (packet.pts != AV_NOPTS_VALUE ? packet.pts : dts) - offset;
    dts -= offset;
    if (dts < 0 && &track != trackFor(m_videoInput))
        return; // audio from before the first key frame

    AVStream *stream = m_output->streams[track.outputIndex];
    dts = av_rescale_q(dts, track.inputTimeBase, stream->time_base);
    pts = av_rescale_q(pts, track.inputTimeBase, stream->time_base);
    if (track.lastDts != AV_NOPTS_VALUE && dts <= track.lastDts)
        dts = track.lastDts + 1;
    if (pts < dts)
        pts = dts;
    track.lastDts = dts;

    if (limitReached(packet, track)) {
        finish();
        return;
    }
    PacketPtr copy(av_packet_clone(&packet)); // a new reference, not a copy of the bytes
    if (!copy)
        return;
    copy->dts = dts;
    copy->pts = pts;
    copy->duration = av_rescale_q(packet.duration, track.inputTimeBase, stream->time_base);
    copy->stream_index = track.outputIndex;
    copy->pos = -1;
    if (av_interleaved_write_frame(m_output, copy.get()) < 0)
        finish(); // a write error ends the recording; what was written stays playable
}

bool Recorder::limitReached(const AVPacket &packet, const Track &track)
{
    if (m_maxBytes > 0 && m_output->pb && avio_tell(m_output->pb) >= m_maxBytes)
        return true;
    if (m_maxSeconds > 0 && packet.dts != AV_NOPTS_VALUE) {
        const int64_t atUs = av_rescale_q(packet.dts, track.inputTimeBase, AVRational{1, AV_TIME_BASE});
        if (atUs - m_originUs >= m_maxSeconds * AV_TIME_BASE)
            return true;
    }
    return false;
}

void Recorder::finish()
{
    m_armed = false;
    if (!m_output) {
        m_pendingVideo.reset();
        return;
    }
    writePendingVideo();
    if (!m_output)
        return; // the last write failed and finished the file already
    if (m_output->pb) {
        if (m_headerWritten)
            av_write_trailer(m_output);
        avio_closep(&m_output->pb);
    }
    avformat_free_context(m_output);
    m_output = nullptr;
    m_headerWritten = false;
    m_originUs = AV_NOPTS_VALUE;
}

} // namespace zelkaplayer
