#pragma once

// Reads a fuzzer's bytes as a stream of small decisions.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace fuzz {

class Input {
 public:
  Input(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  std::size_t Remaining() const { return size_ - pos_; }

  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t Below(uint32_t limit) { return limit ? U32() % limit : 0; }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return v;
  }
  // Any double, NaN and infinities included.
  double AnyDouble() {
    uint64_t bits = uint64_t{U32()} << 32 | U32();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  // Mostly ordinary values, sometimes the awkward ones.
  double Value() {
    switch (Byte() % 8) {
      case 0: return AnyDouble();
      case 1: return -1.0 / 0.0;
      case 2: return 0.0 / 0.0;
      default: return (U32() % 20001) / 10000.0 - 0.5;
    }
  }
  std::string Text(std::size_t longest) {
    std::string text;
    const std::size_t n = Below(static_cast<uint32_t>(longest + 1));
    for (std::size_t i = 0; i < n && !Empty(); ++i) text += static_cast<char>(Byte());
    return text;
  }
  const uint8_t* Rest(std::size_t& size) {
    size = size_ - pos_;
    const uint8_t* rest = data_ + pos_;
    pos_ = size_;
    return rest;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace fuzz
