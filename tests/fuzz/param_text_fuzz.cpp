// Display texts in and out of every parameter: any text, any value, any buffer size.
#include <cstdlib>
#include <cstring>

#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_module.h"
#include "tests/host/test_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testhost::TestHost host;
  static testhost::Plugin plugin(fuzz::PluginFactory(), host);
  const auto* params = plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  fuzz::Input input(data, size);
  while (!input.Empty()) {
    const clap_id id = input.Byte() % 21;  // two beyond the last one
    clap_param_info_t info;
    const bool known = params->get_info(plugin.get(), id, &info);

    const std::string text = input.Text(40);
    double value = 0;
    if (params->text_to_value(plugin.get(), id, text.c_str(), &value) != known) std::abort();
    if (known && !(value >= info.min_value && value <= info.max_value)) std::abort();

    char display[64];
    std::memset(display, 'x', sizeof display);
    const uint32_t room = input.Byte() % 48;
    const double shown = input.Value();
    if (params->value_to_text(plugin.get(), id, shown, display, room)) {
      if (!known || std::memchr(display, '\0', room) == nullptr) std::abort();
    }
    if (room < sizeof display && display[room] != 'x') std::abort();  // never past the room
  }
  return 0;
}
