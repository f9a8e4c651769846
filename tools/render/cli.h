#pragma once

#include <iosfwd>

namespace render {

// The whole tool: parses the command line, runs it, reports. Answers the exit status.
int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace render
