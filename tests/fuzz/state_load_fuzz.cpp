// Any bytes, read in any chunking, as a saved state.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_module.h"
#include "tests/host/test_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const int64_t piece = 1 + input.Byte();
  const int failAt = input.Byte() % 16 == 0 ? input.Byte() % 8 : -1;
  std::size_t restSize;
  const uint8_t* rest = input.Rest(restSize);

  testhost::TestHost host;
  testhost::Plugin plugin(fuzz::PluginFactory(), host);
  if (!plugin || !plugin->init(plugin.get())) std::abort();
  const auto* state = plugin.Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  const auto* params = plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);

  std::vector<int64_t> pieces(restSize / piece + 2, piece);
  testhost::MemoryIStream stream(std::vector<uint8_t>(rest, rest + restSize), pieces, failAt);
  const bool loaded = state->load(plugin.get(), stream.Stream());
  // Exactly a whole state, delivered without error, is accepted; anything else is refused.
  const int64_t reads = (static_cast<int64_t>(restSize) + piece - 1) / piece + 1;
  const bool readFails = failAt >= 0 && failAt < reads;
  if (loaded != (restSize == 152 && !readFails)) std::abort();
  // Whatever happened, every value is a valid one, and the state saves again.
  for (uint32_t id = 0; id < params->count(plugin.get()); ++id) {
    double value;
    clap_param_info_t info;
    if (!params->get_value(plugin.get(), id, &value) || !params->get_info(plugin.get(), id, &info) ||
        !(value >= info.min_value && value <= info.max_value)) {
      std::abort();
    }
  }
  testhost::MemoryOStream saved;
  if (!state->save(plugin.get(), saved.Stream()) || saved.Bytes().size() != 152) std::abort();
  return 0;
}
