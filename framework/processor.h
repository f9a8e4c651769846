#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/midi.h"
#include "framework/plug_config.h"

namespace fw {

enum class BusDirection : int32_t { Input = 0, Output = 1 };

struct BusInfo {
  BusDirection direction;
  int32_t channelCount;
};

// One entry of the channel I/O string: the input and output buses in order.
struct ChannelIOConfig {
  std::vector<BusInfo> inputs;
  std::vector<BusInfo> outputs;

  const std::vector<BusInfo>& Buses(BusDirection direction) const {
    return direction == BusDirection::Input ? inputs : outputs;
  }
  int32_t ChannelTotal(BusDirection direction) const { return Total(Buses(direction)); }

 private:
  static int32_t Total(const std::vector<BusInfo>& buses);
};

struct TimeInfo {
  double tempo = 120.0;
  double samplePos = -1.0;
  double ppqPos = -1.0;
  double lastBar = -1.0;
  double cycleStart = -1.0;
  double cycleEnd = -1.0;
  int32_t numerator = 4;
  int32_t denominator = 4;
  bool transportIsRunning = false;
  bool transportLoopEnabled = false;
};

// Largest channel and bus counts over all configurations of an I/O string.
struct ChannelIOMaxima {
  int32_t configCount = 0;
  int32_t inputChannels = 0;
  int32_t outputChannels = 0;
  int32_t inputBuses = 0;
  int32_t outputBuses = 0;
};

// Parses a channel I/O string such as "1-1 2-2 2.1-2" into configurations.
ChannelIOMaxima ReadIOConfigString(std::string_view text, std::vector<ChannelIOConfig>& configs);

enum class SampleFormat { Float32, Float64 };

// The audio-processing base of an instance: its channel configurations, one record
// per input and output channel, the binding of host buffers to those channels and
// the call of the block function with 64-bit channel pointers only.
class Processor {
 public:
  static constexpr int32_t kInfiniteTail = 2147483647;

  explicit Processor(const PlugConfig& config);
  virtual ~Processor();
  Processor(const Processor&) = delete;
  Processor& operator=(const Processor&) = delete;

  // The block function: by default the inputs are copied to the outputs of the same
  // index and any further outputs are silenced.
  virtual void RenderBlock(double** inputs, double** outputs, int32_t frames);
  virtual void HandleMidiMessage(const MidiMessage& message) { EmitMidiMessage(message); }
  virtual void HandleSysEx(const SysExMessage& /*message*/) {}
  virtual void ResetProcessing() {}
  // Main thread, at activation, before ResetProcessing: acquires what processing at the
  // sample rate needs; false refuses the activation.
  virtual bool PrepareProcessing() { return true; }
  virtual void ActivationChanged(bool /*active*/) {}
  virtual bool EmitMidiMessage(const MidiMessage& /*message*/) { return false; }
  virtual bool EmitMidiMessages(const MidiMessage* messages, int32_t count);
  virtual bool EmitSysEx(const SysExMessage& /*message*/) { return false; }
  virtual std::string BusName(BusDirection direction, int32_t busIndex, int32_t busCount) const;
  virtual void ChangeLatency(int32_t samples) { latency_ = samples; }
  // On the thread that drives processing; the host may read the tail on its main thread.
  virtual void ChangeTailLength(int32_t samples) {
    tailLength_.store(samples, std::memory_order_relaxed);
  }

  void PrepareBlockSize(int32_t frames);
  void ConnectChannels(BusDirection direction, int32_t first, int32_t count, bool connected);
  void BindChannelBuffers(BusDirection direction, int32_t first, int32_t count,
                          double* const* host, int32_t frames);
  void BindChannelBuffers(BusDirection direction, int32_t first, int32_t count,
                          float* const* host, int32_t frames);
  void RunBlock(int32_t frames, SampleFormat format);

  int32_t MaxBusCount(BusDirection direction, int32_t* lastConfigWithMax = nullptr) const;
  int32_t BusChannelCount(BusDirection direction, int32_t busIndex, int32_t configIndex) const;
  int32_t ConnectedChannelCount(BusDirection direction) const;
  int32_t ChannelCount(BusDirection direction) const;

  const std::vector<ChannelIOConfig>& Configs() const { return configs_; }
  const ChannelIOMaxima& Maxima() const { return maxima_; }
  int32_t PluginKind() const { return pluginKind_; }
  bool MidiIn() const { return midiIn_; }
  bool MidiOut() const { return midiOut_; }
  bool Mpe() const { return mpe_; }
  double SampleRate() const { return sampleRate_; }
  void SetSampleRate(double rate) { sampleRate_ = rate; }
  int32_t BlockSize() const { return blockSize_; }
  int32_t Latency() const { return latency_; }
  int32_t TailLength() const { return tailLength_.load(std::memory_order_relaxed); }
  bool RenderingOffline() const { return renderingOffline_; }
  void SetRenderingOffline(bool offline) { renderingOffline_ = offline; }
  const TimeInfo& GetTimeInfo() const { return timeInfo_; }
  void SetTimeInfo(const TimeInfo& info) { timeInfo_ = info; }

 protected:
  void SetLatency(int32_t samples) { latency_ = samples; }

 private:
  struct ChannelRecord {
    bool connected = false;
    float* hostOutput = nullptr;  // 32-bit host buffer to write back to (outputs only)
    std::vector<double> scratch;
  };

  struct Direction {
    std::vector<double*> data;  // what RenderBlock receives, one per record
    std::vector<ChannelRecord> records;
  };

  Direction& Side(BusDirection direction) {
    return direction == BusDirection::Input ? inputs_ : outputs_;
  }
  const Direction& Side(BusDirection direction) const {
    return direction == BusDirection::Input ? inputs_ : outputs_;
  }

  int32_t pluginKind_;
  bool midiIn_;
  bool midiOut_;
  bool mpe_;
  int32_t latency_;
  double sampleRate_ = 48000.0;
  int32_t blockSize_ = 0;
  std::atomic<int32_t> tailLength_{0};
  bool renderingOffline_ = false;
  std::vector<ChannelIOConfig> configs_;
  ChannelIOMaxima maxima_;
  Direction inputs_;
  Direction outputs_;
  TimeInfo timeInfo_;
};

}  // namespace fw
