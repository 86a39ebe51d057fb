#pragma once

// How the process's memory allocator is set up, the same in the client and in the
// programs that measure it. Call first thing in main, before any thread starts.
namespace AllocatorTuning {

// Blocks of 192 KB and more (pictures from 640x360 up, decoders' frame pools) get
// mappings of their own that go back to the system when freed. Left to itself glibc
// raises this bound to the largest block freed so far, and pictures then come from the
// arena of the stream thread that asks; each stream has threads of its own, and the
// dozens of arenas a carousel goes through each kept what its streams had freed. A
// heap keeps 512 KB free at its top, so that blocks freed and asked for again do not
// go back to the system in between.
void apply();

} // namespace AllocatorTuning
