#pragma once
// The add-in library as a host sees it: loaded with dlopen from KX_ADDIN_LIBRARY (set by the
// build), every C entry point looked up by name. A missing entry point fails the test.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "addin/kestrafix.h"

#define KX_ENTRY_POINTS(X)        \
  X(kx_api_version)               \
  X(kx_register_server)           \
  X(kx_unregister_server)         \
  X(kx_get_class_object)          \
  X(kx_factory_create_instance)   \
  X(kx_factory_lock_server)       \
  X(kx_factory_release)           \
  X(kx_can_unload_now)            \
  X(kx_create_object)             \
  X(kx_object_add_ref)            \
  X(kx_object_release)            \
  X(kx_object_put_string)         \
  X(kx_object_get_string)         \
  X(kx_object_put_object)         \
  X(kx_object_run)                \
  X(kx_last_error)                \
  X(kx_grid_open_job_table)       \
  X(kx_grid_release)              \
  X(kx_grid_row_count)            \
  X(kx_grid_column_count)         \
  X(kx_grid_column_name)          \
  X(kx_grid_column_caption)       \
  X(kx_grid_cell_kind)            \
  X(kx_grid_cell_text)            \
  X(kx_grid_current)              \
  X(kx_grid_set_row)              \
  X(kx_grid_set_col)              \
  X(kx_grid_refresh)              \
  X(kx_grid_set_caption_fn)       \
  X(kx_grid_use_message_captions) \
  X(kx_testing_set_dialog)

namespace kx::test {

// Test mode, and every folder the library reads or writes moved under `root`, so a test
// neither sees nor touches the user's own configuration.
inline void UseTempHostEnvironment(const std::filesystem::path& root) {
  setenv("KX_TEST_MODE", "1", 1);
  setenv("XDG_CONFIG_HOME", (root / "xdg").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", (root / "xdg-dirs").c_str(), 1);
  setenv("HOME", (root / "home").c_str(), 1);
  unsetenv("KESTRAFIX_DRIVE_MAP");
  setenv("KESTRAFIX_COMMON_DOCUMENTS", (root / "docs").c_str(), 1);
  setenv("KESTRAFIX_ADDIN_PATH", (root / "Host/AddIns/Kx").c_str(), 1);
}

struct AddinApi {
  void* lib = nullptr;
#define KX_FN(name) decltype(&::name) name = nullptr;
  KX_ENTRY_POINTS(KX_FN)
#undef KX_FN

  // Fails the test (fatally) when the library does not load; the caller dlcloses `lib`.
  void Open() {
    lib = dlopen(KX_ADDIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
#define KX_LOAD(name) Load(name, #name);
    KX_ENTRY_POINTS(KX_LOAD)
#undef KX_LOAD
  }

 private:
  template <class F>
  void Load(F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(lib, name));
    if (!f) ADD_FAILURE() << "missing entry point " << name;
  }
};

}  // namespace kx::test
