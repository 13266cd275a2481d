#include "core/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include "core/error.h"

namespace kx {
namespace {

[[noreturn]] void ThrowOverflow() { throw KxError(err::Overflow, "Kestrafix", "Overflow"); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The longest prefix of s (from i) that forms sign, mantissa and optional exponent.
// Returns the end of the number, or i when no digits were found. Leaves in `clean`
// the text in the form from_chars accepts (no '+').
std::size_t ScanNumber(std::string_view s, std::size_t i, std::string& clean) {
  clean.clear();
  const std::size_t start = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') clean.push_back('-');
    ++i;
  }
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) {
    clean.push_back(s[i++]);
    ++digits;
  }
  if (i < s.size() && s[i] == '.') {
    std::size_t j = i + 1;
    std::size_t frac = 0;
    while (j < s.size() && IsDigit(s[j])) ++j, ++frac;
    if (digits + frac > 0) {
      clean.append(s.substr(i, j - i));
      digits += frac;
      i = j;
    }
  }
  if (digits == 0) {
    clean.clear();
    return start;
  }
  // Exponent only when complete: "1e" and "1e+" stop before the "e".
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    std::string exp = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      if (s[j] == '-') exp.push_back('-');
      ++j;
    }
    const std::size_t expDigitsStart = j;
    while (j < s.size() && IsDigit(s[j])) exp.push_back(s[j++]);
    if (j > expDigitsStart) {
      clean += exp;
      i = j;
    }
  }
  return i;
}

// Converts a scanned number; beyond the range of double it is an overflow, below it zero.
double ToDouble(const std::string& clean) {
  double value = 0;
  const char* first = clean.data();
  const char* last = clean.data() + clean.size();
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    long double wide = 0;
    auto [p2, ec2] = std::from_chars(first, last, wide);
    (void)p2;
    if (ec2 == std::errc()) {
      if (std::fabs(wide) > static_cast<long double>(std::numeric_limits<double>::max())) ThrowOverflow();
      return static_cast<double>(wide);
    }
    // Beyond even long double: the exponent's sign tells which way.
    const std::size_t e = clean.find('e');
    if (e != std::string::npos && e + 1 < clean.size() && clean[e + 1] == '-') return 0.0;
    ThrowOverflow();
  }
  (void)ptr;
  return value;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

double LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  std::string clean;
  if (ScanNumber(text, i, clean) == i) return 0.0;
  return ToDouble(clean);
}

namespace {

// The whole text (outer blanks aside) as a number; false when it is not one in form.
bool ScanWhole(std::string_view text, std::string& clean) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  if (b == e) return false;
  const char first = text[b];
  if (!IsDigit(first) && first != '+' && first != '-' && first != '.') return false;  // most keys
  const std::string_view core = text.substr(b, e - b);
  return ScanNumber(core, 0, clean) == core.size();
}

}  // namespace

// Numeric exactly when CDbl succeeds: a number beyond the range of double ("1E400", four
// hundred nines) is not one, so such a key stays an ordinary text.
bool IsNumeric(std::string_view text) {
  std::string clean;
  if (!ScanWhole(text, clean)) return false;
  try {
    ToDouble(clean);
    return true;
  } catch (const KxError&) {
    return false;
  }
}

double CDbl(std::string_view text) {
  std::string clean;
  if (!ScanWhole(text, clean)) throw KxError(err::TypeMismatch, "Kestrafix", "Type mismatch");
  return ToDouble(clean);
}

double RoundHalfEven(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 4503599627370496.0) return value;  // 2^52: whole
  const double down = std::floor(value);
  const double diff = value - down;
  if (diff < 0.5) return down;
  if (diff > 0.5) return down + 1.0;
  return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

std::int16_t CInt(double value) {
  const double r = RoundHalfEven(value);
  if (!(r >= -32768.0 && r <= 32767.0)) ThrowOverflow();
  return static_cast<std::int16_t>(r);
}

std::uint8_t CByte(double value) {
  const double r = RoundHalfEven(value);
  if (!(r >= 0.0 && r <= 255.0)) ThrowOverflow();
  return static_cast<std::uint8_t>(r);
}

std::int32_t CLng(double value) {
  const double r = RoundHalfEven(value);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) ThrowOverflow();
  return static_cast<std::int32_t>(r);
}

std::string FormatNumber(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));  // also turns -0 into "0"
  }
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  if (ec != std::errc()) return std::to_string(value);
  std::string out(buf, end);
  // Exponent written as the job manager writes it: "1E+20", "1E-07".
  for (char& c : out) {
    if (c == 'e') c = 'E';
  }
  return out;
}

// Fraction rounded half away from zero, as the job manager's Format does (ties in its
// documentation are not stated); a negative number keeps its sign before the zeros
// ("-005"), and one that rounds to zero loses it ("000").
std::string Format000(double value) {
  if (!std::isfinite(value)) return FormatNumber(value);
  const double r = std::round(value);
  const bool negative = r < 0;
  char buf[400];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(r), std::chars_format::fixed, 0);
  std::string digits = ec == std::errc() ? std::string(buf, end) : std::string("0");
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return negative ? "-" + digits : digits;
}

}  // namespace kx
