// The bound data sources behind the new-job dialog's lists.
#include "job_database.h"
#include "platform/data_source.h"

namespace kx::test {
namespace {

class DataSourceWorld : public JobDbTest {
 protected:
  void Bind(DataSource& ds, const std::string& statement) const {
    ds.Visible(false);
    ds.RecordsetType(vbRSTypeSnapShot);
    ds.DatabaseName(db.Path());
    ds.Options(static_cast<std::int16_t>(512));
    ds.RecordSource(statement);
  }
};
using DataSourceTest = OnEachEngine<DataSourceWorld>;

TEST_P(DataSourceTest, RefreshReadsEveryRowIntoMemory) {
  db.AddMachine({{"Machine", "M2"}});
  db.AddMachine({{"Machine", "m1"}});
  DataSource ds;
  Bind(ds, "select Distinct [Machine] from machine order by [Machine] ASC");
  ds.Refresh();
  ASSERT_EQ(ds.ColumnNames().size(), 1u);
  EXPECT_EQ(ds.ColumnIndex("MACHINE"), 0);
  ASSERT_EQ(ds.RowCount(), 2u);
  EXPECT_EQ(ds.Value(0, "machine").ToText(), "m1");
  EXPECT_EQ(ds.Row(1).at(0).ToText(), "M2");
  EXPECT_EQ(ErrorOf([&] { ds.Value(0, "Machineset"); }).Number(), dberr::ItemNotFound);
  // The rows are a snapshot: a later change shows only after the next Refresh.
  db.AddMachine({{"Machine", "M3"}});
  EXPECT_EQ(ds.RowCount(), 2u);
  ds.Refresh();
  EXPECT_EQ(ds.RowCount(), 3u);
}

TEST_P(DataSourceTest, ItsDatabaseRunsTheCountStatements) {
  db.AddKeys("A1", "ab12");
  DataSource ds;
  Bind(ds, "select Distinct [Machineset] from data order by [Machineset] ASC");
  ds.Refresh();
  EXPECT_EQ(ds.RowCount(), 1u);  // one Null machine set
  EXPECT_TRUE(ds.Row(0).at(0).IsNull());
  auto rs = ds.Database().OpenRecordset("select Count(*) from data where [ProgramNumber]='AB12'",
                                        dbOpenForwardOnly, 512);
  EXPECT_EQ(rs->Fields(0).Value().ToNumber(), 1.0);
  rs->Close();
  EXPECT_TRUE(ds.Database().IsOpen());
}

TEST_P(DataSourceTest, FailedRefreshKeepsTheRowsItHad) {
  db.AddMachine({{"Machine", "M1"}});
  DataSource ds;
  Bind(ds, "select [Machine] from machine");
  ds.Refresh();
  ds.RecordSource("select [Machine] from machine where");
  EXPECT_EQ(ErrorOf([&] { ds.Refresh(); }).Number(), dberr::Syntax);
  ASSERT_EQ(ds.RowCount(), 1u);
  EXPECT_EQ(ds.Row(0).at(0).ToText(), "M1");
  // Another database name reopens; a missing one is reported.
  ds.DatabaseName((env / "none.db").string());
  EXPECT_EQ(ErrorOf([&] { ds.Refresh(); }).Number(), dberr::FileNotFound);
}

KX_ON_EACH_ENGINE(DataSourceTest);

}  // namespace
}  // namespace kx::test
