#pragma once

#include <cstdint>
#include <optional>

namespace fw {

// A factory preset's load key is its slot index in plain decimal: "0", or a first
// digit 1–9 followed by digits, within the signed 32-bit range. Anything else
// (signs, leading zeros, spaces, letters, overflow) is not a key.
inline std::optional<int32_t> ParsePresetKey(const char* key) {
  if (!key || *key == '\0') return std::nullopt;
  if (key[0] == '0') return key[1] == '\0' ? std::optional<int32_t>(0) : std::nullopt;
  int64_t value = 0;
  for (const char* c = key; *c; ++c) {
    if (*c < '0' || *c > '9') return std::nullopt;
    value = value * 10 + (*c - '0');
    if (value > INT32_MAX) return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

}  // namespace fw
