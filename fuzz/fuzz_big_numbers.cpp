// Big-number arithmetic: on short inputs AddBigNumbers and CompareBigNumbers agree with
// 128-bit arithmetic, and IncrementStrValue with a plain reference of the key sequence.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "dialogs/mdlArithmeticBigNumbers.h"
#include "dialogs/next_value.h"
#include "fuzz_support.h"

namespace {

using Int = __int128;

// A digit string of up to 30 digits with an optional "-", as a number.
bool Parse(std::string_view s, Int& v) {
  bool neg = !s.empty() && s[0] == '-';
  if (neg) s.remove_prefix(1);
  if (s.empty() || s.size() > 30) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (neg) v = -v;
  return true;
}

std::string Text(Int v) {
  if (v == 0) return "0";
  const bool neg = v < 0;
  std::string out;
  for (Int a = neg ? -v : v; a > 0; a /= 10)
    out.insert(out.begin(), static_cast<char>('0' + static_cast<int>(a % 10)));
  return neg ? "-" + out : out;
}

std::string ReferenceIncrement(std::string s) {
  if (s.empty()) return s;
  const char c = s.back();
  if (c >= '0' && c <= '9') {
    std::size_t i = s.size();
    while (i > 0 && s[i - 1] == '9') s[--i] = '0';
    if (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '8') {
      ++s[i - 1];
    } else {
      s.insert(s.begin() + static_cast<long>(i), '1');  // the run grew by one digit
    }
    return s;
  }
  if ((c >= 'A' && c <= 'Y') || (c >= 'a' && c <= 'y')) {
    ++s.back();
  } else {
    s += c == 'z' ? 'a' : 'A';
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string a = in.ConsumeRandomLengthString(32);
  const std::string b = in.ConsumeRandomLengthString(32);
  const std::string key = in.ConsumeRemainingBytesAsString();
  Int x = 0, y = 0;
  if (Parse(a, x) && Parse(b, y)) {
    KX_FUZZ_CHECK(kx::AddBigNumbers(a, b) == Text(x + y));
    const std::string na = kx::NormalizeBigNumber(a), nb = kx::NormalizeBigNumber(b);
    KX_FUZZ_CHECK(na == Text(x) && nb == Text(y));
    KX_FUZZ_CHECK(kx::CompareBigNumbers(na, nb) == (x == y ? 0 : x > y ? 1 : 2));
  }
  if (key.size() <= 40) KX_FUZZ_CHECK(kx::IncrementStrValue(key) == ReferenceIncrement(key));
  return 0;
}
