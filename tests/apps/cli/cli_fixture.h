#pragma once
// Runs kestrafix commands in-process with captured streams, in a test environment; a table
// of steps runs in order, each with its arguments, input, exit status and expected streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli_app.h"
#include "job_database.h"

namespace kx::test {

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

// Expected text: exact; with "..." at the end its beginning; with "~" in front a part of it.
struct CliStep {
  CliStep(std::vector<std::string> a, int c, std::string o, std::string e = "", std::string i = "")
      : args(std::move(a)), code(c), out(std::move(o)), err(std::move(e)), input(std::move(i)) {}
  std::vector<std::string> args;
  int code;
  std::string out, err, input;
};

class CliTest : public EnvTest {
 protected:
  CliResult Run(const std::vector<std::string>& args, const std::string& input = "") const {
    std::istringstream in(input);
    std::ostringstream out, err;
    CliResult r;
    r.code = cli::RunCli(args, in, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
  }

  // Each step in order, "%name%" replaced by vars[name] in arguments and expectations. Every
  // error is one line.
  void RunSteps(const std::vector<CliStep>& steps) const {
    for (const CliStep& s : steps) {
      std::vector<std::string> args;
      for (const std::string& a : s.args) args.push_back(Expand(a));
      SCOPED_TRACE(::testing::PrintToString(args));
      const CliResult r = Run(args, s.input);
      EXPECT_EQ(r.code, s.code) << r.err;
      ExpectText(r.out, Expand(s.out));
      ExpectText(r.err, Expand(s.err));
      EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }

  std::string Expand(std::string text) const {
    for (const auto& [name, value] : vars) {
      for (std::size_t at; (at = text.find("%" + name + "%")) != std::string::npos;)
        text.replace(at, name.size() + 2, value);
    }
    return text;
  }

  static void ExpectText(const std::string& actual, const std::string& expected) {
    if (expected.starts_with("~")) {
      EXPECT_NE(actual.find(expected.substr(1)), std::string::npos) << actual;
    } else if (expected.ends_with("...")) {
      EXPECT_TRUE(actual.starts_with(expected.substr(0, expected.size() - 3))) << actual;
    } else {
      EXPECT_EQ(actual, expected);
    }
  }

  std::map<std::string, std::string> vars{{"dir", env.Path().string()}};
};

}  // namespace kx::test
