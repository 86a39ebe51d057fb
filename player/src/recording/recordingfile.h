#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audiotranscoder.h"
#include "ffmpegptr.h"

namespace zelkaplayer {

// One MP4 file of a recording: fragmented from key frame to key frame, so that
// what is written stays playable if the process dies; its timestamps count from
// its first key frame. Packets are remuxed, except audio that MP4 cannot carry,
// which is re-encoded to AAC. Not locked itself: the recorder's mutex guards it.
class RecordingFile
{
public:
    // One input stream to record.
    struct Source
    {
        int inputIndex = -1;
        const AVCodecParameters *parameters = nullptr;
        AVRational timeBase{1, 1};
        bool video = false;
    };

    RecordingFile() = default;
    ~RecordingFile();
    RecordingFile(const RecordingFile &) = delete;
    RecordingFile &operator=(const RecordingFile &) = delete;

    // Creates the file, starting with keyFrame (not yet written). False when it cannot.
    bool open(const std::string &path, const std::vector<Source> &sources, const AVPacket &keyFrame);
    // False on a write error; the caller then finishes the file.
    bool write(const AVPacket &packet);
    // Writes what is held back and the index. False on a write error.
    bool finish();

    // Whether the video packet carries more slices of the picture held back.
    bool continuesPicture(const AVPacket &packet) const;
    // Whether the file is full: maxBytes written, or the packet lies maxSeconds
    // after the first key frame (0: no limit).
    bool reached(int64_t maxBytes, int64_t maxSeconds, const AVPacket &packet) const;

private:
    struct Track
    {
        int inputIndex = -1;
        int outputIndex = -1;
        AVRational inputTimeBase{1, 1};
        int64_t lastDts = AV_NOPTS_VALUE;
        bool video = false;
        std::unique_ptr<AudioTranscoder> transcoder;
    };

    bool addTrack(const Source &source, const AVPacket &keyFrame);
    Track *trackFor(int inputIndex);
    static int64_t timeOf(const AVPacket &packet);
    bool writeTimed(const AVPacket &packet, Track &track, AVRational timeBase);
    bool writePendingVideo();
    static void appendTo(AVPacket &pending, const AVPacket &next);
    static void fillPictureSize(AVCodecParameters &parameters, const AVPacket &keyFrame);

    AVFormatContext *m_output = nullptr;
    bool m_headerWritten = false;
    std::vector<Track> m_tracks;
    PacketPtr m_pendingVideo;
    int m_videoInput = -1;
    AVRational m_videoTimeBase{1, 1};
    int64_t m_originUs = AV_NOPTS_VALUE;
};

} // namespace zelkaplayer
