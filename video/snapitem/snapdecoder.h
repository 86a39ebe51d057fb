#pragma once

#include <QByteArray>
#include <QImage>

#include "h26xparser.h"

// Decodes the first picture of a snapshot body with the player library's still-picture
// decoder. Returns a null image when memory or the decoder fails, so that no partly
// written buffer is ever shown.
QImage decodeSnapPicture(const QByteArray &body, const video_info_t &info);
