#pragma once
// The job manager's SQL functions and text collation on an SQLite connection. The same
// code is built into the engine and into the loadable extension (sqlite_ext/), so the
// sqlite3 shell reads a job database exactly as the engine does.
//
//   NOCASE_ICU       collation: kx::CompareNoCase (texts equal and ordered without case);
//                    the job schema declares it on every text column
//   IsNumeric(x)     1 for numbers and numeric texts (kx::IsNumeric), 0 otherwise, never Null
//   CDbl(x)          double of a number or numeric text; Null for Null; a non-numeric text
//                    is an error ("Data type mismatch", as the job manager's engine has it),
//                    a number beyond the range of double an overflow
//   match(p, x)      x MATCH p: the dialect's Like (kx::LikeMatch without case), a number
//                    matched as the grid shows it (2.0 as "2"); Null when either operand is
//                    Null; a malformed pattern is an error
#include <string>

struct sqlite3;

namespace kx {

inline constexpr const char* kNoCaseCollation = "NOCASE_ICU";

// Where the functions leave the number and text of their last error, so the engine can
// raise it with the right number (the extension passes no sink).
struct DialectErrorSink {
  long number = 0;
  std::string description;
};

// Returns SQLITE_OK or the SQLite error code of the failing registration.
int RegisterDialect(sqlite3* db, DialectErrorSink* sink);

}  // namespace kx
