#pragma once
// The host's job grid as the dialogs call it. Column names resolve without regard to case.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/variant.h"

namespace kx {

using Bookmark = std::int64_t;  // stays valid after rows are added

class IGridColumn {
 public:
  virtual ~IGridColumn() = default;
  virtual std::string Name() const = 0;
  virtual std::string Caption() const = 0;
  virtual Variant Value() const = 0;  // current row (or the row being added)
  virtual void Value(const Variant& vNewValue) = 0;
  virtual std::string Text() const = 0;  // shown text in the current row
  virtual Variant CellValue(Bookmark bookmark) const = 0;
};

class IHostGrid {
 public:
  virtual ~IHostGrid() = default;
  // Throws KxError when the grid has no such column.
  virtual IGridColumn& Columns(std::string_view name) = 0;
  // Enumeration in grid order: positions 0 .. ColumnCount()-1.
  virtual long ColumnCount() const = 0;
  virtual IGridColumn& ColumnAt(long index) = 0;
  virtual long Col() const = 0;  // current column index, -1 when none
  virtual long Rows() const = 0;
  virtual Bookmark GetBookmark() const = 0;  // of the current row
  virtual void AddNew() = 0;                 // later Value() writes go into the new row
  virtual void Update() = 0;                 // stores the new or changed row in the job table
  virtual void CancelUpdate() = 0;           // drops a pending new or changed row
  virtual void MoveLast() = 0;               // the last row (the one just added) becomes current
};

}  // namespace kx
