#include "framework/processor.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace fw {
namespace {

constexpr int32_t kWildcardChannels = -64;
// Channel records are sized from the I/O string; a string asking for more than this
// is cut here (surplus host channels are ignored like any others).
constexpr int32_t kMaxChannelsPerDirection = 256;

// Splits on runs of `separator`, skipping empty pieces at either end.
std::vector<std::string_view> SplitRuns(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t start = text.find_first_not_of(separator, pos);
    if (start == std::string_view::npos) break;
    std::size_t end = std::min(text.find(separator, start), text.size());
    pieces.push_back(text.substr(start, end - start));
    pos = end;
  }
  return pieces;
}

// A channel count: "*" is the wildcard; otherwise a leading decimal integer as %d
// reads it (white space and a sign allowed), 0 when the piece does not start with one.
int32_t ParseCount(std::string_view piece) {
  if (piece == "*") return kWildcardChannels;
  std::size_t i = 0;
  while (i < piece.size() && (piece[i] == ' ' || (piece[i] >= '\t' && piece[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) negative = piece[i++] == '-';
  int64_t value = 0;
  for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (piece[i] - '0'), std::numeric_limits<int32_t>::max());
  }
  return static_cast<int32_t>(negative ? -value : value);
}

void AddBuses(std::string_view part, BusDirection direction, std::vector<BusInfo>& buses) {
  for (std::string_view piece : SplitRuns(part, '.')) {
    int32_t count = ParseCount(piece);
    if (count != 0) buses.push_back({direction, count});
  }
}

}  // namespace

int32_t ChannelIOConfig::Total(const std::vector<BusInfo>& buses) {
  int64_t total = 0;
  for (const BusInfo& bus : buses) total += bus.channelCount;
  return static_cast<int32_t>(std::clamp<int64_t>(total, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

ChannelIOMaxima ReadIOConfigString(std::string_view text, std::vector<ChannelIOConfig>& configs) {
  ChannelIOMaxima maxima;
  for (std::string_view entry : SplitRuns(text, ' ')) {
    std::vector<std::string_view> parts = SplitRuns(entry, '-');
    ChannelIOConfig config;
    if (!parts.empty()) AddBuses(parts[0], BusDirection::Input, config.inputs);
    if (parts.size() > 1) AddBuses(parts[1], BusDirection::Output, config.outputs);
    maxima.inputChannels = std::max(maxima.inputChannels, config.ChannelTotal(BusDirection::Input));
    maxima.outputChannels =
        std::max(maxima.outputChannels, config.ChannelTotal(BusDirection::Output));
    maxima.inputBuses = std::max(maxima.inputBuses, static_cast<int32_t>(config.inputs.size()));
    maxima.outputBuses = std::max(maxima.outputBuses, static_cast<int32_t>(config.outputs.size()));
    configs.push_back(std::move(config));
  }
  maxima.configCount = static_cast<int32_t>(configs.size());
  return maxima;
}

Processor::Processor(const PlugConfig& config)
    : pluginKind_(config.pluginKind),
      midiIn_(config.midiIn),
      midiOut_(config.midiOut),
      mpe_(config.mpe),
      latency_(config.latency) {
  maxima_ = ReadIOConfigString(config.channelIOString ? config.channelIOString : "", configs_);
  for (BusDirection direction : {BusDirection::Input, BusDirection::Output}) {
    int32_t channels = direction == BusDirection::Input ? maxima_.inputChannels
                                                         : maxima_.outputChannels;
    Direction& side = Side(direction);
    side.data.assign(std::min(channels, kMaxChannelsPerDirection), nullptr);
    side.records.resize(side.data.size());
  }
}

Processor::~Processor() = default;

void Processor::RenderBlock(double** inputs, double** outputs, int32_t frames) {
  const std::size_t shared = std::min(inputs_.records.size(), outputs_.records.size());
  for (std::size_t c = 0; c < outputs_.records.size(); ++c) {
    double* out = outputs[c];
    if (!out) continue;
    if (c < shared && inputs[c]) {
      std::copy_n(inputs[c], frames, out);
    } else {
      std::fill_n(out, frames, 0.0);
    }
  }
}

bool Processor::EmitMidiMessages(const MidiMessage* messages, int32_t count) {
  bool all = true;
  for (int32_t i = 0; i < count; ++i) all = EmitMidiMessage(messages[i]) && all;
  return all;
}

std::string Processor::BusName(BusDirection direction, int32_t busIndex, int32_t busCount) const {
  char name[32];
  if (direction == BusDirection::Input) {
    if (busCount == 1) return "Input";
    if (busCount == 2) return busIndex == 0 ? "Main" : "Aux";
    std::snprintf(name, sizeof name, "Input %i", busIndex);
  } else {
    if (busCount == 1) return "Output";
    std::snprintf(name, sizeof name, "Output %i", busIndex);
  }
  return name;
}

void Processor::PrepareBlockSize(int32_t frames) {
  if (frames == blockSize_) return;
  for (Direction* side : {&inputs_, &outputs_}) {
    for (ChannelRecord& record : side->records) record.scratch.assign(std::max(frames, 0), 0.0);
  }
  blockSize_ = frames;
}

void Processor::ConnectChannels(BusDirection direction, int32_t first, int32_t count,
                                bool connected) {
  Direction& side = Side(direction);
  const int32_t end = std::min<int64_t>(int64_t{first} + count, side.records.size());
  for (int32_t c = std::max(first, 0); c < end; ++c) {
    ChannelRecord& record = side.records[c];
    record.connected = connected;
    if (!connected) {
      record.hostOutput = nullptr;
      side.data[c] = record.scratch.empty() ? nullptr : record.scratch.data();
    }
  }
}

void Processor::BindChannelBuffers(BusDirection direction, int32_t first, int32_t count,
                                   double* const* host, int32_t /*frames*/) {
  Direction& side = Side(direction);
  const int32_t end = std::min<int64_t>(int64_t{first} + count, side.records.size());
  for (int32_t c = std::max(first, 0); c < end; ++c) {
    if (side.records[c].connected) side.data[c] = *host++;
  }
}

void Processor::BindChannelBuffers(BusDirection direction, int32_t first, int32_t count,
                                   float* const* host, int32_t frames) {
  Direction& side = Side(direction);
  const int32_t end = std::min<int64_t>(int64_t{first} + count, side.records.size());
  for (int32_t c = std::max(first, 0); c < end; ++c) {
    ChannelRecord& record = side.records[c];
    if (!record.connected) continue;
    float* buffer = *host++;
    double* scratch = record.scratch.data();
    side.data[c] = scratch;
    if (direction == BusDirection::Input) {
      std::copy_n(buffer, frames, scratch);
    } else {
      record.hostOutput = buffer;
    }
  }
}

void Processor::RunBlock(int32_t frames, SampleFormat format) {
  RenderBlock(inputs_.data.empty() ? nullptr : inputs_.data.data(),
              outputs_.data.empty() ? nullptr : outputs_.data.data(), frames);
  if (format != SampleFormat::Float32) return;
  for (std::size_t c = 0; c < outputs_.records.size(); ++c) {
    const ChannelRecord& record = outputs_.records[c];
    if (record.connected && record.hostOutput) {
      std::transform(outputs_.data[c], outputs_.data[c] + frames, record.hostOutput,
                     [](double v) { return static_cast<float>(v); });
    }
  }
}

int32_t Processor::MaxBusCount(BusDirection direction, int32_t* lastConfigWithMax) const {
  int32_t most = 0;
  for (std::size_t i = 0; i < configs_.size(); ++i) {
    int32_t buses = static_cast<int32_t>(configs_[i].Buses(direction).size());
    if (buses >= most) {
      most = buses;
      if (lastConfigWithMax) *lastConfigWithMax = static_cast<int32_t>(i);
    }
  }
  return most;
}

int32_t Processor::BusChannelCount(BusDirection direction, int32_t busIndex,
                                   int32_t configIndex) const {
  if (configIndex < 0 || configIndex >= static_cast<int32_t>(configs_.size())) return 0;
  const std::vector<BusInfo>& buses = configs_[configIndex].Buses(direction);
  if (busIndex < 0 || busIndex >= static_cast<int32_t>(buses.size())) return 0;
  return buses[busIndex].channelCount;
}

int32_t Processor::ConnectedChannelCount(BusDirection direction) const {
  const Direction& side = Side(direction);
  return static_cast<int32_t>(std::count_if(side.records.begin(), side.records.end(),
                                            [](const ChannelRecord& r) { return r.connected; }));
}

int32_t Processor::ChannelCount(BusDirection direction) const {
  return static_cast<int32_t>(Side(direction).records.size());
}

}  // namespace fw
