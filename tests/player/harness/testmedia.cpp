#include "testmedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "eventwait.h"

namespace TestMedia {

namespace {
const QStringList kTestPattern = {"-f", "lavfi", "-i"};

QStringList h264Options(int gop)
{
    return {"-c:v", "libx264", "-preset", "veryfast", "-bf", "0", "-g", QString::number(gop), "-keyint_min",
            QString::number(gop), "-sc_threshold", "0", "-pix_fmt", "yuv420p"};
}
} // namespace

QString cacheDir()
{
    const QString dir = QString::fromUtf8(ZELKA_PLAYER_MEDIA_DIR);
    QDir().mkpath(dir);
    return dir;
}

QByteArray run(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(kEventWaitMs))
        return {};
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

QString ensure(const QString &name, const QStringList &ffmpegArguments)
{
    const QString target = QDir(cacheDir()).filePath(name);
    if (QFileInfo::exists(target))
        return target;
    const QString suffix = QFileInfo(name).suffix();
    const QString partial = target + QStringLiteral(".part%1.%2").arg(QCoreApplication::applicationPid()).arg(suffix);
    QStringList arguments = {"-y", "-hide_banner", "-loglevel", "error"};
    arguments << ffmpegArguments << partial;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start("ffmpeg", arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        QFile::remove(partial);
        return {};
    }
    // rename() replaces atomically: a parallel writer of the same file is harmless.
    if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(partial);
        return QFileInfo::exists(target) ? target : QString();
    }
    return target;
}

QString h264TenSeconds()
{
    return ensure("h264_10s_320x240.mp4",
                  kTestPattern + QStringList{"testsrc2=size=320x240:rate=25:duration=10"} + h264Options(25));
}

QString h264TenSecondsFastStart()
{
    const QString source = h264TenSeconds();
    if (source.isEmpty())
        return {};
    return ensure("h264_10s_320x240_faststart.mp4", {"-i", source, "-c", "copy", "-movflags", "+faststart"});
}

QString h265TenSeconds()
{
    return ensure("h265_10s_320x240.mp4",
                  kTestPattern
                      + QStringList{"testsrc2=size=320x240:rate=25:duration=10", "-c:v", "libx265", "-preset",
                                    "ultrafast", "-x265-params", "keyint=25:min-keyint=25:bframes=0:log-level=error",
                                    "-pix_fmt", "yuv420p", "-tag:v", "hvc1"});
}

QString h264FullHd(int seconds)
{
    return ensure(QStringLiteral("h264_%1s_1920x1080.mp4").arg(seconds),
                  kTestPattern
                      + QStringList{QStringLiteral("testsrc2=size=1920x1080:rate=25:duration=%1").arg(seconds), "-c:v",
                                    "libx264", "-preset", "veryfast", "-g", "50", "-b:v", "4M", "-pix_fmt",
                                    "yuv420p"});
}

QString h264WithAac()
{
    return ensure("h264_aac_2s.mp4",
                  kTestPattern
                      + QStringList{"testsrc2=size=320x240:rate=25:duration=2", "-f", "lavfi", "-i",
                                    "sine=frequency=440:sample_rate=48000:duration=2"}
                      + h264Options(25) + QStringList{"-c:a", "aac", "-b:a", "64k"});
}

QString h264WithG711()
{
    // Noise keeps the pictures large: about 1 MB a second.
    return ensure("h264_g711_6s.mkv",
                  kTestPattern
                      + QStringList{"testsrc2=size=320x240:rate=25:duration=6", "-f", "lavfi", "-i",
                                    "sine=frequency=440:sample_rate=8000:duration=6", "-vf", "noise=alls=30:allf=t"}
                      + h264Options(25) + QStringList{"-qp", "24", "-c:a", "pcm_alaw", "-ac", "1"});
}

QString h264MultiSlice()
{
    return ensure("h264_multislice_2s.mp4",
                  kTestPattern
                      + QStringList{"testsrc2=size=640x480:rate=25:duration=2", "-c:v", "libx264", "-preset",
                                    "veryfast", "-bf", "0", "-g", "25", "-slices", "4", "-pix_fmt", "yuv420p"});
}

QString h264OddSize422()
{
    return ensure("h264_odd_422.mp4",
                  kTestPattern
                      + QStringList{"testsrc2=size=321x241:rate=25:duration=1", "-c:v", "libx264", "-preset",
                                    "veryfast", "-bf", "0", "-pix_fmt", "yuv422p"});
}

QString h265TenBit()
{
    return ensure("h265_10bit.mp4",
                  kTestPattern
                      + QStringList{"testsrc2=size=320x240:rate=25:duration=1", "-c:v", "libx265", "-preset",
                                    "ultrafast", "-x265-params", "bframes=0:log-level=error", "-pix_fmt",
                                    "yuv420p10le"});
}

namespace {
// An HLS video-on-demand folder (index.m3u8) cut from a media file in 2 s segments.
QString hlsFolderOf(const QString &name, const QString &media)
{
    const QString dir = QDir(cacheDir()).filePath(name);
    const QString index = QDir(dir).filePath("index.m3u8");
    if (QFileInfo::exists(index))
        return dir;
    const QString partialDir = dir + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
    QDir(partialDir).removeRecursively();
    QDir().mkpath(partialDir);
    const QStringList arguments = {"-y", "-hide_banner", "-loglevel", "error", "-i", media, "-c", "copy",
                                   "-f", "hls", "-hls_time", "2", "-hls_playlist_type", "vod",
                                   QDir(partialDir).filePath("index.m3u8")};
    if (run("ffmpeg", arguments).isNull() && !QFileInfo::exists(QDir(partialDir).filePath("index.m3u8")))
        return {};
    if (::rename(QFile::encodeName(partialDir).constData(), QFile::encodeName(dir).constData()) != 0)
        QDir(partialDir).removeRecursively();
    return QFileInfo::exists(index) ? dir : QString();
}
} // namespace

QString hlsFolder()
{
    return hlsFolderOf("hls_vod", h264TenSeconds());
}

QString hlsWithAacFolder()
{
    return hlsFolderOf("hls_aac", h264WithAac());
}

QString rawH264()
{
    return ensure("h264_4s_raw.h264", kTestPattern + QStringList{"testsrc2=size=320x240:rate=25:duration=4"}
                                          + h264Options(25) + QStringList{"-f", "h264"});
}

QString stillBody(const QString &codec, int width, int height)
{
    const QString size = QStringLiteral("%1x%2").arg(width).arg(height);
    const bool hevc = codec == "hevc";
    QStringList arguments = kTestPattern + QStringList{QStringLiteral("testsrc2=size=%1:rate=25").arg(size),
                                                       "-frames:v", "1", "-pix_fmt", "yuv420p"};
    if (hevc)
        arguments << "-c:v" << "libx265" << "-x265-params" << "log-level=error" << "-f" << "hevc";
    else
        arguments << "-c:v" << "libx264" << "-f" << "h264";
    return ensure(QStringLiteral("still_%1_%2.%3").arg(codec, size, hevc ? "h265" : "h264"), arguments);
}

QByteArray firstPicture(const QString &file, const QString &pixelFormat, const QString &filter)
{
    QStringList arguments = {"-hide_banner", "-loglevel", "error", "-threads", "1", "-i", file, "-frames:v", "1"};
    if (!filter.isEmpty())
        arguments << "-vf" << filter;
    arguments << "-sws_flags" << "bicubic" << "-pix_fmt" << pixelFormat << "-f" << "rawvideo" << "-";
    return run("ffmpeg", arguments);
}

double probedDuration(const QString &file)
{
    const QByteArray out = run("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of",
                                           "default=noprint_wrappers=1:nokey=1", file});
    bool ok = false;
    const double duration = out.trimmed().toDouble(&ok);
    return ok ? duration : -1.0;
}

MediaSummary summary(const QString &file)
{
    const QByteArray out = run("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                                           "stream=codec_type,codec_name,nb_read_frames:format=duration", "-of",
                                           "compact=nokey=1:print_section=0", file});
    MediaSummary result;
    for (const QByteArray &line : out.trimmed().split('\n')) {
        const QList<QByteArray> fields = line.split('|');
        if (fields.size() == 3 && fields[1] == "video") {
            result.videoCodec = QString::fromLatin1(fields[0]);
            result.videoFrames = fields[2].toInt();
        } else if (fields.size() == 3 && fields[1] == "audio") {
            result.audioCodec = QString::fromLatin1(fields[0]);
            result.audioFrames = fields[2].toInt();
        } else if (fields.size() == 1 && !fields[0].isEmpty()) {
            result.duration = fields[0].toDouble();
        }
    }
    return result;
}

int countedFrames(const QString &file)
{
    const QByteArray out = run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                           "stream=nb_read_frames", "-of", "default=noprint_wrappers=1:nokey=1",
                                           file});
    bool ok = false;
    const int frames = out.trimmed().toInt(&ok);
    return ok ? frames : -1;
}

} // namespace TestMedia
