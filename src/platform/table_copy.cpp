#include "platform/table_copy.h"

#include <fmt/format.h>

#include "core/error.h"
#include "core/text.h"
#include "platform/database.h"
#include "platform/db_name.h"
#include "platform/replace_history.h"
#include "platform/sql_dialect.h"

namespace kx {
namespace {

constexpr const char* kSource = "kestrafix.TableWriter";
constexpr long long kTickRows = 16384;

bool HasIndex(const TableLayout& t, const std::string& column, bool unique, bool numeric) {
  for (const IndexLayout& ix : t.indexes)
    if (ix.columns.size() == 1 && EqualsNoCase(ix.columns[0], column) && ix.unique == unique &&
        ix.numeric == numeric)
      return true;
  return false;
}

// The server keeps 63 bytes of a name; both engines are given the same names.
constexpr std::size_t kNameBytes = 63;

std::string Clip(const std::string& name, std::size_t bytes) {
  if (name.size() <= bytes) return name;
  while (bytes > 0 && (static_cast<unsigned char>(name[bytes]) & 0xC0) == 0x80) --bytes;  // not inside a letter
  return name.substr(0, bytes);
}

// SQLite compares names without case, the server only the bytes it keeps.
std::string NameKey(const std::string& name) { return FoldCase(Clip(name, kNameBytes)); }

const ColumnLayout* FindColumn(const TableLayout& t, std::string_view name) {
  for (const ColumnLayout& c : t.columns)
    if (EqualsNoCase(c.name, name)) return &c;
  return nullptr;
}

}  // namespace

void ClassifyTables(std::vector<TableLayout>& tables) {
  // NCDATA before the job table's other names, as the dialect maps them all to NCDATA.
  TableLayout* job = nullptr;
  for (const char* name : {"NCDATA", "NcData", "Data"}) {
    for (TableLayout& t : tables)
      if (!job && EqualsNoCase(t.name, name)) job = &t;
  }
  for (TableLayout& t : tables) {
    t.isJobTable = &t == job;
    t.isMachineTable = EqualsNoCase(t.name, kMachineTable);
  }
}

TableLayout TargetTable(const TableLayout& source) {
  TableLayout t = source;
  if (t.isJobTable) t.name = std::string(kJobTable);
  if (t.isMachineTable) t.name = std::string(kMachineTable);
  if (!t.isJobTable) return t;
  // The job grid on the server numbers rows by ID.
  if (!FindColumn(t, "ID")) {
    ColumnLayout id;
    id.name = "ID";
    id.type = FieldType::Int64;
    id.autoNumber = true;
    t.columns.insert(t.columns.begin(), id);
    if (t.primaryKey.empty()) t.primaryKey = {"ID"};
  }
  for (const char* key : {"Filename", "ProgramNumber"}) {
    const ColumnLayout* c = FindColumn(t, key);
    if (!c) continue;
    if (!HasIndex(t, c->name, true, false)) t.indexes.push_back({t.name + "_" + key, {c->name}, true, false});
    if (!HasIndex(t, c->name, false, true))
      t.indexes.push_back({t.name + "_" + key + "_Numeric", {c->name}, false, true});
  }
  return t;
}

class TableRows::Impl {
 public:
  Impl(Database& db, const TableLayout& table, const std::string& nativeSelect) : columns_(table.columns.size()) {
    if (!nativeSelect.empty()) {
      rs_ = db.OpenNative(nativeSelect);
    } else if (table.name.find(']') != std::string::npos) {
      throw KxError(dberr::Syntax, kSource,
                    "Table name '" + table.name + "' cannot be written in a statement.");
    } else {
      rs_ = db.OpenRecordset("select * from [" + table.name + "]", dbOpenForwardOnly);
    }
    if (rs_->FieldCount() != static_cast<int>(columns_))
      throw KxError(err::DatabaseError, kSource,
                    fmt::format("Table '{}' has {} columns, its description {}.", table.name,
                                rs_->FieldCount(), columns_));
  }
  bool Next(std::vector<Variant>& row) {
    if (started_) rs_->MoveNext();
    started_ = true;
    if (rs_->Eof()) return false;
    row.resize(columns_);
    for (std::size_t i = 0; i < columns_; ++i) row[i] = rs_->Fields(static_cast<int>(i)).Value();
    return true;
  }

 private:
  std::size_t columns_;
  std::unique_ptr<Recordset> rs_;
  bool started_ = false;
};

TableRows::TableRows(Database& db, const TableLayout& table) : impl_(std::make_unique<Impl>(db, table, "")) {}
TableRows::TableRows(Database& db, const TableLayout& table, const std::string& nativeSelect)
    : impl_(std::make_unique<Impl>(db, table, nativeSelect)) {}
TableRows::~TableRows() = default;
bool TableRows::Next(std::vector<Variant>& row) { return impl_->Next(row); }

std::unique_ptr<TableWriter> TableWriter::Create(const std::string& dbName) {
  if (IsServerDbName(dbName)) return detail::CreatePgTableWriter(dbName);
  return detail::CreateSqliteTableWriter(dbName, NativeDbPath(dbName));
}

void TableWriter::ReserveTableNames(const std::vector<TableLayout>& tables) {
  for (const TableLayout& t : tables) names_.insert(NameKey(TargetTable(t).name));
}

std::string TableWriter::UniqueName(const std::string& name) {
  std::string candidate = name;
  for (int n = 2; !names_.insert(NameKey(candidate)).second; ++n) {
    const std::string suffix = "_" + std::to_string(n);
    candidate = Clip(name, kNameBytes - suffix.size()) + suffix;
  }
  return candidate;
}

long long TableWriter::WriteTable(const TableLayout& table, RowSource& rows, long long expected,
                                  const CopyProgress& progress) {
  TableLayout target = TargetTable(table);
  names_.insert(NameKey(target.name));
  for (IndexLayout& ix : target.indexes) ix.name = UniqueName(ix.name);
  CreateTable(target);
  long long next = kTickRows;
  const auto tick = [&](long long n) {
    if (progress && n >= next) {
      progress(target, n, expected);
      next = n + kTickRows;
    }
  };
  const long long read = WriteRows(target, table.columns, rows, tick);
  if (progress) progress(target, read, read);  // done: the rows read are all there are
  CreateIndexes(target);
  return read;
}

long long TableWriter::CountRows(const TableLayout& table) { return Count(TargetTable(table).name); }

void TableWriter::Commit() { DoCommit(); }

std::vector<CopiedTable> CopyJobDatabase(const std::string& from, const std::string& to,
                                         const CopyProgress& progress) {
  auto source = Engine().OpenDatabase(from);
  std::vector<TableLayout> tables = source->TableDefs();
  auto writer = TableWriter::Create(to);
  writer->ReserveTableNames(tables);
  std::vector<CopiedTable> copied;
  for (TableLayout& t : tables) {
    // A replace's packed jobs are copied as the other engine keeps them, a row per job.
    const std::string select = UnpackedJobsSelect(*source, t);
    long long expected = -1;
    if (progress) {
      auto rs = select.empty() ? source->OpenRecordset("select Count(*) from [" + t.name + "]")
                               : source->OpenNative("SELECT count(*) FROM (" + select + ")");
      expected = static_cast<long long>(rs->Fields(0).Value().ToNumber());
    }
    TableRows rows(*source, t, select);
    copied.push_back({TargetTable(t).name, writer->WriteTable(t, rows, expected, progress)});
  }
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const long long written = writer->CountRows(tables[i]);
    if (written != copied[i].rows)
      throw KxError(err::DatabaseError, kSource,
                    fmt::format("Table '{}': {} rows read, {} written; nothing was copied.", copied[i].name,
                                copied[i].rows, written));
  }
  writer->Commit();
  source->Close();
  return copied;
}

}  // namespace kx
