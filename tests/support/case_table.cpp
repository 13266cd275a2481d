#include "case_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "temp_dir.h"
#include "test_environment.h"

namespace kx::test {

namespace {

std::string Field(std::string_view text) {
  const auto first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
  if (first == std::string_view::npos) return {};
  text = text.substr(first, last - first + 1);
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return std::string(text);
  std::string out;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    if (c == 'x') {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
  }
  return out;
}

}  // namespace

std::vector<Case> Cases(std::string_view file) {
  std::istringstream in(ReadAll(TestData("cases/" + std::string(file))));
  std::vector<Case> cases;
  for (std::string line; std::getline(in, line);) {
    const auto arrow = line.rfind(" => ");
    if (line.empty() || line[0] == '#') continue;
    if (arrow == std::string::npos) {
      ADD_FAILURE() << file << ": no \" => \" in " << line;
      continue;
    }
    Case c{{}, Field(std::string_view(line).substr(arrow + 4)), line};
    std::string_view inputs = std::string_view(line).substr(0, arrow);
    for (std::size_t bar; (bar = inputs.find(" | ")) != std::string_view::npos; inputs.remove_prefix(bar + 3))
      c.in.push_back(Field(inputs.substr(0, bar)));
    c.in.push_back(Field(inputs));
    cases.push_back(c);
  }
  EXPECT_FALSE(cases.empty()) << file;
  return cases;
}

}  // namespace kx::test
