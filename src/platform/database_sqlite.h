#pragma once
// The SQLite backend of the job database engine (internal to the platform layer).
#include <memory>
#include <string>

#include "platform/database.h"
#include "platform/sql_dialect_functions.h"

struct sqlite3;

namespace kx::detail {

// Opens an existing SQLite file: WAL journal, busy timeout, no double-quoted strings,
// the dialect's collation and functions. name is the DbName as given (for messages).
std::unique_ptr<Database> OpenSqliteDatabase(const std::string& name, const std::string& nativePath,
                                             int busyTimeoutMs);

// What every connection gets: extended result codes, double-quoted strings off (so a
// double-quoted word is always a name), the busy timeout, the dialect. Returns an SQLite code.
int ConfigureConnection(sqlite3* db, int busyTimeoutMs, DialectErrorSink* sink);

// Switches the connection to WAL; a read-only file keeps its journal. Returns an SQLite code.
int UseWal(sqlite3* db);

}  // namespace kx::detail
