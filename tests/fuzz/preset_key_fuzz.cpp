// Any load key: the parser agrees with a plain reading of the grammar, and loading
// through the instance never does more than refuse.
#include <cstdlib>
#include <optional>
#include <string>

#include "clap/preset_key.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_module.h"
#include "tests/host/test_host.h"

namespace {

// The grammar spelled out: "0", or 1-9 then digits, within the signed 32-bit range.
std::optional<int32_t> Reference(const std::string& key) {
  if (key == "0") return 0;
  if (key.empty() || key[0] < '1' || key[0] > '9' || key.size() > 10) return std::nullopt;
  for (char c : key) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const long long value = std::stoll(key);
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testhost::TestHost host;
  static testhost::Plugin plugin(fuzz::PluginFactory(), host);
  static const bool initialised = plugin->init(plugin.get());
  if (!initialised) std::abort();
  const std::string key(reinterpret_cast<const char*>(data), size);
  if (key.find('\0') != std::string::npos) return 0;
  if (fw::ParsePresetKey(key.c_str()) != Reference(key)) std::abort();

  const auto* presets = plugin.Extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
  // No factory preset exists, so every key is refused.
  if (presets->from_location(plugin.get(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                             key.c_str())) {
    std::abort();
  }
  host.ClearCalls();
  return 0;
}
