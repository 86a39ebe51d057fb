#pragma once

#include <cstdint>
#include <vector>

struct bs_t;

// Every element of H.265 profile_tier_level(); sub-layer elements one entry per sub-layer.
struct profile_tier_level_t
{
    uint32_t general_profile_space = 0;
    uint32_t general_tier_flag = 0;
    uint32_t general_profile_idc = 0;
    uint32_t general_profile_compatibility_flag[32] = {};
    uint32_t general_progressive_source_flag = 0;
    uint32_t general_interlaced_source_flag = 0;
    uint32_t general_non_packed_constraint_flag = 0;
    uint32_t general_frame_only_constraint_flag = 0;
    uint32_t general_max_12bit_constraint_flag = 0;
    uint32_t general_max_10bit_constraint_flag = 0;
    uint32_t general_max_8bit_constraint_flag = 0;
    uint32_t general_max_422chroma_constraint_flag = 0;
    uint32_t general_max_420chroma_constraint_flag = 0;
    uint32_t general_max_monochrome_constraint_flag = 0;
    uint32_t general_intra_constraint_flag = 0;
    uint32_t general_one_picture_only_constraint_flag = 0;
    uint32_t general_lower_bit_rate_constraint_flag = 0;
    uint32_t general_inbld_flag = 0;
    uint32_t general_level_idc = 0;

    std::vector<uint32_t> sub_layer_profile_present_flag;
    std::vector<uint32_t> sub_layer_level_present_flag;
    std::vector<uint32_t> sub_layer_profile_space;
    std::vector<uint32_t> sub_layer_tier_flag;
    std::vector<uint32_t> sub_layer_profile_idc;
    std::vector<std::vector<uint32_t>> sub_layer_profile_compatibility_flag;
    std::vector<uint32_t> sub_layer_progressive_source_flag;
    std::vector<uint32_t> sub_layer_interlaced_source_flag;
    std::vector<uint32_t> sub_layer_non_packed_constraint_flag;
    std::vector<uint32_t> sub_layer_frame_only_constraint_flag;
    std::vector<uint32_t> sub_layer_inbld_flag;
    std::vector<uint32_t> sub_layer_level_idc;
};

void h265_read_ptl(profile_tier_level_t *ptl, bs_t *b, int profilePresentFlag, int maxNumSubLayersMinus1);

// Reads an H.265 SPS NAL unit (two-byte header included). Writes the cropped size
// through the pointers that are not null (0 x 0 for a size outside 1..8192), and writes
// nothing when the unit cannot be unescaped or ends before its size elements are whole.
void h265_read_sps_rbsp2(const uint8_t *data, int size, int *width, int *height);
