#include "platform/sql_dialect.h"

#include <optional>
#include <vector>

#include "platform/sql_dialect_pg.h"
#include "platform/sql_tokens.h"

namespace kx {
namespace {

using sql::EqualsAscii;
using sql::IsWord;
using sql::Tok;
using sql::Token;

std::optional<std::string_view> TableFor(std::string_view name) {
  if (EqualsAscii(name, "data") || EqualsAscii(name, "ncdata")) return kJobTable;
  if (EqualsAscii(name, "machine")) return kMachineTable;
  return std::nullopt;
}

std::string QuoteIdentifier(std::string_view name) { return QuoteSqlText(name, '"'); }

bool EndsFromList(const Token& t) {
  static constexpr std::string_view kWords[] = {"where",     "group", "order", "having", "union",  "except",
                                                "intersect", "limit", "on",    "set",    "values", "window"};
  if (t.kind != Tok::Word) return false;
  for (auto w : kWords)
    if (EqualsAscii(t.text, w)) return true;
  return false;
}

bool IsAscii(std::string_view s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

class Translator {
 public:
  Translator(const std::vector<Token>& toks, std::string_view statement, const TranslateOptions& options)
      : toks_(toks), statement_(statement), options_(options) {}

  std::string Run(std::size_t end) {
    Emit(0, end);
    return std::move(out_);
  }

 private:
  // Next token after i that is not blank, or end.
  std::size_t NextSignificant(std::size_t i, std::size_t end) const {
    while (i < end && toks_[i].kind == Tok::Space) ++i;
    return i;
  }

  void Emit(std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const Token& t = toks_[i];
      if (t.kind == Tok::Space) {
        out_ += t.text;
        continue;
      }
      const bool tablePosition = expectTable_;
      expectTable_ = false;
      switch (t.kind) {
        case Tok::Word:
          i = EmitWord(i, end, tablePosition);
          break;
        case Tok::Bracketed: {
          auto table = tablePosition || FollowedByDot(i, end) ? TableFor(t.text) : std::nullopt;
          auto column = table ? std::nullopt : ColumnName(t.text);
          out_ += QuoteIdentifier(table    ? *table
                                  : column ? std::string_view(*column)
                                           : std::string_view(t.text));
          break;
        }
        case Tok::DoubleQuoted:
          out_ += QuoteSqlText(t.text, '\'');
          break;
        case Tok::Punct:
          EmitPunct(t.text[0], i, end);
          break;
        default:
          out_ += t.text;
          break;
      }
    }
  }

  std::optional<std::string> ColumnName(std::string_view name) const {
    if (IsAscii(name) || !options_.columnName) return std::nullopt;
    return options_.columnName(name);
  }

  bool FollowedByDot(std::size_t i, std::size_t end) const {
    return i + 1 < end && toks_[i + 1].kind == Tok::Punct && toks_[i + 1].text == ".";
  }

  void EmitPunct(char c, std::size_t i, std::size_t end) {
    if (c == '(') {
      ++depth_;
    } else if (c == ')') {
      if (depth_ > 0) --depth_;
      while (!fromDepths_.empty() && fromDepths_.back() > depth_) fromDepths_.pop_back();
    } else if (c == ',' && !fromDepths_.empty() && fromDepths_.back() == depth_) {
      expectTable_ = true;
    }
    out_ += c;
    // "--" would open a comment in SQLite; in the dialect it is minus and a negative sign.
    if (c == '-' && i + 1 < end && toks_[i + 1].kind == Tok::Punct && toks_[i + 1].text == "-") out_ += ' ';
  }

  std::size_t EmitWord(std::size_t i, std::size_t end, bool tablePosition) {
    const Token& t = toks_[i];
    if (tablePosition || FollowedByDot(i, end)) {
      if (auto table = TableFor(t.text)) {
        out_ += *table;
        return i;
      }
    }
    if (IsWord(t, "like")) {
      out_ += "MATCH";
      return i;
    }
    if (IsWord(t, "iif")) {
      if (auto last = EmitIif(i, end)) return *last;
    }
    if (auto column = ColumnName(t.text)) {
      out_ += QuoteIdentifier(*column);
      return i;
    }
    if (IsWord(t, "from") || IsWord(t, "join") || IsWord(t, "update") || IsWord(t, "into")) {
      expectTable_ = true;
      if (IsWord(t, "from")) fromDepths_.push_back(depth_);
    } else if (EndsFromList(t) && !fromDepths_.empty() && fromDepths_.back() == depth_) {
      fromDepths_.pop_back();
    }
    out_ += t.text;
    return i;
  }

  // IIF(c, a, b) -> CASE WHEN c THEN a ELSE b END; returns the index of the closing
  // parenthesis, or nothing when the call does not have that shape (left to SQLite).
  std::optional<std::size_t> EmitIif(std::size_t i, std::size_t end) {
    std::size_t open = NextSignificant(i + 1, end);
    if (open >= end || toks_[open].kind != Tok::Punct || toks_[open].text != "(") return std::nullopt;
    std::vector<std::size_t> commas;
    int depth = 0;
    std::size_t close = end;
    for (std::size_t k = open + 1; k < end && close == end; ++k) {
      if (toks_[k].kind != Tok::Punct) continue;
      const char c = toks_[k].text[0];
      if (c == '(') {
        ++depth;
      } else if (c == ')') {
        if (depth == 0) close = k;
        --depth;
      } else if (c == ',' && depth == 0) {
        commas.push_back(k);
      }
    }
    if (close == end || commas.size() != 2) return std::nullopt;
    out_ += "CASE WHEN (";
    Emit(open + 1, commas[0]);
    out_ += ") THEN (";
    Emit(commas[0] + 1, commas[1]);
    out_ += ") ELSE (";
    Emit(commas[1] + 1, close);
    out_ += ") END";
    return close;
  }

  const std::vector<Token>& toks_;
  std::string_view statement_;
  const TranslateOptions& options_;
  std::string out_;
  int depth_ = 0;
  bool expectTable_ = false;
  std::vector<int> fromDepths_;  // paren depths at which a FROM list is open
};

}  // namespace

std::string QuoteSqlText(std::string_view value, char quote) {
  std::string out;
  out.reserve(value.size() + 2);
  out += quote;
  for (char c : value) {
    out += c;
    if (c == quote) out += quote;
  }
  out += quote;
  return out;
}

std::string TranslateStatement(std::string_view statement, const TranslateOptions& options) {
  const std::vector<Token> toks = sql::Tokenize(statement);
  const sql::Span span = sql::StatementSpan(toks, statement);
  if (options.engine == SqlEngine::Postgres) return TranslateForPostgres(toks, span, options);
  const std::size_t first = span.first;
  const std::size_t end = span.end;

  // A table name alone opens the whole table.
  if (first + 1 == end && (toks[first].kind == Tok::Word || toks[first].kind == Tok::Bracketed)) {
    auto table = TableFor(toks[first].text);
    return "SELECT * FROM " + QuoteIdentifier(table ? *table : std::string_view(toks[first].text));
  }

  std::string sql = Translator(toks, statement, options).Run(end);
  if (options.maxRows > 0 && IsWord(toks[first], "select") && !sql::HasTopLevelLimit(toks, span))
    sql += " LIMIT " + std::to_string(options.maxRows);
  return sql;
}

}  // namespace kx
