#pragma once
// A world of its own for a dialog test: drive C: with the host installed in
// C:\Programs\Host (add-in in AddIns\Kestrafix, message files in ResStr), the common
// documents on D:\Docs (add-in INI there), a job database with its job grid as the host's,
// and scripted message boxes and folder picker.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "../platform/job_db_fixture.h"
#include "config/mdlIniFile.h"
#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "fs/native_path.h"
#include "platform/job_table_grid.h"
#include "platform/ui_services.h"

namespace kx::test {

class DialogWorld : public JobDbTest {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (dir_ / "xdg").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (dir_ / "xdg-dirs").c_str(), 1);
    unsetenv("KESTRAFIX_DRIVE_MAP");
    unsetenv("KESTRAFIX_ADDIN_PATH");
    dir_.MakeDir("C/Programs/Host/AddIns/Kestrafix");
    dir_.MakeDir("C/Programs/Host/ResStr");
    dir_.MakeDir("D/Docs");
    SetDriveRootForTests("C:", dir_ / "C");
    SetDriveRootForTests("D:", dir_ / "D");
    setenv("KESTRAFIX_COMMON_DOCUMENTS", (dir_ / "D/Docs").c_str(), 1);
    SetAddInPathForTests(std::string("C:\\Programs\\Host\\AddIns\\Kestrafix"));
    Shared() = SharedState{};
    Shared().gsIniFile = "C:\\Programs\\Host\\torvel.cfg";
    ui = std::make_shared<ScriptedUi>();
    SetUi(ui);
  }

  void TearDown() override {
    SetUi(nullptr);
    Shared() = SharedState{};
    SetAddInPathForTests(std::nullopt);
    ClearDriveMapOverrides();
  }

  // The host configuration: [TORVEL] with the job database and the given extra lines.
  void WriteHostConfig(const std::string& extraLines = "") const {
    dir_.Write("C/Programs/Host/torvel.cfg", "[TORVEL]\r\nDbName=" + path_ + "\r\n" + extraLines);
  }
  // The add-in INI (D:\Docs\Host\AddIns\Kestrafix\Kestrafix.ini) with the given text.
  void WriteAddInIni(const std::string& text) const { std::ofstream(AddInIni()) << text; }
  std::filesystem::path AddInIni() const { return ToNative(GetAddInIniFile().str()); }
  std::string AddInIniText() const { return std::filesystem::exists(AddInIni()) ? ReadAll(AddInIni()) : ""; }

  // A shipped message file as the host's message file of a country ("049", "044").
  void InstallMessages(const std::string& country) const {
    const auto shipped = std::filesystem::path(KX_EXAMPLES_DIR) / "ResStr" / ("torvel." + country);
    std::filesystem::copy_file(shipped, dir_ / ("C/Programs/Host/ResStr/torvel." + country),
                               std::filesystem::copy_options::overwrite_existing);
  }

  // The job grid over the job table as the host's grid, with row `row` current (-1: none).
  JobTableGrid& UseGrid(long row = 0, JobTableGrid::CaptionSource captions = {}) {
    auto grid = std::make_shared<JobTableGrid>(path_, std::move(captions));
    if (row >= 0 && grid->Rows() > row) grid->MoveTo(row);
    Shared().goSSDBGrid = grid;
    return *grid;
  }

  std::shared_ptr<ScriptedUi> ui;
};

}  // namespace kx::test
