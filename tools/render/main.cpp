#include <iostream>

#include "tools/render/cli.h"

#if defined(__SANITIZE_ADDRESS__)
// fontconfig, behind Cairo's text, keeps allocations it never frees for the life of
// the process; the leak check of a sanitized build is not about them.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif

int main(int argc, char** argv) {
  return render::RunCommandLine(argc, argv, std::cout, std::cerr);
}
