#include "dialogs/mdlArithmeticBigNumbers.h"

#include <cstddef>

namespace kx {
namespace {

// A character outside "0".."9" counts as 0, as a numeric reading of it would give.
int DigitAt(std::string_view s, std::size_t i) {
  const char c = s[i];
  return (c >= '0' && c <= '9') ? c - '0' : 0;
}

// Leading zeros and every character but digits and a first "-" dropped, in place.
void NormalizeInPlace(std::string& s) {
  std::size_t w = 0;
  for (const char c : s) {
    const bool atStart = w == 0 || (w == 1 && s[0] == '-');
    if (c >= '0' && c <= '9') {
      if (c == '0' && atStart) continue;
      s[w++] = c;
    } else if (c == '-' && w == 0) {
      s[w++] = c;
    }
  }
  s.resize(w);
  if (w == 0 || (w == 1 && s[0] == '-')) s.assign(1, '0');
}

}  // namespace

int GetBigNumberSign(std::string_view s) { return (!s.empty() && s.front() == '-') ? -1 : 1; }

std::string GetBigNumberAbs(std::string_view s) {
  if (!s.empty() && s.front() == '-') s.remove_prefix(1);
  return std::string(s);
}

std::string NormalizeBigNumber(std::string_view s) {
  std::string r(s);
  NormalizeInPlace(r);
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
  if (sa < 0) a.remove_prefix(1);
  if (sb < 0) b.remove_prefix(1);

  // The operands are read as if left-padded with "0" to the longer length m; no padded copies
  // are made, so a long run costs one result string and one pass per step.
  const std::size_t m = a.size() > b.size() ? a.size() : b.size();
  const std::size_t padA = m - a.size();
  const std::size_t padB = m - b.size();
  auto charA = [&](std::size_t i) { return i < padA ? '0' : a[i - padA]; };
  auto charB = [&](std::size_t i) { return i < padB ? '0' : b[i - padB]; };
  auto digitOf = [](char c) { return (c >= '0' && c <= '9') ? c - '0' : 0; };

  // The larger magnitude gives the sign; compared padded, so leading zeros ("00" against "8")
  // do not count as size.
  bool aLarger = false;
  for (std::size_t i = 0; i < m; ++i) {
    if (digitOf(charA(i)) != digitOf(charB(i))) {
      aLarger = digitOf(charA(i)) > digitOf(charB(i));
      break;
    }
  }
  const int sign = sa == sb || aLarger ? sa : sb;

  // Sign first (when negative), then the carry position, then digit i of the operands.
  const std::size_t lead = sign == -1 ? 1 : 0;
  std::string result(lead + m + 1, '0');
  if (lead) result[0] = '-';

  if (sa == sb) {
    int carry = 0;
    for (std::size_t i = m; i-- > 0;) {
      int digit = digitOf(charA(i)) + digitOf(charB(i)) + carry;
      carry = digit > 9 ? 1 : 0;
      if (carry) digit -= 10;
      result[lead + i + 1] = static_cast<char>('0' + digit);
    }
    result[lead] = static_cast<char>('0' + carry);
  } else {
    int borrow = 0;
    for (std::size_t i = m; i-- > 0;) {
      const int da = digitOf(charA(i));
      const int db = digitOf(charB(i));
      int digit = (aLarger ? da - db : db - da) - borrow;
      borrow = digit < 0 ? 1 : 0;
      if (borrow) digit += 10;
      result[lead + i + 1] = static_cast<char>('0' + digit);
    }
  }
  NormalizeInPlace(result);
  return result;
}

}  // namespace kx
