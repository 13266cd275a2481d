#pragma once
// Grid handles the C interface hands to hosts: a kx_grid wraps a grid of this library.
// The function that opens a job grid for a host makes its handles here.
#include <memory>

#include "addin/kestrafix.h"

namespace kx {

class IHostGrid;

// A new handle owning one reference to the grid; the host ends it with kx_grid_release.
kx_grid* NewGridHandle(std::shared_ptr<IHostGrid> grid);
// The grid behind a live handle of this library; null for any other pointer.
std::shared_ptr<IHostGrid> GridOfHandle(const void* handle);
// Ends a handle; false when it is not a live handle of this library.
bool ReleaseGridHandle(kx_grid* handle);

}  // namespace kx
