// Player library benchmark: prints one JSON object.
//   time to first frame (median) for file, RTSP, RTMP, HTTP-FLV and HLS on loopback;
//   CPU per decoded 1080p25 H.264 frame against "ffmpeg -threads 1 -f null" on the same file;
//   resident memory per open 1080p stream; close latency of a stalled stream.
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "channelprobe.h"
#include "libZelkaExPlayer.h"
#include "localservers.h"
#include "testmedia.h"

extern char **environ;

namespace {

using Clock = ChannelProbe::Clock;

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double rounded(double value, int digits = 1)
{
    const double scale = std::pow(10.0, digits);
    return std::round(value * scale) / scale;
}

double cpuSeconds(const rusage &usage)
{
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

double processCpuSeconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

double residentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE *statm = fopen("/proc/self/statm", "r")) {
        if (fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        fclose(statm);
    }
    return resident * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Milliseconds from OpenStream to the first picture, or -1.
double firstFrameMs(const QString &url)
{
    ChannelProbe probe;
    if (probe.open(url) <= 0 || !probe.waitForFrames(1, 10000))
        return -1;
    return probe.firstFrameMs();
}

QJsonObject firstFrameFigures(const QString &name, const std::function<QString()> &prepare, int runs,
                              const std::function<void()> &after = {})
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const QString url = prepare();
        const double ms = url.isEmpty() ? -1 : firstFrameMs(url);
        if (after)
            after();
        if (ms >= 0)
            times.push_back(ms);
    }
    QJsonObject figures;
    figures["source"] = name;
    figures["runs"] = int(times.size());
    figures["median_ms"] = rounded(median(times));
    figures["min_ms"] = times.empty() ? -1 : rounded(*std::min_element(times.begin(), times.end()));
    figures["max_ms"] = times.empty() ? -1 : rounded(*std::max_element(times.begin(), times.end()));
    return figures;
}

// CPU seconds of one child process, from wait4.
double childCpuSeconds(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    rusage usage = {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return cpuSeconds(usage);
}

// CPU seconds of the library decoding the whole file as fast as it can.
double libraryCpuSeconds(const QString &file, int *frames)
{
    ChannelProbe probe;
    ChannelProbe::Options options;
    options.pace = false;
    options.mediaMask = 1;
    const double before = processCpuSeconds();
    if (probe.open(file, options) <= 0 || !probe.waitForEvent(CALLBACK_STREAM_END, 120000))
        return -1;
    const double used = processCpuSeconds() - before;
    *frames = probe.frames();
    return used;
}

QJsonObject cpuFigures()
{
    const QString file = TestMedia::h264FullHd(10);
    const std::vector<std::string> ffmpeg = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error",
                                             "-threads", "1", "-i", file.toStdString(), "-an", "-f", "null", "-"};
    double best = -1, bestFfmpeg = -1;
    int frames = 0;
    // Alternating runs, the best of each: both sides see the same machine load.
    for (int run = 0; run < 5; ++run) {
        const double ours = libraryCpuSeconds(file, &frames);
        const double theirs = childCpuSeconds(ffmpeg);
        if (ours > 0 && (best < 0 || ours < best))
            best = ours;
        if (theirs > 0 && (bestFfmpeg < 0 || theirs < bestFfmpeg))
            bestFfmpeg = theirs;
    }
    QJsonObject figures;
    figures["file"] = "1920x1080 25 fps H.264, 10 s";
    figures["frames"] = frames;
    figures["library_ms_per_frame"] = frames > 0 ? rounded(best * 1000 / frames, 3) : -1;
    figures["ffmpeg_ms_per_frame"] = frames > 0 ? rounded(bestFfmpeg * 1000 / frames, 3) : -1;
    figures["ratio"] = best > 0 && bestFfmpeg > 0 ? rounded(best / bestFfmpeg, 3) : -1;
    figures["goal_ratio_at_most"] = 1.10;
    return figures;
}

QJsonObject memoryFigures()
{
    const QString file = TestMedia::h264FullHd(10);
    constexpr int streams = 4;
    const double before = residentMegabytes();
    std::vector<std::unique_ptr<ChannelProbe>> probes;
    for (int i = 0; i < streams; ++i) {
        probes.push_back(std::make_unique<ChannelProbe>());
        probes.back()->open(file);
    }
    QThread::msleep(3000);
    const double during = residentMegabytes();
    probes.clear();
    QJsonObject figures;
    figures["streams"] = streams;
    figures["resident_mb_per_stream"] = rounded((during - before) / streams);
    return figures;
}

QJsonObject closeFigures()
{
    std::vector<double> times;
    std::mt19937 random(7);
    for (int run = 0; run < 10; ++run) {
        SilentServer server;
        ChannelProbe probe;
        probe.open(QStringLiteral("rtsp://127.0.0.1:%1/stalled").arg(server.port()));
        QThread::msleep(200 + random() % 200);
        const auto before = Clock::now();
        probe.close();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
    }
    QJsonObject figures;
    figures["runs"] = int(times.size());
    figures["median_ms"] = rounded(median(times));
    figures["max_ms"] = rounded(*std::max_element(times.begin(), times.end()));
    return figures;
}

QJsonArray firstFrameTable()
{
    QJsonArray table;
    const QString clip = TestMedia::h264TenSeconds();
    table.append(firstFrameFigures("file", [&] { return clip; }, 9));

    RtspTestServer rtsp;
    rtsp.mount("/vod", RtspTestServer::fileLaunch(clip));
    rtsp.mount("/live", RtspTestServer::liveLaunch());
    rtsp.mount("/vod-udp-only", RtspTestServer::fileLaunch(clip),
               RtspMountOptions::offering(RtspTestServer::Transports::UdpOnly));
    rtsp.start();
    // GStreamer's RTSP server runs as a program of its own and may end on a fault of its
    // own: a run that finds it ended starts it again, and the row says how often it ended.
    const auto rtspRow = [&](const QString &name, const QString &path) {
        const int endsBefore = rtsp.endCount();
        QJsonObject row = firstFrameFigures(name, [&] { return rtsp.restart() ? rtsp.url(path) : QString(); }, 9);
        row["rtsp_server_ends"] = rtsp.endCount() - endsBefore;
        return row;
    };
    table.append(rtspRow("rtsp (file on demand)", "/vod"));
    // TCP asked for and refused, then UDP: the price of the second session set-up.
    table.append(rtspRow("rtsp (file on demand, server offers udp only)", "/vod-udp-only"));
    table.append(rtspRow("rtsp (live encoder)", "/live"));

    for (const auto kind : {FfmpegStreamServer::Kind::Rtmp, FfmpegStreamServer::Kind::HttpFlv}) {
        std::unique_ptr<FfmpegStreamServer> server;
        const QString name = kind == FfmpegStreamServer::Kind::Rtmp ? "rtmp" : "http-flv";
        table.append(firstFrameFigures(
            name,
            [&] {
                server = std::make_unique<FfmpegStreamServer>(kind, clip);
                return server->start() ? server->url() : QString();
            },
            5, [&] { server.reset(); }));
    }

    StaticHttpServer http(TestMedia::hlsFolder());
    table.append(firstFrameFigures("hls", [&] { return http.url("index.m3u8"); }, 9));
    return table;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The library prints its notes on standard output: they go to standard error here,
    // so that standard output carries the report alone.
    std::fflush(stdout);
    FILE *reportOut = fdopen(dup(STDOUT_FILENO), "w");
    dup2(STDERR_FILENO, STDOUT_FILENO);
    libZelkaExPlayer_Initialize(128);
    QJsonObject report;
    report["first_frame"] = firstFrameTable();
    report["cpu_1080p"] = cpuFigures();
    report["memory_1080p"] = memoryFigures();
    report["close_stalled_rtsp"] = closeFigures();
    libZelkaExPlayer_Deinitialize();
    fputs(QJsonDocument(report).toJson(QJsonDocument::Indented).constData(), reportOut);
    fclose(reportOut);
    return 0;
}
