// Grid handles: only live handles of this library stand for a grid.
#include <gtest/gtest.h>

#include "addin/grid_handle.h"
#include "null_grid.h"

namespace kx {
namespace {

TEST(GridHandles, OnlyLiveHandlesResolve) {
  auto grid = std::make_shared<test::NullGrid>(3);
  kx_grid* h = NewGridHandle(grid);
  EXPECT_EQ(GridOfHandle(h), grid);
  int foreign = 0;
  EXPECT_EQ(GridOfHandle(&foreign), nullptr);
  EXPECT_EQ(GridOfHandle(nullptr), nullptr);

  std::shared_ptr<IHostGrid> kept = GridOfHandle(h);  // an object holding the grid
  std::weak_ptr<test::NullGrid> alive = grid;
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
