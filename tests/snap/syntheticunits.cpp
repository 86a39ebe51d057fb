#include "syntheticunits.h"

#include "bitwriter.h"

namespace SyntheticUnits {

namespace {

bool isHighProfile(uint32_t profile)
{
    return profile >= 100 || profile == 44;
}

// A list that asks for the default matrix stops after one delta (nextScale 0).
void writeScalingList(BitWriter &w, int count, bool useDefault)
{
    int lastScale = 8;
    int nextScale = 8;
    for (int j = 0; j < count; ++j) {
        if (nextScale != 0) {
            const int delta = useDefault && j == 0 ? -8 : 1;
            w.se(delta);
            nextScale = (lastScale + delta + 256) % 256;
        }
        lastScale = nextScale == 0 ? lastScale : nextScale;
    }
}

void writeHrd(BitWriter &w)
{
    w.ue(1);     // cpb_cnt_minus1: two schedules
    w.u(4, 2);   // bit_rate_scale
    w.u(4, 3);   // cpb_size_scale
    for (int i = 0; i < 2; ++i) {
        w.ue(3000 + i); // bit_rate_value_minus1
        w.ue(9000 + i); // cpb_size_value_minus1
        w.flag(i == 0); // cbr_flag
    }
    w.u(5, 23);
    w.u(5, 23);
    w.u(5, 23);
    w.u(5, 24);
}

void writeVui(BitWriter &w, const H264Sps &sps)
{
    w.flag(sps.aspectRatioIdc != 0);
    if (sps.aspectRatioIdc != 0) {
        w.u(8, sps.aspectRatioIdc);
        if (sps.aspectRatioIdc == 255) {
            w.u(16, 4);
            w.u(16, 3);
        }
    }
    w.flag(false); // overscan_info_present_flag
    w.flag(true);  // video_signal_type_present_flag
    w.u(3, 5);
    w.flag(false);
    w.flag(true); // colour_description_present_flag
    w.u(8, 1);
    w.u(8, 1);
    w.u(8, 1);
    w.flag(false); // chroma_loc_info_present_flag
    w.flag(sps.timing);
    if (sps.timing) {
        w.u(32, 1);
        w.u(32, 50);
        w.flag(true);
    }
    w.flag(sps.nalHrd);
    if (sps.nalHrd)
        writeHrd(w);
    w.flag(sps.vclHrd);
    if (sps.vclHrd)
        writeHrd(w);
    if (sps.nalHrd || sps.vclHrd)
        w.flag(false); // low_delay_hrd_flag
    w.flag(false);     // pic_struct_present_flag
    w.flag(sps.bitstreamRestriction);
    if (sps.bitstreamRestriction) {
        w.flag(true);
        for (int value : {2, 1, 16, 16, 0, 4})
            w.ue(value);
    }
}

void writeProfile(BitWriter &w, uint32_t profileIdc)
{
    w.u(2, 0); // profile_space
    w.flag(false);
    w.u(5, profileIdc);
    for (uint32_t j = 0; j < 32; ++j)
        w.flag(j == profileIdc);
    w.u(4, 0b1001); // progressive, interlaced, non-packed, frame-only
    w.u(43, profileIdc >= 4 ? 0x7FF0000000ull : 0);
    w.flag(false);
}

} // namespace

QByteArray startCode()
{
    return QByteArray::fromHex("00000001");
}

QByteArray h264SpsUnit(const H264Sps &sps)
{
    BitWriter w;
    w.u(8, sps.profileIdc);
    w.u(8, 0);  // constraint flags and reserved bits
    w.u(8, 40); // level_idc
    w.ue(0);    // seq_parameter_set_id
    if (isHighProfile(sps.profileIdc)) {
        w.ue(sps.chromaFormatIdc);
        if (sps.chromaFormatIdc == 3)
            w.flag(false);
        w.ue(0);
        w.ue(0);
        w.flag(false);
        w.flag(sps.scalingMatrix);
        if (sps.scalingMatrix) {
            const int lists = sps.chromaFormatIdc == 3 ? 12 : 8;
            for (int i = 0; i < lists; ++i) {
                w.flag(i % 2 == 0);
                if (i % 2 == 0)
                    writeScalingList(w, i < 6 ? 16 : 64, i % 4 == 0);
            }
        }
    }
    w.ue(0); // log2_max_frame_num_minus4
    w.ue(sps.pocType);
    if (sps.pocType == 0) {
        w.ue(2);
    } else if (sps.pocType == 1) {
        w.flag(false);
        w.se(-3);
        w.se(2);
        w.ue(sps.pocCycle);
        for (uint32_t i = 0; i < sps.pocCycle; ++i)
            w.se(int64_t(i) - 5);
    }
    w.ue(4); // max_num_ref_frames
    w.flag(false);
    w.ue(sps.widthInMbsMinus1);
    w.ue(sps.heightInMapUnitsMinus1);
    w.flag(sps.frameMbsOnly);
    if (!sps.frameMbsOnly)
        w.flag(true);
    w.flag(true); // direct_8x8_inference_flag
    const bool cropping = sps.cropLeft || sps.cropRight || sps.cropTop || sps.cropBottom;
    w.flag(cropping);
    if (cropping) {
        w.ue(sps.cropLeft);
        w.ue(sps.cropRight);
        w.ue(sps.cropTop);
        w.ue(sps.cropBottom);
    }
    w.flag(sps.vui);
    if (sps.vui)
        writeVui(w, sps);
    w.stop();
    return QByteArray(1, char(0x67)) + BitWriter::escaped(w.bytes());
}

QByteArray h264PpsUnit()
{
    return QByteArray::fromHex("68ee3c80");
}

QByteArray h264IdrUnit()
{
    return QByteArray::fromHex("658884210017ff");
}

QByteArray h265VpsUnit()
{
    return QByteArray::fromHex("40010c01ffff016000000300900000030000030078959809");
}

QByteArray h265SpsUnit(const H265Sps &sps)
{
    BitWriter w;
    w.u(4, 0);
    w.u(3, sps.maxSubLayersMinus1);
    w.flag(true);
    writeProfile(w, sps.profileIdc);
    w.u(8, 93); // general_level_idc
    for (uint32_t i = 0; i < sps.maxSubLayersMinus1; ++i) {
        w.flag(sps.subLayerProfiles);
        w.flag(sps.subLayerLevels);
    }
    if (sps.maxSubLayersMinus1 > 0) {
        for (uint32_t i = sps.maxSubLayersMinus1; i < 8; ++i)
            w.u(2, 0);
    }
    for (uint32_t i = 0; i < sps.maxSubLayersMinus1; ++i) {
        if (sps.subLayerProfiles)
            writeProfile(w, sps.profileIdc);
        if (sps.subLayerLevels)
            w.u(8, 90);
    }
    w.ue(0); // sps_seq_parameter_set_id
    w.ue(sps.chromaFormatIdc);
    if (sps.chromaFormatIdc == 3)
        w.flag(false);
    w.ue(sps.width);
    w.ue(sps.height);
    w.flag(sps.conformanceWindow);
    if (sps.conformanceWindow) {
        w.ue(sps.confLeft);
        w.ue(sps.confRight);
        w.ue(sps.confTop);
        w.ue(sps.confBottom);
    }
    w.ue(0); // bit depths
    w.ue(0);
    w.ue(4); // log2_max_pic_order_cnt_lsb_minus4 and what follows, in short
    w.flag(true);
    w.ue(1);
    w.ue(0);
    w.ue(0);
    w.stop();
    return QByteArray::fromHex("4201") + BitWriter::escaped(w.bytes());
}

QByteArray h265PpsUnit()
{
    return QByteArray::fromHex("4401c172b46240");
}

QByteArray h265IdrUnit()
{
    return QByteArray::fromHex("2601af1380");
}

QByteArray body(const QList<QByteArray> &units)
{
    QByteArray out;
    for (const QByteArray &unit : units)
        out += startCode() + unit;
    return out;
}

QByteArray h264Body(const H264Sps &sps)
{
    return body({h264SpsUnit(sps), h264PpsUnit(), h264IdrUnit()});
}

QByteArray h265Body(const H265Sps &sps)
{
    return body({h265VpsUnit(), h265SpsUnit(sps), h265PpsUnit(), h265IdrUnit()});
}

} // namespace SyntheticUnits
