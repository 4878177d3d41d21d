// mksetup: packs a product into a copy of the installer stub.
#include <iostream>
#include <string>
#include <vector>

#include "tools/mksetup/mksetup_cli.h"

int main(int argc, char** argv) {
  return setup::RunMksetup(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
