#pragma once
// A table as the engines describe it and the table writer creates it (DAO's TableDef, Field
// and Index, reduced to what a job database holds). Independent of any engine, so a table read
// from one engine, or from another kind of file, can be made on either.
#include <optional>
#include <string>
#include <vector>

#include "core/variant.h"

namespace kx {

enum class FieldType { Bool, Int16, Int32, Int64, Double, DateTime, Text, Decimal };

struct ColumnLayout {
  std::string name;  // in its stored spelling
  FieldType type = FieldType::Text;
  int size = 0;                         // characters of a text column, digits of a decimal; 0: no limit
  int scale = 0;                        // digits after the point of a decimal (currency: 19 and 4)
  bool required = false;                // NOT NULL
  bool autoNumber = false;              // numbered by the database (SQLite's rowid key, a server identity)
  std::optional<Variant> defaultValue;  // a constant default; expressions are not carried
};

struct IndexLayout {
  std::string name;
  std::vector<std::string> columns;
  bool unique = false;  // on text columns: unique without case, as every text comparison is
  // On CDbl(column) over the rows where IsNumeric(column) (one column): the index the
  // "largest numeric value" statements read from its end.
  bool numeric = false;
};

struct TableLayout {
  std::string name;
  std::vector<ColumnLayout> columns;
  std::vector<std::string> primaryKey;
  std::vector<IndexLayout> indexes;
  // The job table (Data, NCDATA, NcData) and the machine table are made under the names the
  // dialect's statements reach, with the indexes the add-in relies on.
  bool isJobTable = false;
  bool isMachineTable = false;
};

// Marks the job and machine tables of a list of tables read from a database.
void ClassifyTables(std::vector<TableLayout>& tables);

}  // namespace kx
