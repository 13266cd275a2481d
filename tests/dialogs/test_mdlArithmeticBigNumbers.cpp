// Decimal arithmetic on digit strings of any length.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/mdlArithmeticBigNumbers.h"
#include "expect_each.h"

namespace kx {
namespace {

using test::ExpectEach;
using Pair = std::pair<std::string, std::string>;

TEST(BigNumbers, AddWithSameAndMixedSignsBeyondAnyMachineInteger) {
  const std::string nines(40, '9'), power = "1" + std::string(40, '0');
  const auto add = [](const Pair& p) { return AddBigNumbers(p.first, p.second); };
  // clang-format off
  ExpectEach<std::string, Pair>(add, {
      {{"5", "-7"}, "-2"}, {{"-5", "5"}, "0"}, {{"7", "-5"}, "2"}, {{"-7", "5"}, "-2"}, {{"-7", "-5"}, "-12"},
      {{"999", "1"}, "1000"}, {{"1", "999"}, "1000"}, {{"1000", "-1"}, "999"}, {{"0", "0"}, "0"},
      {{"0099", "1"}, "100"}, {{"", "1"}, "1"}, {{nines, "1"}, power}, {{power, "-1"}, nines},
      {{"123456789012345678901234567890", "987654321098765432109876543210"}, "1111111110111111111011111111100"}});
  // clang-format on
}

TEST(BigNumbers, CompareGivesZeroOneOrTwo) {
  const auto compare = [](const Pair& p) { return CompareBigNumbers(p.first, p.second); };
  // clang-format off
  ExpectEach<int, Pair>(compare, {
      {{"-12", "-3"}, 2}, {{"-3", "-12"}, 1}, {{"12", "3"}, 1}, {{"3", "12"}, 2}, {{"45", "54"}, 2},
      {{"-45", "-54"}, 1}, {{"-1", "1"}, 2}, {{"1", "-100"}, 1}, {{"77", "77"}, 0}, {{"-77", "-77"}, 0}});
  // clang-format on
}

TEST(BigNumbers, SignAbsoluteValueNormalisingAndPadding) {
  EXPECT_EQ(GetBigNumberSign("-5"), -1);
  EXPECT_EQ(GetBigNumberSign("5"), 1);
  EXPECT_EQ(GetBigNumberSign(""), 1);
  EXPECT_EQ(GetBigNumberAbs("-5"), "5");
  EXPECT_EQ(GetBigNumberAbs("--5"), "-5");
  // clang-format off
  ExpectEach([](const std::string& s) { return NormalizeBigNumber(s); }, {
      {"007", "7"}, {"-007", "-7"}, {"000", "0"}, {"-0", "0"}, {"", "0"}, {"-", "0"}, {"1-0x2", "102"},
      {"100", "100"}});
  ExpectEach([](const std::string& s) { return PadBigNumber(s, "0000"); }, {
      {"7", "0007"}, {"1234", "1234"}, {"12345", "12345"}, {"", "0000"}});
  // clang-format on
}

}  // namespace
}  // namespace kx
