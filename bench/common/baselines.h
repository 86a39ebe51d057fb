#pragma once

#include <QJsonObject>

// What the item's CPU per picture is compared with, measured on the same file in the
// same run: "ffmpeg -threads 1 -f null" decoding as fast as it can (batch) and at the
// stream's rate ("-re", paced, as the tiles decode), and the player library alone
// decoding as fast as it can.
namespace Baselines {

QJsonObject ffmpegDecode(int height, int seconds, bool paced);
// "ffmpeg -re -threads 1" decoding `seconds` of a live RTSP stream of `framesPerSecond`
// as the tiles read it (over TCP); with keyFramesOnly "-skip_frame nokey", as the tiles
// in key-frame mode, one key frame a second. The cost of a 1 s run (start, set-up,
// probing) is taken off.
QJsonObject ffmpegDecodeUrl(const QString &url, int seconds, int framesPerSecond, bool keyFramesOnly);
QJsonObject libraryDecode(int height, int seconds);

} // namespace Baselines
