#pragma once

// The module linked into the fuzzer itself: the same clap_entry a host loads, without
// dlopen, so the fuzzer sees coverage of all of it.

#include <cstdlib>

#include "clap/abi.h"

extern "C" const clap_plugin_entry_t clap_entry;

namespace fuzz {

inline const clap_plugin_factory_t* PluginFactory() {
  static const bool initialised = clap_entry.init("/fuzz/Halvern.clap");
  if (!initialised) std::abort();
  return static_cast<const clap_plugin_factory_t*>(clap_entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
}

}  // namespace fuzz
