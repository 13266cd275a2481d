#pragma once
// Importing the tables of another kind of file (an Access job database) into a new job
// database: every row is read once to report what the target could not take (keys equal
// without case, values too long or inexact, table names that clash), then, unless that report
// holds a conflict, everything is written through the table writer in one transaction.
#include <memory>
#include <string>
#include <vector>

#include "platform/table_copy.h"
#include "platform/table_layout.h"

namespace kx {

// The tables a file holds and their rows, read as often as asked.
class TableSource {
 public:
  virtual ~TableSource() = default;
  virtual const std::vector<TableLayout>& Tables() const = 0;
  // The rows of Tables()[i], from the first; values in the order of its columns.
  virtual std::unique_ptr<RowSource> Rows(std::size_t i) = 0;
  // What the reader changed on the way (a column kept in another form), one line each.
  virtual std::vector<std::string> Notes() const { return {}; }
};

struct ImportOptions {
  bool dryRun = false;
  bool tablesOnly = false;        // no job table required
  bool renameDuplicates = false;  // keys equal without case get a suffix instead of a conflict
};

struct ImportConflict {
  enum class Kind { DuplicateKey, ValueDoesNotFit, TableNameClash };
  Kind kind = Kind::DuplicateKey;
  std::string table, column;  // as in the source
  long long row = 0;          // from 1; 0 for a table
  std::string text;           // the whole finding in words
};

struct RenamedKey {
  std::string table, column;
  long long row = 0;
  std::string from, to;
};

struct ImportedTable {
  std::string source, target;
  long long rows = 0;
  bool isJobTable = false, isMachineTable = false;
};

struct ImportReport {
  std::vector<ImportedTable> tables;
  std::vector<ImportConflict> conflicts;
  std::vector<RenamedKey> renamed;
  std::vector<std::string> notes;
  bool written = false;  // the target holds the tables
};

// Called while the rows are read for the report (checking) and while they are written.
using ImportProgress = std::function<void(const std::string& step, const std::string& table, long long rows,
                                          long long expected)>;

// Reads source and, unless options.dryRun or the report holds a conflict, writes every table
// into the new job database target (see TableWriter::Create). A source without a job table
// raises KxError(dberr::TableNotFound) unless options.tablesOnly.
ImportReport ImportTables(TableSource& source, const std::string& target, const ImportOptions& options,
                          const ImportProgress& progress = {});

// The reader of Access (Jet 3, Jet 4, ACCDB) files, opened for reading only. A file that is
// not one, or is damaged or encrypted, raises KxError(dberr::BadFormat) naming the file.
std::unique_ptr<TableSource> OpenJetFile(const std::string& nativePath);

}  // namespace kx
