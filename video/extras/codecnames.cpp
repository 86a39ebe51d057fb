#include "codecnames.h"

namespace {

const QString kUnknown = QStringLiteral("未知编码");

} // namespace

namespace CodecNames {

QString video(int codecId)
{
    switch (codecId) {
    case 7:
        return QStringLiteral("mjpeg");
    case 12:
        return QStringLiteral("mpeg4");
    case 27:
        return QStringLiteral("h264");
    case 173:
        return QStringLiteral("h265");
    default:
        return kUnknown;
    }
}

QString audio(int codecId)
{
    switch (codecId) {
    case 0x10006:
        return QStringLiteral("pcmu");
    case 0x10007:
        return QStringLiteral("pcma");
    case 0x1100B:
        return QStringLiteral("g726");
    case 0x15001:
        return QStringLiteral("mp3");
    case 0x15002:
        return QStringLiteral("mp4a");
    default:
        return kUnknown;
    }
}

} // namespace CodecNames
