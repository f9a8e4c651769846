#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace fw {

// A growable byte buffer holding scalars in little-endian order on every host.
// Appends report memory exhaustion as a non-positive size instead of throwing;
// reads are bounds-checked and answer -1 past the end.
class ByteChunk {
 public:
  int Size() const { return static_cast<int>(bytes_.size()); }
  const uint8_t* Bytes() const { return bytes_.empty() ? nullptr : bytes_.data(); }
  uint8_t* Bytes() { return bytes_.empty() ? nullptr : bytes_.data(); }
  bool Resize(int n);
  void Clear() { bytes_.clear(); }

  int Append(const void* data, int n);

  template <class T>
  int AppendValue(T value) {
    static_assert(IsChunkScalar<T>());
    uint8_t raw[sizeof(T)];
    ToLittleEndian(value, raw);
    return Append(raw, sizeof(T));
  }

  template <class T>
  int ReadValue(int pos, T& out) const {
    static_assert(IsChunkScalar<T>());
    if (pos < 0 || static_cast<int64_t>(pos) + static_cast<int64_t>(sizeof(T)) > Size()) return -1;
    out = FromLittleEndian<T>(bytes_.data() + pos);
    return pos + static_cast<int>(sizeof(T));
  }

 private:
  template <class T>
  static constexpr bool IsChunkScalar() {
    return std::is_arithmetic_v<T> && (sizeof(T) == 4 || sizeof(T) == 8);
  }

  template <class T>
  static void ToLittleEndian(T value, uint8_t* raw) {
    std::memcpy(raw, &value, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) Reverse(raw, sizeof(T));
  }

  template <class T>
  static T FromLittleEndian(const uint8_t* at) {
    uint8_t raw[sizeof(T)];
    std::memcpy(raw, at, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) Reverse(raw, sizeof(T));
    T value;
    std::memcpy(&value, raw, sizeof(T));
    return value;
  }

  static void Reverse(uint8_t* raw, int n) {
    for (int i = 0; i < n / 2; ++i) std::swap(raw[i], raw[n - 1 - i]);
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace fw
