#include "dialogs/next_value.h"

#include "core/numbers.h"
#include "core/text.h"
#include "dialogs/mdlArithmeticBigNumbers.h"

namespace kx {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Byte length of the trailing run of "0".."9"; digits are single bytes in UTF-8.
std::size_t TrailingDigits(std::string_view s) {
  std::size_t n = 0;
  while (n < s.size() && IsDigit(s[s.size() - 1 - n])) ++n;
  return n;
}

// Byte offset of the last character; a UTF-8 sequence is never cut.
std::size_t LastCharStart(std::string_view s) {
  std::size_t i = s.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  return i;
}

// Like's special characters in brackets: A#1 -> A[#]1.
std::string LikeLiteral(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '#' || c == '?' || c == '*' || c == '[') {
      out.append({'[', c, ']'});
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string IncrementStrValue(std::string_view sValue) {
  if (sValue.empty()) return std::string();
  const char c = sValue.back();
  if (IsDigit(c)) {
    const std::size_t d = TrailingDigits(sValue);
    const std::size_t k = sValue.size() - d;
    std::string sum = AddBigNumbers(sValue.substr(k), "1");
    // Leading zeros of the run stay: 007 -> 008.
    const std::size_t zeros = sum.size() < d ? d - sum.size() : 0;
    if (k == 0 && zeros == 0) return sum;
    std::string result;
    result.reserve(k + zeros + sum.size());
    result.append(sValue.substr(0, k)).append(zeros, '0').append(sum);
    return result;
  }
  std::string result(sValue);
  if ((c >= 'A' && c <= 'Y') || (c >= 'a' && c <= 'y')) {
    result.back() = static_cast<char>(c + 1);
  } else if (c == 'Z') {
    result += 'A';
  } else if (c == 'z') {
    result += 'a';
  } else {
    result += 'A';
  }
  return result;
}

void GetStrSearchBounds(std::string_view sValue, std::string& sLowerBound, std::string& sPattern) {
  sLowerBound.clear();
  sPattern.clear();
  if (sValue.empty()) return;
  if (IsNumeric(sValue)) {
    // Written in the engine's own number form so that the statement compares numbers.
    sLowerBound = FormatNumber(CDbl(sValue));
    return;
  }
  const std::size_t d = TrailingDigits(sValue);
  if (d == sValue.size()) return;  // all digits, yet not numeric: no usable bound
  // The prefix is the user's text: its wildcard characters stand for themselves.
  if (d > 0) {
    sLowerBound = std::string(sValue.substr(0, sValue.size() - d));
    sPattern = LikeLiteral(sLowerBound) + "*";
  } else {
    sLowerBound = std::string(sValue);
    sPattern = LikeLiteral(sValue.substr(0, LastCharStart(sValue))) + "*";
  }
}

std::string ApplyKeyValueCase(std::string_view sValue, std::int16_t iMode) {
  switch (iMode) {
    case 1:
      return ToUpper(sValue);
    case 2:
      return ToLower(sValue);
    default:
      return std::string(sValue);
  }
}

}  // namespace kx
