#pragma once

#include <QJsonObject>

// What the item's CPU per picture is compared with, measured on the same file in the
// same run: "ffmpeg -threads 1 -f null" decoding as fast as it can (batch) and at the
// stream's rate ("-re", paced, as the tiles decode), and the player library alone
// decoding as fast as it can.
namespace Baselines {

QJsonObject ffmpegDecode(int height, int seconds, bool paced);
QJsonObject libraryDecode(int height, int seconds);

} // namespace Baselines
