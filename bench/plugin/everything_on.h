#pragma once

#include <cmath>
#include <vector>

#include "clap/abi.h"
#include "engine/params.h"

namespace bench {

struct Setting {
  clap_id id;
  double value;  // as the host sends it: normalised for Real parameters
};

// The "everything on" setting the benchmarks share: pre-delay 20 ms, density 6, eight
// early reflections at level 0.5, high-pass 200 Hz, gate at -40 dB, shelf -6 dB at 8 kHz.
inline const std::vector<Setting> kEverythingOn = {
    {kPredelay, std::pow(20.0 / 100.0, 1 / 2.3)},
    {kDensity, 1.0},
    {kErDensity, 1.0},
    {kErLevel, 0.5},
    {kReverbHpf, std::pow(200.0 / 2000.0, 1 / 2.8)},
    {kGateThreshold, 50.0 / 90.0},
    {kHighShelf, 14.0 / 30.0},
    {kShelfFreq, std::pow(7000.0 / 11000.0, 1 / 2.8)},
};

}  // namespace bench
