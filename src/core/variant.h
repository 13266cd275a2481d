#pragma once
// A database or grid value that may be Null, as the job manager hands them around.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace kx {

class Variant {
 public:
  enum class Kind { Empty, Null, Bool, Integer, Double, Text, Date };

  Variant() = default;  // Empty
  Variant(bool b) : kind_(Kind::Bool), value_(b) {}
  Variant(int v) : kind_(Kind::Integer), value_(std::int64_t{v}) {}
  Variant(long v) : kind_(Kind::Integer), value_(std::int64_t{v}) {}
  Variant(long long v) : kind_(Kind::Integer), value_(std::int64_t{v}) {}
  Variant(double v) : kind_(Kind::Double), value_(v) {}
  Variant(std::string s) : kind_(Kind::Text), value_(std::move(s)) {}
  Variant(std::string_view s) : kind_(Kind::Text), value_(std::string(s)) {}
  Variant(const char* s) : kind_(Kind::Text), value_(std::string(s)) {}

  static Variant Null() {
    Variant v;
    v.kind_ = Kind::Null;
    return v;
  }
  // A date and time as "YYYY-MM-DD hh:mm:ss" (local time).
  static Variant Date(std::string iso) {
    Variant v(std::move(iso));
    v.kind_ = Kind::Date;
    return v;
  }
  // This moment, to the second, as such a date (VB's Now).
  static Variant Now();

  Kind GetKind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }
  bool IsEmpty() const { return kind_ == Kind::Empty; }
  bool IsText() const { return kind_ == Kind::Text; }
  bool IsNumber() const { return kind_ == Kind::Integer || kind_ == Kind::Double || kind_ == Kind::Bool; }

  // Text form: Null and Empty give "", numbers without thousands separators and
  // with "." as decimal sign, yes/no as True/False, dates as "YYYY-MM-DD hh:mm:ss".
  std::string ToText() const;
  // Numeric value: numbers as they are, texts by the leading-number rule, Null/Empty 0.
  double ToNumber() const;
  bool ToBool() const { return ToNumber() != 0.0; }

  bool AsBool() const { return std::get<bool>(value_); }
  std::int64_t AsInteger() const { return std::get<std::int64_t>(value_); }
  double AsDouble() const { return std::get<double>(value_); }
  const std::string& AsText() const { return std::get<std::string>(value_); }

  // Same kind and same value (texts compared exactly).
  bool operator==(const Variant& o) const { return kind_ == o.kind_ && value_ == o.value_; }

 private:
  Kind kind_ = Kind::Empty;
  std::variant<std::monostate, bool, std::int64_t, double, std::string> value_;
};

}  // namespace kx
