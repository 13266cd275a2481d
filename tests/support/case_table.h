#pragma once
// Cases of a rule kept as data: tests/data/cases/<file>, one case a line,
//   <input> | <input> ... => <expected>
// Fields are trimmed; a field in double quotes keeps its blanks and reads \" \\ \t \r \n \xHH.
// Lines that start with # are comments.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kx::test {

struct Case {
  std::vector<std::string> in;
  std::string out;
  std::string line;  // as written, for the failure message
};

std::vector<Case> Cases(std::string_view file);
// A case as a test parameter is shown as its line.
inline void PrintTo(const Case& c, std::ostream* os) { *os << c.line; }

}  // namespace kx::test
