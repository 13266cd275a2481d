#pragma once
// The record of bulk replaces in the job database, so that a replace can be undone.
//
// KX_REPLACE holds one row per replace (column, pattern, new value, user, time, jobs changed);
// KX_REPLACE_<ID> the jobs that entry changed (their ID) with the value each held before, of its
// own type. On SQLite a replace, and an undo, captures them while its update sets them and keeps
// them packed in one row (sqlite_packed_jobs.h); the server and db copy keep a row per job. A replace
// is recorded in the transaction of its update, and the older entries beyond the history's size
// are pruned in it too, tables and all. An undo restores the old values of the jobs that still
// hold the value the replace wrote and leaves the others alone; it is recorded the same way
// (UndoOf names the replace), so it is listed, and the replace is not undone twice. An undo is
// not undone itself: the next undo takes the replace before.
//
// Both engines run the same statements where they agree; the tables, the locking and the type
// of an old value differ (SQLite keeps the value as stored, the server keeps its text and casts
// it back to the column's type).
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/variant.h"
#include "platform/table_layout.h"

namespace kx {

class Database;

// Replaces kept by default ([TORVEL] ReplaceHistory).
inline constexpr int kDefaultReplaceHistory = 50;
// Bytes of old values an SQLite replace holds in memory to record them packed (a value of 250
// bytes in each of 1,000,000 jobs); a replace whose old values take more records them row by row.
inline constexpr std::size_t kDefaultCaptureLimit = std::size_t{256} << 20;

struct ReplaceEntry {
  long long id = 0;
  std::string column;
  Variant pattern;   // Null for an undo
  Variant newValue;  // Null when the replace cleared the column, and for an undo
  std::string user;
  Variant time;  // a date
  long long jobs = 0;
  long long undoOf = 0;    // an undo: the replace it took back
  long long undoneBy = 0;  // a replace: the undo that took it back
};

// One recorded replace to run.
struct ReplaceRecord {
  std::string column;        // a replaceable column of the job table
  std::string condition;     // of the dialect: the jobs it sets
  std::string valueLiteral;  // of the dialect: the new value, or Null
  std::string pattern;       // as the user gave them
  std::string value;         // "" = Null
  std::string user;
  int keep = kDefaultReplaceHistory;  // entries kept, this one included
  std::size_t captureLimit = kDefaultCaptureLimit;
};

// A job of an undone replace that was left alone: changed since, or deleted.
struct UntouchedJob {
  long long id = 0;
  bool deleted = false;
  Variant filename, programNumber, value;  // as they are now
};

struct UndoResult {
  ReplaceEntry replace;                     // the replace taken back
  long long undoId = 0;                     // the entry of the undo; 0 for a preview
  long long restored = 0;                   // jobs set back (or that would be)
  long long untouched = 0;                  // jobs left alone
  std::vector<UntouchedJob> untouchedJobs;  // the first of them, by ID
};

// KX_REPLACE, made when missing (an older job database gets it on its first recorded replace);
// the jobs of a history that kept them all in one table move to a table per entry.
void EnsureReplaceHistory(Database& db);
// The statement that makes KX_REPLACE, for a new job database.
const char* SqliteReplaceHistorySql();
const char* PgReplaceHistorySql();

// Sets the column of the jobs the condition selects and records them, in one transaction that
// holds off other writers of the job table. Returns the jobs changed.
long RecordedReplace(Database& db, const ReplaceRecord& r);

// db copy: a table of packed jobs goes to the other database as a row per job. For such a table
// of db, sets table's columns to JobID and OldValue and returns the native statement that reads
// its rows; "" for any other table.
std::string UnpackedJobsSelect(Database& db, TableLayout& table);

// Newest first; empty when the database has no history yet.
std::vector<ReplaceEntry> ReplaceHistoryEntries(Database& db);
// The replace an undo without an ID takes: the newest that is no undo and not undone.
std::optional<ReplaceEntry> LastUndoableReplace(Database& db);

// What undoing replace id would do, changing nothing. Raises KxError for an id that is no
// recorded replace, is an undo, or was undone already.
UndoResult PreviewUndo(Database& db, long long id, std::size_t listLimit = 100);
// Restores the old values of the jobs of replace id that still hold the value it wrote; records
// the undo and prunes the history to keep entries, in one transaction. Raises as PreviewUndo.
UndoResult UndoReplace(Database& db, long long id, const std::string& user, int keep,
                       std::size_t listLimit = 100, std::size_t captureLimit = kDefaultCaptureLimit);

}  // namespace kx
