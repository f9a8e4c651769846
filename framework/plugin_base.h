#pragma once

#include <cstdint>
#include <vector>

#include "framework/byte_chunk.h"
#include "framework/graphics_editor_delegate.h"

namespace fw {

// One preset of an instance.
struct PresetSlot {
  static constexpr int kNameSize = 256;

  bool initialized = false;
  char name[kNameSize] = "empty";
  ByteChunk chunk;
};

// The layer that owns the instance's one persistent format, the state chunk (the
// parameter values as little-endian doubles in index order), and its preset slots.
class PluginBase : public gui::GraphicsEditorDelegate {
 public:
  PluginBase(int32_t paramCount, int32_t presetCount);
  ~PluginBase() override;

  virtual bool SaveState(ByteChunk& chunk) const { return SerializeParams(chunk); }
  // Answers the position just past what was read, or -1 when the chunk is short.
  virtual int32_t LoadState(const ByteChunk& chunk, int32_t startPos) {
    return UnserializeParams(chunk, startPos);
  }
  virtual void OnPresetsChanged() {}

  bool SerializeParams(ByteChunk& chunk) const;
  int32_t UnserializeParams(const ByteChunk& chunk, int32_t startPos);

  // Restores an initialised slot, or captures the current state into an empty one.
  bool ApplyPreset(int32_t index);
  const char* PresetName(int32_t index) const;
  int32_t PresetCount() const { return static_cast<int32_t>(presets_.size()); }
  const PresetSlot* Preset(int32_t index) const;
  int32_t CurrentPresetIndex() const { return currentPresetIndex_; }

 private:
  std::vector<PresetSlot> presets_;
  int32_t currentPresetIndex_ = 0;
};

}  // namespace fw
