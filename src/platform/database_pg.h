#pragma once
// The PostgreSQL backend of the job database engine (internal to the platform layer).
#include <memory>
#include <string>

#include "platform/database.h"

namespace kx::detail {

// Opens the job database a libpq connection string names. Record sets stream their rows (the
// server sends them one at a time), so a large result is never held whole; a second statement
// on the same connection first reads the rest of a streaming record set into memory. Refuses
// with dberr::BadFormat a database without this release's server functions (kestrafix db init
// creates them). busyTimeoutMs is the wait for another user's lock.
std::unique_ptr<Database> OpenPgDatabase(const std::string& name, int busyTimeoutMs);

// The server's SQL a statement of the dialect becomes on that database (for tools that run it
// elsewhere, such as the benchmarks beside psql).
std::string TranslateOnServer(const std::string& name, const std::string& statement, long maxRows = 0);

}  // namespace kx::detail
