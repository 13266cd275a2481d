// kestrafix: the command-line tool. All the work is in kx_cli.
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli_app.h"
#include "cli_support.h"

int main(int argc, char** argv) {
  kx::cli::UseInstalledAddIn();
  std::vector<std::string> args(argv + 1, argv + argc);
  kx::cli::Console console;
  console.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
  // Questions go to the controlling terminal, never to standard output; without one they
  // are asked on standard error when standard input is a terminal.
  std::fstream tty("/dev/tty", std::ios::in | std::ios::out);
  if (tty.is_open()) {
    console.ttyIn = &tty;
    console.ttyOut = &tty;
  } else if (::isatty(STDIN_FILENO) == 1) {
    console.ttyIn = &std::cin;
    console.ttyOut = &std::cerr;
  }
  return kx::cli::RunCli(args, std::cin, std::cout, std::cerr, console);
}
