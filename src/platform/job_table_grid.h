#pragma once
// The library's job grid: the rows of a job database's job table in table order (or sorted by
// a column), with a current row, a current column, and writes that go straight to the table
// through the engine. Rows are read lazily, a page at a time by their position in that order,
// and only a few pages are kept: a grid costs the same memory over ten jobs or a million.
#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"
#include "platform/host_grid.h"

namespace kx {

class Database;
class Recordset;

class JobTableGrid : public IHostGrid {
 public:
  // The title of a column as the host shows it; the column's name when none is given.
  using CaptionSource = std::function<std::string(std::string_view column)>;

  // Opens the job table of the database (DbName, Windows form or native): every row, or those
  // the condition rows selects (in the dialect), and the rows this grid adds. It reads the
  // columns, the row count and the first row. Engine errors (missing file, no job table)
  // raise KxError.
  explicit JobTableGrid(std::string dbName, CaptionSource captions = {}, std::string rows = {});
  ~JobTableGrid() override;
  JobTableGrid(const JobTableGrid&) = delete;
  JobTableGrid& operator=(const JobTableGrid&) = delete;

  // Columns resolve without case; an unknown name raises KxError(dberr::ItemNotFound).
  // References stay valid until Refresh.
  IGridColumn& Columns(std::string_view name) override;
  long ColumnCount() const override { return static_cast<long>(columns_.size()); }
  IGridColumn& ColumnAt(long index) override;
  long ColumnIndex(std::string_view name) const;  // -1 when none

  long Col() const override { return col_; }
  // -1 (no current column) or a column position; anything else raises KxError.
  void SetCol(long col);

  long Rows() const override { return rows_; }  // counted on opening and Refresh
  // The row's rowid. No current row raises KxError(dberr::NoCurrentRecord).
  Bookmark GetBookmark() const override;
  // Starts a new row; a pending change of the current row is dropped.
  void AddNew() override;
  // Stores the new row (INSERT of the columns set) or the changed columns of the current
  // row (UPDATE). After a new row is stored the current row is the one before AddNew, as a
  // bound record set does. On an error nothing is stored and the pending row stays.
  void Update() override;
  // The last row becomes current; a pending new row or change is dropped.
  void MoveLast() override;

  // Drops a pending new row or change.
  void CancelUpdate() override;
  // Counts the rows anew and forgets the rows read. The current row stays when it still
  // exists, else the first row.
  void Refresh();

  // Captions a host shows instead of values: column name (any case) -> value text -> caption.
  using ValueCaptions = std::map<std::string, std::map<std::string, std::string>>;
  void SetValueCaptions(ValueCaptions captions);
  // A cell as a host shows it: its value's caption where the column has one, else its text.
  std::string DisplayText(long row, long column) const;
  // Only the rows in which some cell's shown text holds `text`, a pattern with the dialect's
  // wildcards matched without case anywhere in it; "" for every row. Rereads the table. A
  // pattern the matcher refuses raises KxError and leaves the rows as they were.
  void SetFilter(std::string text);
  const std::string& Filter() const { return filter_; }
  // Rows in the order of a column as the engine orders its values (Null first going up), ties in
  // key order; -1 for table order. Rereads the rows like Refresh; the current row stays. A bad
  // column raises KxError and leaves the order as it was.
  void SetSort(long column, bool descending);
  long SortColumn() const { return sortColumn_; }
  bool SortDescending() const { return sortDesc_; }
  // The rows without the search: the job table's, or those the condition selects.
  long TotalRows() const { return total_; }

  // For a host that shows the grid: rows by position (0 .. Rows()-1).
  long CurrentRow() const { return current_; }  // -1 when none
  void MoveTo(long row);                        // drops pending changes; bad rows raise KxError
  void MoveFirst();
  Bookmark BookmarkAt(long row) const;
  long RowOf(Bookmark bookmark) const;  // -1 when no row carries it
  Variant Cell(long row, long column) const;
  bool IsAddingNew() const { return edit_ && edit_->isNew; }

  const std::string& DbName() const { return dbName_; }

 private:
  class Column;
  struct Row {
    Bookmark rowid = 0;
    std::vector<Variant> values;
  };
  struct Edit {
    bool isNew = false;
    std::vector<Variant> values;
    std::vector<bool> changed;
  };
  struct Page {
    long first = 0;  // position of rows[0]
    std::vector<Row> rows;
  };

  Variant ValueOf(long column) const;
  void SetValueOf(long column, const Variant& value);
  Variant CellValueOf(long column, Bookmark bookmark) const;
  std::string CaptionOf(long column) const;
  Edit& BeginEdit();
  void StoreNew(const Edit& edit);
  void StoreChanges(const Edit& edit);
  Row ReadRow(Database& db, Bookmark rowid) const;
  std::string FilterCondition(const std::vector<std::string>& names) const;
  const std::map<std::string, std::string>* CaptionsOfColumn(const std::string& name) const;
  Row RowFrom(const Recordset& rs) const;
  std::string Condition() const;
  std::string Where(const std::string& also = {}) const;
  long Count(Database& db, const std::string& also) const;
  std::string OrderBy(bool reversed) const;
  std::string Beyond(const Row& row, bool after) const;
  long PositionOf(Database& db, Bookmark bookmark) const;
  const Row& RowAt(long row) const;
  const Page& LoadPage(long index) const;
  void Forget() const;

  std::string dbName_;
  CaptionSource captions_;
  std::string rowCondition_;
  std::vector<Bookmark> added_;  // rows stored here, after the condition's rows
  std::vector<std::unique_ptr<Column>> columns_;
  std::vector<int> fields_;  // statement field of each column
  long rows_ = 0;
  long counted_ = 0;  // the rows read by page; the added ones follow
  long current_ = -1;
  std::optional<Row> currentRow_;  // the current row as read when it became current
  long col_ = -1;
  std::optional<Edit> edit_;
  ValueCaptions valueCaptions_;
  std::string filter_;
  std::string filterCondition_;  // the search as a condition of the statement, "" for none
  std::string sortName_;         // "" for table order
  long sortColumn_ = -1;
  bool sortDesc_ = false;
  long total_ = 0;
  // The pages read, most recently used first, and the last row read by bookmark.
  mutable std::list<Page> pages_;
  mutable std::optional<Row> bookmarked_;
};

// The literal of a value in a statement of the engine's dialect: Null, a number, or a quoted text.
std::string SqlLiteral(const Variant& value);

}  // namespace kx
