#include "engine/engine_settings.h"

EngineSettings EngineSettings::From(const Values& v) {
  EngineSettings s;
  s.preDelayMs = v[kPredelay];
  s.roomSize = v[kRoomSize];
  s.density = static_cast<int32_t>(v[kDensity]);
  s.erDensity = static_cast<int32_t>(v[kErDensity]);
  s.erLevel = v[kErLevel];
  s.damping = v[kDamping];
  s.hpfHz = v[kReverbHpf];
  s.wetLevel = v[kWetLevel];
  s.dryLevel = v[kDryLevel];
  s.width = v[kWidth];
  s.thresholdDb = v[kGateThreshold];
  s.attackMs = v[kAttack];
  s.releaseMs = v[kRelease];
  s.inputBlend = v[kInputBlend];
  s.reverseOuts = static_cast<int32_t>(v[kReverseOuts]);
  s.holdMs = v[kHold];
  s.detector = static_cast<int32_t>(v[kGateDetector]);
  s.shelfDb = v[kHighShelf];
  s.shelfHz = v[kShelfFreq];
  return s;
}

EngineSettings::Values EngineSettings::ToValues() const {
  Values v{};
  v[kPredelay] = preDelayMs;
  v[kRoomSize] = roomSize;
  v[kDensity] = density;
  v[kErDensity] = erDensity;
  v[kErLevel] = erLevel;
  v[kDamping] = damping;
  v[kReverbHpf] = hpfHz;
  v[kWetLevel] = wetLevel;
  v[kDryLevel] = dryLevel;
  v[kWidth] = width;
  v[kGateThreshold] = thresholdDb;
  v[kAttack] = attackMs;
  v[kRelease] = releaseMs;
  v[kInputBlend] = inputBlend;
  v[kReverseOuts] = reverseOuts;
  v[kHold] = holdMs;
  v[kGateDetector] = detector;
  v[kHighShelf] = shelfDb;
  v[kShelfFreq] = shelfHz;
  return v;
}
