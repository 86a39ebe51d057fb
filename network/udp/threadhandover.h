#pragma once

// ThreadSanitizer cannot see Qt's own locking (Qt is not instrumented): an object that
// goes to another thread through Qt (a posted deletion) would look raced with everything
// done to it before. These name such a hand-over for the sanitizer; other builds get nothing.
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define ZELKA_HAND_OVER(object) __tsan_release(static_cast<void *>(object))
#define ZELKA_TAKE_OVER(object) __tsan_acquire(static_cast<void *>(object))
#else
#define ZELKA_HAND_OVER(object) static_cast<void>(object)
#define ZELKA_TAKE_OVER(object) static_cast<void>(object)
#endif
