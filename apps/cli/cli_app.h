#pragma once
// The kestrafix command line as a function, so tests run it in-process with their own streams.
#include <iosfwd>
#include <string>
#include <vector>

namespace kx::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;  // an engine or platform error (KxError)
inline constexpr int kExitUsage = 2;  // bad arguments, refused or invalid input

// The person in front of the command, if any.
struct Console {
  // A question is written to ttyOut and its answer read from ttyIn; both null when there is
  // no terminal to ask on.
  std::istream* ttyIn = nullptr;
  std::ostream* ttyOut = nullptr;
  // The error stream shows on a terminal: progress lines, and colour unless NO_COLOR is set.
  bool errIsTerminal = false;
};

// Runs one command line (args without the program name). Results go to out, the one-line
// error message to err.
int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
           const Console& console = {});

}  // namespace kx::cli
