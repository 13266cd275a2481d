#include "core/variant.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(VariantTest, TextForms) {
  EXPECT_EQ(Variant().ToText(), "");
  EXPECT_EQ(Variant::Null().ToText(), "");
  EXPECT_EQ(Variant(true).ToText(), "True");
  EXPECT_EQ(Variant(false).ToText(), "False");
  EXPECT_EQ(Variant(-12).ToText(), "-12");
  EXPECT_EQ(Variant(2.0).ToText(), "2");
  EXPECT_EQ(Variant(0.25).ToText(), "0.25");
  EXPECT_EQ(Variant("abc").ToText(), "abc");
  EXPECT_EQ(Variant::Date("2024-02-29 13:45:00").ToText(), "2024-02-29 13:45:00");
}

TEST(VariantTest, NumberForms) {
  EXPECT_EQ(Variant().ToNumber(), 0);
  EXPECT_EQ(Variant::Null().ToNumber(), 0);
  EXPECT_EQ(Variant(7).ToNumber(), 7);
  EXPECT_EQ(Variant(1.5).ToNumber(), 1.5);
  EXPECT_EQ(Variant(true).ToNumber(), -1);
  EXPECT_EQ(Variant(false).ToNumber(), 0);
  EXPECT_EQ(Variant(" 42abc").ToNumber(), 42);
  EXPECT_EQ(Variant("abc").ToNumber(), 0);
  EXPECT_TRUE(Variant("3").ToBool());
  EXPECT_FALSE(Variant("0").ToBool());
  EXPECT_EQ(Variant::Date("1900-01-01 12:00:00").ToNumber(), 2.5);
  EXPECT_EQ(Variant::Date("1899-12-30 00:00:00").ToNumber(), 0);
}

TEST(VariantTest, EqualityNeedsSameKindAndValue) {
  EXPECT_EQ(Variant("a"), Variant(std::string("a")));
  EXPECT_FALSE(Variant("a") == Variant("A"));
  EXPECT_FALSE(Variant(1) == Variant(1.0));
  EXPECT_FALSE(Variant() == Variant::Null());
  EXPECT_FALSE(Variant("2024-01-01 00:00:00") == Variant::Date("2024-01-01 00:00:00"));
}

}  // namespace
}  // namespace kx
