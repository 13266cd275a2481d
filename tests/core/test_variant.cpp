#include "core/variant.h"

#include <gtest/gtest.h>

#include <cmath>

#include "case_table.h"

namespace kx {
namespace {

Variant Make(const std::string& kind, const std::string& value) {
  if (kind == "Null") return Variant::Null();
  if (kind == "Bool") return Variant(value == "1");
  if (kind == "Integer") return Variant(std::stoll(value));
  if (kind == "Double") return Variant(std::stod(value));
  if (kind == "Text") return Variant(value);
  if (kind == "Date") return Variant::Date(value);
  return Variant();
}

// The cases of tests/data/cases/variant.txt.
TEST(VariantTest, TextAndNumberForms) {
  for (const test::Case& c : test::Cases("variant.txt")) {
    const Variant v = Make(c.in[1], c.in[2]);
    if (c.in[0] == "ToText") {
      EXPECT_EQ(v.ToText(), c.out) << c.line;
    } else {
      EXPECT_NEAR(v.ToNumber(), std::stod(c.out), 1e-9) << c.line;
    }
  }
  EXPECT_TRUE(Variant("3").ToBool());
  EXPECT_FALSE(Variant("0").ToBool());
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
