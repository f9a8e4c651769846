#include "framework/byte_chunk.h"

#include <limits>
#include <new>

namespace fw {

bool ByteChunk::Resize(int n) {
  if (n < 0) return false;
  try {
    bytes_.resize(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int ByteChunk::Append(const void* data, int n) {
  if (n <= 0) return Size();
  if (n > std::numeric_limits<int>::max() - Size()) return 0;
  try {
    const auto* first = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), first, first + n);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return Size();
}

}  // namespace fw
