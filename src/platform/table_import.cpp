// The import of another file's tables: a first reading that finds what the target could not
// take, then the writing through the same table writer as the database copy.
#include "platform/table_import.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <unordered_map>

#include "core/error.h"
#include "core/text.h"
#include "platform/database.h"
#include "platform/db_name.h"
#include "platform/sql_dialect.h"

namespace kx {
namespace {

constexpr const char* kSource = "kestrafix.Import";
constexpr const char* kJobTableNames[] = {"Data", "NCDATA", "NcData"};
constexpr int kExactRealDigits = 15;  // every decimal of this many digits survives a double

using Renames = std::map<std::pair<long long, std::size_t>, std::string>;  // (row, column) -> key

// The digits of a decimal text such as "-1234.5600" (decimals arrive without exponent).
struct Digits {
  std::string_view whole, fraction;  // without leading and trailing zeros
  // What a double must hold: "0.0012" is 2 digits, "1200" 2, "12.34" 4.
  int Significant() const {
    std::string all = std::string(whole) + std::string(fraction);
    const std::size_t first = all.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    return static_cast<int>(all.find_last_not_of('0') - first + 1);
  }
};

Digits DigitsOf(std::string_view t) {
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) t.remove_prefix(1);
  const std::size_t point = t.find('.');
  Digits d{t.substr(0, point), point == std::string_view::npos ? std::string_view() : t.substr(point + 1)};
  while (!d.whole.empty() && d.whole.front() == '0') d.whole.remove_prefix(1);
  while (!d.fraction.empty() && d.fraction.back() == '0') d.fraction.remove_suffix(1);
  return d;
}

// Why value does not fit column in the target, or "".
std::string Misfit(const Variant& v, const ColumnLayout& c, bool sqlite) {
  if (v.IsNull() || v.IsEmpty()) return c.required ? "Null, and the column requires a value" : "";
  switch (c.type) {
    case FieldType::Text:
      if (c.size > 0 && v.IsText() && CharLength(v.AsText()) > static_cast<std::size_t>(c.size))
        return fmt::format("{} characters, the column holds {}", CharLength(v.AsText()), c.size);
      return "";
    case FieldType::DateTime:
      return v.GetKind() == Variant::Kind::Date ? "" : "a date outside the years 100 to 9999";
    case FieldType::Decimal: {
      if (!v.IsText()) return "";
      const Digits d = DigitsOf(v.AsText());
      if (static_cast<int>(d.whole.size()) > c.size - c.scale ||
          static_cast<int>(d.fraction.size()) > c.scale)
        return fmt::format("'{}', more digits than the column's {} with {} decimals", v.AsText(), c.size,
                           c.scale);
      if (sqlite && d.Significant() > kExactRealDigits)
        return fmt::format("'{}', more than {} digits, which an SQLite file does not hold exactly",
                           v.AsText(), kExactRealDigits);
      return "";
    }
    default:
      return "";
  }
}

std::size_t ColumnAt(const TableLayout& t, const std::string& name) {
  for (std::size_t i = 0; i < t.columns.size(); ++i)
    if (EqualsNoCase(t.columns[i].name, name)) return i;
  return t.columns.size();
}

// The unique keys the target will hold (its primary key and unique indexes), as positions in
// the source's columns; a key on a column the source does not have (a new ID) needs no check.
std::vector<std::vector<std::size_t>> UniqueKeys(const TableLayout& source, const TableLayout& target) {
  std::vector<std::vector<std::string>> named;
  if (!target.primaryKey.empty()) named.push_back(target.primaryKey);
  for (const IndexLayout& ix : target.indexes)
    if (ix.unique && !ix.numeric) named.push_back(ix.columns);
  std::vector<std::vector<std::size_t>> keys;
  for (const auto& columns : named) {
    std::vector<std::size_t> at;
    for (const std::string& c : columns) at.push_back(ColumnAt(source, c));
    if (std::all_of(at.begin(), at.end(), [&](std::size_t i) { return i < source.columns.size(); }))
      keys.push_back(std::move(at));
  }
  return keys;
}

class Checker {
 public:
  Checker(const TableLayout& source, bool sqlite, bool rename, ImportReport& report)
      : source_(source), target_(TargetTable(source)), sqlite_(sqlite), rename_(rename), report_(report) {
    for (auto& k : UniqueKeys(source_, target_)) keys_.push_back({std::move(k), {}});
  }

  void Row(long long n, std::vector<Variant>& row) {
    for (std::size_t i = 0; i < row.size() && i < source_.columns.size(); ++i) {
      const std::string why = Misfit(row[i], source_.columns[i], sqlite_);
      if (!why.empty())
        Conflict(ImportConflict::Kind::ValueDoesNotFit, source_.columns[i].name, n,
                 fmt::format("table '{}', row {}, column '{}': {}", source_.name, n, source_.columns[i].name,
                             why));
    }
    for (Key& k : keys_) {
      std::string folded;
      if (!Fold(k, row, folded)) continue;
      const auto [it, fresh] = k.seen.emplace(folded, n);
      if (fresh) continue;
      const ColumnLayout& first = source_.columns[k.columns[0]];
      if (rename_ && k.columns.size() == 1 && first.type == FieldType::Text) {
        Rename(k, n, row);
        continue;
      }
      Conflict(ImportConflict::Kind::DuplicateKey, first.name, n,
               fmt::format("table '{}', row {}: key {} equals that of row {} without regard to case",
                           source_.name, n, KeyText(k, row), it->second));
    }
  }

  Renames TakeRenames() { return std::move(renames_); }

 private:
  struct Key {
    std::vector<std::size_t> columns;
    std::unordered_map<std::string, long long> seen;
  };

  // The key as the target's unique index compares it; false when a part is Null (never equal).
  static bool Fold(const Key& k, const std::vector<Variant>& row, std::string& out) {
    for (std::size_t at : k.columns) {
      const Variant& v = row[at];
      if (v.IsNull() || v.IsEmpty()) return false;
      out += v.IsText() ? CollationKey(v.AsText()) : v.ToText();
      out += '\x1f';
    }
    return true;
  }

  std::string KeyText(const Key& k, const std::vector<Variant>& row) const {
    std::string out;
    for (std::size_t at : k.columns)
      out += fmt::format("{}{}='{}'", out.empty() ? "" : ", ", source_.columns[at].name, row[at].ToText());
    return out;
  }

  // key~2, key~3, ...: the first that no row took yet, cut to fit the column.
  void Rename(Key& k, long long n, std::vector<Variant>& row) {
    const std::size_t at = k.columns[0];
    const ColumnLayout& c = source_.columns[at];
    const std::string from = row[at].AsText();
    for (int i = 2;; ++i) {
      const std::string suffix = "~" + std::to_string(i);
      std::string base = from;
      if (c.size > 0 && CharLength(base) + suffix.size() > static_cast<std::size_t>(c.size))
        base = LeftChars(
            base, static_cast<std::size_t>(std::max<int>(0, c.size - static_cast<int>(suffix.size()))));
      const std::string to = base + suffix;
      if (!k.seen.emplace(CollationKey(to) + '\x1f', n).second) continue;
      row[at] = Variant(to);
      renames_[{n, at}] = to;
      report_.renamed.push_back({source_.name, c.name, n, from, to});
      return;
    }
  }

  void Conflict(ImportConflict::Kind kind, const std::string& column, long long n, std::string text) {
    report_.conflicts.push_back({kind, source_.name, column, n, std::move(text)});
  }

  const TableLayout& source_;
  TableLayout target_;
  bool sqlite_, rename_;
  ImportReport& report_;
  std::vector<Key> keys_;
  Renames renames_;
};

// Two tables that are one name without case, or a table the job table's names would hide.
void CheckNames(const std::vector<TableLayout>& tables, ImportReport& report) {
  const bool hasJob =
      std::any_of(tables.begin(), tables.end(), [](const TableLayout& t) { return t.isJobTable; });
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const std::string name = TargetTable(tables[i]).name;
    for (std::size_t j = 0; j < i; ++j)
      if (EqualsNoCase(name, TargetTable(tables[j]).name))
        report.conflicts.push_back({ImportConflict::Kind::TableNameClash,
                                    tables[i].name,
                                    {},
                                    0,
                                    fmt::format("tables '{}' and '{}' are one name without regard to case",
                                                tables[j].name, tables[i].name)});
    if (!hasJob || tables[i].isJobTable) continue;
    for (const char* alias : kJobTableNames)
      if (EqualsNoCase(tables[i].name, alias))
        report.conflicts.push_back(
            {ImportConflict::Kind::TableNameClash,
             tables[i].name,
             {},
             0,
             fmt::format("table '{}' would be hidden: statements reach the job table {} under that name",
                         tables[i].name, kJobTable)});
  }
}

class RenamedRows final : public RowSource {
 public:
  RenamedRows(std::unique_ptr<RowSource> inner, const Renames& renames)
      : inner_(std::move(inner)), renames_(renames) {}
  bool Next(std::vector<Variant>& row) override {
    if (!inner_->Next(row)) return false;
    ++n_;
    for (auto it = renames_.lower_bound({n_, 0}); it != renames_.end() && it->first.first == n_; ++it)
      row[it->first.second] = Variant(it->second);
    return true;
  }

 private:
  std::unique_ptr<RowSource> inner_;
  const Renames& renames_;
  long long n_ = 0;
};

}  // namespace

ImportReport ImportTables(TableSource& source, const std::string& target, const ImportOptions& options,
                          const ImportProgress& progress) {
  std::vector<TableLayout> tables = source.Tables();
  ClassifyTables(tables);
  if (!options.tablesOnly &&
      std::none_of(tables.begin(), tables.end(), [](const TableLayout& t) { return t.isJobTable; }))
    throw KxError(dberr::TableNotFound, kSource,
                  "The file holds no job table (a table named Data, NCDATA or NcData); nothing was imported. "
                  "--tables-only copies its tables without one.");

  // Made first, so that a target that exists already is refused before the long reading.
  std::unique_ptr<TableWriter> writer;
  if (!options.dryRun) {
    writer = TableWriter::Create(target);
    writer->ReserveTableNames(tables);
  }

  ImportReport report;
  report.notes = source.Notes();
  CheckNames(tables, report);
  const bool sqlite = !IsServerDbName(target);
  std::vector<Renames> renames;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const TableLayout& t = tables[i];
    Checker checker(t, sqlite, options.renameDuplicates, report);
    auto rows = source.Rows(i);
    std::vector<Variant> row;
    long long n = 0;
    while (rows->Next(row)) {
      checker.Row(++n, row);
      if (progress && n % 16384 == 0) progress("checking", t.name, n, -1);
    }
    renames.push_back(checker.TakeRenames());
    report.tables.push_back({t.name, TargetTable(t).name, n, t.isJobTable, t.isMachineTable});
  }
  if (options.dryRun || !report.conflicts.empty()) return report;

  for (std::size_t i = 0; i < tables.size(); ++i) {
    RenamedRows rows(source.Rows(i), renames[i]);
    CopyProgress copyProgress;
    if (progress)
      copyProgress = [&](const TableLayout& t, long long n, long long expected) {
        progress("importing", t.name, n, expected);
      };
    const long long read = writer->WriteTable(tables[i], rows, report.tables[i].rows, copyProgress);
    const long long written = writer->CountRows(tables[i]);
    if (read != report.tables[i].rows || written != read)
      throw KxError(err::DatabaseError, kSource,
                    fmt::format("Table '{}': {} rows checked, {} read, {} written; nothing was imported.",
                                tables[i].name, report.tables[i].rows, read, written));
  }
  writer->Commit();
  report.written = true;
  return report;
}

}  // namespace kx
