#include "cli_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "cli_app.h"

namespace kx::test {

namespace {

// Blanks split; 'quoted' parts are taken as they are, '' inside standing for one quote.
std::vector<std::string> SplitArguments(const std::string& line) {
  std::vector<std::string> args;
  std::string arg;
  bool any = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\'') {
      for (++i; i < line.size() && (line[i] != '\'' || (i + 1 < line.size() && line[i + 1] == '\'')); ++i)
        arg += line[i] == '\'' ? line[++i] : line[i];
      any = true;
    } else if (line[i] == ' ') {
      if (any) args.push_back(arg);
      arg.clear();
      any = false;
    } else {
      arg += line[i];
      any = true;
    }
  }
  if (any) args.push_back(arg);
  return args;
}

// An expected stream: its text and how it is compared ("" exact, "~" a part, "..." the start).
struct Expected {
  std::string mode, text;
  void Check(const std::string& actual) const {
    if (mode == "~") {
      EXPECT_NE(actual.find(text), std::string::npos) << actual;
    } else if (mode == "...") {
      EXPECT_TRUE(actual.starts_with(text)) << actual;
    } else {
      EXPECT_EQ(actual, text);
    }
  }
};

}  // namespace

CliResult CliTest::Run(const std::vector<std::string>& args, const std::string& input, bool tty) const {
  std::istringstream in(input);
  std::ostringstream out, err;
  cli::Console console;
  if (tty) console = cli::Console{&in, &err, true};  // the terminal is the error stream and the input
  CliResult r;
  r.code = cli::RunCli(args, in, out, err, console);
  r.out = out.str();
  r.err = err.str();
  return r;
}

void CliTest::RunScenario(const std::string& name) const {
  std::istringstream file(ReadAll(TestData("cli/" + name)));
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    for (const auto& [key, value] : vars) {
      for (std::size_t at; (at = line.find("%" + key + "%")) != std::string::npos;)
        line.replace(at, key.size() + 2, value);
    }
    for (std::size_t at; (at = line.find("\\t")) != std::string::npos;) line.replace(at, 2, "\t");
    for (std::size_t at; (at = line.find("\\e")) != std::string::npos;) line.replace(at, 2, "\033");
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  lines.push_back("$ <end>");
  std::string command, input, variable;
  int code = 0;
  bool tty = false;
  Expected out, err;
  for (const std::string& line : lines) {
    const std::size_t blank = line.find(' ');
    const std::string word = line.substr(0, blank),
                      text = blank == std::string::npos ? "" : line.substr(blank + 1);
    if (word == "$") {
      if (!command.empty()) {
        SCOPED_TRACE(command);
        const std::size_t eq = variable.find('=');
        if (eq != std::string::npos) ::setenv(variable.substr(0, eq).c_str(), variable.c_str() + eq + 1, 1);
        const CliResult r = Run(SplitArguments(command.substr(1)), input, tty);
        if (eq != std::string::npos) ::unsetenv(variable.substr(0, eq).c_str());
        EXPECT_EQ(r.code, code) << r.err;
        out.Check(r.out);
        err.Check(r.err);
        EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
      }
      command = " " + text;
      input.clear();
      variable.clear();
      code = 0;
      tty = false;
      out = err = Expected{};
    } else if (word == "in") {
      input += text + "\n";
    } else if (word == "tty") {
      tty = true;
    } else if (word == "env") {
      variable = text;
    } else if (word == "exit") {
      code = std::stoi(text);
    } else {
      Expected& e = word.starts_with("out") ? out : err;
      e.mode = word.substr(3);
      e.text += e.mode.empty() ? text + "\n" : text;
    }
  }
}

}  // namespace kx::test
