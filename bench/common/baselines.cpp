#include "baselines.h"

#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>

#include "benchtools.h"
#include "channelprobe.h"

using namespace BenchTools;

namespace Baselines {

namespace {
constexpr int kFramesPerSecond = 25;
}

QJsonObject ffmpegDecode(int height, int seconds, bool paced)
{
    const QString file = mediaFile(height, seconds);
    QStringList arguments{"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-threads", "1"};
    if (paced)
        arguments << "-re";
    arguments << "-i" << file << "-an" << "-f" << "null" << "-";
    const double cpu = childCpuSeconds(arguments);
    QJsonObject result;
    if (cpu <= 0)
        return result;
    const int frames = seconds * kFramesPerSecond;
    result["height"] = height;
    result["paced"] = paced;
    result["frames"] = frames;
    result["cpu_ms_per_frame"] = rounded(cpu * 1000 / frames);
    return result;
}

// CPU seconds of ffmpeg reading `seconds` of the stream.
double ffmpegUrlSeconds(const QString &url, int seconds, bool keyFramesOnly)
{
    QStringList arguments{"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-threads", "1", "-re"};
    if (keyFramesOnly)
        arguments << "-skip_frame" << "nokey";
    // A stalled server ends the run after 10 s instead of never.
    arguments << "-rtsp_transport" << "tcp" << "-timeout" << "10000000" << "-i" << url << "-t" << QString::number(seconds) << "-an" << "-f"
              << "null" << "-";
    return childCpuSeconds(arguments);
}

QJsonObject ffmpegDecodeUrl(const QString &url, int seconds, int framesPerSecond, bool keyFramesOnly)
{
    // The process's start, the RTSP set-up and the probing cost as much as many key
    // frames: a 1 s run is taken off, leaving what the further pictures cost.
    const double whole = ffmpegUrlSeconds(url, seconds + 1, keyFramesOnly);
    const double start = ffmpegUrlSeconds(url, 1, keyFramesOnly);
    QJsonObject result;
    if (whole <= 0 || start <= 0 || whole <= start)
        return result;
    const int frames = seconds * (keyFramesOnly ? 1 : framesPerSecond);
    result["url"] = url;
    result["key_frames_only"] = keyFramesOnly;
    result["frames"] = frames;
    result["start_cpu_ms"] = rounded(start * 1000, 1);
    result["cpu_ms_per_frame"] = rounded((whole - start) * 1000 / frames);
    return result;
}

QJsonObject libraryDecode(int height, int seconds)
{
    const QString file = mediaFile(height, seconds);
    ChannelProbe probe;
    ChannelProbe::Options options;
    options.pace = false;
    options.mediaMask = 1;
    const CpuSplit before = processCpu();
    QJsonObject result;
    if (probe.open(file, options) <= 0 || !probe.waitForEvent(CALLBACK_STREAM_END, 300000))
        return result;
    const CpuSplit after = processCpu();
    const int frames = probe.frames();
    if (frames <= 0)
        return result;
    result["height"] = height;
    result["frames"] = frames;
    result["cpu_ms_per_frame"] = rounded((after.total - before.total) * 1000 / frames);
    return result;
}

} // namespace Baselines
