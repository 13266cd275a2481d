#pragma once
// The dialog world of a replace dialog test, with the host configuration naming the job
// database, jobs with materials, and the job grid with a current column.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "gui/db_combo.h"
#include "gui/frmReplace.h"

namespace kx::test {

class ReplaceWorld : public DialogWorld {
 protected:
  void SetUp() override {
    DialogWorld::SetUp();
    WriteHostConfig();
  }

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
