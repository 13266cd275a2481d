// The host window over a job database: rows, captions, sorting, the current cell, and the
// add-in's commands with a fake dialog.
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

#include "host_fixture.h"
#include "job_grid_model.h"

namespace kxhost::test {
namespace {

std::string Header(HostWindow& w, int col) {
  return w.Proxy()->headerData(col, Qt::Horizontal).toString().toStdString();
}

std::string Shown(HostWindow& w, int row, const char* column) {
  const int col = w.Model()->ColumnOf(QString::fromLatin1(column));
  return w.Proxy()->index(row, col).data().toString().toStdString();
}

std::pair<int32_t, int32_t> GridCurrent(HostWindow& w) {
  int32_t r = -9, c = -9;
  EXPECT_EQ(w.Api()->grid_current(w.Grid(), &r, &c), KX_OK);
  return {r, c};
}

class HostWindowTest : public HostFixture {};

TEST_F(HostWindowTest, ShowsTheJobTableWithMessageCaptionsAndSortsNumbersAsNumbers) {
  MakeJobs();
  Register();
  env.Write("host/ResStr/torvel.044",
            "NcData.Filename.Caption=File name\nNcData.Version.Caption=Version no.\n");
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  EXPECT_TRUE(prompts.errors.isEmpty()) << Errors();
  ASSERT_EQ(w.Model()->rowCount(), 3);
  EXPECT_EQ(Header(w, w.Model()->ColumnOf("filename")), "File name");
  EXPECT_EQ(Header(w, w.Model()->ColumnOf("Version")), "Version no.");
  EXPECT_EQ(Header(w, w.Model()->ColumnOf("Machine")), "Machine");  // no caption: the name
  EXPECT_EQ(Shown(w, 1, "Filename"), "b200");
  EXPECT_TRUE(w.NewJobAction()->isEnabled());
  EXPECT_EQ(w.NewJobAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
  EXPECT_EQ(w.ReplaceAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));

  const int version = w.Model()->ColumnOf("Version");
  w.View()->sortByColumn(version, Qt::DescendingOrder);
  EXPECT_EQ(Shown(w, 0, "Version"), "100");  // as texts "9" would come first
  EXPECT_EQ(Shown(w, 2, "Version"), "9");
  w.View()->sortByColumn(w.Model()->ColumnOf("Filename"), Qt::AscendingOrder);
  EXPECT_EQ(Shown(w, 1, "Filename"), "b200");  // without case
}

TEST_F(HostWindowTest, TheViewsCurrentCellIsTheGridsCurrentRowAndColumn) {
  MakeJobs();
  Register();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  EXPECT_EQ(GridCurrent(w).first, 0);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

  // Sorted descending by file name, the first shown row is the table's last.
  const int fileCol = w.Model()->ColumnOf("Filename");
  const int machineCol = w.Model()->ColumnOf("Machine");
  w.View()->sortByColumn(fileCol, Qt::DescendingOrder);
  const QModelIndex cell = w.Proxy()->index(0, machineCol);
  const QRect rect = w.View()->visualRect(cell);
  QTest::mouseClick(w.View()->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(GridCurrent(w), std::make_pair(2, machineCol));

  QTest::keyClick(w.View(), Qt::Key_Down);
  EXPECT_EQ(GridCurrent(w), std::make_pair(1, machineCol));

  // A refresh keeps the job current and shows it as current.
  w.RefreshGrid();
  EXPECT_EQ(GridCurrent(w).first, 1);
  EXPECT_EQ(w.Proxy()->mapToSource(w.View()->currentIndex()).row(), 1);
}

using kx::test::FakeDialog;

TEST_F(HostWindowTest, CommandsHandTheHostsInputsToTheAddinAndShowItsResult) {
  MakeJobs();
  Register();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  FakeDialog newJob, replace;
  ASSERT_EQ(w.Api()->testing_set_dialog(KX_DIALOG_NEW_JOB, FakeDialog::Play, &newJob), KX_OK);
  ASSERT_EQ(w.Api()->testing_set_dialog(KX_DIALOG_REPLACE, FakeDialog::Play, &replace), KX_OK);
  ASSERT_EQ(w.Api()->grid_set_row(w.Grid(), 2), KX_OK);

  // The dialog stores a job behind the host's back; the host shows it after the run.
  newJob.work = [this] {
    Jobs().Execute("insert into NcData (Filename, ProgramNumber) values ('D400', '400')");
  };
  w.NewJobAction()->trigger();
  EXPECT_EQ(newJob.calls, 1);
  EXPECT_EQ(newJob.ini, config.string());
  EXPECT_EQ(newJob.filename, "C300");
  EXPECT_EQ(newJob.parameter, "");
  EXPECT_EQ(newJob.seen.has_grid, 1);
  EXPECT_EQ(w.StatusText().toStdString(), "New job created");
  ASSERT_EQ(w.Model()->rowCount(), 4);
  EXPECT_EQ(w.Model()->CellText(3, w.Model()->ColumnOf("Filename")).toStdString(), "D400");

  newJob.work = nullptr;
  newJob.retVal = 0;
  EXPECT_EQ(w.NewJob(), 0);
  EXPECT_EQ(w.StatusText().toStdString(), "Cancelled");

  w.ReplaceAction()->trigger();
  EXPECT_EQ(replace.calls, 1);
  EXPECT_EQ(replace.parameter, "/Replace");
  EXPECT_EQ(w.StatusText().toStdString(), "Jobs replaced");

  replace.retVal = -1;  // the dialog fails: the add-in reports 0
  EXPECT_EQ(w.ReplaceJobs(), 0);
  EXPECT_EQ(w.StatusText().toStdString(), "Cancelled");
  EXPECT_TRUE(prompts.errors.isEmpty()) << Errors();
}

TEST_F(HostWindowTest, AnEmptyJobTableRunsWithoutACurrentJob) {
  kx::test::JobDatabase created(db.string());
  Register();
  HostWindow& w = Window();
  ASSERT_TRUE(Open(w)) << Errors();
  EXPECT_EQ(w.Model()->rowCount(), 0);
  FakeDialog newJob;
  newJob.retVal = 0;
  ASSERT_EQ(w.Api()->testing_set_dialog(KX_DIALOG_NEW_JOB, FakeDialog::Play, &newJob), KX_OK);
  EXPECT_EQ(w.NewJob(), 0);
  EXPECT_EQ(newJob.filename, "");
}

}  // namespace
}  // namespace kxhost::test
