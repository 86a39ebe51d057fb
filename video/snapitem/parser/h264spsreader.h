#pragma once

#include <cstdint>

#include "h26xparser.h"

// Reads an H.264 sequence parameter set NAL unit (one-byte header included) and
// returns {1, height, width}, or {1, 0, 0} when it is malformed or out of range.
video_info_t h264_read_sps(const uint8_t *nal, int size);
