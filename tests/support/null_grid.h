#pragma once
// A host grid without columns, for code that only hands a grid on.
#include "core/error.h"
#include "platform/host_grid.h"

namespace kx::test {

class NullGrid : public IHostGrid {
 public:
  explicit NullGrid(long rows = 0) : rows_(rows) {}
  IGridColumn& Columns(std::string_view) override { throw KxError(9, "grid", "none"); }
  long ColumnCount() const override { return 0; }
  IGridColumn& ColumnAt(long) override { throw KxError(9, "grid", "none"); }
  long Col() const override { return -1; }
  long Rows() const override { return rows_; }
  Bookmark GetBookmark() const override { return 0; }
  void AddNew() override {}
  void Update() override {}
  void CancelUpdate() override {}
  void MoveLast() override {}

 private:
  long rows_;
};

}  // namespace kx::test
