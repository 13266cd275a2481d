#pragma once
// Which engine a DbName names: a libpq connection string is a PostgreSQL database, anything
// else an SQLite file.
#include <string_view>

namespace kx {

// A URI "postgresql://..." or "postgres://...", or the keyword form: the text begins with a
// libpq keyword followed by "=" ("host=srv dbname=jobs", "service=shop"). A Windows path may
// hold "=" too, so only a leading keyword counts.
bool IsServerDbName(std::string_view dbName);

}  // namespace kx
