// The new-job dialog at work: proposal buttons, mirroring while typing, the folder picker,
// address and order lists, OK and cancel, and the layout on resize.
#include <QCheckBox>
#include <QFrame>
#include <QStatusBar>

#include "config/mdlIniFile.h"
#include "dialog_fixture.h"
#include "gui/frmMain.h"
#include "gui/status_panel.h"

namespace kx::test {
namespace {

class FrmMainInteraction : public FrmMainTest {
 protected:
  FrmMainInteraction() {
    db.AddJob({{"Filename", "F7"}, {"ProgramNumber", "7"}});
    WriteHostConfig();
    UseGrid(0);
  }
  // A base folder D:\Jobs with addresses a (orders 1 and 2) and b (none).
  void MakeFolderTree() const {
    env.MakeDir("data/Jobs/a/1");
    env.MakeDir("data/Jobs/a/2");
    env.MakeDir("data/Jobs/b");
    env.WriteAddInIni("[frmMain]\r\nLabel2(0).Caption=Folder\r\nText2(0).Text=D:\\Jobs\r\n");
  }
};

// From the selected job F7: with Synchron one pool of both keys, started from the file name;
// without, each box its own column. Typing mirrors only with Synchron and only while one of
// the boxes has the focus.
TEST_F(FrmMainInteraction, ProposalsAndMirroringFollowSynchron) {
  const struct {
    bool synchron;
    const char* proposed[2];
    const char* afterButtons[2];
  } cases[] = {{true, {"F8", "F8"}, {"F10", "F10"}}, {false, {"8", "F8"}, {"9", "F9"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.synchron);
    WriteHostConfig(c.synchron ? "Synchron=1\r\n" : "Synchron=0\r\n");
    frmMain d;
    EXPECT_EQ(d.Synchron(), c.synchron);
    EXPECT_EQ(TextOf(d, "Text1(0)"), c.proposed[0]);
    EXPECT_EQ(TextOf(d, "Text1(1)"), c.proposed[1]);
    d.Command1_Click(0);
    d.Command1_Click(1);
    EXPECT_EQ(TextOf(d, "Text1(0)"), c.afterButtons[0]);
    EXPECT_EQ(TextOf(d, "Text1(1)"), c.afterButtons[1]);

    ASSERT_TRUE(ShowActive(d));
    auto& program = Find<QLineEdit>(d, "Text1(0)");
    auto& file = Find<QLineEdit>(d, "Text1(1)");
    program.setFocus();
    program.selectAll();
    TypeInto(program, "X1");
    EXPECT_EQ(file.text(), c.synchron ? "X1" : c.afterButtons[1]);
    file.setFocus();
    file.end(false);
    TypeInto(file, "2");
    EXPECT_EQ(program.text(), c.synchron ? "X12" : "X1");
    Find<QPushButton>(d, "Command2(0)").setFocus();
    file.setText("Y");
    EXPECT_EQ(program.text(), c.synchron ? "X12" : "X1");
    d.close();
  }
}

TEST_F(FrmMainInteraction, FailingProposalIsReportedAndTheBoxKept) {
  frmMain d;
  ASSERT_TRUE(env.Ui().shown.empty());
  std::filesystem::remove(env.Data("jobs.db"));
  d.Command1_Click(0);
  EXPECT_EQ(env.Shown(),
            std::vector<std::string>{"Kestrafix / DAO.DBEngine / Command1_Click: 3024 [critical]"});
  EXPECT_EQ(TextOf(d, "Text1(0)"), "8");
}

TEST_F(FrmMainInteraction, AddressAndOrderListsFollowTheFolders) {
  MakeFolderTree();
  frmMain d;
  DbCombo& address = ListOf(d, "SSDBCombo2(1)");
  DbCombo& order = ListOf(d, "SSDBCombo2(2)");
  EXPECT_EQ(RowsOf(address), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(order.RowCount(), 0);
  EXPECT_EQ(address.Text(), "");

  address.SetValue("a");
  EXPECT_EQ(RowsOf(order), (std::vector<std::string>{"1", "2"}));
  // Choosing a again changes nothing: the list is not refilled.
  order.AddItem("extra");
  d.FillOrderList();
  EXPECT_EQ(order.RowCount(), 3);

  address.SetValue("b");
  EXPECT_EQ(order.RowCount(), 0);
  address.SetValue("a");
  EXPECT_EQ(order.RowCount(), 2);

  // A typed name that is no row leaves the order list empty, even when its folder exists.
  env.MakeDir("data/Jobs/c/9");
  ASSERT_TRUE(ShowActive(d));
  address.setFocus();
  address.lineEdit()->clear();
  TypeInto(*address.lineEdit(), "c");
  EXPECT_EQ(address.Value(), "c");
  EXPECT_EQ(order.RowCount(), 0);
  EXPECT_EQ(order.Text(), "");
  d.close();
}

// The base folder in Windows form, native, with a placeholder (shown unexpanded), or missing.
TEST_F(FrmMainInteraction, BaseFolderInEveryFormFillsTheAddressList) {
  MakeFolderTree();
  env.MakeDir("host/Jobs/x");
  const struct {
    std::string base;
    std::vector<std::string> addresses;
  } cases[] = {{"D:\\Jobs", {"a", "b"}},
               {env.Data("Jobs").string(), {"a", "b"}},
               {"$(AppPath)\\Jobs", {"x"}},
               {"D:\\Missing", {}}};
  for (const auto& c : cases) {
    env.WriteAddInIni("[frmMain]\r\nText2(0).Text=" + c.base + "\r\n");
    frmMain d;
    EXPECT_EQ(TextOf(d, "Text2(0)"), c.base);
    EXPECT_EQ(RowsOf(ListOf(d, "SSDBCombo2(1)")), c.addresses) << c.base;
  }
  EXPECT_TRUE(env.Ui().shown.empty());
}

TEST_F(FrmMainInteraction, FolderPickerCancelledKeepsTextPickedRefills) {
  env.MakeDir("host/Jobs/x");
  MakeFolderTree();
  env.WriteAddInIni("[frmMain]\r\nLabel2(0).Caption=Folder\r\nText2(0).Text=$(AppPath)\\Jobs\r\n");
  UseGrid(0);
  frmMain d;
  DbCombo& address = ListOf(d, "SSDBCombo2(1)");
  address.AddItem("kept");
  d.Command2_Click(0);
  ASSERT_EQ(env.Ui().pickerCalls.size(), 1u);
  EXPECT_EQ(env.Ui().pickerCalls[0].first, "Folder");
  EXPECT_EQ(env.Ui().pickerCalls[0].second, "C:\\host\\Jobs");
  EXPECT_EQ(TextOf(d, "Text2(0)"), "$(AppPath)\\Jobs");
  EXPECT_EQ(RowsOf(address), (std::vector<std::string>{"x", "kept"}));

  env.Ui().nextFolders.push_back("D:\\Jobs");
  d.Command2_Click(0);
  EXPECT_EQ(TextOf(d, "Text2(0)"), "D:\\Jobs");
  EXPECT_EQ(RowsOf(address), (std::vector<std::string>{"a", "b"}));
}

TEST_F(FrmMainInteraction, OkRunsTheRecordCreationAndClosesOnlyOnSuccess) {
  WriteHostConfig("UserId=ann\r\nOpenRecordsetOptions=64\r\n");
  frmMain d;
  int calls = 0;
  bool answer = false;
  d.SetRecordHook([&](INewJobView& view, IHostGrid* grid, Database& conn, const NewJobSettings& s) {
    ++calls;
    EXPECT_EQ(view.Text("Text1(1)"), "F8");
    EXPECT_EQ(view.ListValue("SSDBCombo1(2)").ToText(), "0");
    EXPECT_EQ(grid, Shared().goSSDBGrid.get());
    EXPECT_EQ(s.UserId, "ann");
    EXPECT_EQ(s.OpenRecordsetOptions, 64);
    auto rs = conn.OpenRecordset("select Count(*) from Data");
    EXPECT_EQ(rs->Fields(0).Value().ToNumber(), 1.0);
    view.ShowStatus("checked");
    if (calls == 2) throw KxError(3022, "DAO", "duplicate");
    return answer;
  });
  d.show();
  Find<QPushButton>(d, "Command3(0)").click();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(d.isVisible());
  EXPECT_FALSE(d.RetVal());
  EXPECT_EQ(StatusText(Find<QStatusBar>(d, "StatusBar1")), "checked");
  EXPECT_EQ(env.AddInIniText(), "");  // not unloaded

  d.Command3_Click(0);  // the hook raises
  EXPECT_EQ(env.Shown(), std::vector<std::string>{"Kestrafix / DAO / Command3_Click: 3022 [critical]"});
  EXPECT_TRUE(d.isVisible());

  answer = true;
  d.Command3_Click(0);
  EXPECT_TRUE(d.RetVal());
  EXPECT_FALSE(d.isVisible());
  EXPECT_NE(env.AddInIniText().find("WindowState"), std::string::npos);
}

TEST_F(FrmMainInteraction, CancelUnloadsWithoutRetVal) {
  frmMain d;
  d.SetRecordHook([](INewJobView&, IHostGrid*, Database&, const NewJobSettings&) { return true; });
  d.show();
  Find<QPushButton>(d, "Command3(1)").click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_FALSE(d.RetVal());
  EXPECT_FALSE(Shared().goResStrs);
  EXPECT_NE(env.AddInIniText().find("Text2(0).Text"), std::string::npos);
}

TEST_F(FrmMainInteraction, ResizeKeepsWidthsBelowDesignWidthAndStacksTheBlocks) {
  frmMain d;
  d.show();
  QApplication::processEvents();
  auto& text = Find<QLineEdit>(d, "Text1(0)");
  DbCombo& order = ListOf(d, "SSDBCombo2(2)");
  const int designWidth = text.width();
  const int x = text.x();
  const int m = Find<QPushButton>(d, "Command1(0)").x();
  ASSERT_GT(x, 0);

  d.resize(x + m - 2, d.height());
  QApplication::processEvents();
  ASSERT_EQ(d.width(), x + m - 2);
  EXPECT_EQ(text.width(), designWidth);
  EXPECT_EQ(text.x(), x);
  EXPECT_EQ(order.width(), designWidth);

  d.resize(800, 600);
  QApplication::processEvents();
  ASSERT_EQ(d.size(), QSize(800, 600));
  EXPECT_EQ(text.width(), 800 - (m + x));
  EXPECT_EQ(order.width(), 800 - (m + x));
  EXPECT_EQ(order.ColumnWidth(0), 800 - (m + x));
  auto& f1 = Find<QFrame>(d, "Frame1(1)");
  auto& f2 = Find<QFrame>(d, "Frame1(2)");
  auto& f3 = Find<QFrame>(d, "Frame1(3)");
  auto& bar = Find<QStatusBar>(d, "StatusBar1");
  EXPECT_EQ(f1.geometry(), QRect(0, 0, 800, f1.height()));
  EXPECT_EQ(f2.y(), f1.height());
  EXPECT_EQ(bar.geometry().bottom(), 599);
  EXPECT_EQ(f3.geometry().bottom() + 1, bar.y());
  EXPECT_EQ(f2.geometry().bottom() + 1, f3.y());
  EXPECT_EQ(f3.width(), 800);

  // Never lower than the upper and lower blocks with the status bar.
  d.resize(800, 10);
  QApplication::processEvents();
  EXPECT_EQ(d.height(), f1.height() + f3.height() + bar.height());
  EXPECT_EQ(f3.y(), f1.height());
  d.close();
}

TEST_F(FrmMainInteraction, ViewByControlName) {
  frmMain d;
  d.SetText("Text1(0)", "P1");
  EXPECT_EQ(d.Text("Text1(0)"), "P1");
  d.Select("Text1(0)", 0, 1);
  EXPECT_EQ(Find<QLineEdit>(d, "Text1(0)").selectedText(), "P");
  EXPECT_EQ(d.ListText("SSDBCombo1(3)"), "");
  EXPECT_FALSE(d.ListIsItemInList("SSDBCombo1(3)"));
  ListOf(d, "SSDBCombo1(3)").SetValue("m1");
  EXPECT_EQ(d.ListValue("SSDBCombo1(3)").ToText(), "M1");
  EXPECT_TRUE(d.ListIsItemInList("SSDBCombo1(3)"));
  EXPECT_FALSE(d.Checked("Check2(3)"));
  Find<QCheckBox>(d, "Check2(3)").setChecked(true);
  EXPECT_TRUE(d.Checked("Check2(3)"));
  d.ShowStatus("busy");
  EXPECT_EQ(StatusText(Find<QStatusBar>(d, "StatusBar1")), "busy");
  EXPECT_THROW(d.Text("Text1(9)"), KxError);
  EXPECT_THROW(d.ListValue("Text1(0)"), KxError);
  EXPECT_THROW(d.Checked("Command3(0)"), KxError);
}

}  // namespace
}  // namespace kx::test
