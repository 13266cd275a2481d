#pragma once
// The SQLite backend of the job database engine (internal to the platform layer).
#include <memory>
#include <string>

#include "platform/database.h"
#include "platform/sql_dialect_functions.h"

struct sqlite3;

namespace kx::detail {

// Opens an existing SQLite file: busy timeout, no double-quoted strings, the dialect's
// collation and functions. A file this process may not write, or one on a read-only file
// system, is opened for reading (writes raise dberr::ReadOnly). Opening never changes the
// file: the journal is chosen on the first write (see ChooseJournal). name is the DbName as
// given (for messages).
std::unique_ptr<Database> OpenSqliteDatabase(const std::string& name, const std::string& nativePath,
                                             int busyTimeoutMs);

// What every connection gets: extended result codes, double-quoted strings off (so a
// double-quoted word is always a name), the busy timeout, the dialect. Returns an SQLite code.
int ConfigureConnection(sqlite3* db, int busyTimeoutMs, DialectErrorSink* sink);

// How the engine may keep the journal of a file: WAL on a local file system, a rollback
// journal on a network one (whose name is then set, and WarnNetworkShare told).
struct SqlitePlacement {
  bool wal = true;
  bool readOnlyFileSystem = false;
  std::string network;
};
SqlitePlacement PlacementOf(const std::string& name, const std::string& nativePath);

// Before a write: WAL where wal is allowed, else a rollback journal in place of WAL; a journal
// that fits already is left as it is. Returns an SQLite code.
int ChooseJournal(sqlite3* db, bool wal);

}  // namespace kx::detail
