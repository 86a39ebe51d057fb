#pragma once

#include <QString>
#include <QStringList>

// Test media made with the ffmpeg command line on first use and kept in a cache
// folder beside the tests' working directories (ZELKA_PLAYER_MEDIA_DIR). Parallel test
// processes may ask for the same file: each writes a private name and renames it into place.
namespace TestMedia {

QString cacheDir();
// The file name in the cache, generated with "ffmpeg -y <args> <output>" when missing.
QString ensure(const QString &name, const QStringList &ffmpegArguments);

// 10 s, 320x240, 25 fps, H.264 without B-frames, a key frame every 25 frames: 250 frames.
QString h264TenSeconds();
// The same with its index at the front ("faststart"): played over HTTP, the only
// requests for a part beyond the start are seeks.
QString h264TenSecondsFastStart();
// The same picture content as H.265 in MP4.
QString h265TenSeconds();
// 2 s, 1920x1080, 25 fps H.264 (benchmark: a longer one with seconds > 2).
QString h264FullHd(int seconds = 2);
// 2 s of H.264 video with AAC audio at 48000 Hz.
QString h264WithAac();
// 6 s of large H.264 pictures (about 1 MB a second, a key frame a second) with
// G.711 A-law audio at 8000 Hz, in Matroska (MP4 cannot hold G.711).
QString h264WithG711();
// 2 s, 50 frames, every picture in 4 slices.
QString h264MultiSlice();
// 1 s of an odd-sized 4:2:2 H.264 (High 4:2:2).
QString h264OddSize422();
// 1 s of 10-bit H.265.
QString h265TenBit();
// An HLS video-on-demand folder (index.m3u8) with 2 s segments of the 10 s clip.
QString hlsFolder();
// The same with the 2 s clip with AAC audio.
QString hlsWithAacFolder();
// 4 s, 100 frames of the 10 s clip's kind as a raw H.264 stream: no container, no
// timestamps, no duration.
QString rawH264();
// One Annex B picture (parameter sets + key frame) as a camera snapshot body.
QString stillBody(const QString &codec, int width, int height);

// Runs ffmpeg (or ffprobe) and returns its standard output; empty on failure.
QByteArray run(const QString &program, const QStringList &arguments, int timeoutMs = 60000);
// The first picture of a file as ffmpeg decodes it: raw bytes of pixelFormat.
QByteArray firstPicture(const QString &file, const QString &pixelFormat, const QString &filter = QString());
// ffprobe's container duration in seconds, or -1.
double probedDuration(const QString &file);
// What ffprobe finds by decoding a whole file.
struct MediaSummary
{
    QString videoCodec, audioCodec;
    int videoFrames = 0, audioFrames = 0;
    double duration = -1;
};
MediaSummary summary(const QString &file);
// Number of video frames ffprobe counts by decoding, or -1.
int countedFrames(const QString &file);

} // namespace TestMedia
