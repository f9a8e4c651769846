#include "framework/plugin_base.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/trace.h"

namespace fw {

PluginBase::PluginBase(int32_t paramCount, int32_t presetCount)
    : GraphicsEditorDelegate(paramCount), presets_(std::max(presetCount, 0)) {}

PluginBase::~PluginBase() = default;

bool PluginBase::SerializeParams(ByteChunk& chunk) const {
  for (int32_t i = 0; i < ParamCount(); ++i) {
    const Parameter& param = *Param(i);
    const double value = param.Value();
    Trace(__func__, __LINE__, "%d %s %f", i, param.Name(), value);
    if (chunk.AppendValue(value) <= 0) return false;
  }
  return true;
}

int32_t PluginBase::UnserializeParams(const ByteChunk& chunk, int32_t startPos) {
  int32_t pos = startPos;
  for (int32_t i = 0; i < ParamCount() && pos >= 0; ++i) {
    Parameter& param = *Param(i);
    double value = 0.0;
    pos = chunk.ReadValue(pos, value);
    if (pos < 0) break;
    // A stored NaN would slip through Restrict; the parameter keeps to its default.
    param.SetValue(std::isnan(value) ? param.DefaultValue(false) : value);
    Trace(__func__, __LINE__, "%d %s %f", i, param.Name(), param.Value());
  }
  OnParamReset(ParamSource::Preset);
  return pos;
}

bool PluginBase::ApplyPreset(int32_t index) {
  if (index < 0 || index >= PresetCount()) return false;
  PresetSlot& slot = presets_[index];
  if (!slot.initialized) {
    slot.initialized = true;
    const int userPresets = static_cast<int>(std::count_if(
        presets_.begin(), presets_.end(),
        [](const PresetSlot& p) { return std::strstr(p.name, "user preset") != nullptr; }));
    std::snprintf(slot.name, sizeof slot.name, "%s %d", "user preset", userPresets + 1);
    if (!SaveState(slot.chunk)) return false;
  } else {
    const int32_t pos = LoadState(slot.chunk, 0);
    if (!(pos > 0 || (pos == 0 && slot.chunk.Size() == 0))) return false;
  }
  currentPresetIndex_ = index;
  OnPresetsChanged();
  OnStateRestored();
  return true;
}

const char* PluginBase::PresetName(int32_t index) const {
  const PresetSlot* slot = Preset(index);
  return slot ? slot->name : "";
}

const PresetSlot* PluginBase::Preset(int32_t index) const {
  return index >= 0 && index < PresetCount() ? &presets_[index] : nullptr;
}

}  // namespace fw
