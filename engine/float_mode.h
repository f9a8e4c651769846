#pragma once

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

#if defined(__SSE__) || defined(_M_X64)
inline constexpr bool kHardwareFlushToZero = true;
#else
inline constexpr bool kHardwareFlushToZero = false;
#endif

// Sets flush-to-zero and denormals-are-zero for the lifetime of the object and
// restores the caller's mode afterwards, so a decaying tail never falls into
// slow subnormal arithmetic and the host's own mode is left untouched.
class ScopedFlushToZero {
 public:
#if defined(__SSE__) || defined(_M_X64)
  ScopedFlushToZero() : saved_(_mm_getcsr()) {
    _mm_setcsr(saved_ | kFlushBits);
  }
  ~ScopedFlushToZero() {
    _mm_setcsr(saved_);
  }

 private:
  static constexpr unsigned kFlushBits = 0x8040;  // FTZ | DAZ
  unsigned saved_;
#else
  ScopedFlushToZero() = default;
#endif
  ScopedFlushToZero(const ScopedFlushToZero&) = delete;
  ScopedFlushToZero& operator=(const ScopedFlushToZero&) = delete;
};
