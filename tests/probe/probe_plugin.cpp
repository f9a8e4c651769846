// The probe product: MIDI in and out, a mono and a stereo configuration, four preset
// slots of which 0 and 2 hold states, and the probe extension.
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "clap/product.h"
#include "tests/probe/probe_api.h"

namespace {

constexpr const char* kFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, nullptr};

constexpr fw::ProductInfo kProduct{
    probe::kPluginId, "Probe",           "Brackwater Audio", "https://example.invalid",
    "0.0.1",          "Framework probe", kFeatures,          "Probe Factory Presets",
};

fw::PlugConfig ProbeConfig() {
  fw::PlugConfig config;
  config.paramCount = 3;
  config.presetCount = 4;
  config.channelIOString = "1-1 2-2 2.2-2";
  config.pluginName = "Probe";
  config.productName = "Probe";
  config.vendorName = "Brackwater Audio";
  config.midiIn = true;
  config.midiOut = true;
  config.hasEditor = true;
  return config;
}

class ProbePlugin final : public fw::Plugin, public probe::Api {
 public:
  explicit ProbePlugin(const fw::InstanceInfo& info) : fw::Plugin(info, ProbeConfig()) {
    Param(0)->Configure("Gain", 0.5, 0, 1, 0.01, "Factor", fw::NoParamFlags, "Main",
                        fw::Parameter::ShapeLinear(), 21);
    Param(1)->ConfigureEnumeration("Mode", 0, 3, "", fw::NoParamFlags, "", nullptr);
    Param(1)->AddValueText(0, "A");
    Param(1)->AddValueText(1, "B");
    Param(1)->AddValueText(2, "C");
    Param(2)->ConfigureInteger("Steps", 4, 1, 16, "Count", fw::NotAutomatable, "");
    // Slots 0 and 2 capture distinct states; 1 and 3 stay empty.
    Param(0)->SetValue(0.25);
    ApplyPreset(0);
    Param(0)->SetValue(0.75);
    Param(1)->SetValue(2);
    ApplyPreset(2);
    Param(0)->SetValue(0.5);
    Param(1)->SetValue(0);
    changes_.reserve(1 << 14);
    deliveries_.reserve(1 << 14);
    midi_.reserve(1 << 12);
    sysex_.reserve(64);
    midiInEditor_.reserve(1 << 12);
  }

  const void* GetExtension(const char* id) override {
    if (std::strcmp(id, probe::kExtensionId) == 0) return static_cast<probe::Api*>(this);
    return fw::Plugin::GetExtension(id);
  }

  using fw::Plugin::OnParamChange;
  void OnParamChange(int32_t index, fw::ParamSource source, int32_t offset) override {
    {
      std::lock_guard guard(recordLock_);
      changes_.push_back({index, source, offset});
    }
    fw::Plugin::OnParamChange(index, source, offset);
  }
  void DeliverParamToEditor(int32_t index, double value, bool normalized) override {
    {
      std::lock_guard guard(recordLock_);
      deliveries_.push_back({index, value, normalized});
    }
    fw::Plugin::DeliverParamToEditor(index, value, normalized);
  }
  void OnIdle() override {
    ++idleTicks_;
    idleThread_ = std::this_thread::get_id();
  }
  void HandleMidiMessage(const fw::MidiMessage& message) override {
    {
      std::lock_guard guard(recordLock_);
      midi_.push_back(message);
    }
    fw::Plugin::HandleMidiMessage(message);
  }
  void HandleSysEx(const fw::SysExMessage& message) override {
    std::lock_guard guard(recordLock_);
    sysex_.push_back(
        {message.offset, std::vector<uint8_t>(message.data, message.data + message.size)});
  }
  void OnMidiInEditor(const fw::MidiMessage& message) override {
    std::lock_guard guard(recordLock_);
    midiInEditor_.push_back(message);
  }
  void ResetProcessing() override { ++resets_; }
  void RenderBlock(double** inputs, double** outputs, int32_t frames) override {
    ++renders_;
    lastFrames_ = frames;
    for (const fw::MidiMessage& m : pendingMidi_)
      EmitMidiMessage(m);
    for (const probe::SysEx& s : pendingSysEx_) {
      EmitSysEx({s.offset, static_cast<int32_t>(s.bytes.size()), s.bytes.data()});
    }
    pendingMidi_.clear();
    pendingSysEx_.clear();
    fw::Plugin::RenderBlock(inputs, outputs, frames);
  }

  int IdleTicks() const override { return idleTicks_; }
  std::thread::id LastIdleThread() const override { return idleThread_; }
  std::vector<probe::ParamChange> ParamChanges() const override {
    std::lock_guard guard(recordLock_);
    return changes_;
  }
  std::vector<probe::EditorDelivery> EditorDeliveries() const override {
    std::lock_guard guard(recordLock_);
    return deliveries_;
  }
  std::vector<fw::MidiMessage> MidiReceived() const override {
    std::lock_guard guard(recordLock_);
    return midi_;
  }
  std::vector<probe::SysEx> SysExReceived() const override {
    std::lock_guard guard(recordLock_);
    return sysex_;
  }
  std::vector<fw::MidiMessage> MidiInEditor() const override {
    std::lock_guard guard(recordLock_);
    return midiInEditor_;
  }
  int RenderCalls() const override { return renders_; }
  int32_t LastRenderFrames() const override { return lastFrames_; }
  fw::TimeInfo Transport() const override { return GetTimeInfo(); }
  int32_t HostKind() const override { return fw::Plugin::HostKind(); }
  int32_t HostVersion() const override { return fw::Plugin::HostVersion(); }
  int ResetCalls() const override { return resets_; }
  void ClearRecords() override {
    std::lock_guard guard(recordLock_);
    changes_.clear();
    deliveries_.clear();
    midi_.clear();
    sysex_.clear();
    midiInEditor_.clear();
    idleTicks_ = 0;
    renders_ = 0;
    resets_ = 0;
  }

  void EditorBeginsGesture(int32_t index) override { BeginParamGesture(index); }
  void EditorSendsValue(int32_t index, double normalized) override {
    SendParamFromUI(index, normalized);
  }
  void EditorEndsGesture(int32_t index) override { EndParamGesture(index); }
  void EditorSendsMidi(const fw::MidiMessage& message) override { SendMidiFromUI(message); }
  void EditorSendsSysEx(const std::vector<uint8_t>& bytes) override {
    SendSysExFromUI({0, static_cast<int32_t>(bytes.size()), bytes.data()});
  }
  void RequestLatency(int32_t samples) override { ChangeLatency(samples); }
  void RequestTailLength(int32_t samples) override { ChangeTailLength(samples); }
  void EmitDuringNextBlock(const std::vector<fw::MidiMessage>& midi,
                           const std::vector<probe::SysEx>& sysex) override {
    pendingMidi_ = midi;
    pendingSysEx_ = sysex;
  }

 private:
  // The records are written from the audio and the main thread; concurrency tests read them.
  mutable std::mutex recordLock_;
  std::vector<probe::ParamChange> changes_;
  std::vector<probe::EditorDelivery> deliveries_;
  std::vector<fw::MidiMessage> midi_;
  std::vector<probe::SysEx> sysex_;
  std::vector<fw::MidiMessage> midiInEditor_;
  std::vector<fw::MidiMessage> pendingMidi_;
  std::vector<probe::SysEx> pendingSysEx_;
  std::atomic<int> idleTicks_{0};
  std::thread::id idleThread_;
  std::atomic<int> renders_{0};
  std::atomic<int32_t> lastFrames_{-1};
  std::atomic<int> resets_{0};
};

}  // namespace

namespace fw {

const ProductInfo& Product() {
  return kProduct;
}

ClapPlugin* NewProductInstance(const InstanceInfo& info) {
  return new (std::nothrow) ProbePlugin(info);
}

}  // namespace fw
