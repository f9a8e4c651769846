#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/midi.h"
#include "framework/param_source.h"
#include "framework/parameter.h"

namespace fw {

// The first layer of an instance: its parameter list, the editor's size limits and
// every notification between parameters, the engine and the editor.
class EditorDelegate {
 public:
  explicit EditorDelegate(int32_t paramCount);
  virtual ~EditorDelegate();
  EditorDelegate(const EditorDelegate&) = delete;
  EditorDelegate& operator=(const EditorDelegate&) = delete;

  Parameter* Param(int32_t index);
  const Parameter* Param(int32_t index) const;
  int32_t ParamCount() const { return static_cast<int32_t>(params_.size()); }

  virtual void* OpenEditor(void* parent);
  virtual void CloseEditor();
  virtual void OnEditorOpened();
  virtual void OnEditorClosing() {}

  // The engine's notification: some parameter changed (any thread).
  virtual void OnParamChange(int32_t /*index*/) {}
  virtual void OnParamChange(int32_t index, ParamSource source, int32_t sampleOffset);
  virtual void OnParamChangedInEditor(int32_t /*index*/, ParamSource /*source*/) {}
  virtual void OnParamReset(ParamSource source);
  virtual void OnMidiInEditor(const MidiMessage& /*message*/) {}
  virtual void OnSysExInEditor(const SysExMessage& /*message*/) {}
  virtual void OnStateRestored() { PushAllValuesToEditor(); }

  virtual void DeliverMidiToEditor(const MidiMessage& message) { OnMidiInEditor(message); }
  virtual void DeliverSysExToEditor(const SysExMessage& message) { OnSysExInEditor(message); }
  virtual void DeliverParamToEditor(int32_t index, double value, bool normalized);

  // A control's gesture on a parameter, from press to release.
  virtual void BeginParamGesture(int32_t index) = 0;
  virtual void SendParamFromUI(int32_t index, double normalizedValue);
  virtual void EndParamGesture(int32_t index) = 0;

  virtual void SendMidiFromUI(const MidiMessage& /*message*/) {}
  virtual void SendSysExFromUI(const SysExMessage& /*message*/) {}
  virtual void QueueMidiFromEditor(const MidiMessage& /*message*/) {}
  virtual void QueueSysExFromEditor(const SysExMessage& /*message*/) {}

  // True when the size lies within the limits; otherwise clamps both and answers false.
  virtual bool ConstrainEditorSize(int32_t& width, int32_t& height) const;
  // The editor asks for a new window size in pixels; true when the host has resized.
  virtual bool RequestEditorResize(int32_t /*width*/, int32_t /*height*/,
                                   bool /*needsPlatformResize*/) {
    return false;
  }

  void PushAllValuesToEditor();

  int32_t EditorWidth() const { return editorWidth_; }
  int32_t EditorHeight() const { return editorHeight_; }

 protected:
  void SetEditorSize(int32_t width, int32_t height);
  void SetSizeLimits(int32_t minWidth, int32_t maxWidth, int32_t minHeight, int32_t maxHeight);

 private:
  std::vector<std::unique_ptr<Parameter>> params_;
  int32_t editorWidth_ = 0;
  int32_t editorHeight_ = 0;
  int32_t minWidth_ = 10;
  int32_t maxWidth_ = 100000;
  int32_t minHeight_ = 10;
  int32_t maxHeight_ = 100000;
};

}  // namespace fw
