#pragma once
// The dialect translated for PostgreSQL. On top of what the SQLite translation does (literals,
// the job table's names, IIF), the server needs:
//   names     [name] and bare names of the columns of the tables a statement reads are matched
//             without case and written quoted in their stored spelling (the server keeps quoted
//             names exact and folds bare ones to lower case); "AS x" aliases are quoted as
//             defined and found again without case; any other name passes as written.
//   text      texts are equal when equal after Unicode simple case folding and ordered by the
//             ICU root collation of their folds: a comparison with a text column compares
//             kx_fold() of both sides under the collation kx_root (the unique indexes are on
//             the same expression), ORDER BY a text column sorts by its fold, and DISTINCT and
//             UNION keep one row of those equal after folding.
//   Null      sorts first ascending and last descending, as in SQLite.
//   numbers   a number column compared with a text literal: a numeric text is taken as the
//             number, any other text is never equal and sorts above every number.
//   functions a Like b -> a ~~~ b (the server's Like operator); IsNumeric, CDbl -> kx_isnumeric,
//             kx_cdbl; SQLite's rowid, last_insert_rowid() and pragma_table_info(), which the
//             job grid reads, -> the job table's ID column, lastval() and kx_table_info().
//   a subquery in FROM without an alias gets one (the server requires it).
#include <string>
#include <string_view>
#include <vector>

#include "platform/sql_dialect.h"
#include "platform/sql_tokens.h"

namespace kx {

// options.catalog must be set: names are resolved against it.
std::string TranslateForPostgres(const std::vector<sql::Token>& toks, sql::Span span,
                                 const TranslateOptions& options);

}  // namespace kx
