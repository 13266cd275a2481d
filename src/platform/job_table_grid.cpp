#include "platform/job_table_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/error.h"
#include "core/like.h"
#include "core/numbers.h"
#include "core/text.h"
#include "platform/database.h"
#include "platform/sql_dialect.h"

namespace kx {

namespace {

constexpr const char* kSource = "JobTableGrid";
constexpr long kPageRows = 100;
constexpr std::size_t kPagesKept = 8;
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

// The rows of the condition, without those added here: these follow them, as the grid's last
// rows. (Each part stays a condition an index serves.)
std::string JobTableGrid::Condition() const {
  std::string condition = filterCondition_;
  if (!rowCondition_.empty())
    condition = "(" + rowCondition_ + ")" + (condition.empty() ? "" : " and " + condition);
  if (!added_.empty()) {
    if (!condition.empty()) condition += " and ";
    condition += "rowid not in (";
    for (std::size_t i = 0; i < added_.size(); ++i) condition += (i ? ", " : "") + std::to_string(added_[i]);
    condition += ")";
  }
  return condition;
}

// The condition's rows, and of them those that also meet `also` when it is given.
std::string JobTableGrid::Where(const std::string& also) const {
  const std::string condition = Condition();
  if (condition.empty()) return also.empty() ? std::string() : " where " + also;
  return " where " + condition + (also.empty() ? std::string() : " and " + also);
}

long JobTableGrid::Count(Database& db, const std::string& also) const {
  auto rs = db.OpenRecordset("select count(*) from NcData" + Where(also));
  const long n = static_cast<long>(rs->Fields(0).Value().ToNumber());
  rs->Close();
  return n;
}

void JobTableGrid::Forget() const {
  pages_.clear();
  bookmarked_.reset();
}

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

  auto rs = db->OpenRecordset(RowsStatement() + " where 1 = 0");
  std::vector<std::string> names;
  std::vector<int> fields;
  for (int i = 0; i < rs->FieldCount(); ++i) {
    const std::string name = rs->Fields(i).Name();
    if (EqualsNoCase(name, kRowIdField) || (!key.empty() && EqualsNoCase(name, key))) continue;
    names.push_back(name);
    fields.push_back(i);
  }
  // The search names every column: its condition is made once the columns are known.
  filterCondition_ = filter_.empty() ? std::string() : FilterCondition(names);
  rs->Close();

  // Column objects survive a refresh that finds the same columns.
  bool same = names.size() == columns_.size();
  for (std::size_t i = 0; same && i < names.size(); ++i) same = columns_[i]->Name() == names[i];
  if (!same) {
    columns_.clear();
    for (std::size_t i = 0; i < names.size(); ++i)
      columns_.push_back(std::make_unique<Column>(*this, static_cast<long>(i), names[i]));
    if (col_ >= ColumnCount()) col_ = -1;
  }
  fields_ = std::move(fields);
  sortColumn_ = sortName_.empty() ? -1 : ColumnIndex(sortName_);
  if (sortColumn_ < 0) {
    sortName_.clear();  // a column gone since: table order
    sortDesc_ = false;
  }

  // Rows added here stay after a condition's rows while they exist and meet the search; without
  // a condition they are among the table's rows.
  if (rowCondition_.empty()) added_.clear();
  if (!added_.empty()) {
    std::string list;
    for (Bookmark b : added_) list += (list.empty() ? "" : ", ") + std::to_string(b);
    std::vector<Bookmark> still;
    auto left = db->OpenRecordset(
        "select rowid as [" + std::string(kRowIdField) + "] from NcData where rowid in (" + list + ")" +
        (filterCondition_.empty() ? "" : " and " + filterCondition_) + " order by rowid");
    for (; !left->Eof(); left->MoveNext()) still.push_back(RowIdOf(*left));
    left->Close();
    added_ = std::move(still);
  }
  const long counted = Count(*db, {});
  long total = counted;
  if (!filterCondition_.empty()) {
    // The rows the grid would hold without the search.
    const std::string search = std::exchange(filterCondition_, std::string());
    total = Count(*db, {});
    filterCondition_ = search;
  }
  const std::optional<Bookmark> keep =
      currentRow_ ? std::optional<Bookmark>(currentRow_->rowid) : std::nullopt;
  long at = -1;
  if (keep) {
    const auto it = std::find(added_.begin(), added_.end(), *keep);
    if (it != added_.end()) {
      at = counted + static_cast<long>(it - added_.begin());
    } else {
      at = PositionOf(*db, *keep);
    }
  }
  db->Close();
  const long rows = counted + static_cast<long>(added_.size());
  rows_ = rows;
  counted_ = counted;
  total_ = total + static_cast<long>(added_.size());
  edit_.reset();
  Forget();
  currentRow_.reset();
  current_ = -1;
  if (at < 0 && rows_ > 0) at = 0;
  if (at >= 0) MoveTo(at);
}

// The grid's order, or its reverse (to read a page from its far side).
std::string JobTableGrid::OrderBy(bool reversed) const {
  const std::string dir = sortDesc_ != reversed ? " desc" : "";
  if (sortColumn_ < 0) return " order by rowid" + dir;
  return " order by " + Bracketed(sortName_) + dir + ", rowid" + dir;
}

// The rows after (or before) a row in the grid's order: by the sort value, ties by the key.
// Each form leads with a range of the sort column, which an index serves.
std::string JobTableGrid::Beyond(const Row& row, bool after) const {
  const std::string id = std::to_string(row.rowid);
  if (sortColumn_ < 0) return (after ? "rowid > " : "rowid < ") + id;
  const std::string c = Bracketed(sortName_);
  const Variant& v = row.values[static_cast<std::size_t>(sortColumn_)];
  const bool up = after != sortDesc_;  // towards larger values; Null is the smallest
  if (v.IsNull() || v.IsEmpty()) {
    return up ? "((" + c + " is null and rowid > " + id + ") or " + c + " is not null)"
              : "(" + c + " is null and rowid < " + id + ")";
  }
  const std::string x = SqlLiteral(v);
  if (up) return "(" + c + " >= " + x + " and (" + c + " > " + x + " or rowid > " + id + "))";
  return "(" + c + " is null or (" + c + " <= " + x + " and (" + c + " < " + x + " or rowid < " + id + ")))";
}

// The rows before a bookmark's row in the grid's order; -1 when the rows read by page lack it.
long JobTableGrid::PositionOf(Database& db, Bookmark bookmark) const {
  auto rs = db.OpenRecordset(RowsStatement() + Where("rowid = " + std::to_string(bookmark)));
  if (rs->Eof()) {
    rs->Close();
    return -1;
  }
  const Row row = RowFrom(*rs);
  rs->Close();
  return Count(db, Beyond(row, false));
}

JobTableGrid::Row JobTableGrid::RowFrom(const Recordset& rs) const {
  Row row;
  row.rowid = RowIdOf(rs);
  row.values.reserve(fields_.size());
  for (int f : fields_) row.values.push_back(rs.Fields(f).Value());
  return row;
}

// A page of rows by position: after or before a neighbouring page read already (keyset), else
// counted off from the nearer end of the grid's order.
const JobTableGrid::Page& JobTableGrid::LoadPage(long index) const {
  for (auto it = pages_.begin(); it != pages_.end(); ++it) {
    if (it->first == index * kPageRows) {
      pages_.splice(pages_.begin(), pages_, it);
      return pages_.front();
    }
  }
  const long first = index * kPageRows;
  const long n = std::min(kPageRows, counted_ - first);
  std::string sql;
  bool reversed = false;
  const auto near = [&](long start) {
    return std::find_if(pages_.begin(), pages_.end(), [&](const Page& p) { return p.first == start; });
  };
  if (auto before = near(first - kPageRows); before != pages_.end() && !before->rows.empty()) {
    sql = RowsStatement() + Where(Beyond(before->rows.back(), true)) + OrderBy(false);
  } else if (auto after = near(first + kPageRows); after != pages_.end() && !after->rows.empty()) {
    sql = RowsStatement() + Where(Beyond(after->rows.front(), false)) + OrderBy(true);
    reversed = true;
  } else if (first <= counted_ - first - n) {
    sql = RowsStatement() + Where() + OrderBy(false) + " limit " + std::to_string(n) + " offset " +
          std::to_string(first);
  } else {
    reversed = true;
    sql = RowsStatement() + Where() + OrderBy(true) + " limit " + std::to_string(n) + " offset " +
          std::to_string(counted_ - first - n);
  }
  Page page;
  page.first = first;
  {
    auto db = Engine().OpenDatabase(dbName_);
    auto rs = db->OpenRecordset(sql, dbOpenForwardOnly, 0, n);
    for (; !rs->Eof() && static_cast<long>(page.rows.size()) < n; rs->MoveNext())
      page.rows.push_back(RowFrom(*rs));
    rs->Close();
    db->Close();
  }
  if (reversed) std::reverse(page.rows.begin(), page.rows.end());
  pages_.push_front(std::move(page));
  if (pages_.size() > kPagesKept) pages_.pop_back();
  return pages_.front();
}

const JobTableGrid::Row& JobTableGrid::RowAt(long row) const {
  if (row < 0 || row >= Rows()) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
  if (row >= counted_) {
    const Bookmark b = added_[static_cast<std::size_t>(row - counted_)];
    if (!bookmarked_ || bookmarked_->rowid != b) {
      auto db = Engine().OpenDatabase(dbName_);
      bookmarked_ = ReadRow(*db, b);
      db->Close();
    }
    return *bookmarked_;
  }
  const Page& page = LoadPage(row / kPageRows);
  const auto offset = static_cast<std::size_t>(row - page.first);
  // Rows deleted by another user since the count leave the page short.
  if (offset >= page.rows.size()) throw KxError(kRecordDeleted, kSource, "Record is deleted.");
  return page.rows[offset];
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

void JobTableGrid::SetSort(long column, bool descending) {
  if (column < -1 || column >= ColumnCount())
    throw KxError(err::InvalidProcedureCall, kSource,
                  "Invalid column position " + std::to_string(column) + ".");
  std::string name = column < 0 ? std::string() : columns_[static_cast<std::size_t>(column)]->Name();
  std::swap(sortName_, name);
  const bool was = std::exchange(sortDesc_, column >= 0 && descending);
  try {
    Refresh();
  } catch (...) {
    sortName_ = std::move(name);
    sortDesc_ = was;
    throw;
  }
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
  if (!currentRow_) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
  return currentRow_->rowid;
}

Bookmark JobTableGrid::BookmarkAt(long row) const { return RowAt(row).rowid; }

long JobTableGrid::RowOf(Bookmark bookmark) const {
  for (const Page& p : pages_) {
    for (std::size_t i = 0; i < p.rows.size(); ++i)
      if (p.rows[i].rowid == bookmark) return p.first + static_cast<long>(i);
  }
  const auto added = std::find(added_.begin(), added_.end(), bookmark);
  if (added != added_.end()) return counted_ + static_cast<long>(added - added_.begin());
  auto db = Engine().OpenDatabase(dbName_);
  const long at = PositionOf(*db, bookmark);
  db->Close();
  return at;
}

Variant JobTableGrid::Cell(long row, long column) const {
  if (column < 0 || column >= ColumnCount())
    throw KxError(dberr::ItemNotFound, kSource, "Item not found in this collection.");
  return RowAt(row).values[static_cast<std::size_t>(column)];
}

void JobTableGrid::MoveTo(long row) {
  Row r = RowAt(row);
  edit_.reset();
  current_ = row;
  currentRow_ = std::move(r);
}

void JobTableGrid::MoveFirst() {
  edit_.reset();
  if (rows_ == 0) {
    current_ = -1;
    currentRow_.reset();
    return;
  }
  MoveTo(0);
}

void JobTableGrid::MoveLast() {
  edit_.reset();
  if (rows_ == 0) {
    current_ = -1;
    currentRow_.reset();
    return;
  }
  MoveTo(rows_ - 1);
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
    if (!currentRow_) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
    Edit edit;
    edit.values = currentRow_->values;
    edit.changed.assign(columns_.size(), false);
    edit_ = std::move(edit);
  }
  return *edit_;
}

Variant JobTableGrid::ValueOf(long column) const {
  if (edit_) return edit_->values[static_cast<std::size_t>(column)];
  if (!currentRow_) throw KxError(dberr::NoCurrentRecord, kSource, "No current record.");
  return currentRow_->values[static_cast<std::size_t>(column)];
}

void JobTableGrid::SetValueOf(long column, const Variant& value) {
  Edit& edit = BeginEdit();
  edit.values[static_cast<std::size_t>(column)] = value.IsEmpty() ? Variant::Null() : value;
  edit.changed[static_cast<std::size_t>(column)] = true;
}

Variant JobTableGrid::CellValueOf(long column, Bookmark bookmark) const {
  const auto c = static_cast<std::size_t>(column);
  if (currentRow_ && currentRow_->rowid == bookmark) return currentRow_->values[c];
  if (bookmarked_ && bookmarked_->rowid == bookmark) return bookmarked_->values[c];
  for (const Page& p : pages_) {
    for (const Row& r : p.rows)
      if (r.rowid == bookmark) return r.values[c];
  }
  auto db = Engine().OpenDatabase(dbName_);
  auto rs = db->OpenRecordset(RowsStatement() + " where rowid = " + std::to_string(bookmark));
  if (rs->Eof()) throw KxError(kInvalidBookmark, kSource, "Not a valid bookmark.");
  bookmarked_ = RowFrom(*rs);
  rs->Close();
  db->Close();
  return bookmarked_->values[c];
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
  Row row = RowFrom(*rs);
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
  const auto id = static_cast<Bookmark>(rs->Fields(0).Value().ToNumber());
  rs->Close();
  db->Close();
  // In table order the new row is the grid's last (its key is above every other); the rows
  // before it keep their places, and so does the current row. Else it follows them.
  ++total_;
  if (rowCondition_.empty() && filterCondition_.empty() && sortColumn_ < 0) {
    ++counted_;
    const long lastPage = (counted_ - 1) / kPageRows;
    pages_.remove_if([&](const Page& p) { return p.first >= (lastPage - 1) * kPageRows; });
  } else {
    added_.push_back(id);
  }
  ++rows_;
}

void JobTableGrid::StoreChanges(const Edit& edit) {
  std::string sets;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!edit.changed[i]) continue;
    if (!sets.empty()) sets += ", ";
    sets += Bracketed(columns_[i]->Name()) + " = " + SqlLiteral(edit.values[i]);
  }
  const Bookmark rowid = currentRow_->rowid;
  auto db = Engine().OpenDatabase(dbName_);
  const long changed = db->Execute("update NcData set " + sets + " where rowid = " + std::to_string(rowid));
  if (changed == 0) throw KxError(kRecordDeleted, kSource, "Record is deleted.");
  Row stored = ReadRow(*db, rowid);
  db->Close();
  if (sortColumn_ >= 0 && edit.changed[static_cast<std::size_t>(sortColumn_)]) {
    // The kept pages start their neighbours from their first and last rows' sort values: a
    // changed one would start them in the wrong place. Positions stay until a refresh.
    pages_.clear();
  } else {
    for (Page& p : pages_) {
      for (Row& r : p.rows)
        if (r.rowid == rowid) r = stored;
    }
  }
  if (bookmarked_ && bookmarked_->rowid == rowid) bookmarked_ = stored;
  currentRow_ = std::move(stored);
}

}  // namespace kx
