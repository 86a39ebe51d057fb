#pragma once

// How long a test waits for something to happen: a picture, a reply, a file, a signal.
// The suite must hold on a loaded two-core machine with CTest running tests side by
// side, so the bound is generous; a wait that succeeds returns as soon as its condition
// holds, so the bound only costs time when something hangs. The QML runners hand the
// same value to the tests as `patience`. Sanitizer builds run several times slower.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int kEventWaitMs = 120000;
#else
constexpr int kEventWaitMs = 30000;
#endif
