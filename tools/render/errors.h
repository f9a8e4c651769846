#pragma once

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>

namespace render {

// A failure the user can act on; the message says what went wrong and, where it
// helps, what would be valid. The tool prints it and exits with status 1.
class RenderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A command line the tool cannot run; reported like a RenderError, with status 2.
class UsageError : public RenderError {
 public:
  using RenderError::RenderError;
};

// A name in double quotes, for messages. Built by appending: GCC 12 takes a literal
// prepended to a string for an overlapping copy and warns (-Wrestrict) in release builds.
inline std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.append(1, '"').append(text).append(1, '"');
  return quoted;
}

inline std::string Quoted(const std::filesystem::path& path) {
  return Quoted(std::string_view(path.native()));
}

// A warning on standard error, a whole line at a time when renders run side by side.
inline void Warn(const std::string& message) {
  static std::mutex lock;
  const std::scoped_lock hold(lock);
  std::fprintf(stderr, "halvern-render: warning: %s\n", message.c_str());
}

}  // namespace render
