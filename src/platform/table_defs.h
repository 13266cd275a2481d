#pragma once
// Reading the table descriptions of a job database, per engine (internal to the platform layer).
#include <libpq-fe.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/table_layout.h"

struct sqlite3;

namespace kx::detail {

std::vector<TableLayout> ReadSqliteTableDefs(sqlite3* db);
// The tables of the connection's current schema, without the engine's own kx_schema.
std::vector<TableLayout> ReadPgTableDefs(PGconn* conn, const std::string& dbName);

// A default that is a constant ("0", "'x'", "'x'::text", "(-1)"); nothing for an expression.
std::optional<Variant> ConstantDefault(std::string_view expr);
// The column x of an index on CDbl(x) over the rows where IsNumeric(x) (either engine's
// spelling), from the index's statement or its key and predicate; "" for any other index.
std::string NumericIndexColumn(std::string_view sql);

}  // namespace kx::detail
