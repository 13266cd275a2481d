#include "platform/sql_tokens.h"

#include <cctype>

#include "core/error.h"
#include "platform/database.h"

namespace kx::sql {
namespace {

constexpr const char* kSource = "DAO.Database";

bool IsWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IsWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void SyntaxError(std::string_view what, std::string_view statement) {
  throw KxError(dberr::Syntax, kSource,
                std::string(what) + " in query expression '" + std::string(statement) + "'.");
}

// Reads a literal or bracketed name closed by `close`; a doubled closing character stands
// for itself when `doubling` (quotes), never for brackets.
std::size_t ReadDelimited(std::string_view s, std::size_t pos, char close, bool doubling,
                          std::string& content) {
  for (std::size_t i = pos + 1; i < s.size(); ++i) {
    if (s[i] != close) {
      content += s[i];
    } else if (doubling && i + 1 < s.size() && s[i + 1] == close) {
      content += close;
      ++i;
    } else {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

}  // namespace

namespace {
// ASCII only, without the C library's locale lookup: names are compared often.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool EqualsAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

bool IsWord(const Token& t, std::string_view word) {
  return t.kind == Tok::Word && EqualsAscii(t.text, word);
}
bool IsPunct(const Token& t, char c) { return t.kind == Tok::Punct && t.text[0] == c; }

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t j = i + 1;
    if (std::isspace(c)) {
      while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) ++j;
      out.push_back({Tok::Space, std::string(s.substr(i, j - i))});
    } else if (IsWordStart(c)) {
      while (j < s.size() && IsWordChar(static_cast<unsigned char>(s[j]))) ++j;
      out.push_back({Tok::Word, std::string(s.substr(i, j - i))});
    } else if (IsDigit(s[i]) || (c == '.' && j < s.size() && IsDigit(s[j]))) {
      while (j < s.size() && (IsDigit(s[j]) || s[j] == '.')) ++j;
      if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        if (k < s.size() && IsDigit(s[k])) {
          j = k;
          while (j < s.size() && IsDigit(s[j])) ++j;
        }
      }
      out.push_back({Tok::Number, std::string(s.substr(i, j - i))});
    } else if (c == '\'' || c == '"' || c == '[') {
      std::string content;
      const char close = c == '[' ? ']' : static_cast<char>(c);
      j = ReadDelimited(s, i, close, c != '[', content);
      if (j == std::string_view::npos)
        SyntaxError(c == '[' ? "Invalid bracketing of name" : "Syntax error in string", s);
      if (c == '\'') {
        out.push_back({Tok::SingleQuoted, std::string(s.substr(i, j - i))});
      } else {
        out.push_back({c == '"' ? Tok::DoubleQuoted : Tok::Bracketed, std::move(content)});
      }
    } else {
      out.push_back({Tok::Punct, std::string(1, static_cast<char>(c))});
    }
    i = j;
  }
  return out;
}

Span StatementSpan(const std::vector<Token>& toks, std::string_view statement) {
  // A closing ";" may end the statement; only blanks may follow it.
  std::size_t end = toks.size();
  for (std::size_t i = 0; i < toks.size(); ++i) {
    if (IsPunct(toks[i], ';')) {
      for (std::size_t k = i + 1; k < toks.size(); ++k) {
        if (toks[k].kind != Tok::Space && !IsPunct(toks[k], ';'))
          throw KxError(dberr::TrailingText, kSource,
                        "Characters found after end of SQL statement: '" + std::string(statement) + "'.");
      }
      end = i;
      break;
    }
  }
  while (end > 0 && toks[end - 1].kind == Tok::Space) --end;
  std::size_t first = 0;
  while (first < end && toks[first].kind == Tok::Space) ++first;
  if (first == end) throw KxError(dberr::Syntax, kSource, "Invalid SQL statement: the statement is empty.");
  return {first, end};
}

bool HasTopLevelLimit(const std::vector<Token>& toks, Span span) {
  int depth = 0;
  for (std::size_t i = span.first; i < span.end; ++i) {
    if (IsPunct(toks[i], '(')) ++depth;
    if (IsPunct(toks[i], ')')) --depth;
    if (depth == 0 && IsWord(toks[i], "limit")) return true;
  }
  return false;
}

}  // namespace kx::sql
