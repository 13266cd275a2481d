#pragma once
// A world of its own for a replace dialog test: the host on C:\Programs\Host with its
// configuration naming a job database, the add-in INI under D:\Docs, the job grid over the
// job table as the host's grid, and scripted message boxes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../../platform/job_db_fixture.h"
#include "config/mdlIniFile.h"
#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "dialogs/qt/frmReplace.h"
#include "fs/native_path.h"
#include "platform/job_table_grid.h"
#include "platform/qt/db_combo.h"
#include "platform/ui_services.h"

namespace kx::test {

class ReplaceWorld : public JobDbTest {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (dir_ / "xdg").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (dir_ / "xdg-dirs").c_str(), 1);
    unsetenv("KESTRAFIX_DRIVE_MAP");
    unsetenv("KESTRAFIX_ADDIN_PATH");
    dir_.MakeDir("C/Programs/Host/AddIns/Kestrafix");
    dir_.MakeDir("D/Docs");
    SetDriveRootForTests("C:", dir_ / "C");
    SetDriveRootForTests("D:", dir_ / "D");
    setenv("KESTRAFIX_COMMON_DOCUMENTS", (dir_ / "D/Docs").c_str(), 1);
    SetAddInPathForTests(std::string("C:\\Programs\\Host\\AddIns\\Kestrafix"));
    Shared() = SharedState{};
    Shared().gsIniFile = "C:\\Programs\\Host\\torvel.cfg";
    dir_.Write("C/Programs/Host/torvel.cfg", "[TORVEL]\r\nDbName=" + path_ + "\r\n");
    ui = std::make_shared<ScriptedUi>();
    SetUi(ui);
  }

  void TearDown() override {
    SetUi(nullptr);
    Shared() = SharedState{};
    SetAddInPathForTests(std::nullopt);
    ClearDriveMapOverrides();
  }

  void WriteAddInIni(const std::string& text) const { std::ofstream(AddInIni()) << text; }
  std::filesystem::path AddInIni() const { return ToNative(GetAddInIniFile().str()); }

  // A job with the given keys and material.
  void AddMaterial(const std::string& key, const Cell& material) const {
    AddJob({{"Filename", key}, {"ProgramNumber", "P" + key}, {"Material", material}});
  }
  // "key=material" of every job in table order.
  std::vector<std::string> Materials() const {
    auto db = Open();
    auto rs = db->OpenRecordset("select Filename, Material from NcData order by ID");
    std::vector<std::string> out;
    for (; !rs->Eof(); rs->MoveNext()) {
      const Variant m = rs->Fields(1).Value();
      out.push_back(rs->Fields(0).Value().ToText() + "=" + (m.IsNull() ? "<Null>" : m.ToText()));
    }
    return out;
  }

  // The job grid as the host's grid, with a current row and a current column (name; "" none).
  JobTableGrid& UseGrid(long row, const std::string& column) {
    auto grid =
        std::make_shared<JobTableGrid>(path_, [](std::string_view c) { return "Title " + std::string(c); });
    if (row >= 0) grid->MoveTo(row);
    grid->SetCol(column.empty() ? -1 : grid->ColumnIndex(column));
    Shared().goSSDBGrid = grid;
    return *grid;
  }

  std::shared_ptr<ScriptedUi> ui;
};

// The dialog's controls by their object names.
inline DbCombo& ColumnList(QWidget& dialog) { return *dialog.findChild<DbCombo*>("SSDBCombo1(0)"); }
inline QLineEdit& Box(QWidget& dialog, int index) {
  return *dialog.findChild<QLineEdit*>(QString("Text1(%1)").arg(index));
}
inline QPushButton& Button(QWidget& dialog, const char* name) {
  return *dialog.findChild<QPushButton*>(name);
}

}  // namespace kx::test
