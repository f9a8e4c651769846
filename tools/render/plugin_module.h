#pragma once

#include <filesystem>
#include <optional>

#include "clap/abi.h"

namespace render {

// A CLAP module loaded with dlopen and initialised through its clap_entry, as a DAW
// loads it; deinitialised with the object.
class PluginModule {
 public:
  explicit PluginModule(std::filesystem::path path);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  const clap_plugin_factory_t& Factory() const { return *factory_; }

 private:
  std::filesystem::path path_;
  const clap_plugin_entry_t* entry_ = nullptr;
  const clap_plugin_factory_t* factory_ = nullptr;
};

// The module to load: the one named on the command line, else the one the build made
// next to this tool, else ~/.clap/Halvern.clap.
std::filesystem::path LocatePluginModule(const std::optional<std::filesystem::path>& requested);

}  // namespace render
