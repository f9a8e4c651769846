#include <cstdlib>
#include <string>

#include "editor/display_scale.h"

namespace {

// Relative values are invalid in the base-directory convention and are ignored.
const char* AbsolutePathFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? value : nullptr;
}

}  // namespace

std::string PreferencesFolder() {
  std::string base;
  if (const char* config = AbsolutePathFromEnvironment("XDG_CONFIG_HOME")) {
    base = config;
  } else if (const char* home = AbsolutePathFromEnvironment("HOME")) {
    base = std::string(home) + "/.config";
  } else {
    return {};
  }
  return base + "/Brackwater Audio/Preferences/";
}
