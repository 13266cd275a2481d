#pragma once
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "config/shared_state.h"
#include "dialogs/new_job_record.h"
#include "fake_new_job_view.h"
#include "job_database.h"
#include "messages/clsResStrs.h"
#include "platform/job_table_grid.h"

namespace kx::test {

// Confirming a new job against a real job world: the job database with the machines, a
// message table with the dialog's texts, the host grid bound to the job table, and a dialog
// whose controls hold a valid new job until a test changes them.
class NewJobRecordTest : public JobWorldTest {
 protected:
  explicit NewJobRecordTest(std::string dbName = NewDbName()) : JobWorldTest(std::move(dbName)) {
    Shared().glSubFolderCount = 1;
    const auto messages = env.Write("messages.049",
                                    "MSG(VarValMissing)=missing /1\r\n"
                                    "MSG(VarValLengthError)=/1 longer than /2\r\n"
                                    "MSG(VarValExists)=/1 /2 exists\r\n"
                                    "MSG(VarValInvalidName)=/1 /2 no name\r\n"
                                    "MSG(JobFolderInvalid)=/1 /2 /3 not absolute\r\n");
    EXPECT_TRUE(ResStrs().Load(messages.string()));
    SetKeyCase(0);
    view.texts = {{"Text1(0)", "P101"}, {"Text1(1)", "A101"}};
    view.lists["SSDBCombo1(2)"] = {Variant(3), "Laser", true};
    view.SetList("SSDBCombo1(3)", "Own");
    view.SetList("SSDBCombo1(4)", "S1");
    view.SetList("SSDBCombo2(1)", "Addr1");
    view.SetList("SSDBCombo2(2)", "Ord1");
    view.captions = {{"Command1(0)", "Program number"},
                     {"Command1(1)", "File name"},
                     {"Label1(3)", "Machine"},
                     {"Label2(1)", "Address"},
                     {"Label2(2)", "Order"}};
    settings.DbName = db.Path();
    settings.UserId = "jdoe";
  }

  // [TORVEL] KeyValueUpperAndLowerCase of the host configuration.
  void SetKeyCase(int mode) const {
    env.WriteHostConfig("KeyValueUpperAndLowerCase=" + std::to_string(mode) + "\r\n");
  }

  JobTableGrid& Grid() {
    if (!grid) grid = std::make_unique<JobTableGrid>(db.Path());
    return *grid;
  }
  // The grid on the job with this file name, as when the user selected it in the host.
  void SelectInGrid(const std::string& filename) {
    JobTableGrid& g = Grid();
    for (long row = 0; row < g.Rows(); ++row) {
      if (g.Cell(row, g.ColumnIndex("Filename")).ToText() == filename) return g.MoveTo(row);
    }
    FAIL() << "no job " << filename;
  }

  bool Confirm() {
    auto conn = db.Open();
    return AddJobRecord(view, &Grid(), *conn, settings);
  }
  bool Validate() {
    auto conn = db.Open();
    return ValidateInput(view, *conn, 0);
  }

  // The stored job's columns as texts ("<Null>" for Null); empty when there is no such job.
  std::map<std::string, std::string> Job(const std::string& filename) const {
    return db.Record("select * from NcData where [Filename]=" + SqlLiteral(filename));
  }
  long JobCount() const { return db.Count("select Count(*) from NcData"); }

  FakeNewJobView view;
  NewJobSettings settings;
  std::unique_ptr<JobTableGrid> grid;
};

}  // namespace kx::test
