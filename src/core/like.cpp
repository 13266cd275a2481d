#include "core/like.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <vector>

#include "core/error.h"

namespace kx {
namespace {

constexpr UChar32 kInvalidBase = 0x110000;  // undecodable bytes, each matching only itself

// Decodes into out (cleared first), so a caller can reuse one buffer for many texts.
void DecodeInto(std::string_view s, bool fold, std::vector<UChar32>& out) {
  out.clear();
  out.reserve(s.size());
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  const auto len = static_cast<int32_t>(s.size());
  int32_t i = 0;
  while (i < len) {
    if (p[i] < 0x80) {  // ASCII folds to its lower case
      const UChar32 a = p[i++];
      out.push_back(fold && a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a);
      continue;
    }
    const int32_t at = i;
    UChar32 c;
    U8_NEXT(p, i, len, c);
    if (c < 0) {
      c = kInvalidBase + p[at];
      i = at + 1;
    } else if (fold) {
      c = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    }
    out.push_back(c);
  }
}

std::vector<UChar32> Decode(std::string_view s, bool fold) {
  std::vector<UChar32> out;
  DecodeInto(s, fold, out);
  return out;
}

struct Range {
  UChar32 lo;
  UChar32 hi;
};

// One pattern element. Every element but AnyRun matches exactly one character, which
// keeps the single-backtrack-point matcher below exact.
struct Token {
  enum class Kind { Literal, AnyChar, Digit, Group, AnyRun };
  explicit Token(Kind k, UChar32 c = 0) : kind(k), ch(c) {}
  Kind kind;
  UChar32 ch;
  bool negated = false;
  std::vector<Range> ranges;
};

[[noreturn]] void ThrowBadPattern() {
  throw KxError(err::InvalidPatternString, "Kestrafix", "Invalid pattern string");
}

std::vector<Token> Compile(const std::vector<UChar32>& p) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const UChar32 c = p[i];
    if (c == '*') {
      if (tokens.empty() || tokens.back().kind != Token::Kind::AnyRun)
        tokens.emplace_back(Token::Kind::AnyRun);
    } else if (c == '?') {
      tokens.emplace_back(Token::Kind::AnyChar);
    } else if (c == '#') {
      tokens.emplace_back(Token::Kind::Digit);
    } else if (c == '[') {
      std::size_t close = i + 1;
      while (close < p.size() && p[close] != ']') ++close;
      if (close >= p.size()) ThrowBadPattern();
      std::size_t j = i + 1;
      if (j == close) {  // "[]" matches the empty sequence
        i = close;
        continue;
      }
      Token t(Token::Kind::Group);
      if (p[j] == '!') {
        t.negated = true;
        ++j;
      }
      // "[!]" has an empty list: any one character is "not in it".
      while (j < close) {
        if (j + 2 < close && p[j + 1] == '-') {
          if (p[j] > p[j + 2]) ThrowBadPattern();
          t.ranges.push_back({p[j], p[j + 2]});
          j += 3;
        } else {
          t.ranges.push_back({p[j], p[j]});  // also "-" first or last
          ++j;
        }
      }
      tokens.push_back(std::move(t));
      i = close;
    } else {
      tokens.emplace_back(Token::Kind::Literal, c);
    }
  }
  return tokens;
}

bool MatchOne(const Token& t, UChar32 c) {
  switch (t.kind) {
    case Token::Kind::Literal:
      return t.ch == c;
    case Token::Kind::AnyChar:
      return true;
    case Token::Kind::Digit:
      return c >= '0' && c <= '9';
    case Token::Kind::Group: {
      bool in = false;
      for (const Range& r : t.ranges) {
        if (c >= r.lo && c <= r.hi) {
          in = true;
          break;
        }
      }
      return in != t.negated;
    }
    case Token::Kind::AnyRun:
      break;
  }
  return false;
}

// Greedy matching with one backtrack point (the last "*"): linear for patterns with one
// star, O(text * pattern) at worst, never exponential.
bool Match(const std::vector<UChar32>& text, const std::vector<Token>& tokens) {
  std::size_t ti = 0, pi = 0;
  std::size_t starP = SIZE_MAX, starT = 0;
  while (ti < text.size()) {
    if (pi < tokens.size() && tokens[pi].kind == Token::Kind::AnyRun) {
      starP = pi++;
      starT = ti;
    } else if (pi < tokens.size() && MatchOne(tokens[pi], text[ti])) {
      ++pi;
      ++ti;
    } else if (starP != SIZE_MAX) {
      pi = starP + 1;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < tokens.size() && tokens[pi].kind == Token::Kind::AnyRun) ++pi;
  return pi == tokens.size();
}

}  // namespace

bool LikeMatch(std::string_view text, std::string_view pattern, bool ignoreCase) {
  const std::vector<Token> tokens = Compile(Decode(pattern, ignoreCase));
  return Match(Decode(text, ignoreCase), tokens);
}

struct LikePattern::Compiled {
  std::vector<Token> tokens;
};

LikePattern::LikePattern(std::string_view pattern, bool ignoreCase)
    : compiled_(new Compiled{Compile(Decode(pattern, ignoreCase))}), ignoreCase_(ignoreCase) {}

LikePattern::~LikePattern() { delete compiled_; }

bool LikePattern::Matches(std::string_view text) const {
  // One decoding buffer per thread: matching a row allocates nothing once it has grown.
  thread_local std::vector<UChar32> buffer;
  DecodeInto(text, ignoreCase_, buffer);
  return Match(buffer, compiled_->tokens);
}

bool DirPatternMatch(std::string_view name, std::string_view pattern) {
  std::vector<UChar32> pat = Decode(pattern, true);
  const std::vector<UChar32> text = Decode(name, true);
  const bool nameHasDot = name.find('.') != std::string_view::npos;
  auto plain = [&text](const std::vector<UChar32>& p) {
    std::vector<Token> tokens;
    for (const UChar32 c : p) {
      if (c == '*') {
        tokens.emplace_back(Token::Kind::AnyRun);
      } else if (c == '?') {
        tokens.emplace_back(Token::Kind::AnyChar);
      } else {
        tokens.emplace_back(Token::Kind::Literal, c);
      }
    }
    return Match(text, tokens);
  };
  const std::vector<UChar32> starDotStar{'*', '.', '*'};
  if (pat == starDotStar) return true;
  if (!pat.empty() && pat.back() == '.') {
    if (nameHasDot) return false;
    while (!pat.empty() && pat.back() == '.') pat.pop_back();
    return plain(pat);
  }
  if (plain(pat)) return true;
  // "name.*" also finds "name": the extension may be missing altogether.
  if (!nameHasDot && pat.size() >= 2 && pat[pat.size() - 1] == '*' && pat[pat.size() - 2] == '.') {
    pat.resize(pat.size() - 2);
    return plain(pat);
  }
  return false;
}

}  // namespace kx
