#pragma once
// Table checks: f(input) is the expected output for every row, reported with its input.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace kx::test {

template <class Out = std::string, class In = std::string, class F>
void ExpectEach(F&& f, std::initializer_list<std::pair<In, Out>> rows) {
  for (const auto& [in, out] : rows) EXPECT_EQ(f(in), out) << ::testing::PrintToString(in);
}

}  // namespace kx::test
