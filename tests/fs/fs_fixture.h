#pragma once
// A test's own world: a temp folder mapped as drive "T:", no drive map file of the machine,
// the trash and special folders inside the temp folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "fs/clsFso.h"
#include "fs/native_path.h"
#include "temp_dir.h"

namespace kx::test {

class FsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KESTRAFIX_DRIVE_MAP", (tmp.Path() / "no-drive-map.ini").c_str(), 1);
    setenv("XDG_DATA_HOME", (tmp.Path() / "xdg-data").c_str(), 1);
    setenv("KESTRAFIX_COMMON_DOCUMENTS", (tmp.Path() / "docs").c_str(), 1);
    setenv("KESTRAFIX_COMMON_APPDATA", (tmp.Path() / "appdata").c_str(), 1);
    setenv("KESTRAFIX_PROGRAM_FILES", (tmp.Path() / "programs").c_str(), 1);
    for (const char* v : {"SystemDrive", "SystemRoot", "windir", "ProgramFiles", "Temp", "TEMP", "TMP"})
      unsetenv(v);
    ClearDriveMapOverrides();
    SetDriveRootForTests("T:", tmp.Path());
  }
  void TearDown() override {
    ClearDriveMapOverrides();
    for (const char* v : {"Temp", "TEMP", "TMP"}) unsetenv(v);  // the temp folder lookup reads them
  }

  // Windows form of a path inside the temp folder: "T:\rel".
  static std::string T(const std::string& rel = "") { return rel.empty() ? "T:\\" : "T:\\" + rel; }

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
