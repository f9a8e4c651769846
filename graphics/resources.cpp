#include "graphics/resources.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fw::gui {

namespace {

constexpr size_t kMinResourceSize = 8;

bool SameIgnoringCase(const std::string& a, const char* b) {
  return LowerCase(a) == LowerCase(b);
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

namespace {

// The dot that starts the extension: in the file's name, not in a directory's.
size_t ExtensionDot(const std::string& name) {
  size_t dot = name.find_last_of('.');
  size_t separator = name.find_last_of("/\\");
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) {
    return std::string::npos;
  }
  return dot;
}

}  // namespace

std::string FileExtension(const std::string& name) {
  size_t dot = ExtensionDot(name);
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

ResourceLocation ResourceLocator::Locate(const std::string& name, const std::string& type,
                                         std::string& outPath) const {
  if (name.empty()) return ResourceLocation::NotFound;
  for (const EmbeddedResource& resource : table_) {
    if (SameIgnoringCase(type, resource.type) && SameIgnoringCase(name, resource.name)) {
      outPath = resource.name;
      return ResourceLocation::Module;
    }
  }
  if (IsFile(name)) {
    outPath = name;
    return ResourceLocation::File;
  }
  return ResourceLocation::NotFound;
}

std::span<const unsigned char> ResourceLocator::ResourceBytes(const std::string& storedName,
                                                              const std::string& type) const {
  for (const EmbeddedResource& resource : table_) {
    if (storedName == resource.name && SameIgnoringCase(type, resource.type)) {
      if (resource.size < kMinResourceSize) return {};
      return {resource.data, resource.size};
    }
  }
  return {};
}

std::vector<unsigned char> ResourceLocator::LoadBytes(const std::string& name,
                                                      const std::string& type) const {
  std::string path;
  switch (Locate(name, type, path)) {
    case ResourceLocation::Module: {
      std::span<const unsigned char> bytes = ResourceBytes(path, type);
      return {bytes.begin(), bytes.end()};
    }
    case ResourceLocation::File: {
      std::ifstream file(path, std::ios::binary);
      return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    case ResourceLocation::NotFound:
      break;
  }
  return {};
}

std::string ModuleDirectory() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<const void*>(&ModuleDirectory), &info) || !info.dli_fname) return {};
  std::string path = info.dli_fname;
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int NextSearchScale(int n, int targetScale) {
  if (n == targetScale && targetScale != 3) return 3;
  if (n == targetScale + 1) return targetScale - 1;
  return n - 1;
}

std::string ScaledImageName(const std::string& name, int scale) {
  if (scale == 1) return name;
  size_t dot = ExtensionDot(name);
  std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  char text[512];
  std::snprintf(text, sizeof text, "%s@%dx%s", stem.c_str(), scale, extension.c_str());
  return text;
}

ResourceLocation ResourceLocator::FindImage(const std::string& name, const std::string& type,
                                            std::string& outPath, int targetScale,
                                            int& foundScale) const {
  for (int n = targetScale; n > 0; n = NextSearchScale(n, targetScale)) {
    ResourceLocation where = Locate(ScaledImageName(name, n), type, outPath);
    if (where != ResourceLocation::NotFound) {
      foundScale = n;
      return where;
    }
  }
  return ResourceLocation::NotFound;
}

}  // namespace fw::gui
