#include "platform/job_table_grid.h"

#include <algorithm>
#include <cmath>

#include "core/error.h"
#include "core/like.h"
#include "core/numbers.h"
#include "core/text.h"
#include "platform/database.h"
#include "platform/sql_dialect.h"

namespace kx {

namespace {

constexpr const char* kSource = "JobTableGrid";
constexpr long kInvalidBookmark = 3159;  // "Not a valid bookmark."
constexpr long kRecordDeleted = 3167;    // "Record is deleted."

// The rowid travels under a name no job table uses, so "*" cannot shadow it.
constexpr const char* kRowIdField = "KxGridRowId";

std::string RowsStatement() { return std::string("select rowid as [") + kRowIdField + "], * from NcData"; }

Bookmark RowIdOf(const Recordset& rs) {
  const Variant v = rs.Fields(kRowIdField).Value();
  return v.GetKind() == Variant::Kind::Integer ? v.AsInteger() : static_cast<Bookmark>(v.ToNumber());
}

std::string Bracketed(const std::string& name) {
  // Names come from the table itself; one with "]" could not be written in the dialect.
  if (name.find(']') != std::string::npos)
    throw KxError(dberr::Syntax, kSource, "Column name '" + name + "' cannot be written in a statement.");
  return "[" + name + "]";
}

}  // namespace

std::string SqlLiteral(const Variant& value) {
  switch (value.GetKind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
      return "Null";
    case Variant::Kind::Bool:
      return value.AsBool() ? "-1" : "0";  // the job manager's True is -1
    case Variant::Kind::Integer:
      return std::to_string(value.AsInteger());
    case Variant::Kind::Double:
      if (!std::isfinite(value.AsDouble()))
        throw KxError(err::Overflow, kSource, "A value that is not a finite number cannot be stored.");
      return FormatNumber(value.AsDouble());
    case Variant::Kind::Text:
    case Variant::Kind::Date:
      return QuoteSqlText(value.ToText(), '\'');
  }
  return "Null";
}

class JobTableGrid::Column : public IGridColumn {
 public:
  Column(JobTableGrid& grid, long index, std::string name)
      : grid_(grid), index_(index), name_(std::move(name)) {}
  std::string Name() const override { return name_; }
  std::string Caption() const override { return grid_.CaptionOf(index_); }
  Variant Value() const override { return grid_.ValueOf(index_); }
  void Value(const Variant& vNewValue) override { grid_.SetValueOf(index_, vNewValue); }
  std::string Text() const override { return grid_.ValueOf(index_).ToText(); }
  Variant CellValue(Bookmark bookmark) const override { return grid_.CellValueOf(index_, bookmark); }

 private:
  JobTableGrid& grid_;
  long index_;
  std::string name_;
};

JobTableGrid::JobTableGrid(std::string dbName, CaptionSource captions, std::string rows)
    : dbName_(std::move(dbName)), captions_(std::move(captions)), rowCondition_(std::move(rows)) {
  Refresh();
}

JobTableGrid::~JobTableGrid() = default;

void JobTableGrid::Refresh() {
  auto db = Engine().OpenDatabase(dbName_);

  // An INTEGER PRIMARY KEY is the rowid itself: the bookmark, never a value to show or copy.
  std::string key;
  try {
    auto info = db->OpenRecordset("select [name], [pk], [type] from pragma_table_info('" +
                                  std::string(kJobTable) + "')");
    int keys = 0;
    std::string keyType;
    for (; !info->Eof(); info->MoveNext()) {
      if (info->Fields("pk").Value().ToNumber() > 0) {
        ++keys;
        key = info->Fields("name").Value().ToText();
        keyType = info->Fields("type").Value().ToText();
      }
    }
    info->Close();
    if (keys != 1 || !EqualsNoCase(keyType, "INTEGER")) key.clear();
  } catch (const KxError&) {
    // An engine without SQLite's table information: every column is a grid column.
    key.clear();
  }

  // The rows the grid holds: every row, or those of the condition; the search keeps some of them.
  const std::string selected = rowCondition_.empty() ? std::string() : "(" + rowCondition_ + ")";
  const auto where = [&](const std::string& more) {
    const std::string both = selected.empty() || more.empty() ? selected + more : selected + " and " + more;
    return both.empty() ? both : " where " + both;
  };
  // Without a search one statement gives columns and rows; a search names every column, so
  // the columns come first.
  auto rs =
      db->OpenRecordset(RowsStatement() + (filter_.empty() ? where("") + " order by rowid" : " where 1 = 0"));
  std::vector<std::string> names;
  std::vector<int> fields;
  for (int i = 0; i < rs->FieldCount(); ++i) {
    const std::string name = rs->Fields(i).Name();
    if (EqualsNoCase(name, kRowIdField) || (!key.empty() && EqualsNoCase(name, key))) continue;
    names.push_back(name);
    fields.push_back(i);
  }
  long total = 0;
  if (!filter_.empty()) {
    rs->Close();
    auto count = db->OpenRecordset("select count(*) from NcData" + where(""));
    total = static_cast<long>(count->Fields(0).Value().ToNumber());
    count->Close();
    rs = db->OpenRecordset(RowsStatement() + where(FilterCondition(names)) + " order by rowid");
  }
  std::vector<Row> rows;
  for (; !rs->Eof(); rs->MoveNext()) {
    Row row;
    row.rowid = RowIdOf(*rs);
    row.values.reserve(fields.size());
    for (int f : fields) row.values.push_back(rs->Fields(f).Value());
    rows.push_back(std::move(row));
  }
  rs->Close();
  db->Close();

  // Column objects survive a refresh that finds the same columns.
  bool same = names.size() == columns_.size();
  for (std::size_t i = 0; same && i < names.size(); ++i) same = columns_[i]->Name() == names[i];
  if (!same) {
    columns_.clear();
    for (std::size_t i = 0; i < names.size(); ++i)
      columns_.push_back(std::make_unique<Column>(*this, static_cast<long>(i), names[i]));
    if (col_ >= ColumnCount()) col_ = -1;
  }

  const std::optional<Bookmark> keep =
      current_ >= 0 ? std::optional<Bookmark>(rows_[static_cast<std::size_t>(current_)].rowid) : std::nullopt;
  rows_ = std::move(rows);
  total_ = filter_.empty() ? Rows() : total;
  edit_.reset();
  current_ = keep ? RowOf(*keep) : -1;
  if (current_ < 0 && !rows_.empty()) current_ = 0;
}

// Wildcards of a value taken literally: "[*]" for "*".
static std::string LiteralPattern(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '*' || c == '?' || c == '#' || c == '[') {
      out += '[';
      out += c;
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

std::string JobTableGrid::FilterCondition(const std::vector<std::string>& names) const {
  const std::string pattern = "*" + filter_ + "*";
  const LikePattern like(pattern);  // a malformed pattern fails here, before any statement
  std::string condition;
  auto either = [&](const std::string& name, const std::string& p) {
    condition += (condition.empty() ? "" : " or ") + Bracketed(name) + " like " + QuoteSqlText(p, '"');
  };
  for (const std::string& name : names) {
    either(name, pattern);
    if (const auto* captions = CaptionsOfColumn(name)) {
      for (const auto& [value, caption] : *captions) {
        if (like.Matches(caption)) either(name, LiteralPattern(value));
      }
    }
  }
  return condition.empty() ? std::string("0") : "(" + condition + ")";
}

const std::map<std::string, std::string>* JobTableGrid::CaptionsOfColumn(const std::string& name) const {
  for (const auto& [column, captions] : valueCaptions_) {
    if (EqualsNoCase(column, name)) return &captions;
  }
  return nullptr;
}

void JobTableGrid::SetValueCaptions(ValueCaptions captions) { valueCaptions_ = std::move(captions); }

std::string JobTableGrid::DisplayText(long row, long column) const {
  const std::string text = Cell(row, column).ToText();
  if (const auto* captions = CaptionsOfColumn(columns_[static_cast<std::size_t>(column)]->Name())) {
    const auto it = captions->find(text);
    if (it != captions->end() && !it->second.empty()) return it->second;
  }
  return text;
}

void JobTableGrid::SetFilter(std::string text) {
  std::swap(filter_, text);
  try {
    Refresh();
  } catch (...) {
    filter_ = std::move(text);  // the rows are still those of the old filter
    throw;
  }
}

long JobTableGrid::ColumnIndex(std::string_view name) const {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (EqualsNoCase(columns_[i]->Name(), name)) return static_cast<long>(i);
  }
  return -1;
}

IGridColumn& JobTableGrid::Columns(std::string_view name) {
  const long index = ColumnIndex(name);
  if (index < 0)
    throw KxError(dberr::ItemNotFound, kSource,
                  "Item not found in this collection: no column '" + std::string(name) + "'.");
  return *columns_[static_cast<std::size_t>(index)];
}

IGridColumn& JobTableGrid::ColumnAt(long index) {
  if (index < 0 || index >= ColumnCount())
    throw KxError(dberr::ItemNotFound, kSource,
                  "Item not found in this collection: no column at position " + std::to_string(index) + ".");
  return *columns_[static_cast<std::size_t>(index)];
}

void JobTableGrid::SetCol(long col) {
  if (col < -1 || col >= ColumnCount())
    throw KxError(err::InvalidProcedureCall, kSource, "Invalid column position " + std::to_string(col) + ".");
  col_ = col;
}

Bookmark JobTableGrid::GetBookmark() const {
  if (current_ < 0) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
  return rows_[static_cast<std::size_t>(current_)].rowid;
}

Bookmark JobTableGrid::BookmarkAt(long row) const {
  if (row < 0 || row >= Rows()) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
  return rows_[static_cast<std::size_t>(row)].rowid;
}

long JobTableGrid::RowOf(Bookmark bookmark) const {
  // Rows are kept in rowid order, and a new row's rowid is above every row read.
  const auto it = std::lower_bound(rows_.begin(), rows_.end(), bookmark,
                                   [](const Row& r, Bookmark b) { return r.rowid < b; });
  if (it == rows_.end() || it->rowid != bookmark) return -1;
  return static_cast<long>(it - rows_.begin());
}

const Variant& JobTableGrid::Cell(long row, long column) const {
  if (row < 0 || row >= Rows()) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
  if (column < 0 || column >= ColumnCount())
    throw KxError(dberr::ItemNotFound, kSource, "Item not found in this collection.");
  return rows_[static_cast<std::size_t>(row)].values[static_cast<std::size_t>(column)];
}

void JobTableGrid::MoveTo(long row) {
  if (row < 0 || row >= Rows()) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
  edit_.reset();
  current_ = row;
}

void JobTableGrid::MoveFirst() {
  edit_.reset();
  current_ = rows_.empty() ? -1 : 0;
}

void JobTableGrid::MoveLast() {
  edit_.reset();
  current_ = rows_.empty() ? -1 : Rows() - 1;
}

void JobTableGrid::CancelUpdate() { edit_.reset(); }

void JobTableGrid::AddNew() {
  Edit edit;
  edit.isNew = true;
  edit.values.assign(columns_.size(), Variant::Null());
  edit.changed.assign(columns_.size(), false);
  edit_ = std::move(edit);
}

JobTableGrid::Edit& JobTableGrid::BeginEdit() {
  if (!edit_) {
    if (current_ < 0) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
    Edit edit;
    edit.values = rows_[static_cast<std::size_t>(current_)].values;
    edit.changed.assign(columns_.size(), false);
    edit_ = std::move(edit);
  }
  return *edit_;
}

Variant JobTableGrid::ValueOf(long column) const {
  if (edit_) return edit_->values[static_cast<std::size_t>(column)];
  if (current_ < 0) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
  return rows_[static_cast<std::size_t>(current_)].values[static_cast<std::size_t>(column)];
}

void JobTableGrid::SetValueOf(long column, const Variant& value) {
  Edit& edit = BeginEdit();
  edit.values[static_cast<std::size_t>(column)] = value.IsEmpty() ? Variant::Null() : value;
  edit.changed[static_cast<std::size_t>(column)] = true;
}

Variant JobTableGrid::CellValueOf(long column, Bookmark bookmark) const {
  const long row = RowOf(bookmark);
  if (row < 0) throw KxError(kInvalidBookmark, kSource, "Not a valid bookmark.");
  return rows_[static_cast<std::size_t>(row)].values[static_cast<std::size_t>(column)];
}

std::string JobTableGrid::CaptionOf(long column) const {
  const std::string name = columns_[static_cast<std::size_t>(column)]->Name();
  return captions_ ? captions_(name) : name;
}

void JobTableGrid::Update() {
  if (!edit_) return;
  if (edit_->isNew) {
    StoreNew(*edit_);
  } else if (std::find(edit_->changed.begin(), edit_->changed.end(), true) != edit_->changed.end()) {
    StoreChanges(*edit_);
  }
  edit_.reset();
}

JobTableGrid::Row JobTableGrid::ReadRow(Database& db, Bookmark rowid) const {
  auto rs = db.OpenRecordset(RowsStatement() + " where rowid = " + std::to_string(rowid));
  if (rs->Eof()) throw KxError(kRecordDeleted, kSource, "Record is deleted.");
  Row row;
  row.rowid = rowid;
  for (const auto& c : columns_) row.values.push_back(rs->Fields(c->Name()).Value());
  rs->Close();
  return row;
}

void JobTableGrid::StoreNew(const Edit& edit) {
  std::string names;
  std::string values;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!edit.changed[i]) continue;
    if (!names.empty()) {
      names += ", ";
      values += ", ";
    }
    names += Bracketed(columns_[i]->Name());
    values += SqlLiteral(edit.values[i]);
  }
  auto db = Engine().OpenDatabase(dbName_);
  // One statement: the row is stored whole or not at all.
  db->Execute(names.empty() ? "insert into NcData default values"
                            : "insert into NcData (" + names + ") values (" + values + ")");
  auto rs = db->OpenRecordset("select last_insert_rowid()");
  const Variant id = rs->Fields(0).Value();
  rs->Close();
  Row row = ReadRow(*db, static_cast<Bookmark>(id.ToNumber()));
  db->Close();

  const auto at = std::upper_bound(rows_.begin(), rows_.end(), row.rowid,
                                   [](Bookmark b, const Row& r) { return b < r.rowid; });
  const long index = static_cast<long>(at - rows_.begin());
  rows_.insert(at, std::move(row));
  if (current_ >= index) ++current_;
}

void JobTableGrid::StoreChanges(const Edit& edit) {
  std::string sets;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!edit.changed[i]) continue;
    if (!sets.empty()) sets += ", ";
    sets += Bracketed(columns_[i]->Name()) + " = " + SqlLiteral(edit.values[i]);
  }
  Row& target = rows_[static_cast<std::size_t>(current_)];
  auto db = Engine().OpenDatabase(dbName_);
  const long changed =
      db->Execute("update NcData set " + sets + " where rowid = " + std::to_string(target.rowid));
  if (changed == 0) throw KxError(kRecordDeleted, kSource, "Record is deleted.");
  Row stored = ReadRow(*db, target.rowid);
  db->Close();
  target = std::move(stored);
}

}  // namespace kx
