#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What a snapshot body's parameter sets say: codec (1 H.264, 2 H.265, 0 unknown) and the
// displayed picture size after cropping. A size of 0 x 0 with a known codec means the
// sequence parameter set could not be read or asked for a size outside 1..8192.
struct video_info_t
{
    int codec = 0;
    int height = 0;
    int width = 0;
};

enum VideoCodecKind { UnknownCodec = 0, H264Codec = 1, H265Codec = 2 };

// Largest picture side a snapshot may have; larger claims are refused before any allocation.
constexpr int64_t kMaxSnapSide = 8192;

// Copies nal[header_size .. *nal_size) into rbsp without emulation-prevention bytes.
// Returns the bytes written (also in *rbsp_size) and sets *nal_size to the index reached;
// -1 on a forbidden byte sequence or when rbsp is too small.
int nal_to_rbsp(int header_size, const uint8_t *nal, int *nal_size, uint8_t *rbsp, int *rbsp_size);

// The payload of a parameter-set NAL unit after its header: trailing zero bytes (which
// belong to the byte stream, not the unit) dropped, emulation-prevention bytes removed.
// False when the unit is empty or holds a forbidden byte sequence.
bool parameterSetPayload(const uint8_t *nal, int size, int headerSize, std::vector<uint8_t> *payload);

// Finds the parameter sets of an Annex B body and reads codec and cropped size from them.
video_info_t getVideoInfo(const uint8_t *data, int size);

// Accepts a computed picture size only when both sides are within 1..kMaxSnapSide.
bool isAcceptedSnapSize(int64_t width, int64_t height);
