#include "tools/render/plugin_module.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "tools/render/errors.h"

namespace render {

PluginModule::PluginModule(std::filesystem::path path) : path_(std::move(path)) {
  const std::string where = "the plug-in module \"" + path_.string() + "\"";
  if (!std::filesystem::exists(path_)) throw RenderError(where + " does not exist");
  void* handle = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw RenderError("cannot load " + where + ": " + dlerror());
  entry_ = static_cast<const clap_plugin_entry_t*>(dlsym(handle, "clap_entry"));
  std::string failure;
  if (!entry_) {
    failure = where + " has no clap_entry";
  } else if (entry_->clap_version.major < 1 || !entry_->init || !entry_->deinit ||
             !entry_->get_factory) {
    failure = where + " has an incompatible clap_entry";
  } else if (!entry_->init(path_.c_str())) {
    failure = where + " refused to initialise";
  } else {
    factory_ =
        static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (!factory_) {
      entry_->deinit();
      failure = where + " offers no plug-in factory";
    }
  }
  if (!failure.empty()) {
    dlclose(handle);
    throw RenderError(failure);
  }
}

// The module stays mapped until the process ends: a one-shot tool gains nothing by
// unloading it, and what the module leaves behind (exit handlers, the state it keeps
// for a late deinit) stays valid.
PluginModule::~PluginModule() {
  entry_->deinit();
}

std::filesystem::path LocatePluginModule(const std::optional<std::filesystem::path>& requested) {
  if (requested) return *requested;
  const std::filesystem::path built = HALVERN_RENDER_BUILT_MODULE;
  if (std::filesystem::exists(built)) return built;
  const char* home = std::getenv("HOME");
  const std::filesystem::path installed =
      std::filesystem::path(home ? home : "") / ".clap" / "Halvern.clap";
  if (std::filesystem::exists(installed)) return installed;
  throw RenderError("no plug-in module found at \"" + built.string() + "\" or \"" +
                    installed.string() + "\"; pass one with --plugin PATH");
}

}  // namespace render
