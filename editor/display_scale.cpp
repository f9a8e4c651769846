#include "editor/display_scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

namespace {

constexpr float kMinDrawScale = 0.5f;
constexpr float kMaxDrawScale = 4.0f;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// strtof's rules (leading white space and one '+' allowed, nothing but white space after
// the number) without its dependence on the C locale, which a host may have set to one
// with a decimal comma.
bool ParseScale(std::string_view line, float& value) {
  std::size_t begin = 0;
  while (begin < line.size() && IsSpace(line[begin]))
    ++begin;
  if (begin < line.size() && line[begin] == '+') ++begin;
  const char* first = line.data() + begin;
  const char* last = line.data() + line.size();
  float parsed = 0.0f;
  auto [end, ec] = std::from_chars(first, last, parsed);
  if (ec != std::errc() || end == first) return false;
  if (!std::all_of(end, last, IsSpace)) return false;
  if (!std::isfinite(parsed) || parsed <= 0.0f) return false;
  value = parsed;
  return true;
}

bool ReadFirstLine(const std::string& path, std::string& line) {
  File file(std::fopen(path.c_str(), "r"));
  if (!file) return false;
  line.clear();
  for (int c = std::fgetc(file.get()); c != EOF && c != '\n'; c = std::fgetc(file.get())) {
    line.push_back(static_cast<char>(c));
  }
  return !std::ferror(file.get());
}

}  // namespace

std::string PreferenceFilePath(const char* prefix) {
  if (prefix == nullptr || prefix[0] == '\0') return {};
  std::string path = PreferencesFolder();
  if (path.empty()) return {};
  for (const char* c = prefix; *c != '\0'; ++c) {
    path.push_back(std::strchr("/\\:*?\"<>|", *c) != nullptr ? '_' : *c);
  }
  return path + "-display-scale.txt";
}

bool ReadDisplayScale(const char* prefix, float& value) {
  const std::string path = PreferenceFilePath(prefix);
  std::string line;
  if (path.empty() || !ReadFirstLine(path, line) || line.empty()) return false;
  return ParseScale(line, value);
}

bool WriteDisplayScale(const char* prefix, float value) {
  if (!std::isfinite(value) || value <= 0.0f) return false;
  const std::string folder = PreferencesFolder();
  const std::string path = PreferenceFilePath(prefix);
  if (folder.empty() || path.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return false;

  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, 4);
  if (ec != std::errc()) return false;
  *end++ = '\n';

  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  const std::size_t length = static_cast<std::size_t>(end - text);
  const bool written = std::fwrite(text, 1, length, file) == length;
  // Buffered data reaches the file only on close, so its result counts too.
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

float StoredDisplayScale() {
  float value = 1.0f;
  if (!ReadDisplayScale(kProductPreferencePrefix, value)) return 1.0f;
  return std::max(std::min(value, kMaxDrawScale), kMinDrawScale);
}
