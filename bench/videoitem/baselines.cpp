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
