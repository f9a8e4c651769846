#include "tools/render/plugin_module.h"

#include <dlfcn.h>
#include <elf.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/render/errors.h"

namespace render {
namespace {

#if defined(__x86_64__)
constexpr uint16_t kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr uint16_t kMachine = EM_AARCH64;
#else
#error "name this machine's ELF type"
#endif

// Why the file is no shared object the loader can map here, or "" when it is one:
// a 64-bit little-endian ELF object for this machine whose loadable segments all lie
// within the file.
std::string ElfFault(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "it cannot be read";
  std::error_code error;
  const auto size = static_cast<uint64_t>(std::filesystem::file_size(path, error));
  if (error) return "it is not a file";
  Elf64_Ehdr header{};
  if (!file.read(reinterpret_cast<char*>(&header), sizeof header) ||
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
    return "it is not a shared library";
  }
  if (header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
      header.e_machine != kMachine || header.e_type != ET_DYN) {
    return "it is a library for another kind of machine";
  }
  if (header.e_phentsize != sizeof(Elf64_Phdr) ||
      header.e_phoff + uint64_t{header.e_phnum} * sizeof(Elf64_Phdr) > size) {
    return "it is damaged or cut short (its segment table lies beyond its end)";
  }
  file.seekg(static_cast<std::streamoff>(header.e_phoff));
  for (uint16_t i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr segment{};
    if (!file.read(reinterpret_cast<char*>(&segment), sizeof segment)) return "it cannot be read";
    if (segment.p_type == PT_LOAD &&
        (segment.p_offset > size || segment.p_filesz > size - segment.p_offset)) {
      return "it is damaged or cut short (" + std::to_string(size) + " bytes; its code needs " +
             std::to_string(segment.p_offset + segment.p_filesz) + ")";
    }
  }
  return "";
}

}  // namespace

PluginModule::PluginModule(std::filesystem::path path) : path_(std::move(path)) {
  const std::string where = "the plug-in module \"" + path_.string() + "\"";
  if (!std::filesystem::exists(path_)) throw RenderError(where + " does not exist");
  // The dynamic loader maps a damaged file and dies on the first page it cannot read.
  if (const std::string fault = ElfFault(path_); !fault.empty()) {
    throw RenderError("cannot load " + where + ": " + fault);
  }
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
