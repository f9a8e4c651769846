#pragma once

#include <cstdint>

namespace fw {

// Where a parameter change came from.
enum class ParamSource : int32_t {
  Reset = 0,
  Host = 1,
  Preset = 2,
  UI = 3,
  EditorDelegate = 4,
  Recompile = 5,
  Unknown = 6,
};

inline const char* ParamSourceName(ParamSource source) {
  switch (source) {
    case ParamSource::Reset: return "Reset";
    case ParamSource::Host: return "Host";
    case ParamSource::Preset: return "Preset";
    case ParamSource::UI: return "UI";
    case ParamSource::EditorDelegate: return "Editor Delegate";
    case ParamSource::Recompile: return "Recompile";
    case ParamSource::Unknown: break;
  }
  return "Unknown";
}

}  // namespace fw
