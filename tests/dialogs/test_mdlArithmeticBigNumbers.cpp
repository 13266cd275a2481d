// Decimal arithmetic on digit strings of any length.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/mdlArithmeticBigNumbers.h"

namespace kx {
namespace {

TEST(BigNumbers, AddWithSameAndMixedSigns) {
  EXPECT_EQ(AddBigNumbers("5", "-7"), "-2");
  EXPECT_EQ(AddBigNumbers("-5", "5"), "0");
  EXPECT_EQ(AddBigNumbers("7", "-5"), "2");
  EXPECT_EQ(AddBigNumbers("-7", "5"), "-2");
  EXPECT_EQ(AddBigNumbers("-7", "-5"), "-12");
  EXPECT_EQ(AddBigNumbers("999", "1"), "1000");
  EXPECT_EQ(AddBigNumbers("1", "999"), "1000");
  EXPECT_EQ(AddBigNumbers("1000", "-1"), "999");
  EXPECT_EQ(AddBigNumbers("0", "0"), "0");
  EXPECT_EQ(AddBigNumbers("0099", "1"), "100");
  EXPECT_EQ(AddBigNumbers("", "1"), "1");
}

TEST(BigNumbers, AddBeyondAnyMachineInteger) {
  const std::string nines(40, '9');
  EXPECT_EQ(AddBigNumbers(nines, "1"), "1" + std::string(40, '0'));
  EXPECT_EQ(AddBigNumbers("1" + std::string(40, '0'), "-1"), nines);
  EXPECT_EQ(AddBigNumbers("123456789012345678901234567890", "987654321098765432109876543210"),
            "1111111110111111111011111111100");
}

TEST(BigNumbers, CompareGivesZeroOneOrTwo) {
  EXPECT_EQ(CompareBigNumbers("-12", "-3"), 2);
  EXPECT_EQ(CompareBigNumbers("-3", "-12"), 1);
  EXPECT_EQ(CompareBigNumbers("12", "3"), 1);
  EXPECT_EQ(CompareBigNumbers("3", "12"), 2);
  EXPECT_EQ(CompareBigNumbers("45", "54"), 2);
  EXPECT_EQ(CompareBigNumbers("-45", "-54"), 1);
  EXPECT_EQ(CompareBigNumbers("-1", "1"), 2);
  EXPECT_EQ(CompareBigNumbers("1", "-100"), 1);
  EXPECT_EQ(CompareBigNumbers("77", "77"), 0);
  EXPECT_EQ(CompareBigNumbers("-77", "-77"), 0);
}

TEST(BigNumbers, SignAndAbsoluteValue) {
  EXPECT_EQ(GetBigNumberSign("-5"), -1);
  EXPECT_EQ(GetBigNumberSign("5"), 1);
  EXPECT_EQ(GetBigNumberSign(""), 1);
  EXPECT_EQ(GetBigNumberAbs("-5"), "5");
  EXPECT_EQ(GetBigNumberAbs("5"), "5");
  EXPECT_EQ(GetBigNumberAbs("--5"), "-5");
}

TEST(BigNumbers, NormaliseDropsLeadingZerosAndStrayCharacters) {
  EXPECT_EQ(NormalizeBigNumber("007"), "7");
  EXPECT_EQ(NormalizeBigNumber("-007"), "-7");
  EXPECT_EQ(NormalizeBigNumber("000"), "0");
  EXPECT_EQ(NormalizeBigNumber("-0"), "0");
  EXPECT_EQ(NormalizeBigNumber(""), "0");
  EXPECT_EQ(NormalizeBigNumber("-"), "0");
  EXPECT_EQ(NormalizeBigNumber("1-0x2"), "102");
  EXPECT_EQ(NormalizeBigNumber("100"), "100");
}

TEST(BigNumbers, PadToTheLengthOfTheZeros) {
  EXPECT_EQ(PadBigNumber("7", "0000"), "0007");
  EXPECT_EQ(PadBigNumber("1234", "0000"), "1234");
  EXPECT_EQ(PadBigNumber("12345", "0000"), "12345");
  EXPECT_EQ(PadBigNumber("", "00"), "00");
}

}  // namespace
}  // namespace kx
