// The real new-job dialog run from the host window: a timer plays the user, the new job
// appears in the host's grid.
#include "host_fixture.h"
#include "job_grid_model.h"
#include "modal_script.h"

namespace kxhost::test {
namespace {

class HostNewJob : public HostFixture {
 protected:
  void MakeWorld() const {
    MakeJobs();
    Jobs().Execute(
        "insert into Machine (Machine, KelbDirectory, NcDirectory, KelbFileExtension, NcFileExtension) "
        "values ('Laser1', 'D:\\jobs', 'D:\\nc', 'job', 'nc')");
    env.MakeDir("data/base/Cust1/Order1");
    env.WriteAddInIni("[frmMain]\r\nText2(0).Text=D:\\base\r\n");
    env.InstallMessages("044");
    Register();
  }
};

TEST_F(HostNewJob, TheDialogsNewJobAppearsInTheHostsGrid) {
  MakeWorld();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  ASSERT_EQ(w.Api()->grid_set_row(w.Grid(), 2), KX_OK);  // C300 on Laser1

  // The user picks the first address and order (filled once the address is chosen), confirms.
  kx::test::ModalScript user{{kx::test::Pick("frmMain", "SSDBCombo2(1)"),
                              kx::test::Pick("frmMain", "SSDBCombo2(2)"),
                              kx::test::Press("frmMain", "Command3(0)")}};
  user.Start();
  EXPECT_EQ(w.NewJob(), 1);
  EXPECT_FALSE(user.timedOut) << ::testing::PrintToString(user.seen);
  EXPECT_EQ(w.StatusText().toStdString(), "New job created");
  ASSERT_EQ(w.Model()->rowCount(), 4);
  const int file = w.Model()->ColumnOf("Filename");
  EXPECT_EQ(w.Model()->CellText(3, file).toStdString(), "C301");
  EXPECT_EQ(w.Model()->CellText(3, w.Model()->ColumnOf("Machine")).toStdString(), "Laser1");
  int32_t row = -1;
  w.Api()->grid_current(w.Grid(), &row, nullptr);
  EXPECT_EQ(row, 3);  // the dialog leaves the new job current
}

}  // namespace
}  // namespace kxhost::test
