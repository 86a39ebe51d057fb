#pragma once

// How the process's memory allocator is set up, the same in the client and in the
// programs that measure it. Call first thing in main, before any thread starts.
namespace AllocatorTuning {

// Blocks of this size and more (pictures from 640x360 up, decoders' frame pools) get
// mappings of their own that go back to the system when freed. Above FFmpeg's H.264
// picture parameter set record (about 170 KB), which its parser and its decoder each
// allocate anew for every parameter set a stream sends (with each key frame, often more):
// mapped, that is two mappings and two unmappings per parameter set and stream, and with
// 144 streams playing the GUI thread's longest gap was twice that with glibc's own
// setting. Below the luma plane of a 640x360 picture (225 KB). The record's size is
// FFmpeg's private business: the allocator benchmark measures it at start
// (zelka_paramset_probe) and stops when it no longer fits.
constexpr int kMappingThreshold = 192 * 1024;

// Left to itself glibc raises the mapping bound to the largest block freed so far, and
// pictures then come from the arena of the stream thread that asks; each stream has
// threads of its own, and the dozens of arenas a carousel goes through each kept what its
// streams had freed. A heap keeps 512 KB free at its top, so that blocks freed and asked
// for again do not go back to the system in between. Free pages inside the heaps go back
// once closed streams have freed their memory (HeapTrimmer).
void apply();

// Any thread: a closed stream's memory has been freed. With apply()'s setting the heaps'
// free pages go back soon after (HeapTrimmer); without it (glibc's own, as benchmarks
// compare) nothing happens.
void noteStreamFreed();

} // namespace AllocatorTuning
