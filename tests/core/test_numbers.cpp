#include "core/numbers.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "case_table.h"
#include "core/error.h"
#include "error_of.h"

namespace kx {
namespace {

long ErrorOf(void (*f)()) { return test::ErrorOf(f).Number(); }

// The cases of tests/data/cases/numbers.txt, by rule.
TEST(NumbersTest, RulesGiveTheirCases) {
  for (const test::Case& c : test::Cases("numbers.txt")) {
    SCOPED_TRACE(c.line);
    const std::string& rule = c.in[0];
    const std::string& in = c.in[1];
    if (rule == "LeadingNumber" || rule == "RoundHalfEven") {
      EXPECT_EQ(rule == "LeadingNumber" ? LeadingNumber(in) : RoundHalfEven(std::stod(in)), std::stod(c.out));
    } else if (rule == "IsNumeric") {
      EXPECT_EQ(IsNumeric(in), c.out == "true");
    } else {
      EXPECT_EQ(rule == "FormatNumber" ? FormatNumber(std::stod(in)) : Format000(std::stod(in)), c.out);
    }
  }
  EXPECT_EQ(ErrorOf([] { LeadingNumber("1e309"); }), err::Overflow);
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
  // Numeric exactly when CDbl succeeds: beyond the range of double is no number.
  for (auto* big : {+[] { CDbl("1e999"); }, +[] { CDbl("2E309"); }, +[] { CDbl(std::string(400, '9')); }})
    EXPECT_EQ(ErrorOf(big), err::Overflow);
  EXPECT_FALSE(IsNumeric(std::string(400, '9')));
}

TEST(NumbersTest, WholeConversionsRoundHalvesToEvenAndOverflowOutsideTheirRange) {
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

TEST(NumbersTest, WrittenNumbersReadBack) {
  for (double v : {0.1 + 0.2, 1.0 / 3.0, 12345.678, 1e-7, 6.02e23}) {
    EXPECT_EQ(LeadingNumber(FormatNumber(v)), v) << FormatNumber(v);
    EXPECT_EQ(FormatNumber(v).find(','), std::string::npos);
  }
}

}  // namespace
}  // namespace kx
