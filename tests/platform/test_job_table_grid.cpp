#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "job_database.h"
#include "platform/database.h"
#include "platform/job_schema.h"
#include "platform/job_table_grid.h"

namespace kx {
namespace {

class JobTableGridWorld : public test::JobDbTest {
 protected:
  // Two jobs, A100 (version 7) and B200, in this order.
  void SeedTwoJobs() const {
    db.Execute(
        "insert into NcData ([Filename], [ProgramNumber], [Machine], [Version], [Material]) "
        "values ('A100', '100', 'DMU50', 7, 'ST37'), ('B200', '200', 'Mazak', 1, Null)");
  }
  long CountRows(const std::string& where) const {
    return db.Count("select count(*) from NcData where " + where);
  }
};
using JobTableGridTest = test::OnEachEngine<JobTableGridWorld>;

TEST_P(JobTableGridTest, ColumnsFollowTheTableWithoutTheRowKeyCaptionedByTheHost) {
  JobTableGrid grid(db.Path());
  ASSERT_GT(grid.ColumnCount(), 10);
  EXPECT_EQ(grid.ColumnAt(0).Name(), "Filename");
  EXPECT_EQ(grid.ColumnAt(1).Name(), "ProgramNumber");
  EXPECT_EQ(grid.ColumnAt(2).Name(), "DataType");
  EXPECT_EQ(grid.ColumnIndex("ID"), -1);  // the rowid is the bookmark, not a column
  EXPECT_EQ(&grid.Columns("FILENAME"), &grid.ColumnAt(0));
  EXPECT_EQ(grid.Columns("programnumber").Name(), "ProgramNumber");
  EXPECT_EQ(test::ErrorOf([&] { grid.Columns("NoSuchColumn"); }).Number(), dberr::ItemNotFound);
  EXPECT_THROW(grid.ColumnAt(grid.ColumnCount()), KxError);
  JobTableGrid plain(db.Path());
  EXPECT_EQ(plain.Columns("filename").Caption(), "Filename");
  JobTableGrid titled(db.Path(), [](std::string_view column) { return "Title of " + std::string(column); });
  EXPECT_EQ(titled.Columns("adresstext").Caption(), "Title of Adresstext");
}

TEST_P(JobTableGridTest, AnEmptyTableHasNoCurrentRowAMissingOneIsAnError) {
  JobTableGrid grid(db.Path());
  EXPECT_EQ(grid.Rows(), 0);
  EXPECT_EQ(grid.CurrentRow(), -1);
  EXPECT_THROW(grid.GetBookmark(), KxError);
  EXPECT_THROW(grid.Columns("Filename").Value(), KxError);
  EXPECT_THROW(grid.Columns("Filename").Value(Variant("x")), KxError);
  EXPECT_EQ(test::ErrorOf([&] { JobTableGrid missing((env / "none.db").string()); }).Number(),
            dberr::FileNotFound);
}

TEST_P(JobTableGridTest, RowsCurrentRowAndCol) {
  SeedTwoJobs();
  JobTableGrid grid(db.Path());
  EXPECT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.Columns("Filename").Value().ToText(), "A100");  // starts on the first row
  EXPECT_EQ(grid.Columns("version").Text(), "7");
  EXPECT_TRUE(grid.Columns("Comment").Value().IsNull());
  EXPECT_EQ(grid.Columns("Comment").Text(), "");
  grid.MoveLast();
  EXPECT_EQ(grid.Columns("Filename").Text(), "B200");

  EXPECT_EQ(grid.Col(), -1);
  grid.SetCol(grid.ColumnIndex("Material"));
  EXPECT_EQ(grid.ColumnAt(grid.Col()).Name(), "Material");
  EXPECT_THROW(grid.SetCol(grid.ColumnCount()), KxError);
  EXPECT_THROW(grid.SetCol(-2), KxError);
  grid.SetCol(-1);
  EXPECT_EQ(grid.Col(), -1);
}

TEST_P(JobTableGridTest, CellValueReadsAnotherRow) {
  SeedTwoJobs();
  JobTableGrid grid(db.Path());
  const Bookmark first = grid.GetBookmark();
  grid.MoveLast();
  EXPECT_EQ(grid.Columns("Material").CellValue(first).ToText(), "ST37");
  EXPECT_EQ(grid.Columns("Version").CellValue(first).ToNumber(), 7);
  EXPECT_EQ(grid.Columns("Filename").Text(), "B200");
  EXPECT_EQ(test::ErrorOf([&] { grid.Columns("Material").CellValue(first + 1000); }).Number(), 3159);
}

// The record creation's three writes: keys, then clearing, then the rest.
TEST_P(JobTableGridTest, ThreeWritesLeaveOneCompleteRow) {
  SeedTwoJobs();
  JobTableGrid grid(db.Path());
  const Bookmark source = grid.GetBookmark();

  grid.AddNew();
  EXPECT_TRUE(grid.Columns("Filename").Value().IsNull());
  grid.Columns("Filename").Value(Variant("C300"));
  grid.Columns("ProgramNumber").Value(Variant("300"));
  grid.Columns("DataType").Value(Variant("2"));
  grid.Columns("Text10").Value(Variant("C300"));
  grid.Columns("NestComment").Value(Variant("C300"));
  EXPECT_EQ(grid.Columns("Filename").Text(), "C300");  // the row being added
  grid.Update();
  EXPECT_EQ(grid.Rows(), 3);
  EXPECT_EQ(grid.Columns("Filename").Text(), "A100");  // back on the row before AddNew
  grid.MoveLast();
  EXPECT_EQ(grid.Columns("Filename").Text(), "C300");
  const Bookmark added = grid.GetBookmark();

  grid.Columns("Text10").Value(Variant(""));
  grid.Columns("NestComment").Value(Variant(""));
  grid.Update();
  EXPECT_EQ(CountRows("[Filename] = 'C300' and [Text10] = '' and [NestComment] = ''"), 1);

  for (long i = 0; i < grid.ColumnCount(); ++i) {
    const std::string name = grid.ColumnAt(i).Name();
    if (name == "Filename" || name == "ProgramNumber" || name == "DataType") continue;
    grid.ColumnAt(i).Value(grid.ColumnAt(i).CellValue(source));
  }
  grid.Columns("Version").Value(Variant(grid.Columns("Version").CellValue(source).ToNumber() + 1));
  grid.Columns("Author").Value(Variant("jdoe"));
  grid.Columns("Createdate").Value(Variant::Date("2024-05-06 07:08:09"));
  grid.Columns("Released").Value(Variant(0));
  grid.Update();

  EXPECT_EQ(grid.GetBookmark(), added);  // the bookmark outlived the writes
  EXPECT_EQ(grid.Columns("Filename").CellValue(source).ToText(), "A100");
  EXPECT_EQ(CountRows("[Filename] = 'C300'"), 1);
  EXPECT_EQ(CountRows("1 = 1"), 3);

  // A fresh grid reads what was stored, in table order; Text10 and Comment copied from the source.
  JobTableGrid reread(db.Path());
  ASSERT_EQ(reread.Rows(), 3);
  reread.MoveLast();
  EXPECT_EQ(reread.GetBookmark(), added);
  EXPECT_EQ(
      db.Rows(
          "select Filename, ProgramNumber, DataType, Text10, Material, Machine, Version, Author, Released, "
          "Comment, Createdate from NcData where Filename = 'C300'"),
      std::vector<std::string>{"C300|300|2|<Null>|ST37|DMU50|8|jdoe|0|<Null>|2024-05-06 07:08:09"});
}

TEST_P(JobTableGridTest, QuotesAndNullsAreStoredAsValues) {
  SeedTwoJobs();
  JobTableGrid grid(db.Path());
  grid.Columns("Comment").Value(Variant("it's \"x\"; drop table NcData"));
  grid.Columns("Material").Value(Variant::Null());
  grid.Columns("Materialthickness").Value(Variant(2.5));
  grid.Update();
  JobTableGrid reread(db.Path());
  EXPECT_EQ(reread.Columns("Comment").Text(), "it's \"x\"; drop table NcData");
  EXPECT_TRUE(reread.Columns("Material").Value().IsNull());
  EXPECT_EQ(reread.Columns("Materialthickness").Value().ToNumber(), 2.5);
  EXPECT_EQ(reread.Rows(), 2);
}

TEST_P(JobTableGridTest, UpdateWritesOnlyTheChangedColumns) {
  SeedTwoJobs();
  JobTableGrid grid(db.Path());
  // Another user changes a column this grid has read.
  db.Execute("update NcData set [Material] = 'AlMg3' where [Filename] = 'A100'");
  grid.Columns("Comment").Value(Variant("checked"));
  grid.Update();
  EXPECT_EQ(CountRows("[Material] = 'AlMg3' and [Comment] = 'checked'"), 1);
  EXPECT_EQ(grid.Columns("Material").Text(), "AlMg3");  // the stored row is read back
}

TEST_P(JobTableGridTest, DuplicateKeyIsRefusedAndLeavesNoHalfRowOrChangedRow) {
  SeedTwoJobs();
  JobTableGrid grid(db.Path());
  grid.AddNew();
  grid.Columns("Filename").Value(Variant("a100"));  // the same file name in other case
  grid.Columns("ProgramNumber").Value(Variant("999"));
  EXPECT_EQ(test::ErrorOf([&] { grid.Update(); }).Number(), dberr::DuplicateKey);
  EXPECT_EQ(CountRows("1 = 1"), 2);
  EXPECT_EQ(CountRows("[ProgramNumber] = '999'"), 0);
  EXPECT_EQ(grid.Rows(), 2);
  // The new row is still pending and can be corrected.
  EXPECT_TRUE(grid.IsAddingNew());
  EXPECT_EQ(grid.Columns("ProgramNumber").Text(), "999");
  grid.Columns("Filename").Value(Variant("A101"));
  grid.Update();
  EXPECT_EQ(CountRows("[Filename] = 'A101' and [ProgramNumber] = '999'"), 1);
  EXPECT_EQ(grid.Rows(), 3);
  // A changed row that clashes keeps what is stored.
  grid.MoveLast();
  grid.Columns("ProgramNumber").Value(Variant("100"));
  grid.Columns("Comment").Value(Variant("lost"));
  EXPECT_THROW(grid.Update(), KxError);
  EXPECT_EQ(CountRows("[Filename] = 'A101' and [ProgramNumber] = '999' and [Comment] Is Null"), 1);
  grid.CancelUpdate();
  EXPECT_EQ(grid.Columns("ProgramNumber").Text(), "999");
}

TEST_P(JobTableGridTest, RefreshKeepsTheCurrentRowAndSeesOtherUsersRows) {
  SeedTwoJobs();
  JobTableGrid grid(db.Path());
  IGridColumn& filename = grid.Columns("Filename");
  grid.MoveLast();
  const Bookmark b = grid.GetBookmark();
  db.Execute("insert into NcData ([Filename], [ProgramNumber]) values ('D400', '400')");
  grid.Refresh();
  EXPECT_EQ(grid.Rows(), 3);
  EXPECT_EQ(grid.GetBookmark(), b);
  EXPECT_EQ(filename.Text(), "B200");  // column references survive a refresh
  grid.MoveLast();
  EXPECT_EQ(filename.Text(), "D400");
}

// More rows than the grid keeps: every visit order reads the same row at each position.
TEST_P(JobTableGridTest, RowsArePagedInKeyOrderWhateverTheVisitOrder) {
  constexpr long kJobs = 1234;
  {
    auto conn = db.Open();
    Transaction tx(*conn);
    for (long i = 1; i <= kJobs; ++i)
      conn->Execute("insert into NcData ([Filename], [ProgramNumber]) values ('J" + std::to_string(i) +
                    "', '" + std::to_string(i) + "')");
    conn->Execute("delete from NcData where [ProgramNumber] in ('7', '500')");  // keys with gaps
    tx.Commit();
  }
  const auto expected = [](long row) { return "J" + std::to_string(row + 1 + (row >= 6) + (row >= 498)); };
  const std::vector<std::vector<long>> visits = {
      {0, 1, 99, 100, 101, 250, 1000, 1231},                               // forward
      {1231, 1200, 1131, 1130, 640, 3, 0},                                 // backward from the end
      {617, 616, 618, 5, 1229, 300, 900, 12, 1100, 410, 700, 1210, 617}};  // jumps, many pages
  for (const auto& visit : visits) {
    JobTableGrid grid(db.Path());
    ASSERT_EQ(grid.Rows(), kJobs - 2);
    const long column = grid.ColumnIndex("Filename");
    for (long row : visit) {
      ASSERT_EQ(grid.Cell(row, column).ToText(), expected(row)) << "row " << row;
      EXPECT_EQ(grid.RowOf(grid.BookmarkAt(row)), row);
    }
    grid.MoveTo(visit.back());
    const Bookmark b = grid.GetBookmark();
    grid.Refresh();  // forgets the pages, keeps the row
    EXPECT_EQ(grid.CurrentRow(), visit.back());
    EXPECT_EQ(grid.GetBookmark(), b);
    EXPECT_THROW(grid.Cell(kJobs - 2, column), KxError);
  }
}

// A grid of the rows a condition selects holds the rows it adds too, as the new-job road needs.
TEST_P(JobTableGridTest, AGridOfSelectedRowsKeepsTheRowsItAdds) {
  SeedTwoJobs();
  JobTableGrid grid(db.Path(), {}, "[Filename] = 'B200'");
  ASSERT_EQ(grid.Rows(), 1);
  const Bookmark source = grid.GetBookmark();
  grid.AddNew();
  grid.Columns("Filename").Value(Variant("C300"));
  grid.Columns("ProgramNumber").Value(Variant("300"));
  grid.Update();
  EXPECT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.GetBookmark(), source);
  grid.MoveLast();
  EXPECT_EQ(grid.Columns("Filename").Text(), "C300");
  EXPECT_EQ(grid.Columns("Machine").CellValue(source).ToText(), "Mazak");
  grid.Refresh();
  EXPECT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.Columns("Filename").Text(), "C300");

  // Under a search an added row follows until a refresh searches again; it is counted once.
  JobTableGrid searched(db.Path());
  searched.SetFilter("?300");
  ASSERT_EQ(searched.Rows(), 1);
  for (const char* name : {"D300", "E400"}) {
    searched.AddNew();
    searched.Columns("Filename").Value(Variant(name));
    searched.Update();
  }
  EXPECT_EQ(searched.Rows(), 3);
  searched.Refresh();
  ASSERT_EQ(searched.Rows(), 2);
  EXPECT_EQ(searched.Cell(1, searched.ColumnIndex("Filename")).ToText(), "D300");
}

// Sorted by a column, pages read in either direction hold the rows of a full sort: Null first
// going up, texts without case, equal values in key order; the current job stays current.
TEST_P(JobTableGridTest, SortedPagesFollowAFullSortWithNullsAndTies) {
  constexpr long kJobs = 250;
  const char* machines[] = {"Laser", "laser", "Mill", "DMU", "mill"};
  {
    auto conn = db.Open();
    Transaction tx(*conn);
    for (long i = 1; i <= kJobs; ++i)
      conn->Execute("insert into NcData ([Filename], [Machine], [Version]) values ('J" + std::to_string(i) +
                    "', " + (i % 7 ? "'" + std::string(machines[i % 5]) + "'" : std::string("Null")) + ", " +
                    (i % 6 ? std::to_string(i * 37 % 11) : std::string("Null")) + ")");
    tx.Commit();
  }
  JobTableGrid grid(db.Path());
  struct Job {
    Bookmark key;
    Variant value;
  };
  const auto less = [](const Job& a, const Job& b) {
    if (a.value.IsNull() || b.value.IsNull()) return a.value.IsNull() && !b.value.IsNull();
    if (a.value.IsNumber()) return a.value.ToNumber() < b.value.ToNumber();
    return FoldCase(a.value.ToText()) < FoldCase(b.value.ToText());
  };
  for (const auto& [column, descending] :
       {std::pair{"Machine", false}, {"Machine", true}, {"Version", true}}) {
    const long c = grid.ColumnIndex(column);
    grid.SetSort(-1, false);
    std::vector<Job> sorted;  // table order, then a stable sort
    for (long row = 0; row < kJobs; ++row) sorted.push_back({grid.BookmarkAt(row), grid.Cell(row, c)});
    std::stable_sort(sorted.begin(), sorted.end(), less);
    if (descending) std::reverse(sorted.begin(), sorted.end());
    grid.MoveTo(17);  // J18: Machine "DMU", Version Null
    const Bookmark current = grid.GetBookmark();
    grid.SetSort(c, descending);
    ASSERT_EQ(grid.Rows(), kJobs);
    ASSERT_EQ(grid.GetBookmark(), current) << column;
    EXPECT_EQ(sorted[static_cast<std::size_t>(grid.CurrentRow())].key, current) << column;
    for (long row = kJobs - 1; row >= 0; --row)
      ASSERT_EQ(grid.BookmarkAt(row), sorted[static_cast<std::size_t>(row)].key) << column << " row " << row;
    grid.Refresh();
    for (long row = 0; row < kJobs; ++row)
      ASSERT_EQ(grid.BookmarkAt(row), sorted[static_cast<std::size_t>(row)].key) << column << " row " << row;
  }
  EXPECT_THROW(grid.SetSort(grid.ColumnCount(), false), KxError);
  EXPECT_EQ(grid.SortColumn(), grid.ColumnIndex("Version"));
}

TEST(SqlLiteral, ValuesNeverReachAStatementUnquoted) {
  EXPECT_EQ(SqlLiteral(Variant::Null()), "Null");
  EXPECT_EQ(SqlLiteral(Variant()), "Null");
  EXPECT_EQ(SqlLiteral(Variant(42)), "42");
  EXPECT_EQ(SqlLiteral(Variant(-1.5)), "-1.5");
  EXPECT_EQ(SqlLiteral(Variant(true)), "-1");
  EXPECT_EQ(SqlLiteral(Variant("O'Brien")), "'O''Brien'");
  EXPECT_EQ(SqlLiteral(Variant("42")), "'42'");
  EXPECT_THROW(SqlLiteral(Variant(1.0 / 0.0)), KxError);
}

KX_ON_EACH_ENGINE(JobTableGridTest);

}  // namespace
}  // namespace kx
