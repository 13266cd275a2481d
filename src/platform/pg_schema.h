#pragma once
// The server side of a job database on PostgreSQL (internal to the platform layer): the tables,
// the functions the dialect's statements call and the indexes on them, versioned in kx_schema.
#include <libpq-fe.h>

#include <string>

namespace kx::detail {

// The version of the server functions this release creates and expects. A later release that
// changes them raises it and upgrades a database of an older version.
inline constexpr int kPgSchemaVersion = 1;

// The functions, the collation, the tables and indexes and the version row, created in the
// given schema (function bodies name it, so they do not depend on the search path).
std::string PgJobSchemaSql(const std::string& schema);

// The collation and the functions, made in the schema, and the search path set to it for the
// rest of the transaction; then the version table kx_schema with this release's row.
std::string PgFunctionsSql(const std::string& schema);
std::string PgVersionSql();

// The current schema of a connection that a new job database may go into; refuses a database
// not in UTF-8 or a server without ICU (dberr::CannotOpen), and one whose schema holds a job
// database's tables, or with refuseAnyTable any table or the functions (dberr::AlreadyExists).
std::string PgTargetSchema(PGconn* conn, const std::string& name, bool refuseAnyTable);

// kestrafix db init on a connection string: refuses a database whose schema holds a job
// database or its tables already (dberr::AlreadyExists), one not in UTF-8 and a server without
// ICU (dberr::CannotOpen); creates everything in one transaction.
void CreatePgJobDatabase(const std::string& name, int lockTimeoutMs);

// The statement that checks, on opening, that the schema has this release's functions: one row
// of current schema, has kx_schema, has every function (the version is read after it).
const char* PgSchemaCheckSql();

}  // namespace kx::detail
