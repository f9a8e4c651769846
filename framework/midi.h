#pragma once

#include <cstdint>
#include <cstring>

namespace fw {

struct MidiMessage {
  int32_t offset = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

// A system-exclusive message by reference; the bytes belong to the sender.
struct SysExMessage {
  int32_t offset = 0;
  int32_t size = 0;
  const uint8_t* data = nullptr;
};

// A system-exclusive message by value, for the queues and output lists.
struct SysExRecord {
  static constexpr int kCapacity = 512;

  int32_t offset = 0;
  int32_t size = 0;
  uint8_t data[kCapacity] = {};

  // Messages longer than the record are refused; callers decide what that means.
  static bool Fits(const SysExMessage& message) {
    return message.size >= 0 && message.size <= kCapacity;
  }

  // A message without bytes is kept as zeros of its declared size; bytes beyond
  // the record are never copied (callers check Fits first).
  static SysExRecord From(const SysExMessage& message) {
    SysExRecord record;
    record.offset = message.offset;
    record.size = message.size;
    if (message.data && message.size > 0) {
      std::memcpy(record.data, message.data, message.size < kCapacity ? message.size : kCapacity);
    }
    return record;
  }

  SysExMessage AsMessage() const { return {offset, size, data}; }
};

}  // namespace fw
