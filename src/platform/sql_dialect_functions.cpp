#include "platform/sql_dialect_functions.h"

#include "platform/sqlite_api.h"

#include <cstring>
#include <new>
#include <string_view>

#include "core/error.h"
#include "core/like.h"
#include "core/numbers.h"
#include "core/text.h"
#include "platform/database.h"

namespace kx {
namespace {

std::string_view TextOf(sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void Fail(sqlite3_context* ctx, long number, const std::string& description) {
  if (auto* sink = static_cast<DialectErrorSink*>(sqlite3_user_data(ctx))) {
    sink->number = number;
    sink->description = description;
  }
  sqlite3_result_error(ctx, description.c_str(), static_cast<int>(description.size()));
}

bool ValueIsNumeric(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return true;
    case SQLITE_NULL:
      return false;
    default:
      return kx::IsNumeric(TextOf(v));
  }
}

void IsNumericFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  try {
    sqlite3_result_int(ctx, ValueIsNumeric(argv[0]) ? 1 : 0);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (const std::exception& e) {
    Fail(ctx, dberr::TypeMismatch, e.what());
  }
}

void CDblFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  try {
    sqlite3_value* v = argv[0];
    switch (sqlite3_value_type(v)) {
      case SQLITE_NULL:
        sqlite3_result_null(ctx);
        return;
      case SQLITE_INTEGER:
      case SQLITE_FLOAT:
        sqlite3_result_double(ctx, sqlite3_value_double(v));
        return;
      default: {
        const std::string_view text = TextOf(v);
        try {
          sqlite3_result_double(ctx, kx::CDbl(text));
        } catch (const KxError& e) {
          if (e.Number() == err::Overflow) {
            Fail(ctx, err::Overflow, "Overflow in criteria expression: CDbl('" + std::string(text) + "').");
          } else {
            Fail(ctx, dberr::TypeMismatch,
                 "Data type mismatch in criteria expression: CDbl('" + std::string(text) + "').");
          }
        }
      }
    }
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (const std::exception& e) {
    Fail(ctx, dberr::TypeMismatch, e.what());
  }
}

// A number is matched as the grid shows it: 2.0 as "2", as Variant::ToText writes it. A text
// is matched in place (`number` only holds a number's text).
std::string_view MatchedText(sqlite3_value* v, std::string& number) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return number = std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return number = FormatNumber(sqlite3_value_double(v));
    default:
      return TextOf(v);
  }
}

// x MATCH p calls match(p, x).
void MatchFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  const std::string_view pattern = TextOf(argv[0]);
  std::string number;
  try {
    // The pattern is compiled once per statement and kept with its argument.
    auto* compiled = static_cast<kx::LikePattern*>(sqlite3_get_auxdata(ctx, 0));
    if (!compiled) {
      compiled = new kx::LikePattern(pattern, true);
      sqlite3_set_auxdata(ctx, 0, compiled, [](void* p) { delete static_cast<kx::LikePattern*>(p); });
      // SQLite may have dropped it already (then it called the deleter): ask again.
      compiled = static_cast<kx::LikePattern*>(sqlite3_get_auxdata(ctx, 0));
      if (!compiled) {
        sqlite3_result_int(ctx, kx::LikeMatch(MatchedText(argv[1], number), pattern, true) ? 1 : 0);
        return;
      }
    }
    sqlite3_result_int(ctx, compiled->Matches(MatchedText(argv[1], number)) ? 1 : 0);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (const std::exception&) {
    Fail(ctx, dberr::Syntax, "Invalid pattern string in Like: '" + std::string(pattern) + "'.");
  }
}

int CompareCollation(void*, int n1, const void* s1, int n2, const void* s2) {
  const std::string_view a(static_cast<const char*>(s1), static_cast<std::size_t>(n1));
  const std::string_view b(static_cast<const char*>(s2), static_cast<std::size_t>(n2));
  try {
    return kx::CompareNoCase(a, b);
  } catch (...) {
    // A collation must answer; byte order keeps the index consistent for such a text.
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
}

}  // namespace

int RegisterDialect(sqlite3* db, DialectErrorSink* sink) {
  constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  int rc = sqlite3_create_collation(db, kNoCaseCollation, SQLITE_UTF8, nullptr, CompareCollation);
  if (rc == SQLITE_OK)
    rc = sqlite3_create_function(db, "IsNumeric", 1, kFlags, sink, IsNumericFn, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_create_function(db, "CDbl", 1, kFlags, sink, CDblFn, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_create_function(db, "match", 2, kFlags, sink, MatchFn, nullptr, nullptr);
  return rc;
}

}  // namespace kx
