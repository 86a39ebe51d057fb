#include "allocatortuning.h"

#include <malloc.h>

namespace AllocatorTuning {

namespace {
// Above FFmpeg's H.264 picture parameter set record (about 170 KB), which its parser
// and its decoder each allocate anew for every parameter set a stream sends (with each
// key frame, often more): mapped, that is two mappings and two unmappings per parameter
// set and stream, and with 144 streams playing the GUI thread's longest gap was twice
// that with glibc's own setting. Below the luma plane of a 640x360 picture (225 KB):
// pictures from that size up, and the decoders' pool buffers for them, are still mapped
// on their own.
constexpr int kMappingThreshold = 192 * 1024;
// A heap gives back its free top beyond this much. With the default (128 KB) the heaps of
// the streams' threads gave back the top of their memory whenever a parameter set was
// freed and faulted it in again, page by page, for the next one.
constexpr int kTopPad = 512 * 1024;
} // namespace

void apply()
{
    mallopt(M_MMAP_THRESHOLD, kMappingThreshold);
    mallopt(M_TOP_PAD, kTopPad);
}

} // namespace AllocatorTuning
