#pragma once

#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>

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

// A warning on standard error, a whole line at a time when renders run side by side.
inline void Warn(const std::string& message) {
  static std::mutex lock;
  const std::scoped_lock hold(lock);
  std::fprintf(stderr, "halvern-render: warning: %s\n", message.c_str());
}

}  // namespace render
