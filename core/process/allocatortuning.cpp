#include "allocatortuning.h"

#include <atomic>
#include <malloc.h>

#include "heaptrimmer.h"

namespace AllocatorTuning {

namespace {
// A heap gives back its free top beyond this much. With the default (128 KB) the heaps of
// the streams' threads gave back the top of their memory whenever a parameter set was
// freed and faulted it in again, page by page, for the next one.
constexpr int kTopPad = 512 * 1024;
// ...and only once this much lies free at its top. Setting the mapping bound also fixes
// glibc's trim bound at 128 KB (left to itself it follows the mapping bound up to 64 MB):
// the software rasteriser's render thread frees most of a frame's scene at its end, up to
// about 10 MB in 64 KB blocks for a page of the main window, and each block went back to
// the system on its own, with a TLB flush of every core the process runs on (about 150 a
// frame, a tenth of a core at one frame a second on a loaded machine), to be faulted in
// again for the next frame. Above a few MB that is a handful a frame at most; a heap's top
// is given back only by this bound (malloc_trim gives back only the free pages inside the
// heaps other than the main one), so it stays small beside the arenas' count.
constexpr int kTrimThreshold = 4 * 1024 * 1024;

std::atomic<HeapTrimmer *> g_trimmer{nullptr};
} // namespace

void apply()
{
    mallopt(M_MMAP_THRESHOLD, kMappingThreshold);
    mallopt(M_TOP_PAD, kTopPad);
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
    // Made here, before anything that hands it releases: it outlives them all.
    g_trimmer = &HeapTrimmer::instance();
}

void noteStreamFreed()
{
    if (HeapTrimmer *trimmer = g_trimmer.load())
        trimmer->noteRelease();
}

} // namespace AllocatorTuning
