// kestrafix: the command-line tool. All the work is in kx_cli.
#include <iostream>
#include <string>
#include <vector>

#include "cli_app.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kx::cli::RunCli(args, std::cin, std::cout, std::cerr);
}
