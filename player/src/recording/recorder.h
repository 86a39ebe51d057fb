#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ffmpegptr.h"
#include "recordingfile.h"

namespace zelkaplayer {

// A channel's recording: runs from the next video key frame until it is stopped,
// in MP4 files of its own (see RecordingFile). When the input drops and comes
// back, or a file reaches its size or time limit, it goes on at the next key
// frame in the next file beside the first: the same name with "_1", "_2"...
// before the extension (a name already in use is skipped). No file is made
// before the first key frame. start and stop come from the caller's thread, the
// rest from the reader thread; one mutex guards everything.
class Recorder
{
public:
    ~Recorder();

    // False when the folder cannot be written.
    bool start(const std::string &path, int64_t maxBytes, int64_t maxSeconds);
    // Ends the recording. False when nothing was recording, no picture came (no
    // file is left) or a write failed (what was written stays playable).
    bool stop();

    void inputOpened(const AVFormatContext &input, int videoIndex, int audioIndex);
    void inputClosed();
    void write(const AVPacket &packet);

private:
    struct InputTrack
    {
        int index = -1;
        CodecParametersPtr parameters;
        AVRational timeBase{1, 1};
        bool video = false;
    };

    static bool canWrite(const std::string &path);
    const InputTrack *inputTrack(int index) const;
    void openFile(const AVPacket &keyFrame);
    void finishFile();
    void fail();
    std::string nextPath();

    std::mutex m_mutex;
    bool m_recording = false;
    std::string m_path;
    int64_t m_maxBytes = 0;
    int64_t m_maxSeconds = 0;
    int m_filesMade = 0;
    int m_nextNumber = 1;
    bool m_failed = false;
    std::unique_ptr<RecordingFile> m_file;
    std::vector<InputTrack> m_inputTracks;
};

} // namespace zelkaplayer
