#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace render {

// "2.78 s".
std::string DurationText(uint64_t frames, double sampleRate);

// Audio the render loop reads, a block at a time, as planar doubles.
class SignalSource {
 public:
  virtual ~SignalSource() = default;
  virtual uint32_t Channels() const = 0;
  virtual uint64_t Frames() const = 0;
  // Fills up to `frames` samples of each channel; fewer only at the end.
  virtual std::size_t Read(std::span<double* const> channels, std::size_t frames) = 0;
};

// Where the render loop sends the plug-in's output, a block at a time.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual void Write(std::span<const double* const> channels, std::size_t frames) = 0;
};

// Planar audio in memory.
struct Signal {
  double sampleRate = 48000.0;
  std::vector<std::vector<double>> channels;

  uint64_t Frames() const { return channels.empty() ? 0 : channels.front().size(); }
};

class SignalReader : public SignalSource {
 public:
  explicit SignalReader(const Signal& signal) : signal_(signal) {}
  uint32_t Channels() const override { return static_cast<uint32_t>(signal_.channels.size()); }
  uint64_t Frames() const override { return signal_.Frames(); }
  std::size_t Read(std::span<double* const> channels, std::size_t frames) override;

 private:
  const Signal& signal_;
  std::size_t position_ = 0;
};

// Appends what it is given to a Signal.
class SignalRecorder : public OutputSink {
 public:
  explicit SignalRecorder(Signal& target) : target_(target) {}
  void Write(std::span<const double* const> channels, std::size_t frames) override;

 private:
  Signal& target_;
};

// The largest magnitude written, and how many samples lay beyond full scale.
class PeakMeter : public OutputSink {
 public:
  void Write(std::span<const double* const> channels, std::size_t frames) override;
  double Peak() const { return peak_; }
  uint64_t SamplesBeyondFullScale() const { return beyondFullScale_; }

 private:
  double peak_ = 0.0;
  uint64_t beyondFullScale_ = 0;
};

}  // namespace render
