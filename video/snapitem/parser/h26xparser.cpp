#include "h26xparser.h"

#include <cstdio>
#include <cstring>

#include "h264spsreader.h"
#include "h265spsreader.h"

namespace {

constexpr int kCopySize = 512;

enum class Scan { H264, H265 };

// One parameter set found by the scan: where it begins and, once the next start code
// is seen, where it ends (-1 while open).
struct UnitSpan
{
    int start = -1;
    int end = -1;

    void begin(int at)
    {
        start = at;
        end = -1;
    }
    void closeAt(int at)
    {
        if (start >= 0 && end < 0)
            end = at;
    }
    int length(int size) const { return start < 0 ? 0 : (end < 0 ? size : end) - start; }
};

struct ParameterSets
{
    uint8_t vps[kCopySize];
    uint8_t sps[kCopySize];
    uint8_t pps[kCopySize];
    int vpsLength = 0;
    int spsLength = 0;
    int ppsLength = 0;

    ParameterSets()
    {
        std::memset(vps, 0, sizeof vps);
        std::memset(sps, 0, sizeof sps);
        std::memset(pps, 0, sizeof pps);
    }
};

// Length of the start code at i (3 or 4), or 0.
int startCodeAt(const uint8_t *data, int i)
{
    if (data[i] != 0 || data[i + 1] != 0)
        return 0;
    if (data[i + 2] == 1)
        return 3;
    if (data[i + 2] == 0 && data[i + 3] == 1)
        return 4;
    return 0;
}

// Copies a unit that fits the fixed buffer; longer ones count as absent.
void copyUnit(const uint8_t *data, int size, const UnitSpan &span, uint8_t *target, int *copied)
{
    const int length = span.length(size);
    if (length < 1 || length >= kCopySize)
        return;
    std::memcpy(target, data + span.start, static_cast<size_t>(length));
    *copied = length;
}

int nalType(Scan scan, uint8_t header)
{
    return scan == Scan::H264 ? (header & 0x1F) : ((header >> 1) & 0x3F);
}

bool isPicture(Scan scan, int type)
{
    return scan == Scan::H264 ? type == 5 : (type >= 16 && type <= 21);
}

// Walks the start codes up to the first key picture and copies the last VPS, SPS and
// PPS before it.
void scanParameterSets(Scan scan, const uint8_t *data, int size, ParameterSets *sets)
{
    const int vpsType = 32;
    const int spsType = scan == Scan::H264 ? 7 : 33;
    const int ppsType = scan == Scan::H264 ? 8 : 34;
    UnitSpan vps;
    UnitSpan sps;
    UnitSpan pps;
    for (int i = 0; i < size - 4; ++i) {
        const int codeLength = startCodeAt(data, i);
        if (codeLength == 0)
            continue;
        vps.closeAt(i);
        sps.closeAt(i);
        pps.closeAt(i);
        i += codeLength;
        const int type = nalType(scan, data[i]);
        if (scan == Scan::H265 && type == vpsType)
            vps.begin(i);
        else if (type == spsType)
            sps.begin(i);
        else if (type == ppsType)
            pps.begin(i);
        else if (isPicture(scan, type))
            break;
    }
    if (scan == Scan::H265)
        copyUnit(data, size, vps, sets->vps, &sets->vpsLength);
    copyUnit(data, size, sps, sets->sps, &sets->spsLength);
    copyUnit(data, size, pps, sets->pps, &sets->ppsLength);
}

void printDebugLine(const ParameterSets &sets)
{
    std::printf("getVideoInfo vps = %02x %02x %02x %02x  sps = %02x %02x %02x %02x   pps = %02x %02x %02x %02x\n",
                sets.vps[0], sets.vps[1], sets.vps[2], sets.vps[3], sets.sps[0], sets.sps[1], sets.sps[2], sets.sps[3],
                sets.pps[0], sets.pps[1], sets.pps[2], sets.pps[3]);
    std::fflush(stdout);
}

video_info_t unknownFrame()
{
    std::fputs("Unknow Video Frame!", stderr);
    return {};
}

video_info_t readH265(const ParameterSets &sets)
{
    int width = 0;
    int height = 0;
    h265_read_sps_rbsp2(sets.sps, sets.spsLength, &width, &height);
    if (!isAcceptedSnapSize(width, height))
        return {H265Codec, 0, 0};
    return {H265Codec, height, width};
}

} // namespace

bool isAcceptedSnapSize(int64_t width, int64_t height)
{
    return width >= 1 && width <= kMaxSnapSide && height >= 1 && height <= kMaxSnapSide;
}

int nal_to_rbsp(int header_size, const uint8_t *nal, int *nal_size, uint8_t *rbsp, int *rbsp_size)
{
    if (header_size >= *nal_size) {
        *nal_size = header_size;
        *rbsp_size = 0;
        return 0;
    }
    int zeros = 0;
    int written = 0;
    int i = header_size;
    for (; i < *nal_size; ++i) {
        if (zeros == 2) {
            if (nal[i] < 0x03)
                return -1;
            if (nal[i] == 0x03) {
                if (i == *nal_size - 1) // cabac_zero_word padding: the copy ends here
                    break;
                if (nal[i + 1] > 0x03)
                    return -1;
                zeros = 0;
                continue;
            }
        }
        if (written >= *rbsp_size)
            return -1;
        rbsp[written++] = nal[i];
        zeros = nal[i] == 0 ? zeros + 1 : 0;
    }
    *nal_size = i;
    *rbsp_size = written;
    return written;
}

bool parameterSetPayload(const uint8_t *nal, int size, int headerSize, std::vector<uint8_t> *payload)
{
    while (size > headerSize && nal[size - 1] == 0)
        --size;
    if (size <= headerSize)
        return false;
    payload->assign(static_cast<size_t>(size), 0);
    int nalSize = size;
    int rbspSize = size;
    if (nal_to_rbsp(headerSize, nal, &nalSize, payload->data(), &rbspSize) < 0)
        return false;
    payload->resize(static_cast<size_t>(rbspSize));
    return rbspSize > 0;
}

video_info_t getVideoInfo(const uint8_t *data, int size)
{
    ParameterSets sets;
    if (!data || size < 4) {
        printDebugLine(sets);
        return unknownFrame();
    }
    if (size > 4) {
        scanParameterSets(Scan::H264, data, size, &sets);
        if ((sets.sps[0] & 0x1F) == 7 && (sets.pps[0] & 0x1F) == 8)
            return h264_read_sps(sets.sps, sets.spsLength);
        sets = ParameterSets();
        scanParameterSets(Scan::H265, data, size, &sets);
    }
    printDebugLine(sets);
    if (nalType(Scan::H265, sets.vps[0]) == 32 && nalType(Scan::H265, sets.sps[0]) == 33
        && nalType(Scan::H265, sets.pps[0]) == 34)
        return readH265(sets);
    return unknownFrame();
}
