#pragma once

#include <algorithm>

#include "framework/parameter.h"

namespace fw {

// Real parameters cross the CLAP boundary normalised, every other kind in its own units.
inline bool CrossesNormalised(const Parameter& param) {
  return param.Kind() == ParamKind::Real;
}

// A host value in real units. A normalised value is brought into 0…1 before the shape:
// a curve such as x^2.3 would otherwise turn -inf into +inf.
inline double RealFromHost(const Parameter& param, double hostValue) {
  return CrossesNormalised(param) ? param.Denormalized(std::clamp(hostValue, 0.0, 1.0))
                                  : param.Restrict(hostValue);
}

// A real value as the host sees it.
inline double HostFromReal(const Parameter& param, double real) {
  return CrossesNormalised(param) ? param.Normalized(real) : real;
}

}  // namespace fw
