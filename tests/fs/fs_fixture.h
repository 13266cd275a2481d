#pragma once
// A test's own world with a clean temp folder mapped as drive "T:".
#include <gtest/gtest.h>

#include <string>

#include "error_of.h"
#include "fs/clsFso.h"
#include "fs/native_path.h"
#include "test_environment.h"

namespace kx::test {

class FsTest : public ::testing::Test {
 protected:
  FsTest() { env.MapDrive("T:", tmp.Path()); }

  // Windows form of a path inside the temp folder: "T:\rel".
  static std::string T(const std::string& rel = "") { return "T:\\" + rel; }

  TestEnvironment env;
  TempDir tmp;
  clsFso fso;  // object mode
  clsFso fallback = [] {
    clsFso f;
    f.FsoActive(false);
    f.FsoFoldersActive(false);
    return f;
  }();
};

}  // namespace kx::test
