// Grid handles: only live handles of this library stand for a grid.
#include <gtest/gtest.h>

#include "addin/grid_handle.h"
#include "core/error.h"
#include "platform/host_grid.h"

namespace kx {
namespace {

class NoGrid : public IHostGrid {
 public:
  IGridColumn& Columns(std::string_view) override { throw KxError(9, "grid", "none"); }
  long ColumnCount() const override { return 0; }
  IGridColumn& ColumnAt(long) override { throw KxError(9, "grid", "none"); }
  long Col() const override { return -1; }
  long Rows() const override { return 3; }
  Bookmark GetBookmark() const override { return 0; }
  void AddNew() override {}
  void Update() override {}
  void CancelUpdate() override {}
  void MoveLast() override {}
};

TEST(GridHandles, OnlyLiveHandlesResolve) {
  auto grid = std::make_shared<NoGrid>();
  kx_grid* h = NewGridHandle(grid);
  EXPECT_EQ(GridOfHandle(h), grid);
  int foreign = 0;
  EXPECT_EQ(GridOfHandle(&foreign), nullptr);
  EXPECT_EQ(GridOfHandle(nullptr), nullptr);

  std::shared_ptr<IHostGrid> kept = GridOfHandle(h);  // an object holding the grid
  std::weak_ptr<NoGrid> alive = grid;
  grid.reset();
  EXPECT_TRUE(ReleaseGridHandle(h));
  EXPECT_FALSE(ReleaseGridHandle(h));  // twice: refused, not freed again
  EXPECT_FALSE(alive.expired());       // the holder keeps it
  EXPECT_EQ(kept->Rows(), 3);
  kept.reset();
  EXPECT_TRUE(alive.expired());
}

}  // namespace
}  // namespace kx
