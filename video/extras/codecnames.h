#pragma once

#include <QString>

// Display names of the player library's codec ids (FFmpeg's numbering).
namespace CodecNames {

QString video(int codecId);
QString audio(int codecId);

} // namespace CodecNames
