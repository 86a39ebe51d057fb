// The player calls of libZelkaExPlayer.
#include <mutex>

#include "libZelkaExPlayer.h"
#include "channelregistry.h"
#include "playererrors.h"
#include "recording/safefilename.h"

using namespace zelkaplayer;

namespace {

void initializeFfmpegOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_FATAL);
        avformat_network_init();
    });
}

std::string textOrEmpty(const char *text)
{
    return text ? std::string(text) : std::string();
}

template <typename Action>
int withChannel(int id, Action action)
{
    std::shared_ptr<Channel> channel = ChannelRegistry::instance().find(id);
    if (!channel)
        return kErrorUnknownChannel;
    return action(*channel);
}

} // namespace

static_assert(AV_CODEC_ID_H264 == 27 && AV_CODEC_ID_HEVC == 173, "frame records use FFmpeg's codec ids");
static_assert(sizeof(ZELKA_FRAME_INFO) == 64 && offsetof(ZELKA_FRAME_INFO, seconds) == 36
                  && offsetof(ZELKA_FRAME_INFO, codeRate) == 40 && offsetof(ZELKA_FRAME_INFO, cachedFrames) == 48
                  && offsetof(ZELKA_FRAME_INFO, decodeFrameRate) == 52,
              "frame record layout");
static_assert(offsetof(ZELKA_FRAME_TIME, hour) == 35 && offsetof(ZELKA_FRAME_TIME, second) == 37,
              "frame time layout");

extern "C" {

int libZelkaExPlayer_Initialize(int)
{
    // Channels are not limited by the hint: a layout may show more tiles.
    initializeFfmpegOnce();
    // Made now, the registry outlives whatever the caller set up after initialising
    // (static objects go in the reverse order of their making) and still closes with it.
    ChannelRegistry::instance();
    return 0;
}

int libZelkaExPlayer_Deinitialize(void)
{
    for (const std::shared_ptr<Channel> &channel : ChannelRegistry::instance().takeAll())
        channel->close();
    return 0;
}

int libZelkaExPlayer_OpenStream(int, int protocol, const char *url, int connectType, int mediaMask,
                                ZELKA_PLAYER_CALLBACK callback, void *user, int reconnect, int pace, int queueBytes,
                                const char *userName, const char *password, int, int)
{
    if (!url || !*url)
        return kErrorArgument;
    initializeFfmpegOnce();
    OpenParameters parameters;
    parameters.protocol = protocol;
    parameters.url = url;
    parameters.connectType = connectType;
    parameters.mediaMask = (mediaMask & 3) ? mediaMask : ZELKA_MEDIA_VIDEO;
    parameters.callback = callback;
    parameters.user = user;
    parameters.reconnect = reconnect != 0;
    parameters.pace = pace != 0;
    if (queueBytes > 0)
        parameters.queueBytes = static_cast<size_t>(queueBytes);
    parameters.userName = textOrEmpty(userName);
    parameters.password = textOrEmpty(password);
    return ChannelRegistry::instance().add(parameters);
}

int libZelkaExPlayer_StartPlayStream(int, int id, int, int, int)
{
    // Every render format and decode type gets software decoding into I420.
    return withChannel(id, [](Channel &channel) {
        channel.setPlaying(true);
        return 0;
    });
}

int libZelkaExPlayer_StopPlayStream(int, int id)
{
    return withChannel(id, [](Channel &channel) {
        channel.setPlaying(false);
        return 0;
    });
}

int libZelkaExPlayer_CloseStream(int, int id)
{
    std::shared_ptr<Channel> channel = ChannelRegistry::instance().take(id);
    if (!channel)
        return kErrorUnknownChannel;
    channel->close();
    return 0;
}

int libZelkaExPlayer_SetPlayFrameCache(int, int id, int frames)
{
    // Pictures are handed over one at a time and the caller keeps its own ring; what
    // waits inside the library is reported per picture (cachedFrames) for its pacing.
    if (frames < 0)
        return kErrorArgument;
    return withChannel(id, [](Channel &) { return 0; });
}

int libZelkaExPlayer_SetEnableDecode(int, int id, int enable)
{
    return withChannel(id, [enable](Channel &channel) {
        channel.setDecodeEnabled(enable != 0);
        return 0;
    });
}

int libZelkaExPlayer_SetDecodeType(int, int id, int keyFramesOnly)
{
    return withChannel(id, [keyFramesOnly](Channel &channel) {
        channel.setKeyFramesOnly(keyFramesOnly == 1);
        return 0;
    });
}

int libZelkaExPlayer_SetPlaySpeed(int, int id, int speedCode)
{
    return withChannel(id, [speedCode](Channel &channel) {
        channel.setSpeedCode(speedCode);
        return 0;
    });
}

int libZelkaExPlayer_SeekFile(int, int id, int64_t seconds)
{
    if (seconds < 0)
        return kErrorArgument;
    return withChannel(id, [seconds](Channel &channel) {
        channel.seek(seconds);
        return 0;
    });
}

int libZelkaExPlayer_StartRecording(int, int id, const char *folder, const char *fileName, int maxMegabytes,
                                    int maxSeconds, int, int)
{
    const std::string path = pathInFolder(textOrEmpty(folder), textOrEmpty(fileName));
    if (path.empty())
        return kErrorArgument;
    const int64_t maxBytes = maxMegabytes > 0 ? int64_t(maxMegabytes) * 1024 * 1024 : 0;
    return withChannel(id, [&](Channel &channel) {
        return channel.startRecording(path, maxBytes, maxSeconds > 0 ? maxSeconds : 0) ? 0 : kErrorResource;
    });
}

int libZelkaExPlayer_StopRecording(int, int id)
{
    return withChannel(id, [](Channel &channel) { return channel.stopRecording() ? 0 : kErrorNotReady; });
}

} // extern "C"
