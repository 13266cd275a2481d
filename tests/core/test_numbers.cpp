#include "core/numbers.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/error.h"
#include "error_of.h"

namespace kx {
namespace {

long ErrorOf(void (*f)()) { return test::ErrorOf(f).Number(); }

TEST(NumbersTest, LeadingNumberReadsWhatFormsANumber) {
  // clang-format off
  const struct { const char* text; double value; } cases[] = {
      {" 42abc", 42}, {"\t 7", 7}, {"1e3", 1000}, {"1E+2x", 100}, {"25e-1", 2.5}, {"1e", 1}, {"1e+", 1},
      {"-0.5", -0.5}, {"+3", 3}, {".5", 0.5}, {"5.", 5}, {"1.2.3", 1.2}, {"1 2", 1}, {"abc", 0}, {"", 0},
      {"-", 0}, {".", 0}, {"1,5", 1}, {"1e-999", 0}, {"1e5.5", 100000}, {"0x10", 0}, {"007", 7},
      {"1e308", 1e308}};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.value) << c.text;
  EXPECT_EQ(ErrorOf([] { LeadingNumber("1e309"); }), err::Overflow);
}

TEST(NumbersTest, IsNumericWantsTheWholeText) {
  for (const char* yes : {"0", " 12 ", "-3", "+3", "1.5", "1.", ".5", "1e3", "1.5E-2", "\t4\t", "+.5",
                          "-.5e-1", "  -1.  ", "1E+05"})
    EXPECT_TRUE(IsNumeric(yes)) << yes;
  for (const char* no : {"", " ", "1 2", "12abc", "1e", "1e+", ".", "-", "abc", "1,5", "--1", "1..2", "1e5.5",
                         "+-1", "0x10", "1-"})
    EXPECT_FALSE(IsNumeric(no)) << no;
}

TEST(NumbersTest, CDblConvertsOrFailsWithTypeMismatch) {
  EXPECT_EQ(CDbl(" 2.5 "), 2.5);
  EXPECT_EQ(CDbl("-1e2"), -100);
  EXPECT_EQ(CDbl("-.5e-1"), -0.05);
  try {
    CDbl("12abc");
    FAIL();
  } catch (const KxError& e) {
    EXPECT_EQ(e.Number(), err::TypeMismatch);
    EXPECT_EQ(e.Description(), "Type mismatch");
  }
  EXPECT_EQ(ErrorOf([] { CDbl(""); }), err::TypeMismatch);
  EXPECT_EQ(ErrorOf([] { CDbl("1e999"); }), err::Overflow);
}

TEST(NumbersTest, HalvesRoundToEvenAndWholeConversionsOverflowOutsideTheirRange) {
  // clang-format off
  const struct { double in, out; } halves[] = {
      {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {-2.6, -3}};
  // clang-format on
  for (const auto& h : halves) EXPECT_EQ(RoundHalfEven(h.in), h.out) << h.in;
  EXPECT_EQ(CInt(2.5), 2);
  EXPECT_EQ(CInt(-0.5), 0);
  EXPECT_EQ(CLng(1.5), 2);
  EXPECT_EQ(CLng(-2.5), -2);
  EXPECT_EQ(CInt(32767.4), 32767);
  EXPECT_EQ(CInt(-32768.5), -32768);
  EXPECT_EQ(CLng(2147483647.0), 2147483647);
  EXPECT_EQ(CLng(-2147483648.0), -2147483647 - 1);
  for (auto* overflow :
       {+[] { CInt(32767.5); }, +[] { CInt(-32769); }, +[] { CLng(2147483647.5); },
        +[] { CLng(-2147483649.0); }, +[] { CLng(std::numeric_limits<double>::quiet_NaN()); }})
    EXPECT_EQ(ErrorOf(overflow), err::Overflow);
}

TEST(NumbersTest, FormatsAreShortAndReadBack) {
  // clang-format off
  const struct { double value; const char* text; } numbers[] = {
      {42, "42"}, {-7, "-7"}, {-0.0, "0"}, {0.1, "0.1"}, {-2.5, "-2.5"}, {123456789012345.0, "123456789012345"},
      {1e20, "1E+20"}};
  const struct { double value; const char* text; } padded[] = {
      {5, "005"}, {0, "000"}, {12345, "12345"}, {1.6, "002"}, {1.4, "001"}, {2.5, "003"}, {-5, "-005"},
      {-0.2, "000"}};
  // clang-format on
  for (const auto& n : numbers) EXPECT_EQ(FormatNumber(n.value), n.text);
  for (const auto& p : padded) EXPECT_EQ(Format000(p.value), p.text) << p.value;
  for (double v : {0.1 + 0.2, 1.0 / 3.0, 12345.678, 1e-7, 6.02e23}) {
    EXPECT_EQ(LeadingNumber(FormatNumber(v)), v) << FormatNumber(v);
    EXPECT_EQ(FormatNumber(v).find(','), std::string::npos);
  }
}

}  // namespace
}  // namespace kx
