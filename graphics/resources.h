#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace fw::gui {

// One file linked into the module at build time.
struct EmbeddedResource {
  const char* name;  // the file's name as stored, e.g. "HV_back@2x.png"
  const char* type;  // "PNG", "TTF", …
  const unsigned char* data;
  size_t size;
};

// The module's resource table; generated per binary by halvern_embed_resources().
std::span<const EmbeddedResource> EmbeddedResources();

enum class ResourceLocation : int32_t { NotFound = 0, File = 1, Module = 2 };

// Resources are looked up by name ignoring case; a file path is the fallback.
class ResourceLocator {
 public:
  explicit ResourceLocator(std::span<const EmbeddedResource> table = EmbeddedResources())
      : table_(table) {}

  // outPath: the stored resource name or the file path.
  ResourceLocation Locate(const std::string& name, const std::string& type,
                          std::string& outPath) const;
  // The bytes of a module resource, in place; empty for one of 7 bytes or less.
  std::span<const unsigned char> ResourceBytes(const std::string& storedName,
                                               const std::string& type) const;
  // A copy of a resource's or file's bytes; empty when not found.
  std::vector<unsigned char> LoadBytes(const std::string& name, const std::string& type) const;

  // Tries the resolutions of an image in the order for targetScale (1 → 1, 3, 2;
  // 2 → 2, 3, 1; 3 → 3, 2, 1; 4 → 4, 3, 2, 1), naming n× variants "name@nx.ext".
  ResourceLocation FindImage(const std::string& name, const std::string& type, std::string& outPath,
                             int targetScale, int& foundScale) const;

 private:
  std::span<const EmbeddedResource> table_;
};

// The directory of the module (or program) this code is linked into, up to and including
// the last '/'; empty when the system cannot tell.
std::string ModuleDirectory();

// The next resolution to try after a miss at n, 0 when the search is over.
int NextSearchScale(int n, int targetScale);
std::string ScaledImageName(const std::string& name, int scale);
std::string LowerCase(std::string text);
std::string FileExtension(const std::string& name);  // text after the last '.'

}  // namespace fw::gui
