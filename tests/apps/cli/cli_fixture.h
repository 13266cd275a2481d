#pragma once
// Runs kestrafix commands in-process with captured streams, in a test environment, and the
// scenarios of tests/data/cli step by step (their format is in tests/data/cli/README).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "job_database.h"

namespace kx::test {

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

class CliTest : public EnvTest {
 protected:
  // Colour as on a plain terminal, whatever the shell running the tests says.
  CliTest() {
    env.Unset("NO_COLOR");
    env.Unset("TERM");
  }
  // tty: standard input and the error stream are a person's terminal.
  CliResult Run(const std::vector<std::string>& args, const std::string& input = "", bool tty = false) const;
  // Every step of tests/data/cli/<name>: its exit status, its streams, and one line at most
  // on the error stream.
  void RunScenario(const std::string& name) const;

  std::map<std::string, std::string> vars{{"dir", env.Path().string()}};
};

}  // namespace kx::test
