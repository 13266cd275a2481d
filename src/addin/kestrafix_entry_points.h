#pragma once
// Every C entry point of the add-in in one list, and the add-in registry (addin_registry.h): for the
// C++ programs that load the library (the host window, the command line, the tests) and for
// the library itself. A C host needs only kestrafix.h.
#include <dlfcn.h>

// Siblings by their own names: the headers are installed side by side.
#include "addin_registry.h"
#include "kestrafix.h"
#include "kestrafix_testing.h"

// X(name) for each exported function kx_<name>.
#define KX_ENTRY_POINTS(X)     \
  X(api_version)               \
  X(register_server)           \
  X(unregister_server)         \
  X(get_class_object)          \
  X(factory_create_instance)   \
  X(factory_lock_server)       \
  X(factory_release)           \
  X(can_unload_now)            \
  X(create_object)             \
  X(object_add_ref)            \
  X(object_release)            \
  X(object_put_string)         \
  X(object_get_string)         \
  X(object_put_object)         \
  X(object_run)                \
  X(last_error)                \
  X(grid_open_job_table)       \
  X(grid_release)              \
  X(grid_row_count)            \
  X(grid_total_row_count)      \
  X(grid_column_count)         \
  X(grid_column_name)          \
  X(grid_column_caption)       \
  X(grid_cell_kind)            \
  X(grid_cell_text)            \
  X(grid_cell_display_text)    \
  X(grid_set_filter)           \
  X(grid_set_sort)             \
  X(grid_current)              \
  X(grid_set_row)              \
  X(grid_set_col)              \
  X(grid_refresh)              \
  X(grid_set_caption_fn)       \
  X(grid_use_message_captions) \
  X(replace_undo_preview)      \
  X(replace_undo)              \
  X(testing_set_dialog)

namespace kx {

// The entry points of one loaded library, each named without its "kx_" prefix.
struct AddinEntryPoints {
#define KX_ENTRY_POINT_FIELD(name) decltype(&::kx_##name) name = nullptr;
  KX_ENTRY_POINTS(KX_ENTRY_POINT_FIELD)
#undef KX_ENTRY_POINT_FIELD

  // Looks every entry point up in a dlopen handle. Returns the name of the first one missing,
  // or nullptr when all are there.
  const char* Resolve(void* handle) {
    const char* missing = nullptr;
#define KX_ENTRY_POINT_RESOLVE(name)                                     \
  name = reinterpret_cast<decltype(name)>(::dlsym(handle, "kx_" #name)); \
  if (!name && !missing) missing = "kx_" #name;
    KX_ENTRY_POINTS(KX_ENTRY_POINT_RESOLVE)
#undef KX_ENTRY_POINT_RESOLVE
    return missing;
  }
};

}  // namespace kx
