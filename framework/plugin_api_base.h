#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/lock_free_queue.h"
#include "framework/midi.h"
#include "framework/plug_config.h"
#include "framework/plugin_base.h"
#include "framework/timer.h"

namespace fw {

struct ParamUpdate {
  int32_t index = 0;
  double value = 0.0;  // real units
};

// The layer of an instance that knows its identity and its host's, runs the idle
// timer, and carries messages between the audio thread, the main thread and the
// editor through lock-free rings. The API binding below it supplies the host side.
class PluginApiBase : public PluginBase {
 public:
  static constexpr uint32_t kIdleIntervalMs = 20;

  PluginApiBase(const PlugConfig& config, int32_t apiKind);
  ~PluginApiBase() override;

  void SetHost(const char* name, int32_t version);
  static int32_t IdentifyHost(const char* name);

  // Audio thread: hands a host change to the editor (dropped when the ring is full).
  void QueueParamForEditor(int32_t index, double value, bool isNormalized);
  // Main thread, every 20 ms: moves what the audio thread queued to the editor.
  void OnIdleTick();
  virtual void OnIdle() {}

  void BeginParamGesture(int32_t index) override;
  void SendParamFromUI(int32_t index, double normalizedValue) override;
  void EndParamGesture(int32_t index) override;
  void SendMidiFromUI(const MidiMessage& message) override { QueueMidiFromEditor(message); }
  void SendSysExFromUI(const SysExMessage& message) override { QueueSysExFromEditor(message); }
  void QueueMidiFromEditor(const MidiMessage& message) override;
  void QueueSysExFromEditor(const SysExMessage& message) override;

  // Supplied by the API binding.
  virtual void HostGestureBegin(int32_t index) = 0;
  virtual void HostParamValue(int32_t index, double normalizedValue) = 0;
  virtual void HostGestureEnd(int32_t index) = 0;

  const std::string& PluginName() const { return pluginName_; }
  const std::string& ProductName() const { return productName_; }
  const std::string& VendorName() const { return vendorName_; }
  int32_t UniqueId() const { return uniqueId_; }
  int32_t VendorId() const { return vendorId_; }
  int32_t VendorVersion() const { return vendorVersion_; }
  int32_t ApiKind() const { return apiKind_; }
  const std::string& HostName() const { return hostName_; }
  int32_t HostKind() const { return hostKind_; }
  int32_t HostVersion() const { return hostVersion_; }
  bool HasEditor() const { return hasEditor_; }
  bool HostCanResize() const { return hostCanResize_; }

 protected:
  // Starting the idle timer replaces a running one; the binding stops it before
  // anything the tick reaches is destroyed.
  void StartIdleTimer(TimerClock& clock);
  void StopIdleTimer() { idleTimer_.reset(); }

  LockFreeQueue<ParamUpdate, 512> paramsToEditor;
  LockFreeQueue<MidiMessage, 32> midiFromEditor;
  LockFreeQueue<MidiMessage, 32> midiToEditor;
  LockFreeQueue<SysExRecord, 4> sysexFromEditor;
  LockFreeQueue<SysExRecord, 4> sysexToEditor;

 private:
  std::string pluginName_;
  std::string productName_;
  std::string vendorName_;
  int32_t uniqueId_;
  int32_t vendorId_;
  int32_t vendorVersion_;
  int32_t apiKind_;
  bool hasEditor_;
  bool hostCanResize_;
  std::string hostName_;
  int32_t hostKind_ = -1;
  int32_t hostVersion_ = 0;
  std::unique_ptr<Timer> idleTimer_;
};

}  // namespace fw
