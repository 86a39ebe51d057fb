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

std::atomic<HeapTrimmer *> g_trimmer{nullptr};
} // namespace

void apply()
{
    mallopt(M_MMAP_THRESHOLD, kMappingThreshold);
    mallopt(M_TOP_PAD, kTopPad);
    // Made here, before anything that hands it releases: it outlives them all.
    g_trimmer = &HeapTrimmer::instance();
}

void noteStreamFreed()
{
    if (HeapTrimmer *trimmer = g_trimmer.load())
        trimmer->noteRelease();
}

} // namespace AllocatorTuning
