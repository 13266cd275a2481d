#include "addin/grid_handle.h"

#include <mutex>
#include <unordered_set>

#include "platform/host_grid.h"
#include "platform/job_table_grid.h"

namespace {

// The grid asks this for its captions, so a host can change them after the grid exists.
struct CaptionSlot {
  kx::CaptionFunction fn;
};

}  // namespace

struct kx_grid {
  std::shared_ptr<kx::IHostGrid> grid;
  std::shared_ptr<kx::JobTableGrid> table;  // set when the handle was opened over a job table
  std::shared_ptr<CaptionSlot> captions;
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

kx_grid* Register(kx_grid* h) {
  std::lock_guard lock(Handles().mutex);
  Handles().live.insert(h);
  return h;
}

// The live handle behind a pointer, or null.
const kx_grid* Live(const void* handle) {
  if (!handle) return nullptr;
  std::lock_guard lock(Handles().mutex);
  return Handles().live.count(handle) ? static_cast<const kx_grid*>(handle) : nullptr;
}

}  // namespace

kx_grid* NewGridHandle(std::shared_ptr<IHostGrid> grid) {
  return Register(new kx_grid{std::move(grid), nullptr, nullptr});
}

std::shared_ptr<IHostGrid> GridOfHandle(const void* handle) {
  const kx_grid* h = Live(handle);
  return h ? h->grid : nullptr;
}

bool ReleaseGridHandle(kx_grid* handle) {
  {
    std::lock_guard lock(Handles().mutex);
    if (!handle || Handles().live.erase(handle) == 0) return false;
  }
  delete handle;
  return true;
}

kx_grid* OpenJobTableHandle(std::string dbName) {
  auto slot = std::make_shared<CaptionSlot>();
  auto table = std::make_shared<JobTableGrid>(std::move(dbName), [slot](std::string_view column) {
    return slot->fn ? slot->fn(column) : std::string(column);
  });
  return Register(new kx_grid{table, table, std::move(slot)});
}

std::shared_ptr<JobTableGrid> JobTableOfHandle(const void* handle) {
  const kx_grid* h = Live(handle);
  return h ? h->table : nullptr;
}

bool SetHandleCaptions(const void* handle, CaptionFunction captions) {
  const kx_grid* h = Live(handle);
  if (!h || !h->captions) return false;
  h->captions->fn = std::move(captions);
  return true;
}

}  // namespace kx
