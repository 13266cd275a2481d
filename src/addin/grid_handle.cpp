#include "addin/grid_handle.h"

#include <mutex>
#include <unordered_set>

#include "platform/host_grid.h"

struct kx_grid {
  std::shared_ptr<kx::IHostGrid> grid;
};

namespace kx {

namespace {

// Live handles, so that a foreign pointer is never taken for one of ours.
struct Registry {
  std::mutex mutex;
  std::unordered_set<const void*> live;
};

Registry& Handles() {
  static Registry r;
  return r;
}

}  // namespace

kx_grid* NewGridHandle(std::shared_ptr<IHostGrid> grid) {
  auto* h = new kx_grid{std::move(grid)};
  std::lock_guard lock(Handles().mutex);
  Handles().live.insert(h);
  return h;
}

std::shared_ptr<IHostGrid> GridOfHandle(const void* handle) {
  if (!handle) return nullptr;
  std::lock_guard lock(Handles().mutex);
  if (!Handles().live.count(handle)) return nullptr;
  return static_cast<const kx_grid*>(handle)->grid;
}

bool ReleaseGridHandle(kx_grid* handle) {
  {
    std::lock_guard lock(Handles().mutex);
    if (!handle || Handles().live.erase(handle) == 0) return false;
  }
  delete handle;
  return true;
}

}  // namespace kx
