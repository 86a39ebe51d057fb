#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

// Hand-made parameter sets and bodies for parser cases that encoders do not produce
// on request: exact field values, large and hostile numbers, rare syntax branches.
namespace SyntheticUnits {

struct H264Sps
{
    uint32_t profileIdc = 66;
    uint32_t chromaFormatIdc = 1; // written only for the high profiles
    bool scalingMatrix = false;
    uint32_t pocType = 0;
    uint32_t pocCycle = 0;
    uint64_t widthInMbsMinus1 = 119;
    uint64_t heightInMapUnitsMinus1 = 67;
    bool frameMbsOnly = true;
    uint64_t cropLeft = 0, cropRight = 0, cropTop = 0, cropBottom = 0;
    bool vui = false;
    uint32_t aspectRatioIdc = 0; // 0: no aspect ratio info
    bool timing = false;         // num_units_in_tick 1, time_scale 50
    bool nalHrd = false;
    bool vclHrd = false;
    bool bitstreamRestriction = false;
};

struct H265Sps
{
    uint32_t profileIdc = 1;
    uint32_t maxSubLayersMinus1 = 0;
    bool subLayerProfiles = false;
    bool subLayerLevels = false;
    uint32_t chromaFormatIdc = 1;
    uint64_t width = 1920;
    uint64_t height = 1088;
    bool conformanceWindow = false;
    uint64_t confLeft = 0, confRight = 0, confTop = 0, confBottom = 0;
};

QByteArray startCode(); // 00 00 00 01
QByteArray h264SpsUnit(const H264Sps &sps);
QByteArray h264PpsUnit();
QByteArray h264IdrUnit();
QByteArray h265VpsUnit();
QByteArray h265SpsUnit(const H265Sps &sps);
QByteArray h265PpsUnit();
QByteArray h265IdrUnit();
// Each unit behind a four-byte start code.
QByteArray body(const QList<QByteArray> &units);
QByteArray h264Body(const H264Sps &sps);
QByteArray h265Body(const H265Sps &sps);

} // namespace SyntheticUnits
