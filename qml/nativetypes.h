#pragma once

#include <QtQml/qqmlregistration.h>

#include "videoinfo.h"
#include "videoitem.h"

// The video engine's playback item and its statistics are also types of this module;
// the interface files reach them through "an.video", which start-up registers.
struct ZelkaVideoItemType
{
    Q_GADGET
    QML_FOREIGN(VideoItem)
    QML_NAMED_ELEMENT(VideoItem)
};

struct ZelkaVideoInfoType
{
    Q_GADGET
    QML_FOREIGN(VideoInfo)
    QML_NAMED_ELEMENT(VideoInfo)
    QML_UNCREATABLE("Can't created: VideoInfo")
};
