#pragma once
// Setting one column of the job table for every job whose value in that column matches a
// pattern: the statements, the count and the update. Shared by the replace dialog and the
// command line.
//
// Pattern and value go into the statements as double-quoted literals with inner double quotes
// doubled, so whatever the user typed is taken as text and cannot change the statement. The
// column name is bracketed; a name that could leave its brackets is refused.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"

namespace kx {

class Database;
struct TorvelSettings;

// "filename" and "programnumber" in any letter case: the job's keys, never replaced.
bool IsKeyColumn(std::string_view name);
// A column the replace may set: not empty, not a key column, no "]".
bool IsReplaceableColumn(std::string_view name);

// The condition on the column: `[c] like "p"`, or for an empty pattern the jobs whose column
// is empty or Null. Raises KxError(err::InvalidProcedureCall) for a column that is not
// replaceable.
std::string ReplaceCondition(std::string_view column, std::string_view pattern);
// The new value as a literal: the value in double quotes, the word Null for "".
std::string ReplaceValueLiteral(std::string_view value);
// "select count(*) from NcData where " + condition.
std::string ReplaceCountStatement(std::string_view column, std::string_view pattern);
// "Update NcData SET [c] = n where " + condition.
std::string ReplaceUpdateStatement(std::string_view column, std::string_view pattern, std::string_view value);

// The confirmation text: every "/1" of the template replaced by the count.
std::string ReplaceQuestionText(std::string_view updateText, long count);

// The number of jobs that match, on an open database (a Null count is 0).
long CountMatching(Database& db, std::string_view column, std::string_view pattern, long options = 0);
// Who is named in the replace history and how many replaces it keeps (0: none is recorded).
struct ReplaceLog {
  std::string user;
  int keep = 0;
};
// [TORVEL] UserId, else the login name; [TORVEL] ReplaceHistory.
ReplaceLog ReplaceLogOf(const TorvelSettings& torvel);

// Sets the column of every matching job; returns the number of rows changed. With a log that
// keeps replaces, the jobs changed and their old values are recorded in the same transaction.
long ReplaceMatching(Database& db, std::string_view column, std::string_view pattern, std::string_view value,
                     long options = 0, const ReplaceLog& log = {});

// A matching job as the user sees it before confirming: its keys and the column's value.
struct MatchedJob {
  Variant filename, programNumber, value;
};
// The first limit matching jobs (all for 0), by Filename.
std::vector<MatchedJob> MatchingJobs(Database& db, std::string_view column, std::string_view pattern,
                                     std::size_t limit, long options = 0);

// The same, each on its own connection to the job database (DbName, Windows form or native).
// Engine errors raise KxError.
long CountMatching(const std::string& dbName, std::string_view column, std::string_view pattern,
                   long options = 0);
long ReplaceMatching(const std::string& dbName, std::string_view column, std::string_view pattern,
                     std::string_view value, long options = 0, const ReplaceLog& log = {});

}  // namespace kx
