#include "recorder.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "audiotranscoder.h"
#include "safefilename.h"

namespace zelkaplayer {

namespace {
bool mp4Carries(const AVCodecParameters &parameters)
{
    return avformat_query_codec(av_guess_format("mp4", nullptr, nullptr), parameters.codec_id, FF_COMPLIANCE_NORMAL)
        == 1;
}
} // namespace

Recorder::~Recorder()
{
    stop();
}

// Checked without creating the file: a recording stopped before its first
// picture leaves nothing behind.
bool Recorder::canWrite(const std::string &path)
{
    const std::filesystem::path file(path);
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    const std::string folder = file.parent_path().empty() ? std::string(".") : file.parent_path().string();
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return false;
    if (!std::filesystem::exists(file, error))
        return true;
    return std::filesystem::is_regular_file(file, error) && ::access(path.c_str(), W_OK) == 0;
}

bool Recorder::start(const std::string &path, int64_t maxBytes, int64_t maxSeconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    finishFile();
    m_recording = false;
    if (path.empty() || !canWrite(path))
        return false;
    m_recording = true;
    m_path = path;
    m_maxBytes = maxBytes;
    m_maxSeconds = maxSeconds;
    m_filesMade = 0;
    m_nextNumber = 1;
    m_failed = false;
    return true;
}

bool Recorder::stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    finishFile();
    const bool complete = m_filesMade > 0 && !m_failed;
    m_recording = false;
    m_filesMade = 0;
    m_failed = false;
    return complete;
}

void Recorder::inputOpened(const AVFormatContext &input, int videoIndex, int audioIndex)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    finishFile(); // two inputs have two timelines: never one file
    m_inputTracks.clear();
    for (int index : {videoIndex, audioIndex}) {
        if (index < 0)
            continue;
        const AVStream &stream = *input.streams[index];
        const bool video = index == videoIndex;
        if (video ? !mp4Carries(*stream.codecpar)
                  : !mp4Carries(*stream.codecpar) && !AudioTranscoder::canTranscode(*stream.codecpar))
            continue;
        InputTrack track;
        track.index = index;
        track.parameters.reset(avcodec_parameters_alloc());
        if (!track.parameters || avcodec_parameters_copy(track.parameters.get(), stream.codecpar) < 0)
            continue;
        track.timeBase = stream.time_base;
        track.video = video;
        m_inputTracks.push_back(std::move(track));
    }
}

void Recorder::inputClosed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    finishFile(); // the recording goes on with the next input
    m_inputTracks.clear();
}

const Recorder::InputTrack *Recorder::inputTrack(int index) const
{
    for (const InputTrack &track : m_inputTracks) {
        if (track.index == index)
            return &track;
    }
    return nullptr;
}

void Recorder::write(const AVPacket &packet)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_recording)
        return;
    const InputTrack *track = inputTrack(packet.stream_index);
    if (!track)
        return;
    const bool startsPicture = track->video && (!m_file || !m_file->continuesPicture(packet));
    if (startsPicture && (packet.flags & AV_PKT_FLAG_KEY)) {
        if (m_file && m_file->reached(m_maxBytes, m_maxSeconds, packet))
            finishFile();
        if (!m_file) {
            openFile(packet); // the file starts with this picture
            return;
        }
    }
    if (m_file && !m_file->write(packet))
        fail();
}

std::string Recorder::nextPath()
{
    if (m_filesMade == 0)
        return m_path;
    std::error_code error;
    std::string path = numberedPath(m_path, m_nextNumber++);
    while (std::filesystem::exists(path, error))
        path = numberedPath(m_path, m_nextNumber++);
    return path;
}

void Recorder::openFile(const AVPacket &keyFrame)
{
    std::vector<RecordingFile::Source> sources;
    for (const InputTrack &track : m_inputTracks)
        sources.push_back({track.index, track.parameters.get(), track.timeBase, track.video});
    const std::string path = nextPath();
    auto file = std::make_unique<RecordingFile>();
    if (!file->open(path, sources, keyFrame)) {
        file.reset();
        std::remove(path.c_str()); // never leave an empty or headless file behind
        fail();
        return;
    }
    m_file = std::move(file);
    ++m_filesMade;
}

void Recorder::finishFile()
{
    if (m_file && !m_file->finish())
        m_failed = true;
    m_file.reset();
}

// A file that cannot be written (a full disk, a folder gone) ends the recording;
// what was written stays playable and the stop reports the loss.
void Recorder::fail()
{
    finishFile();
    m_failed = true;
    m_recording = false;
}

} // namespace zelkaplayer
