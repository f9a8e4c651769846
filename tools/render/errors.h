#pragma once

#include <stdexcept>

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

}  // namespace render
