#include "recordingfile.h"

#include <cstring>

namespace zelkaplayer {

namespace {
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};

const AVOutputFormat *mp4Format()
{
    return av_guess_format("mp4", nullptr, nullptr);
}
} // namespace

RecordingFile::~RecordingFile()
{
    finish();
}

int64_t RecordingFile::timeOf(const AVPacket &packet)
{
    return packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
}

RecordingFile::Track *RecordingFile::trackFor(int inputIndex)
{
    for (Track &track : m_tracks) {
        if (track.inputIndex == inputIndex)
            return &track;
    }
    return nullptr;
}

// Inputs opened without probing (RTSP) leave the picture size unset; MP4 needs it.
void RecordingFile::fillPictureSize(AVCodecParameters &parameters, const AVPacket &keyFrame)
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

bool RecordingFile::addTrack(const Source &source, const AVPacket &keyFrame)
{
    Track track;
    track.inputIndex = source.inputIndex;
    track.inputTimeBase = source.timeBase;
    track.video = source.video;
    CodecParametersPtr parameters(avcodec_parameters_alloc());
    if (!parameters || avcodec_parameters_copy(parameters.get(), source.parameters) < 0)
        return false;
    AVRational timeBase = source.timeBase;
    if (source.video) {
        fillPictureSize(*parameters, keyFrame);
    } else if (avformat_query_codec(mp4Format(), parameters->codec_id, FF_COMPLIANCE_NORMAL) != 1) {
        track.transcoder = std::make_unique<AudioTranscoder>();
        if (!track.transcoder->open(*parameters, source.timeBase))
            return true; // the pictures are recorded without this audio
        if (avcodec_parameters_copy(parameters.get(), &track.transcoder->output()) < 0)
            return false;
        timeBase = track.transcoder->timeBase();
    }
    AVStream *stream = avformat_new_stream(m_output, nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, parameters.get()) < 0)
        return false;
    stream->codecpar->codec_tag = 0;
    stream->time_base = timeBase;
    track.outputIndex = stream->index;
    m_tracks.push_back(std::move(track));
    return true;
}

bool RecordingFile::open(const std::string &path, const std::vector<Source> &sources, const AVPacket &keyFrame)
{
    if (avformat_alloc_output_context2(&m_output, mp4Format(), nullptr, path.c_str()) < 0 || !m_output)
        return false;
    for (const Source &source : sources) {
        if (!addTrack(source, keyFrame))
            return false;
        if (source.video) {
            m_videoInput = source.inputIndex;
            m_videoTimeBase = source.timeBase;
        }
    }
    if (!trackFor(m_videoInput) || timeOf(keyFrame) == AV_NOPTS_VALUE)
        return false;
    if (avio_open(&m_output->pb, path.c_str(), AVIO_FLAG_WRITE) < 0)
        return false;
    // Each finished fragment goes to the file at once, not when a buffer fills.
    m_output->flush_packets = 1;
    AVDictionary *options = nullptr;
    av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    m_headerWritten = avformat_write_header(m_output, &options) >= 0;
    av_dict_free(&options);
    if (!m_headerWritten)
        return false;
    m_originUs = av_rescale_q(timeOf(keyFrame), m_videoTimeBase, kMicroseconds);
    m_pendingVideo.reset(av_packet_clone(&keyFrame));
    return m_pendingVideo != nullptr;
}

bool RecordingFile::continuesPicture(const AVPacket &next) const
{
    if (!m_pendingVideo || next.pts == AV_NOPTS_VALUE)
        return false;
    const AVPacket &pending = *m_pendingVideo;
    if (pending.pts == AV_NOPTS_VALUE)
        return (pending.flags & AV_PKT_FLAG_KEY) && (next.flags & AV_PKT_FLAG_KEY);
    return pending.pts == next.pts;
}

void RecordingFile::appendTo(AVPacket &pending, const AVPacket &next)
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

bool RecordingFile::reached(int64_t maxBytes, int64_t maxSeconds, const AVPacket &packet) const
{
    if (maxBytes > 0 && m_output && m_output->pb && avio_tell(m_output->pb) >= maxBytes)
        return true;
    const int64_t time = timeOf(packet);
    if (maxSeconds <= 0 || time == AV_NOPTS_VALUE || packet.stream_index != m_videoInput)
        return false;
    return av_rescale_q(time, m_videoTimeBase, kMicroseconds) - m_originUs >= maxSeconds * AV_TIME_BASE;
}

bool RecordingFile::write(const AVPacket &packet)
{
    if (!m_headerWritten)
        return false;
    Track *track = trackFor(packet.stream_index);
    if (!track)
        return true;
    if (track->video) {
        // The slices of one picture may come in several packets: store them as one sample.
        if (continuesPicture(packet)) {
            appendTo(*m_pendingVideo, packet);
            return true;
        }
        const bool written = writePendingVideo();
        m_pendingVideo.reset(av_packet_clone(&packet));
        return written;
    }
    if (!track->transcoder)
        return writeTimed(packet, *track, track->inputTimeBase);
    const int64_t time = timeOf(packet);
    if (time == AV_NOPTS_VALUE || av_rescale_q(time, track->inputTimeBase, kMicroseconds) < m_originUs)
        return true; // sound from before the first picture
    const AVRational encoded = track->transcoder->timeBase();
    return track->transcoder->push(packet, [&](AVPacket &aac) { return writeTimed(aac, *track, encoded); });
}

bool RecordingFile::writePendingVideo()
{
    if (!m_pendingVideo)
        return true;
    PacketPtr pending = std::move(m_pendingVideo);
    Track *track = trackFor(m_videoInput);
    return !track || writeTimed(*pending, *track, track->inputTimeBase);
}

bool RecordingFile::writeTimed(const AVPacket &packet, Track &track, AVRational timeBase)
{
    int64_t dts = timeOf(packet);
    if (dts == AV_NOPTS_VALUE)
        return true;
    const int64_t offset = av_rescale_q(m_originUs, kMicroseconds, timeBase);
    int64_t pts = (packet.pts != AV_NOPTS_VALUE ? packet.pts : dts) - offset;
    dts -= offset;
    if (dts < 0 && !track.video)
        return true; // audio from before the first key frame

    AVStream *stream = m_output->streams[track.outputIndex];
    dts = av_rescale_q(dts, timeBase, stream->time_base);
    pts = av_rescale_q(pts, timeBase, stream->time_base);
    if (track.lastDts != AV_NOPTS_VALUE && dts <= track.lastDts)
        dts = track.lastDts + 1;
    if (pts < dts)
        pts = dts;
    track.lastDts = dts;

    PacketPtr copy(av_packet_clone(&packet)); // a new reference, not a copy of the bytes
    if (!copy)
        return false;
    copy->dts = dts;
    copy->pts = pts;
    copy->duration = av_rescale_q(packet.duration, timeBase, stream->time_base);
    copy->stream_index = track.outputIndex;
    copy->pos = -1;
    return av_interleaved_write_frame(m_output, copy.get()) >= 0;
}

bool RecordingFile::finish()
{
    if (!m_output)
        return true;
    bool written = m_headerWritten && writePendingVideo();
    for (Track &track : m_tracks) {
        if (written && track.transcoder) {
            const AVRational encoded = track.transcoder->timeBase();
            written = track.transcoder->finish([&](AVPacket &aac) { return writeTimed(aac, track, encoded); });
        }
    }
    if (m_headerWritten)
        written = av_write_trailer(m_output) >= 0 && written;
    if (m_output->pb)
        written = avio_closep(&m_output->pb) >= 0 && written;
    avformat_free_context(m_output);
    m_output = nullptr;
    m_headerWritten = false;
    m_pendingVideo.reset();
    m_tracks.clear();
    return written;
}

} // namespace zelkaplayer
