#pragma once
// A small JSON value for the --json output of the commands: objects keep their key order.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/variant.h"

namespace kx::cli {

class Json {
 public:
  using Array = std::vector<Json>;
  using Object = std::vector<std::pair<std::string, Json>>;

  Json() = default;  // null
  Json(bool b) : value_(b) {}
  Json(int v) : value_(static_cast<std::int64_t>(v)) {}
  Json(long v) : value_(static_cast<std::int64_t>(v)) {}
  Json(long long v) : value_(static_cast<std::int64_t>(v)) {}
  Json(double v) : value_(v) {}
  Json(std::string s) : value_(std::move(s)) {}
  Json(std::string_view s) : value_(std::string(s)) {}
  Json(const char* s) : value_(std::string(s)) {}
  Json(Array a) : value_(std::move(a)) {}
  Json(Object o) : value_(std::move(o)) {}

  // A database value: Null and Empty give null, numbers stay numbers, the rest text.
  static Json FromVariant(const Variant& v);

  // Compact text on one line.
  std::string Dump() const;

 private:
  void DumpTo(std::string& out) const;
  std::variant<std::monostate, bool, std::int64_t, double, std::string, Array, Object> value_;
};

// The text as a JSON string literal.
std::string JsonQuote(std::string_view text);

}  // namespace kx::cli
