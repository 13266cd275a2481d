#pragma once
// The table writer makes tables in a new job database on either engine and fills them from a
// stream of rows, all in one transaction on the target, in bulk (prepared inserts on SQLite,
// COPY on the server). It knows nothing of where the rows come from: the database copy below
// feeds it the tables of another job database, an importer may feed it those of another file.
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/variant.h"
#include "platform/table_layout.h"

namespace kx {

class Database;

// The rows of one table, values in the order of its TableLayout's columns.
class RowSource {
 public:
  virtual ~RowSource() = default;
  // Fills row with the next row; false after the last one.
  virtual bool Next(std::vector<Variant>& row) = 0;
};

// The rows of a table read through the engine ("select * from" it).
class TableRows final : public RowSource {
 public:
  TableRows(Database& db, const TableLayout& table);
  // The rows a native statement reads, one value per column of table.
  TableRows(Database& db, const TableLayout& table, const std::string& nativeSelect);
  ~TableRows() override;
  bool Next(std::vector<Variant>& row) override;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Called while a table's rows are written (rows so far, and the rows expected or -1) and once
// more when the table is done, then with expected equal to rows.
using CopyProgress = std::function<void(const TableLayout& table, long long rows, long long expected)>;

class TableWriter {
 public:
  // A writer on a new job database: the DbName of an SQLite file that does not exist yet (or is
  // empty), or a connection string whose current schema holds nothing. Anything else raises
  // KxError(dberr::AlreadyExists) and is left alone. Nothing shows in the target before Commit().
  static std::unique_ptr<TableWriter> Create(const std::string& dbName);
  // Without Commit(): everything is rolled back and a file made by the writer is removed.
  virtual ~TableWriter() = default;
  TableWriter(const TableWriter&) = delete;
  TableWriter& operator=(const TableWriter&) = delete;

  // Makes the table, writes every row of rows, then makes its indexes. The job and machine
  // tables get the names the dialect reaches (NCDATA, MACHINE); the job table gets its key
  // indexes (Filename and ProgramNumber unique, their numeric indexes) and its ID column if the
  // source has none. A value that the target's column cannot hold raises KxError naming the
  // table, row and column. Returns the rows read from rows.
  long long WriteTable(const TableLayout& table, RowSource& rows, long long expected = -1,
                       const CopyProgress& progress = {});
  // The rows the target's table holds now, counted by the target.
  long long CountRows(const TableLayout& table);
  void Commit();
  // Index names are the database's, not the table's, and are made from table and column names:
  // table A's index on B_C and table A_B's on C are both A_B_C. WriteTable gives an index whose
  // name is taken a suffix (_2, _3, ...); the tables named here, written later, keep theirs.
  void ReserveTableNames(const std::vector<TableLayout>& tables);

 protected:
  TableWriter() = default;
  virtual void CreateTable(const TableLayout& target) = 0;
  // Writes the source's columns of every row into the target table; returns the rows read.
  virtual long long WriteRows(const TableLayout& target, const std::vector<ColumnLayout>& columns,
                              RowSource& rows, const std::function<void(long long)>& tick) = 0;
  virtual void CreateIndexes(const TableLayout& target) = 0;
  virtual long long Count(const std::string& table) = 0;
  virtual void DoCommit() = 0;

 private:
  std::string UniqueName(const std::string& name);
  std::set<std::string> names_;  // tables and indexes, as both engines compare them
};

// The table as the writer makes it (see WriteTable).
TableLayout TargetTable(const TableLayout& source);

struct CopiedTable {
  std::string name;  // in the target
  long long rows = 0;
};

// kestrafix db copy: every table of the job database from into the new job database to (see
// TableWriter::Create), in one transaction on the target. At the end each table's rows are
// counted in the target; a count other than the rows read rolls everything back and raises
// KxError(err::DatabaseError).
std::vector<CopiedTable> CopyJobDatabase(const std::string& from, const std::string& to,
                                         const CopyProgress& progress = {});

namespace detail {
std::unique_ptr<TableWriter> CreateSqliteTableWriter(const std::string& name, const std::string& nativePath);
std::unique_ptr<TableWriter> CreatePgTableWriter(const std::string& name);
}  // namespace detail

}  // namespace kx
