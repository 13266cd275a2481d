#pragma once
// The kestrafix command line as a function, so tests run it in-process with their own streams.
#include <iosfwd>
#include <string>
#include <vector>

namespace kx::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;  // an engine or platform error (KxError)
inline constexpr int kExitUsage = 2;  // bad arguments, refused or invalid input

// Runs one command line (args without the program name). Results go to out, the one-line
// error message "kestrafix: <message>" to err; questions read their answers from in.
int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace kx::cli
