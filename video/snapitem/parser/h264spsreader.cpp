#include "h264spsreader.h"

#include <vector>

#include "bitreader.h"

namespace {

constexpr uint32_t kMaxSpsId = 31;
constexpr uint32_t kMaxChromaFormatIdc = 31;
constexpr uint32_t kMaxRefFramesInPocCycle = 255;
constexpr uint32_t kMaxCpbCount = 31;
constexpr uint32_t kExtendedSar = 255;
constexpr uint32_t kLastTableSar = 16;

struct SpsFields
{
    uint32_t chroma_format_idc = 1;
    uint32_t pic_width_in_mbs_minus1 = 0;
    uint32_t pic_height_in_map_units_minus1 = 0;
    uint32_t frame_mbs_only_flag = 1;
    uint32_t crop_left = 0;
    uint32_t crop_right = 0;
    uint32_t crop_top = 0;
    uint32_t crop_bottom = 0;
};

// Profiles whose SPS carries chroma format, bit depths and scaling matrices.
bool hasChromaInfo(uint32_t profile_idc)
{
    switch (profile_idc) {
    case 100: case 110: case 122: case 244: case 44: case 83:
    case 86: case 118: case 128: case 138: case 139: case 134: case 135:
        return true;
    default:
        return false;
    }
}

void skipScalingList(bs_t *b, int count)
{
    int64_t lastScale = 8;
    int64_t nextScale = 8;
    for (int j = 0; j < count; ++j) {
        if (nextScale != 0) {
            const int64_t delta_scale = bs_read_se(b);
            nextScale = ((lastScale + delta_scale + 256) % 256 + 256) % 256;
        }
        lastScale = nextScale == 0 ? lastScale : nextScale;
        if (bs_eof(b))
            return;
    }
}

bool readChromaInfo(bs_t *b, SpsFields *sps)
{
    sps->chroma_format_idc = bs_read_ue(b);
    if (sps->chroma_format_idc > kMaxChromaFormatIdc)
        return false;
    if (sps->chroma_format_idc == 3)
        bs_read_u1(b); // separate_colour_plane_flag
    bs_read_ue(b);     // bit_depth_luma_minus8
    bs_read_ue(b);     // bit_depth_chroma_minus8
    bs_read_u1(b);     // qpprime_y_zero_transform_bypass_flag
    if (bs_read_u1(b)) { // seq_scaling_matrix_present_flag
        const int lists = sps->chroma_format_idc == 3 ? 12 : 8;
        for (int i = 0; i < lists && !bs_eof(b); ++i) {
            if (bs_read_u1(b))
                skipScalingList(b, i < 6 ? 16 : 64);
        }
    }
    return !bs_eof(b);
}

bool readPicOrderCount(bs_t *b)
{
    const uint32_t pic_order_cnt_type = bs_read_ue(b);
    if (pic_order_cnt_type == 0) {
        bs_read_ue(b); // log2_max_pic_order_cnt_lsb_minus4
    } else if (pic_order_cnt_type == 1) {
        bs_read_u1(b); // delta_pic_order_always_zero_flag
        bs_read_se(b); // offset_for_non_ref_pic
        bs_read_se(b); // offset_for_top_to_bottom_field
        const uint32_t cycle = bs_read_ue(b);
        if (cycle > kMaxRefFramesInPocCycle)
            return false;
        for (uint32_t i = 0; i < cycle && !bs_eof(b); ++i)
            bs_read_se(b); // offset_for_ref_frame
    } else if (pic_order_cnt_type > 2) {
        return false;
    }
    return !bs_eof(b);
}

void readFrameGeometry(bs_t *b, SpsFields *sps)
{
    bs_read_ue(b); // max_num_ref_frames
    bs_read_u1(b); // gaps_in_frame_num_value_allowed_flag
    sps->pic_width_in_mbs_minus1 = bs_read_ue(b);
    sps->pic_height_in_map_units_minus1 = bs_read_ue(b);
    sps->frame_mbs_only_flag = bs_read_u1(b);
    if (!sps->frame_mbs_only_flag)
        bs_read_u1(b); // mb_adaptive_frame_field_flag
    bs_read_u1(b);     // direct_8x8_inference_flag
    if (bs_read_u1(b)) { // frame_cropping_flag
        sps->crop_left = bs_read_ue(b);
        sps->crop_right = bs_read_ue(b);
        sps->crop_top = bs_read_ue(b);
        sps->crop_bottom = bs_read_ue(b);
    }
}

bool skipHrdParameters(bs_t *b)
{
    const uint32_t cpb_cnt_minus1 = bs_read_ue(b);
    if (cpb_cnt_minus1 > kMaxCpbCount)
        return false;
    bs_read_u(b, 4); // bit_rate_scale
    bs_read_u(b, 4); // cpb_size_scale
    for (uint32_t i = 0; i <= cpb_cnt_minus1 && !bs_eof(b); ++i) {
        bs_read_ue(b); // bit_rate_value_minus1
        bs_read_ue(b); // cpb_size_value_minus1
        bs_read_u1(b); // cbr_flag
    }
    bs_read_u(b, 5); // initial_cpb_removal_delay_length_minus1
    bs_read_u(b, 5); // cpb_removal_delay_length_minus1
    bs_read_u(b, 5); // dpb_output_delay_length_minus1
    bs_read_u(b, 5); // time_offset_length
    return !bs_eof(b);
}

enum class Vui { Complete, EndedEarly, Failed };

// Returns EndedEarly where the syntax leaves no way to go on reliably; the size is
// already known by then.
Vui readVui(bs_t *b)
{
    if (bs_read_u1(b)) { // aspect_ratio_info_present_flag
        const uint32_t aspect_ratio_idc = bs_read_u8(b);
        if (aspect_ratio_idc == kExtendedSar) {
            bs_read_u(b, 16); // sar_width
            bs_read_u(b, 16); // sar_height
        } else if (aspect_ratio_idc > kLastTableSar) {
            return Vui::EndedEarly;
        }
    }
    if (bs_read_u1(b))     // overscan_info_present_flag
        bs_read_u1(b);     // overscan_appropriate_flag
    if (bs_read_u1(b)) {   // video_signal_type_present_flag
        bs_read_u(b, 3);   // video_format
        bs_read_u1(b);     // video_full_range_flag
        if (bs_read_u1(b)) { // colour_description_present_flag
            bs_read_u8(b); // colour_primaries
            bs_read_u8(b); // transfer_characteristics
            bs_read_u8(b); // matrix_coefficients
        }
    }
    if (bs_read_u1(b)) { // chroma_loc_info_present_flag
        bs_read_ue(b);
        bs_read_ue(b);
    }
    if (bs_read_u1(b)) { // timing_info_present_flag
        const uint32_t num_units_in_tick = bs_get_bits_long(b, 32);
        const uint32_t time_scale = bs_get_bits_long(b, 32);
        if (num_units_in_tick == 0 || time_scale == 0)
            return Vui::EndedEarly;
        bs_read_u1(b); // fixed_frame_rate_flag
    }
    const bool nalHrd = bs_read_u1(b);
    if (nalHrd && !skipHrdParameters(b))
        return Vui::Failed;
    const bool vclHrd = bs_read_u1(b);
    if (vclHrd && !skipHrdParameters(b))
        return Vui::Failed;
    if (nalHrd || vclHrd) {
        if (bs_eof(b))
            return Vui::Failed;
        bs_read_u1(b); // low_delay_hrd_flag
    }
    if (bs_eof(b))
        return Vui::Failed;
    bs_read_u1(b); // pic_struct_present_flag
    if (bs_eof(b))
        return Vui::Failed;
    if (bs_read_u1(b)) { // bitstream_restriction_flag
        bs_read_u1(b);   // motion_vectors_over_pic_boundaries_flag
        for (int i = 0; i < 6; ++i)
            bs_read_ue(b);
    }
    return Vui::Complete;
}

video_info_t croppedSize(const SpsFields &sps)
{
    const int64_t frameMbsFactor = 2 - static_cast<int64_t>(sps.frame_mbs_only_flag);
    const int64_t cropUnitX = (sps.chroma_format_idc == 1 || sps.chroma_format_idc == 2) ? 2 : 1;
    const int64_t cropUnitY = frameMbsFactor * (sps.chroma_format_idc == 1 ? 2 : 1);
    const int64_t width = (int64_t{sps.pic_width_in_mbs_minus1} + 1) * 16
                          - cropUnitX * (int64_t{sps.crop_left} + sps.crop_right);
    const int64_t height = (int64_t{sps.pic_height_in_map_units_minus1} + 1) * frameMbsFactor * 16
                           - cropUnitY * (int64_t{sps.crop_top} + sps.crop_bottom);
    if (!isAcceptedSnapSize(width, height))
        return {H264Codec, 0, 0};
    return {H264Codec, static_cast<int>(height), static_cast<int>(width)};
}

video_info_t readPayload(bs_t *b)
{
    const video_info_t failed{H264Codec, 0, 0};
    SpsFields sps;
    const uint32_t profile_idc = bs_read_u8(b);
    bs_skip(b, 8); // constraint_set0..5_flag, reserved_zero_2bits
    bs_read_u8(b); // level_idc
    const uint32_t seq_parameter_set_id = bs_read_ue(b);
    if (bs_eof(b) || seq_parameter_set_id > kMaxSpsId)
        return failed;
    if (hasChromaInfo(profile_idc) && !readChromaInfo(b, &sps))
        return failed;
    bs_read_ue(b); // log2_max_frame_num_minus4
    if (!readPicOrderCount(b))
        return failed;
    readFrameGeometry(b, &sps);
    if (bs_read_u1(b) && readVui(b) == Vui::Failed) // vui_parameters_present_flag
        return failed;
    if (bs_eof(b)) // a whole SPS still holds its stop bit here
        return failed;
    return croppedSize(sps);
}

} // namespace

video_info_t h264_read_sps(const uint8_t *nal, int size)
{
    // Emulation-prevention bytes are common in real SPS units (a 32-bit timing field of
    // value 1 makes one), so the payload is unescaped before any element is read.
    std::vector<uint8_t> payload;
    if (!parameterSetPayload(nal, size, 1, &payload))
        return {H264Codec, 0, 0};
    bs_t b;
    bs_init(&b, payload.data(), payload.size());
    return readPayload(&b);
}
