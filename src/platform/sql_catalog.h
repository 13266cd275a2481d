#pragma once
// What a server translation needs to know of the job database: its tables and their columns
// with the stored spelling (PostgreSQL keeps quoted names exact) and the kind of each column.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

enum class ColumnKind { Text, Number, Date, Bool, Other };

struct SqlCatalog {
  struct Column {
    std::string name;
    ColumnKind kind = ColumnKind::Other;
    // An index orders the table by kx_fold(column) COLLATE kx_root: its distinct values are a
    // walk from key to key, not a read of every row.
    bool foldIndexed = false;
  };
  struct Table {
    std::string name;
    std::vector<Column> columns;
    const Column* Find(std::string_view column) const;  // without case
  };

  std::vector<Table> tables;
  // The job table's key that stands in for SQLite's rowid ("ID").
  std::string rowIdColumn = "ID";

  const Table* FindTable(std::string_view name) const;  // without case
  Table& AddTable(std::string name);
};

// The kind of a column from its PostgreSQL type category (pg_type.typcategory).
ColumnKind ColumnKindOfCategory(char typcategory);

}  // namespace kx
