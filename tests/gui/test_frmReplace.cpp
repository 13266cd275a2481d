// The replace dialog driven through its procedures, on a real job database and job grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <filesystem>
#include <string>
#include <vector>

#include "core/error.h"
#include "gui/frmReplace.h"
#include "gui/qt_placement_window.h"
#include "platform/host_grid.h"
#include "test_frmReplace_world.h"

namespace kx {
namespace {
using test::Box;
using test::Button;
using test::ColumnList;
using test::kNull;

constexpr const char* kTexts =
    "[frmReplace]\r\nCaption=Replace values\r\nLabel1(0).Caption=Column\r\nLabel1(1).Caption=Like\r\n"
    "Label1(2).Caption=New value\r\n[MSG]\r\nQuestion=Replace?\r\nUpdate=Change /1 jobs? (/1 rows)\r\n";

class FrmReplaceTest : public test::ReplaceWorld {
 protected:
  void SetUp() override {
    ReplaceWorld::SetUp();
    WriteAddInIni(kTexts);
    AddMaterial("A", "ST52");
    AddMaterial("B", "ST37");
    AddMaterial("C", "AL99");
    AddMaterial("D", kNull);
    AddMaterial("E", "");
  }

  // The dialog with the pattern and value typed, OK pressed.
  void Confirm(frmReplace& dialog, const std::string& pattern, const std::string& value) {
    Box(dialog, 0).setText(QString::fromStdString(pattern));
    Box(dialog, 1).setText(QString::fromStdString(value));
    dialog.OKButton_Click();
  }
};

std::vector<std::string> ListNames(const DbCombo& list) {
  std::vector<std::string> names;
  for (int r = 0; r < list.RowCount(); ++r) names.push_back(list.CellText(0, r));
  return names;
}

TEST_F(FrmReplaceTest, LoadSetsTextsAndStartsOnTheCurrentCell) {
  UseGrid(1, "Material");
  frmReplace dialog;
  EXPECT_EQ(dialog.objectName(), "frmReplace");
  EXPECT_EQ(dialog.windowTitle(), "Replace values");
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1(0)")->text(), "Column");
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1(1)")->text(), "Like");
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1(2)")->text(), "New value");
  EXPECT_EQ(dialog.DbName(), path_);
  DbCombo& list = ColumnList(dialog);
  EXPECT_EQ(list.Value(), "Material");
  EXPECT_EQ(list.Text(), "Title Material");  // the caption is shown, the name is the value
  EXPECT_FALSE(list.ColumnVisible(0));
  EXPECT_EQ(Box(dialog, 0).text(), "ST37");  // row 1's material
  EXPECT_EQ(Box(dialog, 1).text(), "");
  EXPECT_TRUE(ui->shown.empty());
}

TEST_F(FrmReplaceTest, MissingTextsGiveEmptyTitleAndLabels) {
  std::filesystem::remove(AddInIni());
  UseGrid(0, "Material");
  frmReplace dialog;
  EXPECT_EQ(dialog.windowTitle(), "");
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1(1)")->text(), "");
}

TEST_F(FrmReplaceTest, KeyColumnAsCurrentColumnStartsOnTheFirstRow) {
  for (const char* key : {"Filename", "ProgramNumber"}) {
    JobTableGrid& grid = UseGrid(2, key);
    grid.Columns("DataType").Value(Variant(7));  // the current row's text of the first offered column
    grid.Update();
    frmReplace dialog;
    DbCombo& list = ColumnList(dialog);
    ASSERT_GT(list.RowCount(), 0);
    EXPECT_EQ(list.Value(), list.CellText(0, 0)) << key;
    EXPECT_EQ(list.Value(), "DataType") << key;
    EXPECT_EQ(Box(dialog, 0).text(), "7") << key;
  }
}

TEST_F(FrmReplaceTest, NoCurrentColumnStartsOnTheFirstRow) {
  UseGrid(0, "");
  frmReplace dialog;
  EXPECT_EQ(ColumnList(dialog).Value(), "DataType");
  EXPECT_EQ(Box(dialog, 0).text(), "0");
}

TEST_F(FrmReplaceTest, ListOffersEveryGridColumnButTheKeys) {
  JobTableGrid& grid = UseGrid(0, "Material");
  frmReplace dialog;
  std::vector<std::string> expected;
  for (long i = 0; i < grid.ColumnCount(); ++i) {
    const std::string name = grid.ColumnAt(i).Name();
    if (name != "Filename" && name != "ProgramNumber") expected.push_back(name);
  }
  EXPECT_EQ(ListNames(ColumnList(dialog)), expected);
  EXPECT_EQ(ColumnList(dialog).CellText(1, 0), "Title DataType");
}

// A host grid whose key columns are spelled in other letter cases.
class CaseGrid : public IHostGrid {
 public:
  class Column : public IGridColumn {
   public:
    explicit Column(std::string name) : name_(std::move(name)) {}
    std::string Name() const override { return name_; }
    std::string Caption() const override { return name_; }
    Variant Value() const override { return Variant("v-" + name_); }
    void Value(const Variant&) override {}
    std::string Text() const override { return "v-" + name_; }
    Variant CellValue(Bookmark) const override { return Variant(); }

   private:
    std::string name_;
  };
  explicit CaseGrid(long col) : col_(col) {
    for (const char* n : {"FILENAME", "Material", "programNUMBER", "filename", "Comment"})
      columns_.emplace_back(n);
  }
  IGridColumn& Columns(std::string_view name) override {
    for (auto& c : columns_) {
      if (EqualsNoCase(c.Name(), name)) return c;
    }
    throw KxError(dberr::ItemNotFound, "CaseGrid", "Item not found in this collection.");
  }
  long ColumnCount() const override { return static_cast<long>(columns_.size()); }
  IGridColumn& ColumnAt(long index) override { return columns_.at(static_cast<std::size_t>(index)); }
  long Col() const override { return col_; }
  long Rows() const override { return 1; }
  Bookmark GetBookmark() const override { return 1; }
  void AddNew() override {}
  void Update() override {}
  void CancelUpdate() override {}
  void MoveLast() override {}

 private:
  std::vector<Column> columns_;
  long col_;
};

TEST_F(FrmReplaceTest, KeyColumnsInAnyLetterCaseAreNeverOffered) {
  Shared().goSSDBGrid = std::make_shared<CaseGrid>(2);  // current column "programNUMBER"
  frmReplace dialog;
  EXPECT_EQ(ListNames(ColumnList(dialog)), (std::vector<std::string>{"Material", "Comment"}));
  EXPECT_EQ(ColumnList(dialog).Value(), "Material");
  EXPECT_EQ(Box(dialog, 0).text(), "v-Material");
}

TEST_F(FrmReplaceTest, YesSetsTheMatchingJobsOnlyWithTrimmedPatternAndValue) {
  UseGrid(0, "Material");
  frmReplace dialog;
  ui->nextAnswers = {MsgAnswer::Yes};
  Confirm(dialog, "  ST*  ", "  X1 ");
  ASSERT_EQ(ui->shown.size(), 1u);
  EXPECT_EQ(ui->shown[0].text, "Change 2 jobs? (2 rows)");  // every "/1" is the count
  EXPECT_EQ(ui->shown[0].title, "Replace?");
  EXPECT_EQ(ui->shown[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(ui->shown[0].icon, MsgIcon::Question);
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=X1", "B=X1", "C=AL99", "D=<Null>", "E="}));
  EXPECT_TRUE(dialog.RetVal());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(FrmReplaceTest, NoChangesNothingButConfirms) {
  UseGrid(0, "Material");
  frmReplace dialog;
  ui->nextAnswers = {MsgAnswer::No};
  Confirm(dialog, "ST52", "X1");
  EXPECT_EQ(ui->shown.size(), 1u);
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=ST52", "B=ST37", "C=AL99", "D=<Null>", "E="}));
  EXPECT_TRUE(dialog.RetVal());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(FrmReplaceTest, NoMatchAsksNothingAndConfirms) {
  UseGrid(0, "Material");
  frmReplace dialog;
  Confirm(dialog, "XX*", "X1");
  EXPECT_TRUE(ui->shown.empty());
  EXPECT_TRUE(dialog.RetVal());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(FrmReplaceTest, EmptyPatternTakesEmptyAndNullAndEmptyValueClears) {
  UseGrid(0, "Material");
  frmReplace dialog;
  Confirm(dialog, "   ", "filled");
  ASSERT_EQ(ui->shown.size(), 1u);
  EXPECT_EQ(ui->shown[0].text, "Change 2 jobs? (2 rows)");
  EXPECT_EQ(Materials(), (std::vector<std::string>{"A=ST52", "B=ST37", "C=AL99", "D=filled", "E=filled"}));

  frmReplace again;
  Confirm(again, "ST*", "  ");
  EXPECT_EQ(Materials(),
            (std::vector<std::string>{"A=<Null>", "B=<Null>", "C=AL99", "D=filled", "E=filled"}));
}

TEST_F(FrmReplaceTest, QuotesAndWildcardsAreStoredAndMatchedAsTyped) {
  AddMaterial("F", "12\" pipe");
  UseGrid(0, "Material");
  frmReplace dialog;
  Confirm(dialog, "12\"*", "3/4\" \"hose\" *?");
  ASSERT_EQ(ui->shown.size(), 1u);
  EXPECT_EQ(ui->shown[0].text, "Change 1 jobs? (1 rows)");
  EXPECT_EQ(Materials().back(), "F=3/4\" \"hose\" *?");

  // A pattern that would end its literal early widens nothing.
  frmReplace again;
  Confirm(again, "x\" or \"\"=\"", "gone");
  EXPECT_EQ(ui->shown.size(), 1u);  // no match, no question
  EXPECT_EQ(Materials().front(), "A=ST52");
}

TEST_F(FrmReplaceTest, AColumnThatIsNoRowOfTheListDoesNothing) {
  UseGrid(0, "Material");
  frmReplace dialog;
  std::filesystem::remove(path_);  // would be reported if the database were touched
  ColumnList(dialog).SetValue("Filename");
  dialog.OKButton_Click();
  ColumnList(dialog).SetValue("");
  dialog.OKButton_Click();
  EXPECT_TRUE(ui->shown.empty());
  EXPECT_FALSE(dialog.RetVal());
}

TEST_F(FrmReplaceTest, ErrorOnOkIsReportedOnceAndTheDialogStaysOpen) {
  UseGrid(0, "Material");
  frmReplace dialog;
  dialog.show();
  std::filesystem::remove(path_);
  Confirm(dialog, "ST*", "X1");
  ASSERT_EQ(ui->shown.size(), 1u);
  EXPECT_EQ(ui->shown[0].icon, MsgIcon::Critical);
  EXPECT_EQ(ui->shown[0].buttons, MsgButtons::OK);
  EXPECT_TRUE(ui->shown[0].title.starts_with("Kestrafix / ")) << ui->shown[0].title;
  EXPECT_TRUE(ui->shown[0].title.ends_with(" / OKButton_Click")) << ui->shown[0].title;
  EXPECT_TRUE(ui->shown[0].text.starts_with(std::to_string(dberr::FileNotFound) + "\r\n"))
      << ui->shown[0].text;
  EXPECT_FALSE(dialog.RetVal());
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(FrmReplaceTest, ErrorOnLoadIsReportedOnce) {
  Shared().goSSDBGrid.reset();  // a host that handed over no grid
  frmReplace dialog;
  ASSERT_EQ(ui->shown.size(), 1u);
  EXPECT_TRUE(ui->shown[0].title.ends_with(" / Form_Load")) << ui->shown[0].title;
  EXPECT_EQ(dialog.windowTitle(), "Replace values");  // what came before the error stays
  dialog.OKButton_Click();                            // nothing to choose: nothing happens
  EXPECT_EQ(ui->shown.size(), 1u);
}

TEST_F(FrmReplaceTest, CancelClosesUnconfirmedAndUnloadSavesPlacement) {
  UseGrid(0, "Material");
  auto grid = Shared().goSSDBGrid;
  {
    frmReplace dialog;
    EXPECT_EQ(grid.use_count(), 3);  // shared state, this test, the dialog
    dialog.CancelButton_Click();
    EXPECT_FALSE(dialog.RetVal());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(grid.use_count(), 2);  // the dialog dropped its reference on unload
  }
  const std::string ini = test::ReadAll(AddInIni());
  for (const char* key : {"WindowState=0", "Top=", "Left=", "Height=", "Width="}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key << " in " << ini;
  }
  EXPECT_TRUE(ui->shown.empty());
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

}  // namespace
}  // namespace kx
