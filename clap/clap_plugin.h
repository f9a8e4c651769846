#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "clap/abi.h"
#include "clap/clap_glue.h"
#include "clap/output_list.h"
#include "framework/lock_free_queue.h"
#include "framework/plug_config.h"
#include "framework/plugin_api_base.h"
#include "framework/processor.h"
#include "clap/timer_clocks.h"

namespace fw {

// What a factory hands to an instance's constructor.
struct InstanceInfo {
  const clap_plugin_descriptor_t* descriptor = nullptr;
  const clap_host_t* host = nullptr;
  bool presetScanOnly = false;
};

// An editor gesture or value on its way to the host.
struct HostParamChange {
  enum Kind : int32_t { GestureBegin = 0, Value = 1, GestureEnd = 2 };
  int32_t kind = Value;
  int32_t index = 0;
  double value = 0.0;
};

// The CLAP binding: the instance as the host drives it. It maps every clap_plugin
// call onto the framework, runs `process`, hands work to the host's main thread and
// supplies the host side of the framework's hooks. The extensions live in their
// own files (ext_*.cpp) and reach the instance through the members below.
class ClapPlugin : public PluginApiBase, public Processor, public ClapGlue {
 public:
  static constexpr int32_t kApiClap = 8;

  ClapPlugin(const InstanceInfo& info, const PlugConfig& config);
  ~ClapPlugin() override;

  // Runs `task` on the host's main thread: now when already there, otherwise
  // queued for the host's next on_main_thread.
  void RunOnMainThread(std::function<void()> task);
  void LogToHost(clap_log_severity severity, const char* text) const;

  // Host extensions that are present with every function the binding calls.
  bool HostParamsUsable() const;
  bool HostPresetLoadUsable() const;
  bool HostTrackInfoUsable() const;
  bool HostLatencyUsable() const;
  bool HostThreadCheckUsable() const;

  bool SelectConfigForChannels(int32_t channels);
  // Read by the audio thread while the host may select on the main thread.
  int32_t SelectedConfig() const { return selectedConfig_.load(std::memory_order_relaxed); }
  void SelectConfig(int32_t index) { selectedConfig_.store(index, std::memory_order_relaxed); }

  // Event traffic of `process` and of the parameters flush.
  void ReadInputEvents(const clap_input_events_t* events);
  void WriteOutputEvents(const clap_output_events_t* events, uint32_t frames);
  void WriteParamEvents(const clap_output_events_t* events);
  void ApplyParamValueEvent(const clap_event_param_value_t& event);

  // The timer clock that init chose; the timer-support extension reports to it.
  ClapTimerClock* Clock() const { return timerClock_.get(); }

  // Processor hooks supplied by the binding.
  bool EmitMidiMessage(const MidiMessage& message) override;
  bool EmitSysEx(const SysExMessage& message) override;
  void ChangeLatency(int32_t samples) override;

  // Editor changes on their way to the host.
  void HostGestureBegin(int32_t index) override;
  void HostParamValue(int32_t index, double normalizedValue) override;
  void HostGestureEnd(int32_t index) override;

 protected:
  bool Init() override;
  void Destroy() override;
  bool Activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames) override;
  void Deactivate() override;
  bool StartProcessing() override;
  void StopProcessing() override;
  void Reset() override;
  clap_process_status Process(const clap_process_t* process) override;
  const void* GetExtension(const char* id) override;
  void OnMainThread() override;

 private:
  struct MainThreadQueue {
    std::mutex lock;
    std::deque<std::function<void()>> tasks;
  };

  void QueueForHost(const HostParamChange& change);
  void RequestParamsFlush();
  void RunMainThreadTasks();
  bool BuffersUsable(const clap_process_t& process, SampleFormat format) const;
  SampleFormat ChooseFormat(const clap_process_t& process) const;
  void ApplyTransport(const clap_event_transport_t& transport);
  bool BindBuffers(const clap_process_t& process, SampleFormat format, bool scanSilence);
  void SilenceSurplusOutputs(const clap_process_t& process, SampleFormat format);
  void RunEditorMessages();
  void AnnounceTailLength();

  bool presetScanOnly_;
  MainThreadQueue mainThreadQueue_;
  LockFreeQueue<HostParamChange, 512> hostParamQueue_;
  OutputList<MidiMessage> midiOut_;
  OutputList<SysExRecord> sysexOut_;
  std::vector<float*> hostPointers32_;
  std::vector<double*> hostPointers64_;
  std::unique_ptr<ClapTimerClock> timerClock_;
  std::atomic<int32_t> selectedConfig_{0};
  bool latencyChangePending_ = false;
  bool restartRequested_ = false;
  int32_t pendingLatency_ = 0;
  int32_t silentSampleCount_ = 0;
  // The tail length the host last heard of; a change is announced from `process`.
  int32_t announcedTail_ = 0;
};

// The product's class sits on this one; it names the binding the build uses.
class Plugin : public ClapPlugin {
 public:
  using ClapPlugin::ClapPlugin;
};

}  // namespace fw
