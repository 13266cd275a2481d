#include "dialogs/mdlArithmeticBigNumbers.h"

#include <cstddef>

namespace kx {
namespace {

// A character outside "0".."9" counts as 0, as a numeric reading of it would give.
int DigitAt(std::string_view s, std::size_t i) {
  const char c = s[i];
  return (c >= '0' && c <= '9') ? c - '0' : 0;
}

}  // namespace

int GetBigNumberSign(std::string_view s) { return (!s.empty() && s.front() == '-') ? -1 : 1; }

std::string GetBigNumberAbs(std::string_view s) {
  if (!s.empty() && s.front() == '-') s.remove_prefix(1);
  return std::string(s);
}

std::string NormalizeBigNumber(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    if (c >= '0' && c <= '9') {
      if (c == '0' && (r.empty() || r == "-")) continue;
      r += c;
    } else if (c == '-' && r.empty()) {
      r += c;
    }
  }
  if (r.empty() || r == "-") return "0";
  return r;
}

std::string PadBigNumber(std::string_view s, std::string_view zeros) {
  if (s.size() > zeros.size()) return std::string(s);
  std::string r(zeros.substr(0, zeros.size() - s.size()));
  r += s;
  return r;
}

int CompareBigNumbers(std::string_view a, std::string_view b) {
  if (a == b) return 0;
  const int sa = GetBigNumberSign(a);
  const int sb = GetBigNumberSign(b);
  if (sa != sb) return sa > sb ? 1 : 2;
  const bool negative = sa < 0;
  if (a.size() != b.size()) {
    const bool aLonger = a.size() > b.size();
    return (aLonger != negative) ? 1 : 2;
  }
  if (negative) {
    a.remove_prefix(1);
    b.remove_prefix(1);
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    const int da = DigitAt(a, i);
    const int db = DigitAt(b, i);
    if (da != db) return ((da > db) != negative) ? 1 : 2;
  }
  return 0;
}

std::string AddBigNumbers(std::string_view a, std::string_view b) {
  const int sa = GetBigNumberSign(a);
  const int sb = GetBigNumberSign(b);
  std::string ua = GetBigNumberAbs(a);
  std::string ub = GetBigNumberAbs(b);
  const int c = CompareBigNumbers(ua, ub);
  const int sign = c == 1 ? sa : sb;

  const std::size_t m = ua.size() > ub.size() ? ua.size() : ub.size();
  const std::string zeros(m, '0');
  ua = PadBigNumber(ua, zeros);
  ub = PadBigNumber(ub, zeros);
  // result[0] takes the final carry; digit i of the operands lands at result[i + 1].
  std::string result(m + 1, '0');

  if (sa == sb) {
    int carry = 0;
    for (std::size_t i = m; i-- > 0;) {
      int digit = DigitAt(ua, i) + DigitAt(ub, i) + carry;
      carry = digit > 9 ? 1 : 0;
      if (carry) digit -= 10;
      result[i + 1] = static_cast<char>('0' + digit);
    }
    result[0] = static_cast<char>('0' + carry);
  } else {
    // Padded to equal length, the text order is the order of the magnitudes.
    const bool aLarger = ua > ub;
    const std::string& larger = aLarger ? ua : ub;
    const std::string& smaller = aLarger ? ub : ua;
    int borrow = 0;
    for (std::size_t i = m; i-- > 0;) {
      int digit = DigitAt(larger, i) - DigitAt(smaller, i) - borrow;
      borrow = digit < 0 ? 1 : 0;
      if (borrow) digit += 10;
      result[i + 1] = static_cast<char>('0' + digit);
    }
  }
  if (sign == -1) result.insert(result.begin(), '-');
  return NormalizeBigNumber(result);
}

}  // namespace kx
