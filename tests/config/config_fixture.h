#pragma once
// A world of its own per test: drives C: and D: on temp folders, the add-in installed in
// C:\Programs\Host\AddIns\Tools, the common documents in D:\Docs, no configuration of the
// machine or the user involved.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "fs/native_path.h"
#include "temp_dir.h"

namespace kx::test {

class ConfigWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (tmp / "xdg").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (tmp / "xdg-dirs").c_str(), 1);
    unsetenv("KESTRAFIX_DRIVE_MAP");
    unsetenv("KESTRAFIX_ADDIN_PATH");
    tmp.MakeDir("C/Programs/Host/AddIns/Tools");
    tmp.MakeDir("D/Docs");
    tmp.MakeDir("P/Program Files");
    tmp.MakeDir("P/ProgramData");
    SetDriveRootForTests("C:", tmp / "C");
    SetDriveRootForTests("D:", tmp / "D");
    SetDriveRootForTests("P:", tmp / "P");
    setenv("KESTRAFIX_COMMON_DOCUMENTS", (tmp / "D/Docs").c_str(), 1);
    setenv("KESTRAFIX_PROGRAM_FILES", (tmp / "P/Program Files").c_str(), 1);
    setenv("KESTRAFIX_COMMON_APPDATA", (tmp / "P/ProgramData").c_str(), 1);
    SetAddInPathForTests(std::string("C:\\Programs\\Host\\AddIns\\Tools"));
    Shared() = SharedState{};
  }

  void TearDown() override {
    Shared() = SharedState{};
    SetAddInPathForTests(std::nullopt);
    ClearDriveMapOverrides();
  }

  // Native path of a place in the test world ("D/Docs/Host/torvel.cfg").
  std::filesystem::path Native(std::string_view rel) const { return tmp / rel; }

  TempDir tmp;
};

}  // namespace kx::test
