#pragma once

#include <chrono>
#include <memory>

#include "channelstate.h"
#include "ffmpegptr.h"
#include "recording/recorder.h"
#include "retrybackoff.h"
#include "sampleratefinder.h"
#include "sourceoptions.h"
#include "streamsetup.h"
#include "unseenreadpacer.h"

namespace zelkaplayer {

// The reading half of a channel (its own thread): opens the input, reads packets
// into the channel's queue, feeds the recorder, seeks, and reconnects live
// streams after a drop with a back-off of 1 s doubling to 8 s, each wait spread
// at random per channel (RetryBackoff). Every blocking FFmpeg call is cut short
// by the channel's stop flag. A live stream whose decoding is off is still read
// to the end of what arrives (the server sees no change), in rounds
// (UnseenReadPacer), and its pictures go no further than the recorder: the
// decoding thread sleeps until decoding is on again.
class StreamReader
{
public:
    StreamReader(SourceOptions source, bool reconnect, int mediaMask, ChannelState &state, Recorder &recorder);

    void run();

private:
    struct InputClose { void operator()(AVFormatContext *context) const { avformat_close_input(&context); } };
    using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;

    enum class Outcome { Stopped, Dropped };

    InputPtr openInput();
    int openFormat(AVFormatContext **context, SourceOptions::RtspTransport transport);
    int openRtspWithOtherTransport(AVFormatContext **context);
    bool needsStreamInfo(const AVFormatContext &input) const;
    std::shared_ptr<StreamSetup> describe(const AVFormatContext &input) const;
    Outcome readAll(AVFormatContext &input, const StreamSetup &setup);
    bool pauseWhileUnseen(bool live);
    bool unseen(bool live) const;
    void seek(AVFormatContext &input, const StreamSetup &setup, int64_t seconds);
    bool route(AVPacket *packet, AVFormatContext &input, bool live, PacketPtr &spare);
    bool queueVideo(bool live, PacketPtr &spare);
    void stampMissingTime(AVPacket &packet, const AVStream &stream);
    void waitForStop();

    SourceOptions m_source;
    bool m_reconnect;
    int m_mediaMask;
    ChannelState &m_state;
    Recorder &m_recorder;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    bool m_readSomething = false;
    bool m_videoQueued = false;  // since the input was opened
    bool m_videoSkipped = false; // since the last video packet queued
    UnseenReadPacer m_unseenPace;
    int64_t m_resumeSeconds = -1;
    int64_t m_lastVideoUs = AV_NOPTS_VALUE;
    int64_t m_nextStampedDts = AV_NOPTS_VALUE; // video time base
    ChannelState::Clock::time_point m_lastAudioNote{};
    SampleRateFinder m_sampleRate;
    RetryBackoff m_backoff;
};

} // namespace zelkaplayer
