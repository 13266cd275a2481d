#pragma once
// Grid handles the C interface hands to hosts: a kx_grid wraps a grid of this library.
// kx_grid_open_job_table makes its handles here, over a job table grid whose captions the
// host may change after opening.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "addin/kestrafix.h"

namespace kx {

class IHostGrid;
class JobTableGrid;

// A new handle owning one reference to the grid; the host ends it with kx_grid_release.
kx_grid* NewGridHandle(std::shared_ptr<IHostGrid> grid);
// The grid behind a live handle of this library; null for any other pointer.
std::shared_ptr<IHostGrid> GridOfHandle(const void* handle);
// Ends a handle; false when it is not a live handle of this library.
bool ReleaseGridHandle(kx_grid* handle);

// Column name to caption; an empty function shows the names.
using CaptionFunction = std::function<std::string(std::string_view column)>;

// A handle over a new grid of the job table of dbName. Engine errors raise KxError.
kx_grid* OpenJobTableHandle(std::string dbName);
// The job table grid behind a live handle made by OpenJobTableHandle; null otherwise.
std::shared_ptr<JobTableGrid> JobTableOfHandle(const void* handle);
// Replaces the captions of such a handle's grid; false for any other pointer.
bool SetHandleCaptions(const void* handle, CaptionFunction captions);

}  // namespace kx
