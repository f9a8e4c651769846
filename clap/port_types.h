#pragma once

#include <cstdint>

#include "clap/abi.h"

namespace fw {

// The CLAP port type of a bus: by its channel count, none for other counts.
inline const char* PortTypeFor(int32_t channels) {
  if (channels == 2) return CLAP_PORT_STEREO;
  if (channels == 1) return CLAP_PORT_MONO;
  return nullptr;
}

}  // namespace fw
