#pragma once
// The add-in library as a host sees it: loaded with dlopen from KX_ADDIN_LIBRARY (set by the
// build), every C entry point looked up by name. A missing entry point fails the test.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "addin/kestrafix_entry_points.h"

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

struct AddinApi : AddinEntryPoints {
  void* lib = nullptr;

  // Fails the test (fatally) when the library does not load; the caller dlcloses `lib`.
  void Open() {
    lib = dlopen(KX_ADDIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    if (const char* missing = Resolve(lib)) ADD_FAILURE() << "missing entry point " << missing;
  }
};

}  // namespace kx::test
