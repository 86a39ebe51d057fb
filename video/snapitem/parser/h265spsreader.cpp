#include "h265spsreader.h"

#include "bitreader.h"
#include "h26xparser.h"

namespace {

// The profile elements shared by the general and the sub-layer part, up to the level.
struct ProfileBits
{
    uint32_t profile_space = 0;
    uint32_t tier_flag = 0;
    uint32_t profile_idc = 0;
    uint32_t compatibility[32] = {};
    uint32_t progressive_source_flag = 0;
    uint32_t interlaced_source_flag = 0;
    uint32_t non_packed_constraint_flag = 0;
    uint32_t frame_only_constraint_flag = 0;
    uint32_t constraint[9] = {};
    uint32_t inbld_flag = 0;
};

bool hasRangeExtensionFlags(const ProfileBits &bits)
{
    for (uint32_t profile = 4; profile <= 7; ++profile) {
        if (bits.profile_idc == profile || bits.compatibility[profile])
            return true;
    }
    return false;
}

ProfileBits readProfileBits(bs_t *b)
{
    ProfileBits bits;
    bits.profile_space = bs_read_u(b, 2);
    bits.tier_flag = bs_read_u1(b);
    bits.profile_idc = bs_read_u(b, 5);
    for (uint32_t &flag : bits.compatibility)
        flag = bs_read_u1(b);
    bits.progressive_source_flag = bs_read_u1(b);
    bits.interlaced_source_flag = bs_read_u1(b);
    bits.non_packed_constraint_flag = bs_read_u1(b);
    bits.frame_only_constraint_flag = bs_read_u1(b);
    if (hasRangeExtensionFlags(bits)) {
        for (uint32_t &flag : bits.constraint)
            flag = bs_read_u1(b);
        bs_skip(b, 34); // reserved_zero_34bits
    } else {
        bs_skip(b, 43); // reserved_zero_43bits
    }
    bits.inbld_flag = bs_read_u1(b); // general_inbld_flag or reserved_zero_bit
    return bits;
}

void storeGeneral(profile_tier_level_t *ptl, const ProfileBits &bits)
{
    ptl->general_profile_space = bits.profile_space;
    ptl->general_tier_flag = bits.tier_flag;
    ptl->general_profile_idc = bits.profile_idc;
    for (int j = 0; j < 32; ++j)
        ptl->general_profile_compatibility_flag[j] = bits.compatibility[j];
    ptl->general_progressive_source_flag = bits.progressive_source_flag;
    ptl->general_interlaced_source_flag = bits.interlaced_source_flag;
    ptl->general_non_packed_constraint_flag = bits.non_packed_constraint_flag;
    ptl->general_frame_only_constraint_flag = bits.frame_only_constraint_flag;
    ptl->general_max_12bit_constraint_flag = bits.constraint[0];
    ptl->general_max_10bit_constraint_flag = bits.constraint[1];
    ptl->general_max_8bit_constraint_flag = bits.constraint[2];
    ptl->general_max_422chroma_constraint_flag = bits.constraint[3];
    ptl->general_max_420chroma_constraint_flag = bits.constraint[4];
    ptl->general_max_monochrome_constraint_flag = bits.constraint[5];
    ptl->general_intra_constraint_flag = bits.constraint[6];
    ptl->general_one_picture_only_constraint_flag = bits.constraint[7];
    ptl->general_lower_bit_rate_constraint_flag = bits.constraint[8];
    ptl->general_inbld_flag = bits.inbld_flag;
}

void sizeSubLayers(profile_tier_level_t *ptl, size_t count)
{
    ptl->sub_layer_profile_present_flag.assign(count, 0);
    ptl->sub_layer_level_present_flag.assign(count, 0);
    ptl->sub_layer_profile_space.assign(count, 0);
    ptl->sub_layer_tier_flag.assign(count, 0);
    ptl->sub_layer_profile_idc.assign(count, 0);
    ptl->sub_layer_profile_compatibility_flag.assign(count, std::vector<uint32_t>(32, 0));
    ptl->sub_layer_progressive_source_flag.assign(count, 0);
    ptl->sub_layer_interlaced_source_flag.assign(count, 0);
    ptl->sub_layer_non_packed_constraint_flag.assign(count, 0);
    ptl->sub_layer_frame_only_constraint_flag.assign(count, 0);
    ptl->sub_layer_inbld_flag.assign(count, 0);
    ptl->sub_layer_level_idc.assign(count, 0);
}

void storeSubLayer(profile_tier_level_t *ptl, size_t i, const ProfileBits &bits)
{
    ptl->sub_layer_profile_space[i] = bits.profile_space;
    ptl->sub_layer_tier_flag[i] = bits.tier_flag;
    ptl->sub_layer_profile_idc[i] = bits.profile_idc;
    for (size_t j = 0; j < 32; ++j)
        ptl->sub_layer_profile_compatibility_flag[i][j] = bits.compatibility[j];
    ptl->sub_layer_progressive_source_flag[i] = bits.progressive_source_flag;
    ptl->sub_layer_interlaced_source_flag[i] = bits.interlaced_source_flag;
    ptl->sub_layer_non_packed_constraint_flag[i] = bits.non_packed_constraint_flag;
    ptl->sub_layer_frame_only_constraint_flag[i] = bits.frame_only_constraint_flag;
    ptl->sub_layer_inbld_flag[i] = bits.inbld_flag;
}

struct ConformanceWindow
{
    uint32_t left = 0;
    uint32_t right = 0;
    uint32_t top = 0;
    uint32_t bottom = 0;
};

// An SPS whose first four payload bytes repeat a start code and header is read from behind them.
constexpr size_t kRepeatedHeaderBytes = 4;

} // namespace

void h265_read_ptl(profile_tier_level_t *ptl, bs_t *b, int profilePresentFlag, int maxNumSubLayersMinus1)
{
    if (maxNumSubLayersMinus1 < 0)
        maxNumSubLayersMinus1 = 0;
    if (profilePresentFlag)
        storeGeneral(ptl, readProfileBits(b));
    ptl->general_level_idc = bs_read_u8(b);

    const size_t subLayers = static_cast<size_t>(maxNumSubLayersMinus1);
    sizeSubLayers(ptl, subLayers);
    for (size_t i = 0; i < subLayers; ++i) {
        ptl->sub_layer_profile_present_flag[i] = bs_read_u1(b);
        ptl->sub_layer_level_present_flag[i] = bs_read_u1(b);
    }
    if (maxNumSubLayersMinus1 > 0) {
        for (int i = maxNumSubLayersMinus1; i < 8; ++i)
            bs_read_u(b, 2); // reserved_zero_2bits
    }
    for (size_t i = 0; i < subLayers; ++i) {
        if (ptl->sub_layer_profile_present_flag[i])
            storeSubLayer(ptl, i, readProfileBits(b));
        if (ptl->sub_layer_level_present_flag[i])
            ptl->sub_layer_level_idc[i] = bs_read_u8(b);
    }
}

void h265_read_sps_rbsp2(const uint8_t *data, int size, int *width, int *height)
{
    if (size < 0)
        return;
    std::vector<uint8_t> payload;
    if (!parameterSetPayload(data, size, 2, &payload))
        return;
    size_t offset = 0;
    if (payload.size() >= 5 && payload[1] == 0x01 && payload[2] == 0x42)
        offset = kRepeatedHeaderBytes;

    bs_t b;
    bs_init(&b, payload.data() + offset, payload.size() - offset);
    bs_read_u(&b, 4); // sps_video_parameter_set_id
    const int sps_max_sub_layers_minus1 = static_cast<int>(bs_read_u(&b, 3));
    bs_read_u1(&b); // sps_temporal_id_nesting_flag
    profile_tier_level_t ptl;
    h265_read_ptl(&ptl, &b, 1, sps_max_sub_layers_minus1);
    bs_read_ue(&b); // sps_seq_parameter_set_id
    const uint32_t chroma_format_idc = bs_read_ue(&b);
    uint32_t separate_colour_plane_flag = 0;
    if (chroma_format_idc == 3)
        separate_colour_plane_flag = bs_read_u1(&b);
    const uint32_t pic_width_in_luma_samples = bs_read_ue(&b);
    const uint32_t pic_height_in_luma_samples = bs_read_ue(&b);
    ConformanceWindow window;
    if (bs_read_u1(&b)) { // conformance_window_flag
        window.left = bs_read_ue(&b);
        window.right = bs_read_ue(&b);
        window.top = bs_read_ue(&b);
        window.bottom = bs_read_ue(&b);
    }
    bs_read_ue(&b); // bit_depth_luma_minus8
    bs_read_ue(&b); // bit_depth_chroma_minus8
    // A whole SPS goes on well past the bit depths; ending here means it was cut short
    // and the size elements may be wrong.
    if (bs_eof(&b))
        return;

    const bool sharedPlanes = !separate_colour_plane_flag;
    const int64_t subWidthC = ((chroma_format_idc == 1 || chroma_format_idc == 2) && sharedPlanes) ? 2 : 1;
    const int64_t subHeightC = (chroma_format_idc == 1 && sharedPlanes) ? 2 : 1;
    const int64_t cropWidth = int64_t{pic_width_in_luma_samples} - subWidthC * (int64_t{window.left} + window.right);
    const int64_t cropHeight = int64_t{pic_height_in_luma_samples} - subHeightC * (int64_t{window.top} + window.bottom);
    const bool accepted = isAcceptedSnapSize(cropWidth, cropHeight);
    if (width)
        *width = accepted ? static_cast<int>(cropWidth) : 0;
    if (height)
        *height = accepted ? static_cast<int>(cropHeight) : 0;
}
