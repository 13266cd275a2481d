// The number rules: IsNumeric holds exactly when CDbl converts, and the leading-number rule
// reads what a plain reference scanner hands to strtod.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/error.h"
#include "core/numbers.h"
#include "fuzz_support.h"

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// Blanks and tabs, sign, digits with at most one ".", then an exponent when it has digits.
std::string ReferencePrefix(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  const std::size_t start = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  for (; i < s.size() && Digit(s[i]); ++i) ++digits;
  if (i < s.size() && s[i] == '.') {
    std::size_t j = i + 1, frac = 0;
    for (; j < s.size() && Digit(s[j]); ++j) ++frac;
    if (digits + frac > 0) i = j, digits += frac;
  }
  if (digits == 0) return "";
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t k = j;
    while (k < s.size() && Digit(s[k])) ++k;
    if (k > j) i = k;
  }
  return std::string(s.substr(start, i - start));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const bool numeric = kx::IsNumeric(text);
  bool converted = true;
  double value = 0;
  try {
    value = kx::CDbl(text);
  } catch (const kx::KxError&) {
    converted = false;
  }
  KX_FUZZ_CHECK(numeric == converted);

  const std::string prefix = ReferencePrefix(text);
  errno = 0;
  const double expected = prefix.empty() ? 0.0 : std::strtod(prefix.c_str(), nullptr);
  const bool overflow = errno == ERANGE && std::isinf(expected);
  try {
    const double got = kx::LeadingNumber(text);
    KX_FUZZ_CHECK(!overflow);
    KX_FUZZ_CHECK(got == expected);
    if (converted) KX_FUZZ_CHECK(value == got);
  } catch (const kx::KxError&) {
    KX_FUZZ_CHECK(overflow);
  }
  return 0;
}
