#pragma once

#include <cstddef>
#include <cstring>

namespace fw {

// Copies src into a fixed-size, NUL-terminated field, cutting what does not fit.
// A null source gives the empty text.
inline void CopyText(char* dst, std::size_t size, const char* src) {
  if (size == 0) return;
  std::size_t n = src ? ::strnlen(src, size - 1) : 0;
  std::memcpy(dst, src ? src : "", n);
  dst[n] = '\0';
}

template <std::size_t N>
void CopyText(char (&dst)[N], const char* src) {
  CopyText(dst, N, src);
}

}  // namespace fw
