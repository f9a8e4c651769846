#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/params.h"

// The engine's record of the nineteen parameter values.
struct EngineSettings {
  double preDelayMs = 0.0;
  double roomSize = 0.5;
  int32_t density = 4;  // in the engine's active record: the applied density, 1…6
  int32_t erDensity = 0;
  double erLevel = 0.0;
  double damping = 0.5;
  double hpfHz = 0.0;
  double wetLevel = 0.3;
  double dryLevel = 0.5;
  double width = 1.0;
  double thresholdDb = -90.0;
  double attackMs = 1.0;
  double releaseMs = 200.0;
  double inputBlend = 0.0;
  int32_t reverseOuts = 0;
  double holdMs = 0.0;
  int32_t detector = kDetectWetOutput;
  double shelfDb = 0.0;
  double shelfHz = 12000.0;

  // The values by parameter index; the integer settings take them truncated toward zero.
  using Values = std::array<double, kHalvernParamCount>;
  static EngineSettings From(const Values& values);
  Values ToValues() const;
};

// The parameter values on their way from whichever thread reported a change to the
// audio thread. Each value is its own atomic, so the hand-over is free of data
// races; `changed` is raised after the values are written and taken before they are
// read, so a complete snapshot is always applied by the next block.
class SettingsSnapshot {
 public:
  explicit SettingsSnapshot(const EngineSettings::Values& initial) { Store(initial); }

  void Store(const EngineSettings::Values& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      values_[i].store(values[i], std::memory_order_relaxed);
    }
    changed_.store(true, std::memory_order_release);
  }

  bool TakeChanged() { return changed_.exchange(false, std::memory_order_acq_rel); }

  EngineSettings::Values Load() const {
    EngineSettings::Values values;
    for (std::size_t i = 0; i < values.size(); ++i) {
      values[i] = values_[i].load(std::memory_order_relaxed);
    }
    return values;
  }

 private:
  std::array<std::atomic<double>, kHalvernParamCount> values_{};
  std::atomic<bool> changed_{false};
};
