#include <iostream>

#include "tools/render/cli.h"

int main(int argc, char** argv) {
  return render::RunCommandLine(argc, argv, std::cout, std::cerr);
}
