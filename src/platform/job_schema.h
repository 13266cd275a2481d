#pragma once
// The job database's schema: the job table NCDATA and the machine table MACHINE, with
// every text column compared without case (collation NOCASE_ICU) and the keys
// Filename and ProgramNumber unique without case.
#include <string>

struct sqlite3;

namespace kx {

// Creates a new job database file (DbName, Windows form or native), or on a server (a libpq
// connection string) the tables and functions in the database's current schema. An existing
// file, or a schema that holds a job database already, raises KxError(dberr::AlreadyExists);
// it is never touched.
void CreateJobDatabase(const std::string& path);

// The statements CreateJobDatabase runs, in order (for tools and tests).
const char* JobDatabaseSchemaSql();

namespace detail {

// Format of a job database file, kept in PRAGMA user_version. 0: made before the text
// collation followed case folding (its indexes are in the old order) and before number
// columns refused texts and values that do not fit. 1: made before the replace history.
inline constexpr int kJobDatabaseFormat = 2;

// Brings an open job database (one with a job table) to kJobDatabaseFormat when the file
// can be written: from format 0 the collation's indexes rebuilt and the number guards added,
// then the replace history's tables, the format recorded, all in one transaction. A file opened read-only, or one another user keeps
// locked, is left as it is and read as it is.
void UpgradeJobDatabase(sqlite3* db);

// The number guards of the tables db has and the format mark: what a job database made by
// other means (a copy) runs before its commit to be a current one.
std::string CurrentFormatSql(sqlite3* db);

}  // namespace detail

}  // namespace kx
