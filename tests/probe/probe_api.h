#pragma once

// A window onto the framework's internals that the probe module answers under the
// extension id below. The probe is a second product on the same framework, built as
// its own module, so tests can drive the editor side and watch what the framework
// does while everything else still goes through clap_entry.

#include <cstdint>
#include <thread>
#include <vector>

#include "clap/abi.h"
#include "framework/midi.h"
#include "framework/param_source.h"
#include "framework/processor.h"

namespace probe {

inline constexpr const char* kExtensionId = "com.brackwateraudio.probe/1";
inline constexpr const char* kPluginId = "com.brackwateraudio.probe";

struct ParamChange {
  int32_t index;
  fw::ParamSource source;
  int32_t sampleOffset;
};

struct EditorDelivery {
  int32_t index;
  double value;
  bool normalized;
};

struct SysEx {
  int32_t offset;
  std::vector<uint8_t> bytes;
};

class Api {
 public:
  virtual ~Api() = default;

  // What the framework did.
  virtual int IdleTicks() const = 0;
  virtual std::thread::id LastIdleThread() const = 0;
  virtual std::vector<ParamChange> ParamChanges() const = 0;
  virtual std::vector<EditorDelivery> EditorDeliveries() const = 0;
  virtual std::vector<fw::MidiMessage> MidiReceived() const = 0;
  virtual std::vector<SysEx> SysExReceived() const = 0;
  virtual std::vector<fw::MidiMessage> MidiInEditor() const = 0;
  virtual int RenderCalls() const = 0;
  virtual int32_t LastRenderFrames() const = 0;
  virtual fw::TimeInfo Transport() const = 0;
  virtual int32_t HostKind() const = 0;
  virtual int32_t HostVersion() const = 0;
  virtual int ResetCalls() const = 0;
  virtual void ClearRecords() = 0;

  // The editor side.
  virtual void EditorBeginsGesture(int32_t index) = 0;
  virtual void EditorSendsValue(int32_t index, double normalized) = 0;
  virtual void EditorEndsGesture(int32_t index) = 0;
  virtual void EditorSendsMidi(const fw::MidiMessage& message) = 0;
  virtual void EditorSendsSysEx(const std::vector<uint8_t>& bytes) = 0;

  // The product's side of the processor.
  virtual void RequestLatency(int32_t samples) = 0;
  virtual void RequestTailLength(int32_t samples) = 0;
  // Messages the next RenderBlock emits.
  virtual void EmitDuringNextBlock(const std::vector<fw::MidiMessage>& midi,
                                   const std::vector<SysEx>& sysex) = 0;
};

// The probe of an instance of the probe module.
inline Api* Of(const clap_plugin_t* plugin) {
  const void* api = plugin->get_extension(plugin, kExtensionId);
  return const_cast<Api*>(static_cast<const Api*>(api));
}

}  // namespace probe
