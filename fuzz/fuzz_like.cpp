// The Like matcher against a plain reference (dynamic programming over code points): the same
// answer for every text and pattern, the same refusal of malformed patterns, and the compiled
// pattern agrees with the one-shot match.
#include <fuzzer/FuzzedDataProvider.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/like.h"
#include "fuzz_support.h"

namespace {

std::optional<std::vector<UChar32>> Decode(std::string_view s, bool fold) {
  std::vector<UChar32> out;
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  const auto len = static_cast<int32_t>(s.size());
  for (int32_t i = 0; i < len;) {
    UChar32 c;
    U8_NEXT(p, i, len, c);
    if (c < 0) return std::nullopt;
    out.push_back(fold ? u_foldCase(c, U_FOLD_CASE_DEFAULT) : c);
  }
  return out;
}

// One pattern element: '*' (run), or a set of code points that one character must hit.
struct Element {
  bool run = false;
  bool any = false;
  bool negated = false;
  std::vector<std::pair<UChar32, UChar32>> ranges;
  bool Hits(UChar32 c) const {
    if (any) return true;
    bool in = false;
    for (auto [lo, hi] : ranges) in = in || (lo <= c && c <= hi);
    return in != negated;
  }
};

// nullopt: a malformed pattern (an unclosed "[", a descending range).
std::optional<std::vector<Element>> Parse(const std::vector<UChar32>& p) {
  std::vector<Element> out;
  for (std::size_t i = 0; i < p.size(); ++i) {
    Element e;
    if (p[i] == '*') {
      e.run = true;
    } else if (p[i] == '?') {
      e.any = true;
    } else if (p[i] == '#') {
      e.ranges.push_back({'0', '9'});
    } else if (p[i] == '[') {
      std::size_t close = i + 1;
      while (close < p.size() && p[close] != ']') ++close;
      if (close == p.size()) return std::nullopt;
      std::vector<UChar32> list(p.begin() + static_cast<long>(i) + 1, p.begin() + static_cast<long>(close));
      i = close;
      if (list.empty()) continue;  // "[]": the empty sequence
      std::size_t k = 0;
      if (list[0] == '!') {
        e.negated = true;
        k = 1;
      }
      for (; k < list.size(); ++k) {
        if (k + 2 < list.size() && list[k + 1] == '-') {
          if (list[k] > list[k + 2]) return std::nullopt;
          e.ranges.push_back({list[k], list[k + 2]});
          k += 2;
        } else {
          e.ranges.push_back({list[k], list[k]});
        }
      }
    } else {
      e.ranges.push_back({p[i], p[i]});
    }
    out.push_back(e);
  }
  return out;
}

bool Reference(const std::vector<UChar32>& t, const std::vector<Element>& p) {
  // m[i][j]: t[i..] matches p[j..]
  std::vector<std::vector<char>> m(t.size() + 1, std::vector<char>(p.size() + 1, 0));
  m[t.size()][p.size()] = 1;
  for (std::size_t i = t.size() + 1; i-- > 0;) {
    for (std::size_t j = p.size(); j-- > 0;) {
      if (p[j].run) {
        m[i][j] = m[i][j + 1] || (i < t.size() && m[i + 1][j]);
      } else {
        m[i][j] = i < t.size() && p[j].Hits(t[i]) && m[i + 1][j + 1];
      }
    }
  }
  return m[0][0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const bool ignoreCase = in.ConsumeBool();
  const std::string pattern = in.ConsumeRandomLengthString(24);
  const std::string text = in.ConsumeRemainingBytesAsString();
  const auto p = Decode(pattern, ignoreCase);
  const auto t = Decode(text, ignoreCase);
  if (!p || !t || t->size() > 64) return 0;
  const auto elements = Parse(*p);
  bool threw = false, got = false;
  try {
    got = kx::LikeMatch(text, pattern, ignoreCase);
    KX_FUZZ_CHECK(kx::LikePattern(pattern, ignoreCase).Matches(text) == got);
  } catch (const kx::KxError&) {
    threw = true;
  }
  KX_FUZZ_CHECK(threw == !elements.has_value());
  if (elements) KX_FUZZ_CHECK(got == Reference(*t, *elements));
  return 0;
}
