#pragma once

#include <memory>
#include <string>
#include <thread>

#include "libZelkaExPlayer.h"
#include "channelstate.h"
#include "decoding/frameplayer.h"
#include "recording/recorder.h"
#include "input/sourceoptions.h"
#include "input/streamreader.h"

namespace zelkaplayer {

struct OpenParameters
{
    int protocol = 0;
    std::string url;
    int connectType = ZELKA_CONNECT_TCP;
    int mediaMask = ZELKA_MEDIA_VIDEO | ZELKA_MEDIA_AUDIO;
    ZELKA_PLAYER_CALLBACK callback = nullptr;
    void *user = nullptr;
    bool reconnect = true;
    bool pace = true;
    size_t queueBytes = 8 * 1024 * 1024;
    std::string userName;
    std::string password;
};

// One opened stream: a reader thread and a decoding thread that calls back.
// close() stops both and returns only when no callback can run any more.
class Channel : public std::enable_shared_from_this<Channel>
{
public:
    Channel(int id, const OpenParameters &parameters);
    ~Channel();

    void start();
    void close();

    void setPlaying(bool playing) { m_state.setPlaying(playing); }
    void setDecodeEnabled(bool enabled) { m_state.setDecodeEnabled(enabled); }
    void setKeyFramesOnly(bool keyFramesOnly) { m_state.keyFramesOnly.store(keyFramesOnly); }
    void setSpeedCode(int code) { m_state.setSpeedCode(code); }
    void seek(int64_t seconds) { m_state.requestSeek(seconds); }
    bool startRecording(const std::string &path, int64_t maxBytes, int64_t maxSeconds);
    bool stopRecording() { return m_recorder.stop(); }

private:
    static size_t videoPacketBound(SourceOptions::Kind kind);

    const int m_id;
    ChannelState m_state;
    Recorder m_recorder;
    StreamReader m_reader;
    FramePlayer m_player;
    std::thread m_readerThread;
    std::thread m_playerThread;
};

} // namespace zelkaplayer
