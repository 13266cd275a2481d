#include "core/text.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include "core/error.h"

namespace kx {
namespace {

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};

// The root collator at its default (tertiary) strength. It only orders texts that are
// already case-folded; equality is decided by the folding alone (see CompareNoCase).
// Opened once; ICU allows concurrent comparisons and sort keys on a collator nobody
// modifies.
const UCollator* Collator() {
  static const std::unique_ptr<UCollator, CollatorCloser> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* c = ucol_open("", &status);
    if (U_FAILURE(status) || c == nullptr) {
      throw KxError(err::InvalidProcedureCall, "Kestrafix",
                    std::string("Cannot open the text collator: ") + u_errorName(status));
    }
    return std::unique_ptr<UCollator, CollatorCloser>(c);
  }();
  return collator.get();
}

// Invalid bytes are decoded one at a time to values above the Unicode range, so they
// only ever match themselves and survive a round trip.
constexpr UChar32 kInvalidBase = 0x110000;

UChar32 NextCodePoint(std::string_view s, std::size_t& i) {
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  const auto len = static_cast<int32_t>(s.size());
  auto pos = static_cast<int32_t>(i);
  UChar32 c;
  U8_NEXT(p, pos, len, c);
  if (c < 0) {
    c = kInvalidBase + p[i];
    pos = static_cast<int32_t>(i) + 1;
  }
  i = static_cast<std::size_t>(pos);
  return c;
}

void AppendUtf8(std::string& out, UChar32 c) {
  uint8_t buf[4];
  int32_t len = 0;
  U8_APPEND_UNSAFE(buf, len, c);
  out.append(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(len));
}

UChar32 Fold(UChar32 c) { return c >= kInvalidBase ? c : u_foldCase(c, U_FOLD_CASE_DEFAULT); }

// Folded code points of a text with the byte offset of each; offsets has one more
// entry (the text's size) so a match's end is offsets[start + length].
struct Folded {
  std::vector<UChar32> cps;
  std::vector<std::size_t> offsets;
};

Folded FoldText(std::string_view s) {
  Folded f;
  f.cps.reserve(s.size());
  f.offsets.reserve(s.size() + 1);
  std::size_t i = 0;
  while (i < s.size()) {
    f.offsets.push_back(i);
    f.cps.push_back(Fold(NextCodePoint(s, i)));
  }
  f.offsets.push_back(s.size());
  return f;
}

bool MatchesAt(const std::vector<UChar32>& hay, std::size_t at, const std::vector<UChar32>& needle) {
  if (at + needle.size() > hay.size()) return false;
  for (std::size_t k = 0; k < needle.size(); ++k) {
    if (hay[at + k] != needle[k]) return false;
  }
  return true;
}

std::u16string ToUtf16(std::string_view s) {
  if (std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::u16string(s.begin(), s.end());
  std::u16string out(s.size() + 1, u'\0');
  int32_t len = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &len, s.data(),
                       static_cast<int32_t>(s.size()), 0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(len) : 0);
  return out;
}

std::string ToUtf8(const std::u16string& s) {
  std::string out(s.size() * 3 + 1, '\0');
  int32_t len = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &len, s.data(),
                     static_cast<int32_t>(s.size()), 0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(len) : 0);
  return out;
}

using CaseMapper = int32_t (*)(UChar*, int32_t, const UChar*, int32_t, const char*, UErrorCode*);

std::string MapCase(std::string_view text, CaseMapper mapper) {
  const std::u16string src = ToUtf16(text);
  std::u16string dst(src.size() + 8, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t len = mapper(dst.data(), static_cast<int32_t>(dst.size()), src.data(),
                               static_cast<int32_t>(src.size()), "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      dst.assign(static_cast<std::size_t>(len) + 1, u'\0');
      continue;
    }
    if (U_FAILURE(status)) return std::string(text);
    dst.resize(static_cast<std::size_t>(len));
    return ToUtf8(dst);
  }
  return std::string(text);
}

std::size_t ByteOffsetOfChar(std::string_view s, std::size_t chars) {
  std::size_t i = 0;
  while (chars > 0 && i < s.size()) {
    NextCodePoint(s, i);
    --chars;
  }
  return i;
}

}  // namespace

namespace {

char AsciiFold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Sort key of a folded text, without the terminating zero (ICU keys hold no other zero).
void AppendSortKey(std::string& key, std::u16string_view folded) {
  const std::size_t at = key.size();
  key.resize(at + folded.size() * 3 + 16);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto room = static_cast<int32_t>(key.size() - at);
    const int32_t needed = ucol_getSortKey(Collator(), folded.data(), static_cast<int32_t>(folded.size()),
                                           reinterpret_cast<uint8_t*>(key.data() + at), room);
    if (needed <= 0) break;
    if (needed <= room) {
      key.resize(at + static_cast<std::size_t>(needed) - 1);
      return;
    }
    key.resize(at + static_cast<std::size_t>(needed));
  }
  key.resize(at);
}

// Folded ASCII orders by one rank per character: every printable ASCII character and the
// blanks carry exactly one collation element with a primary weight of its own, so the
// collator compares such texts character by character and calls them equal only when
// they are the same. Rank 0 marks a byte that needs the collator (controls, which it
// ignores, and anything a future ICU might weigh differently).
struct AsciiRanks {
  std::uint8_t rank[128] = {};
};

const AsciiRanks& Ranks() {
  static const AsciiRanks ranks = [] {
    AsciiRanks r;
    std::vector<std::pair<std::string, char>> primaries;  // primary weights of each folded character
    for (int c = 0; c < 128; ++c) {
      if (AsciiFold(static_cast<char>(c)) != c) continue;
      std::string key;
      AppendSortKey(key, std::u16string(1, static_cast<char16_t>(c)));
      const std::size_t level = key.find('\x01');
      if (level == 0 || level == std::string::npos) continue;
      primaries.emplace_back(key.substr(0, level), static_cast<char>(c));
    }
    std::sort(primaries.begin(), primaries.end());
    std::uint8_t next = 1;
    for (std::size_t i = 0; i < primaries.size(); ++i) {
      const bool shared = (i > 0 && primaries[i - 1].first == primaries[i].first) ||
                          (i + 1 < primaries.size() && primaries[i + 1].first == primaries[i].first);
      if (!shared) r.rank[static_cast<unsigned char>(primaries[i].second)] = next++;
    }
    for (int c = 'A'; c <= 'Z'; ++c) r.rank[c] = r.rank[c - 'A' + 'a'];
    return r;
  }();
  return ranks;
}

bool AllRanked(std::string_view s, const AsciiRanks& r) {
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 || r.rank[b] == 0) return false;
  }
  return true;
}

int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      out += AsciiFold(text[i++]);
      continue;
    }
    const std::size_t from = i;
    const UChar32 c = NextCodePoint(text, i);
    if (c >= kInvalidBase) {
      out += text[from];  // not UTF-8: the byte stands for itself
    } else {
      AppendUtf8(out, u_foldCase(c, U_FOLD_CASE_DEFAULT));
    }
  }
  return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const AsciiRanks& r = Ranks();
  if (AllRanked(a, r) && AllRanked(b, r)) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint8_t x = r.rank[static_cast<unsigned char>(a[i])];
      const std::uint8_t y = r.rank[static_cast<unsigned char>(b[i])];
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  }
  const std::string fa = FoldCase(a);
  const std::string fb = FoldCase(b);
  const std::u16string ua = ToUtf16(fa);
  const std::u16string ub = ToUtf16(fb);
  const UCollationResult c = ucol_strcoll(Collator(), ua.data(), static_cast<int32_t>(ua.size()), ub.data(),
                                          static_cast<int32_t>(ub.size()));
  if (c != UCOL_EQUAL) return c == UCOL_LESS ? -1 : 1;
  return Sign(fa.compare(fb));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() == b.size()) {
    std::size_t i = 0;
    while (i < a.size() && static_cast<unsigned char>(a[i] | b[i]) < 0x80 &&
           AsciiFold(a[i]) == AsciiFold(b[i]))
      ++i;
    if (i == a.size()) return true;
    if (static_cast<unsigned char>(a[i] | b[i]) < 0x80) {
      // Differ in ASCII here; only a non-ASCII character elsewhere can still fold to ASCII.
      bool ascii = true;
      for (std::size_t k = i; k < a.size() && ascii; ++k)
        ascii = static_cast<unsigned char>(a[k] | b[k]) < 0x80;
      if (ascii) return false;
    }
  }
  return FoldCase(a) == FoldCase(b);
}

std::string CollationKey(std::string_view text) {
  const std::string folded = FoldCase(text);
  std::string key;
  key.reserve(folded.size() * 4 + 17);
  AppendSortKey(key, ToUtf16(folded));
  key += '\0';
  key += folded;
  return key;
}

std::string ToUpper(std::string_view text) { return MapCase(text, u_strToUpper); }
std::string ToLower(std::string_view text) { return MapCase(text, u_strToLower); }

std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t fromByte) {
  if (fromByte > hay.size()) return std::string_view::npos;
  if (needle.empty()) return fromByte;
  const Folded h = FoldText(hay);
  const Folded n = FoldText(needle);
  for (std::size_t at = 0; at + n.cps.size() <= h.cps.size(); ++at) {
    if (h.offsets[at] < fromByte) continue;
    if (MatchesAt(h.cps, at, n.cps)) return h.offsets[at];
  }
  return std::string_view::npos;
}

std::size_t FindLastNoCase(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return hay.size();
  const Folded h = FoldText(hay);
  const Folded n = FoldText(needle);
  if (n.cps.size() > h.cps.size()) return std::string_view::npos;
  for (std::size_t at = h.cps.size() - n.cps.size() + 1; at-- > 0;) {
    if (MatchesAt(h.cps, at, n.cps)) return h.offsets[at];
  }
  return std::string_view::npos;
}

bool ContainsNoCase(std::string_view hay, std::string_view needle) {
  return FindNoCase(hay, needle) != std::string_view::npos;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  const Folded t = FoldText(text);
  const Folded p = FoldText(prefix);
  return MatchesAt(t.cps, 0, p.cps);
}

std::string ReplaceNoCase(std::string_view text, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(text);
  const Folded h = FoldText(text);
  const Folded n = FoldText(find);
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;  // byte offset up to which text has been copied
  std::size_t at = 0;
  while (at + n.cps.size() <= h.cps.size()) {
    if (MatchesAt(h.cps, at, n.cps)) {
      out.append(text.substr(copied, h.offsets[at] - copied));
      out.append(with);
      at += n.cps.size();
      copied = h.offsets[at];
    } else {
      ++at;
    }
  }
  out.append(text.substr(copied));
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(find); at != std::string_view::npos; at = text.find(find, from)) {
    out.append(text.substr(from, at - from));
    out.append(with);
    from = at + find.size();
  }
  out.append(text.substr(from));
  return out;
}

std::size_t CharLength(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++n) NextCodePoint(text, i);
  return n;
}

std::string LeftChars(std::string_view text, std::size_t count) {
  return std::string(text.substr(0, ByteOffsetOfChar(text, count)));
}

std::string RightChars(std::string_view text, std::size_t count) {
  const std::size_t len = CharLength(text);
  if (count >= len) return std::string(text);
  return std::string(text.substr(ByteOffsetOfChar(text, len - count)));
}

std::string MidChars(std::string_view text, std::size_t start1, long long length) {
  // Mid with a start of 0 is an invalid call in the job manager's language as well.
  if (start1 == 0)
    throw KxError(err::InvalidProcedureCall, "Kestrafix", "Invalid procedure call or argument");
  const std::size_t from = ByteOffsetOfChar(text, start1 - 1);
  const std::string_view rest = text.substr(from);
  if (length < 0) return std::string(rest);
  return std::string(rest.substr(0, ByteOffsetOfChar(rest, static_cast<std::size_t>(length))));
}

std::string LTrim(std::string_view text) {
  const std::size_t b = text.find_first_not_of(' ');
  return b == std::string_view::npos ? std::string() : std::string(text.substr(b));
}

std::string RTrim(std::string_view text) {
  const std::size_t e = text.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string() : std::string(text.substr(0, e + 1));
}

std::string Trim(std::string_view text) {
  const std::size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  const std::size_t e = text.find_last_not_of(' ');
  return std::string(text.substr(b, e - b + 1));
}

// As the job manager's Split: an empty text gives no parts at all, an empty separator
// gives the whole text as the only part.
std::vector<std::string> Split(std::string_view text, std::string_view sep) {
  std::vector<std::string> parts;
  if (text.empty()) return parts;
  if (sep.empty()) {
    parts.emplace_back(text);
    return parts;
  }
  std::size_t from = 0;
  for (std::size_t at = text.find(sep); at != std::string_view::npos; at = text.find(sep, from)) {
    parts.emplace_back(text.substr(from, at - from));
    from = at + sep.size();
  }
  parts.emplace_back(text.substr(from));
  return parts;
}

std::string Join(const std::vector<std::string>& parts, std::string_view sep) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out.append(sep);
    out.append(parts[i]);
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (NextCodePoint(bytes, i) >= kInvalidBase) return false;
  }
  return true;
}

// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character in Windows-1252; like the
// Windows converter they become the C1 control of the same number (nothing is lost).
namespace {

// Windows-1252 bytes 0x80..0x9F; the five without a character map to their own code point.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Next code point of UTF-8 text; an invalid byte yields U+FFFD.
UChar32 NextCodePointOrReplacement(std::string_view s, std::size_t& i) {
  const UChar32 c = NextCodePoint(s, i);
  return c >= kInvalidBase ? 0xFFFD : c;
}

}  // namespace

std::optional<std::string> Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const UChar32 c = NextCodePointOrReplacement(text, i);
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
      out += static_cast<char>(c);
      continue;
    }
    int found = -1;
    for (int b = 0; b < 32 && found < 0; ++b)
      if (kCp1252High[b] == c) found = b;
    if (found < 0) return std::nullopt;
    out += static_cast<char>(0x80 + found);
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](std::size_t i) -> UChar32 {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
  };
  const std::size_t n = bytes.size() & ~std::size_t{1};  // an odd last byte is dropped
  for (std::size_t i = 0; i < n; i += 2) {
    const UChar32 u = unit(i);
    if (U16_IS_LEAD(u) && i + 3 < n) {
      const UChar32 low = unit(i + 2);
      if (U16_IS_TRAIL(low)) {
        AppendUtf8(out, U16_GET_SUPPLEMENTARY(u, low));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, U_IS_SURROGATE(u) ? 0xFFFD : u);
  }
  return out;
}

std::string Utf8ToUtf16(std::string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  auto put = [&](UChar32 u) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  };
  for (std::size_t i = 0; i < text.size();) {
    const UChar32 c = NextCodePointOrReplacement(text, i);
    if (c >= 0x10000) {
      put(U16_LEAD(c));
      put(U16_TRAIL(c));
    } else {
      put(c);
    }
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    AppendUtf8(out, (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : b);
  }
  return out;
}

}  // namespace kx
