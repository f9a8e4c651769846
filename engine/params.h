#pragma once

// The product's parameters by index; the index is also the host's parameter id and
// the position of the value in the state chunk, so the order never changes.
enum HalvernParam : int {
  kPredelay = 0,
  kRoomSize,
  kDensity,
  kErDensity,
  kErLevel,
  kDamping,
  kReverbHpf,
  kWetLevel,
  kDryLevel,
  kWidth,
  kGateThreshold,
  kAttack,
  kRelease,
  kInputBlend,
  kReverseOuts,
  kHold,
  kGateDetector,
  kHighShelf,
  kShelfFreq,
  kHalvernParamCount,
};

// Choices of "Gate Det. Inp.".
enum GateDetector : int { kDetectDryInput = 0, kDetectWetOutput = 1, kDetectSidechain = 2 };
