// The replace dialog driven through its procedures: what it shows, what it passes on, RetVal.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "core/error.h"
#include "dialog_fixture.h"
#include "gui/frmReplace.h"
#include "gui/qt_placement_window.h"
#include "platform/host_grid.h"

namespace kx {
namespace {

using test::Find;
using test::RowsOf;
using Strings = std::vector<std::string>;

constexpr const char* kTexts =
    "[frmReplace]\r\nCaption=Replace values\r\nLabel1(0).Caption=Column\r\nLabel1(1).Caption=Like\r\n"
    "Label1(2).Caption=New value\r\nShowJobsButton.Caption=List jobs\r\n"
    "JobCount.Caption=/1 found\r\nJobCountMore.Caption=/1 found, /2 listed, /3 not\r\n"
    "[MSG]\r\nQuestion=Replace?\r\nUpdate=Change /1 jobs? (/1 rows)\r\n";

// The jobs A to E with the materials ST52, ST37, AL99, Null and "".
class FrmReplaceTest : public test::DialogWorld {
 protected:
  FrmReplaceTest() {
    WriteHostConfig();
    env.WriteAddInIni(kTexts);
    db.Seed("materials.sql");
  }
  Strings Materials() const { return db.Rows("select Material from NcData order by ID"); }
};

DbCombo& ColumnList(QWidget& dialog) { return Find<DbCombo>(dialog, "SSDBCombo1(0)"); }
QLineEdit& Box(QWidget& dialog, int index) {
  return Find<QLineEdit>(dialog, index == 0 ? "Text1(0)" : "Text1(1)");
}

// The dialog with the pattern and value typed, OK pressed.
// Typed, then confirmed with Enter.
void Confirm(frmReplace& dialog, const std::string& pattern, const std::string& value) {
  Box(dialog, 0).setText(QString::fromStdString(pattern));
  Box(dialog, 1).setText(QString::fromStdString(value));
  dialog.show();
  QTest::keyClick(&Box(dialog, 1), Qt::Key_Return);
}

TEST_F(FrmReplaceTest, LoadSetsTextsAndStartsOnTheCurrentCell) {
  UseGrid(1, "Material");
  frmReplace dialog;
  EXPECT_EQ(dialog.objectName(), "frmReplace");
  EXPECT_EQ(dialog.windowTitle(), "Replace values");
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1(0)")->text(), "&Column");  // each with a letter of its own
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1(1)")->text(), "&Like");
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1(2)")->text(), "&New value");
  EXPECT_EQ(dialog.findChild<QPushButton*>("ShowJobsButton")->text().remove('&'), "List jobs");
  EXPECT_EQ(dialog.DbName(), "D:\\jobs.db");
  DbCombo& list = ColumnList(dialog);
  EXPECT_EQ(list.Value(), "Material");
  EXPECT_EQ(list.Text(), "Cap Material");  // the caption is shown, the name is the value
  EXPECT_FALSE(list.ColumnVisible(0));
  EXPECT_EQ(Box(dialog, 0).text(), "ST37");  // row 1's material
  EXPECT_EQ(Box(dialog, 1).text(), "");
  EXPECT_TRUE(env.Ui().shown.empty());
}

TEST_F(FrmReplaceTest, MissingTextsGiveEmptyTitleAndLabels) {
  std::filesystem::remove(env.AddInIni());
  UseGrid(0, "Material");
  frmReplace dialog;
  EXPECT_EQ(dialog.windowTitle(), "");
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1(1)")->text(), "");
  EXPECT_EQ(dialog.findChild<QPushButton*>("ShowJobsButton")->text().remove('&'), "Show jobs…");
  ASSERT_TRUE(test::ShowActive(dialog));
  Box(dialog, 0).setText("ST*");
  dialog.ShowJobsButton_Click();
  EXPECT_EQ(WithoutMnemonic(Find<QLabel>(dialog, "JobCount").text()), "2 jobs");
  dialog.close();
}

// A key column or none current: the list starts on its first row, DataType.
TEST_F(FrmReplaceTest, WithoutAReplaceableCurrentColumnTheFirstRowIsChosen) {
  for (const char* column : {"Filename", "ProgramNumber", ""}) {
    JobTableGrid& grid = UseGrid(2, column);
    grid.Columns("DataType").Value(Variant(7));  // the current row's text of the first offered column
    grid.Update();
    frmReplace dialog;
    EXPECT_EQ(ColumnList(dialog).Value(), "DataType") << column;
    EXPECT_EQ(Box(dialog, 0).text(), "7") << column;
  }
}

TEST_F(FrmReplaceTest, ListOffersEveryGridColumnButTheKeys) {
  JobTableGrid& grid = UseGrid(0, "Material");
  frmReplace dialog;
  std::vector<std::string> expected;
  for (long i = 0; i < grid.ColumnCount(); ++i) {
    const std::string name = grid.ColumnAt(i).Name();
    if (name != "Filename" && name != "ProgramNumber") expected.push_back(name);
  }
  EXPECT_EQ(RowsOf(ColumnList(dialog)), expected);
  EXPECT_EQ(ColumnList(dialog).CellText(1, 0), "Cap DataType");
}

// A job table whose key columns are spelled in other letter cases.
TEST_F(FrmReplaceTest, KeyColumnsInAnyLetterCaseAreNeverOffered) {
  db.Execute("ALTER TABLE NCDATA RENAME COLUMN Filename TO FILENAME");
  db.Execute("ALTER TABLE NCDATA RENAME COLUMN ProgramNumber TO programNUMBER");
  UseGrid(0, "programNUMBER");
  frmReplace dialog;
  const auto offered = RowsOf(ColumnList(dialog));
  EXPECT_EQ(std::count(offered.begin(), offered.end(), "FILENAME"), 0);
  EXPECT_EQ(std::count(offered.begin(), offered.end(), "programNUMBER"), 0);
  EXPECT_EQ(ColumnList(dialog).Value(), "DataType");
}

// OK passes the trimmed pattern and value on, asks with the count when jobs match, sets them
// only on Yes, and confirms the dialog whatever the answer.
TEST_F(FrmReplaceTest, OkAsksWithTheCountAndSetsOnYes) {
  const struct {
    const char* pattern;
    const char* value;
    MsgAnswer answer;
    const char* question;  // "" when none is asked
    Strings after;
  } cases[] = {
      {"  ST*  ", "  X1 ", MsgAnswer::Yes, "Change 2 jobs? (2 rows)", {"X1", "X1", "AL99", "<Null>", ""}},
      {"ST52", "X1", MsgAnswer::No, "Change 1 jobs? (1 rows)", {"ST52", "ST37", "AL99", "<Null>", ""}},
      {"XX*", "X1", MsgAnswer::Yes, "", {"ST52", "ST37", "AL99", "<Null>", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    db.Execute("DELETE FROM NcData");
    db.Seed("materials.sql");
    UseGrid(0, "Material");
    env.Ui().shown.clear();
    env.Ui().nextAnswers = {c.answer};
    frmReplace dialog;
    Confirm(dialog, c.pattern, c.value);
    // Every "/1" of the question is the count.
    EXPECT_EQ(env.Shown(), *c.question ? std::vector<std::string>{"Replace?: " + std::string(c.question) +
                                                                  " [yes/no] [question]"}
                                       : std::vector<std::string>{});
    EXPECT_EQ(Materials(), c.after);
    EXPECT_TRUE(dialog.RetVal());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
}

// The jobs the replace would change, before it: keys and value, the first 100, how many more.
TEST_F(FrmReplaceTest, ShowJobsListsTheMatchingJobsAndChangesNothing) {
  for (int i = 0; i < 100; ++i)
    db.AddJob({{"Filename", "Z" + std::to_string(1000 + i)}, {"Material", "ST1"}});
  UseGrid(0, "Material");
  frmReplace dialog;
  ASSERT_TRUE(test::ShowActive(dialog));
  Box(dialog, 0).setText(" ST* ");
  dialog.ShowJobsButton_Click();
  const auto& list = Find<QTableWidget>(dialog, "JobList");
  ASSERT_EQ(list.rowCount(), 100);
  const auto row = [&](int r) {
    return list.item(r, 0)->text() + "|" + list.item(r, 1)->text() + "|" + list.item(r, 2)->text();
  };
  EXPECT_EQ(row(0), "A|PA|ST52");
  EXPECT_EQ(row(1), "B|PB|ST37");
  EXPECT_EQ(row(2), "Z1000|Null|ST1");
  EXPECT_EQ(list.horizontalHeaderItem(2)->text(), "Cap Material");
  EXPECT_EQ(WithoutMnemonic(Find<QLabel>(dialog, "JobCount").text()), "102 found, 100 listed, 2 not");
  test::ExpectCaptionsFit(dialog, "frmReplace-jobs");
  EXPECT_EQ(Materials().front(), "ST52");
  EXPECT_TRUE(env.Ui().shown.empty());
  dialog.close();
}

TEST_F(FrmReplaceTest, AColumnThatIsNoRowOfTheListDoesNothing) {
  UseGrid(0, "Material");
  frmReplace dialog;
  std::filesystem::remove(env.Data("jobs.db"));  // would be reported if the database were touched
  ColumnList(dialog).SetValue("Filename");
  dialog.OKButton_Click();
  ColumnList(dialog).SetValue("");
  dialog.OKButton_Click();
  EXPECT_TRUE(env.Ui().shown.empty());
  EXPECT_FALSE(dialog.RetVal());
}

TEST_F(FrmReplaceTest, ErrorOnOkIsReportedOnceAndTheDialogStaysOpen) {
  UseGrid(0, "Material");
  frmReplace dialog;
  dialog.show();
  std::filesystem::remove(env.Data("jobs.db"));
  Confirm(dialog, "ST*", "X1");
  EXPECT_EQ(env.Shown(),
            std::vector<std::string>{"Kestrafix / DAO.DBEngine / OKButton_Click: 3024 [critical]"});
  EXPECT_FALSE(dialog.RetVal());
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(FrmReplaceTest, ErrorOnLoadIsReportedOnce) {
  Shared().goSSDBGrid.reset();  // a host that handed over no grid
  frmReplace dialog;
  EXPECT_EQ(env.Shown(), std::vector<std::string>{"Kestrafix / Kestrafix / Form_Load: 91 [critical]"});
  EXPECT_EQ(dialog.windowTitle(), "Replace values");  // what came before the error stays
  dialog.OKButton_Click();                            // nothing to choose: nothing happens
  EXPECT_EQ(env.Ui().shown.size(), 1u);
}

TEST_F(FrmReplaceTest, CancelClosesUnconfirmedAndUnloadSavesPlacement) {
  UseGrid(0, "Material");
  auto grid = Shared().goSSDBGrid;
  {
    frmReplace dialog;
    EXPECT_EQ(grid.use_count(), 3);  // shared state, this test, the dialog
    dialog.show();
    QTest::keyClick(&Box(dialog, 0), Qt::Key_Escape);
    EXPECT_FALSE(dialog.RetVal());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(grid.use_count(), 2);  // the dialog dropped its reference on unload
  }
  const std::string ini = test::ReadAll(env.AddInIni());
  for (const char* key : {"WindowState=0", "Top=", "Left=", "Height=", "Width="}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key << " in " << ini;
  }
  EXPECT_TRUE(env.Ui().shown.empty());
}

TEST_F(FrmReplaceTest, ResizeStretchesTextBoxesAndListToTheRightMargin) {
  UseGrid(0, "Material");
  frmReplace dialog;
  dialog.resize(600, 200);
  dialog.show();
  QApplication::processEvents();
  DbCombo& list = ColumnList(dialog);
  const int margin = PixelsFromTwips(60.0f, dialog.logicalDpiX() > 0 ? dialog.logicalDpiX() : 96.0);
  const int expected = dialog.width() - (margin + list.x());
  for (QWidget* w : {static_cast<QWidget*>(&Box(dialog, 0)), static_cast<QWidget*>(&Box(dialog, 1)),
                     static_cast<QWidget*>(&list)}) {
    EXPECT_EQ(w->x(), list.x());
    EXPECT_EQ(w->width(), expected) << w->objectName().toStdString();
  }
  EXPECT_EQ(list.ColumnWidth(1), expected);

  // Too narrow: the widths stay.
  dialog.resize(list.x() / 2, 200);
  QApplication::processEvents();
  EXPECT_EQ(Box(dialog, 0).width(), expected);
}

TEST_F(FrmReplaceTest, ShowingTheDialogFocusesTheNewValue) {
  UseGrid(0, "Material");
  frmReplace dialog;
  dialog.show();
  QApplication::processEvents();
  EXPECT_EQ(dialog.focusWidget(), &Box(dialog, 1));
}

// English texts from the add-in INI (the labels have a fixed width of about 80 pixels).
using FrmReplaceLook = test::DialogWorld;

TEST_F(FrmReplaceLook, EnglishCaptionsFitTheirControls) {  // screenshot: frmReplace-en.png
  WriteHostConfig();
  env.WriteAddInIni(
      "[frmReplace]\r\nCaption=Replace a column\r\nLabel1(0).Caption=Column\r\n"
      "Label1(1).Caption=Value like\r\nLabel1(2).Caption=New value\r\n");
  db.Seed("materials.sql");
  UseGrid(2, "Material", [](std::string_view c) { return std::string(c); });
  frmReplace d;
  ASSERT_TRUE(env.Ui().shown.empty()) << env.Ui().shown.front().text;
  ASSERT_TRUE(test::ShowActive(d));
  EXPECT_EQ(d.windowTitle(), "Replace a column");
  EXPECT_EQ(test::ListOf(d, "SSDBCombo1(0)").Text(), "Material");
  EXPECT_EQ(test::TextOf(d, "Text1(0)"), "AL99");  // the current job's material
  test::ExpectCaptionsFit(d, "frmReplace-en");
  d.close();
}

}  // namespace
}  // namespace kx
