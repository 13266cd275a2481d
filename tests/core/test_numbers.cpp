#include "core/numbers.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace kx {
namespace {

long ErrorOf(void (*f)()) {
  try {
    f();
  } catch (const KxError& e) {
    return e.Number();
  }
  return 0;
}

TEST(NumbersTest, LeadingNumberReadsWhatFormsANumber) {
  EXPECT_EQ(LeadingNumber(" 42abc"), 42);
  EXPECT_EQ(LeadingNumber("\t 7"), 7);
  EXPECT_EQ(LeadingNumber("1e3"), 1000);
  EXPECT_EQ(LeadingNumber("1E+2x"), 100);
  EXPECT_EQ(LeadingNumber("25e-1"), 2.5);
  EXPECT_EQ(LeadingNumber("1e"), 1);
  EXPECT_EQ(LeadingNumber("1e+"), 1);
  EXPECT_EQ(LeadingNumber("-0.5"), -0.5);
  EXPECT_EQ(LeadingNumber("+3"), 3);
  EXPECT_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_EQ(LeadingNumber("5."), 5);
  EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
  EXPECT_EQ(LeadingNumber("1 2"), 1);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber("-"), 0);
  EXPECT_EQ(LeadingNumber("."), 0);
  EXPECT_EQ(LeadingNumber("1,5"), 1);
  EXPECT_EQ(LeadingNumber("1e-999"), 0);
}

TEST(NumbersTest, IsNumericWantsTheWholeText) {
  for (const char* yes : {"0", " 12 ", "-3", "+3", "1.5", "1.", ".5", "1e3", "1.5E-2", "\t4\t"}) {
    EXPECT_TRUE(IsNumeric(yes)) << yes;
  }
  for (const char* no : {"", " ", "1 2", "12abc", "1e", "1e+", ".", "-", "abc", "1,5", "--1", "1..2"}) {
    EXPECT_FALSE(IsNumeric(no)) << no;
  }
}

TEST(NumbersTest, CDblConvertsOrFailsWithTypeMismatch) {
  EXPECT_EQ(CDbl(" 2.5 "), 2.5);
  EXPECT_EQ(CDbl("-1e2"), -100);
  try {
    CDbl("12abc");
    FAIL();
  } catch (const KxError& e) {
    EXPECT_EQ(e.Number(), err::TypeMismatch);
    EXPECT_EQ(e.Description(), "Type mismatch");
  }
  EXPECT_EQ(ErrorOf([] { CDbl("1e999"); }), err::Overflow);
}

TEST(NumbersTest, HalvesRoundToEven) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(-2.6), -3);
  EXPECT_EQ(CInt(2.5), 2);
  EXPECT_EQ(CInt(-0.5), 0);
  EXPECT_EQ(CLng(1.5), 2);
  EXPECT_EQ(CLng(-2.5), -2);
}

TEST(NumbersTest, WholeConversionsOverflowOutsideTheirRange) {
  EXPECT_EQ(CInt(32767.4), 32767);
  EXPECT_EQ(CInt(-32768.5), -32768);
  EXPECT_EQ(ErrorOf([] { CInt(32767.5); }), err::Overflow);
  EXPECT_EQ(ErrorOf([] { CInt(-32769); }), err::Overflow);
  EXPECT_EQ(CLng(2147483647.0), 2147483647);
  EXPECT_EQ(CLng(-2147483648.0), -2147483647 - 1);
  EXPECT_EQ(ErrorOf([] { CLng(2147483647.5); }), err::Overflow);
  EXPECT_EQ(ErrorOf([] { CLng(-2147483649.0); }), err::Overflow);
  EXPECT_EQ(ErrorOf([] { CLng(std::numeric_limits<double>::quiet_NaN()); }), err::Overflow);
}

TEST(NumbersTest, FormatNumberIsShortAndReadsBack) {
  EXPECT_EQ(FormatNumber(42), "42");
  EXPECT_EQ(FormatNumber(-7), "-7");
  EXPECT_EQ(FormatNumber(-0.0), "0");
  EXPECT_EQ(FormatNumber(0.1), "0.1");
  EXPECT_EQ(FormatNumber(-2.5), "-2.5");
  EXPECT_EQ(FormatNumber(123456789012345.0), "123456789012345");
  EXPECT_EQ(FormatNumber(1e20), "1E+20");
  for (double v : {0.1 + 0.2, 1.0 / 3.0, 12345.678, 1e-7, 6.02e23}) {
    EXPECT_EQ(LeadingNumber(FormatNumber(v)), v) << FormatNumber(v);
    EXPECT_EQ(FormatNumber(v).find(','), std::string::npos);
  }
}

TEST(NumbersTest, Format000PadsToThreeDigits) {
  EXPECT_EQ(Format000(5), "005");
  EXPECT_EQ(Format000(0), "000");
  EXPECT_EQ(Format000(12345), "12345");
  EXPECT_EQ(Format000(1.6), "002");
  EXPECT_EQ(Format000(1.4), "001");
  EXPECT_EQ(Format000(2.5), "003");
  EXPECT_EQ(Format000(-5), "-005");
  EXPECT_EQ(Format000(-0.2), "000");
}

TEST(NumbersTest, SignsPointsAndExponentsInAllPlaces) {
  EXPECT_TRUE(IsNumeric("+.5"));
  EXPECT_TRUE(IsNumeric("-.5e-1"));
  EXPECT_TRUE(IsNumeric("  -1.  "));
  EXPECT_TRUE(IsNumeric("1E+05"));
  EXPECT_FALSE(IsNumeric("1e5.5"));
  EXPECT_FALSE(IsNumeric("+-1"));
  EXPECT_FALSE(IsNumeric("0x10"));
  EXPECT_FALSE(IsNumeric("1-"));
  EXPECT_EQ(CDbl("-.5e-1"), -0.05);
  EXPECT_EQ(LeadingNumber("1e5.5"), 100000);
  EXPECT_EQ(LeadingNumber("0x10"), 0);
  EXPECT_EQ(LeadingNumber("007"), 7);
  EXPECT_EQ(LeadingNumber("1e308"), 1e308);
  EXPECT_EQ(ErrorOf([] { LeadingNumber("1e309"); }), err::Overflow);
  EXPECT_EQ(ErrorOf([] { CDbl(""); }), err::TypeMismatch);
}

}  // namespace
}  // namespace kx
