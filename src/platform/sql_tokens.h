#pragma once
// The tokens of the job manager's SQL dialect, shared by the translators of both engines.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kx::sql {

enum class Tok { Space, Word, Number, SingleQuoted, DoubleQuoted, Bracketed, Punct };

struct Token {
  Tok kind;
  std::string text;  // raw text; the content without quotes for DoubleQuoted and Bracketed
};

// Raises KxError(dberr::Syntax) for an unterminated literal or bracket.
std::vector<Token> Tokenize(std::string_view statement);

// The tokens of the statement proper: blanks around it and a closing ";" left out. Raises
// KxError(dberr::TrailingText) for text after the ";" and KxError(dberr::Syntax) when nothing
// is left.
struct Span {
  std::size_t first = 0;
  std::size_t end = 0;
};
Span StatementSpan(const std::vector<Token>& toks, std::string_view statement);

bool EqualsAscii(std::string_view a, std::string_view b);
std::string LowerAscii(std::string_view s);
bool IsWord(const Token& t, std::string_view word);
bool IsPunct(const Token& t, char c);
// A LIMIT outside every parenthesis of [first, end).
bool HasTopLevelLimit(const std::vector<Token>& toks, Span span);

}  // namespace kx::sql
