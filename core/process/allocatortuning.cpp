#include "allocatortuning.h"

#include <malloc.h>

namespace AllocatorTuning {

namespace {
constexpr int kMappingThreshold = 128 * 1024;
} // namespace

void apply()
{
    mallopt(M_MMAP_THRESHOLD, kMappingThreshold);
}

} // namespace AllocatorTuning
