#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include "previewpicture.h"

#include <mutex>

// The preview pictures and the registered ids, shared by the store and its image
// provider (which the engine owns and may outlive or predecease the store).
struct PreviewTable
{
    std::mutex mutex;
    QSet<QString> ids;
    QHash<QString, PreviewPicture> pictures;
};
