#pragma once
// Text rules. Equal without regard to case means equal after simple Unicode case folding,
// code point by code point, and nothing more (A² is not A2, "ﬁ" not "fi", a soft hyphen
// counts). The order is linguistic and total: the ICU root collator (tertiary) on the
// folded texts, ties broken by their UTF-8 bytes. The database collation, the keyed
// collection, Like, path lookup and every sorted listing use these functions, and the
// server engine implements the same rule. Texts are UTF-8; positions are byte offsets.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Simple case folding of every code point; bytes that are not UTF-8 are kept as they are.
std::string FoldCase(std::string_view text);
// -1, 0, 1: order of a and b ignoring letter case (Ä = ä, A < b); 0 exactly when
// FoldCase(a) == FoldCase(b).
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Byte string whose memcmp order equals CompareNoCase order: the collator's sort key of the
// folded text, a zero byte, the folded text. Equal keys <=> equal texts.
std::string CollationKey(std::string_view text);

std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// Searches without regard to case; npos when not found.
std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t fromByte = 0);
std::size_t FindLastNoCase(std::string_view hay, std::string_view needle);
bool ContainsNoCase(std::string_view hay, std::string_view needle);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Replace every occurrence, left to right; an empty "find" returns the text unchanged.
std::string ReplaceNoCase(std::string_view text, std::string_view find, std::string_view with);
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view with);

// Length in Unicode characters (code points), not bytes.
std::size_t CharLength(std::string_view text);
// Character-based Left/Right/Mid (Mid start counts from 1; length < 0 means to the end).
std::string LeftChars(std::string_view text, std::size_t count);
std::string RightChars(std::string_view text, std::size_t count);
std::string MidChars(std::string_view text, std::size_t start1, long long length = -1);

// Blank (space) trimming as the job manager's Trim does: spaces only.
std::string Trim(std::string_view text);
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);

// Split at every occurrence of sep (empty parts kept).
std::vector<std::string> Split(std::string_view text, std::string_view sep);
std::string Join(const std::vector<std::string>& parts, std::string_view sep);

// True when the bytes are valid UTF-8.
bool IsValidUtf8(std::string_view bytes);
// Windows-1252 bytes to UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);
// UTF-8 to Windows-1252; nullopt when a character has no byte there.
std::optional<std::string> Utf8ToCp1252(std::string_view text);
// UTF-16 code units (no byte order mark) to UTF-8: an odd last byte is dropped and a broken
// surrogate becomes U+FFFD, so a damaged file still reads.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);
// UTF-8 to UTF-16 code units (no byte order mark); invalid UTF-8 becomes U+FFFD.
std::string Utf8ToUtf16(std::string_view text, bool bigEndian);

}  // namespace kx
