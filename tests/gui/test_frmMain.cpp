// The new-job dialog: opening (settings, lists, captions, placement, focus, the error report of
// loading, what closing leaves behind) and at work (proposal buttons, mirroring while typing,
// the folder picker, address and order lists, OK and cancel, the layout on resize).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include "config/mdlIniFile.h"
#include "dialog_fixture.h"
#include "gui/frmMain.h"
#include "gui/qt_placement_window.h"
#include "gui/status_panel.h"
#include "jobfiles/import_progress.h"
#include "messages/clsResStrs.h"

namespace kx::test {
namespace {

class FrmMainLoad : public FrmMainTest {};

TEST_F(FrmMainLoad, EmptyGridOpensBlankWithFocusInProgramNumber) {
  WriteHostConfig("Country=49\r\nSubFolderCount=3\r\n");
  env.InstallMessages("049");
  UseGrid(-1);
  frmMain d;
  ASSERT_TRUE(env.Ui().shown.empty()) << env.Ui().shown.front().text;
  EXPECT_EQ(d.objectName(), "frmMain");
  EXPECT_EQ(TextOf(d, "Text1(0)"), "");
  EXPECT_EQ(TextOf(d, "Text1(1)"), "");

  DbCombo& type = ListOf(d, "SSDBCombo1(2)");
  EXPECT_EQ(type.Value(), "0");
  EXPECT_EQ(type.Text(), "Teileprogramm");
  EXPECT_EQ(RowsOf(type, 0), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
  EXPECT_EQ(RowsOf(type, 1)[3], "Makro");
  EXPECT_FALSE(type.ColumnVisible(0));
  EXPECT_TRUE(type.ListSetting(DbCombo::Setting::B));
  EXPECT_FALSE(type.ListSetting(DbCombo::Setting::A));

  DbCombo& machine = ListOf(d, "SSDBCombo1(3)");
  EXPECT_EQ(RowsOf(machine), (std::vector<std::string>{"M1", "M2"}));
  EXPECT_EQ(machine.Value(), "");
  EXPECT_EQ(ListOf(d, "SSDBCombo1(4)").Value(), "");
  EXPECT_TRUE(ListOf(d, "SSDBCombo1(4)").ListSetting(DbCombo::Setting::A));
  EXPECT_TRUE(ListOf(d, "SSDBCombo1(4)").isHidden());
  EXPECT_TRUE(Find<QLabel>(d, "Label1(4)").isHidden());
  EXPECT_TRUE(Find<QCheckBox>(d, "Check2(3)").isHidden());
  EXPECT_FALSE(Find<QLineEdit>(d, "Text2(0)").isEnabled());
  EXPECT_EQ(ListOf(d, "SSDBCombo2(1)").DisplayField(), ListOf(d, "SSDBCombo2(1)").ColumnName(0));

  for (const auto& [control, column] : {std::pair{"Command1(0)", "ProgramNumber"},
                                        {"Command1(1)", "Filename"},
                                        {"Label1(2)", "DataType"},
                                        {"Label1(3)", "Machine"},
                                        {"Label2(1)", "Adresstext"},
                                        {"Label2(2)", "OrderNumber"}})
    EXPECT_EQ(d.Caption(control), std::string("Cap ") + column);
  EXPECT_EQ(Shared().gsCountry, "049");
  EXPECT_EQ(Shared().glSubFolderCount, 3);

  ASSERT_TRUE(ShowActive(d));
  EXPECT_EQ(d.focusWidget(), &Find<QLineEdit>(d, "Text1(0)"));
  d.close();
}

TEST_F(FrmMainLoad, SelectedJobGivesTypeMachineAndFocusOnMachine) {
  db.AddJob({{"Filename", "F7"},
             {"ProgramNumber", "7"},
             {"DataType", "5"},
             {"Machine", "M2"},
             {"Machineset", "S1"}});
  db.AddJob({{"Filename", "F8"}, {"ProgramNumber", "8"}, {"Machineset", "s1"}});
  db.AddJob({{"Filename", "F9"}, {"ProgramNumber", "9"}});
  env.InstallMessages("049");
  for (const bool electrode : {false, true}) {
    SCOPED_TRACE(electrode);
    WriteHostConfig(std::string("Country=49\r\nShowElectrode=") + (electrode ? "1" : "0") + "\r\n");
    UseGrid(0);
    frmMain d;
    EXPECT_TRUE(env.Ui().shown.empty());
    DbCombo& type = ListOf(d, "SSDBCombo1(2)");
    // Type 5 is offered only with ShowElectrode; otherwise the type falls back to 0.
    EXPECT_EQ(type.RowCount(), electrode ? 6 : 5);
    EXPECT_EQ(type.Value(), electrode ? "5" : "0");
    EXPECT_EQ(type.Text(), electrode ? "Referenzelektrode" : "Teileprogramm");
    EXPECT_EQ(ListOf(d, "SSDBCombo1(3)").Value(), "M2");
    EXPECT_EQ(ListOf(d, "SSDBCombo1(4)").Value(), "S1");
    EXPECT_EQ(RowsOf(ListOf(d, "SSDBCombo1(4)")).size(), 2u);  // no set, and S1 in any case once
    EXPECT_FALSE(Find<QCheckBox>(d, "Check2(3)").isHidden());
    ASSERT_TRUE(ShowActive(d));
    EXPECT_EQ(d.focusWidget(), &ListOf(d, "SSDBCombo1(3)"));
    d.close();
  }
}

TEST_F(FrmMainLoad, CaptionsAndBaseFolderFromTheAddInIni) {
  WriteHostConfig();
  UseGrid(-1);
  {
    frmMain d;  // no add-in INI at all
    EXPECT_EQ(d.windowTitle(), "");
    EXPECT_EQ(d.Caption("Command2(0)"), "");
    EXPECT_EQ(d.Caption("Check2(3)"), "");
    EXPECT_EQ(TextOf(d, "Text2(0)"), "");
  }
  env.WriteAddInIni(
      "[frmMain]\r\nCaption=Neuer Auftrag\r\nLabel2(0).Caption=Ordner\r\nCheck2(3).Caption=Dateien "
      "kopieren\r\n");
  frmMain d;
  EXPECT_EQ(d.windowTitle(), "Neuer Auftrag");
  EXPECT_EQ(d.Caption("Command2(0)"), "Ordner");
  EXPECT_EQ(d.Caption("Check2(3)"), "Dateien kopieren");
  EXPECT_TRUE(env.Ui().shown.empty());
}

TEST_F(FrmMainLoad, FirstLoadErrorIsReportedOnceAndTheDialogStillOpens) {
  WriteHostConfig("Country=49\r\n");
  env.InstallMessages("049");
  // No host grid: loading fails when it first asks the grid (the proposals).
  frmMain d;
  EXPECT_EQ(env.Shown(), std::vector<std::string>{"Kestrafix / Kestrafix / Form_Load: 91 [critical]"});
  // Loaded before the error: lists; skipped after it: captions, hiding, base folder.
  EXPECT_EQ(ListOf(d, "SSDBCombo1(2)").RowCount(), 5);
  EXPECT_EQ(ListOf(d, "SSDBCombo1(3)").RowCount(), 2);
  EXPECT_EQ(d.Caption("Command1(0)"), "*ProgramNumber");
  EXPECT_FALSE(ListOf(d, "SSDBCombo1(4)").isHidden());
  d.show();
  EXPECT_TRUE(d.isVisible());
  d.close();
}

TEST_F(FrmMainLoad, MissingDatabaseIsReportedOnce) {
  env.WriteHostConfig("DbName=C:\\none.db\r\n");
  UseGrid(-1);
  frmMain d;
  EXPECT_EQ(env.Shown(), std::vector<std::string>{"Kestrafix / DAO.DBEngine / Form_Load: 3024 [critical]"});
  EXPECT_EQ(ListOf(d, "SSDBCombo1(2)").RowCount(), 5);
  EXPECT_EQ(ListOf(d, "SSDBCombo1(3)").RowCount(), 0);
}

TEST_F(FrmMainLoad, PlacementRestoredAndSavedWithTheBaseFolderOnClose) {
  WriteHostConfig();
  UseGrid(-1);
  env.MakeDir("host/Jobs");
  env.WriteAddInIni(
      "[frmMain]\r\nText2(0).Text=$(AppPath)\\Jobs\r\nWindowState=0\r\nTop=1200\r\nLeft=1500\r\n"
      "Width=9000\r\nHeight=6000\r\n");
  frmMain d;
  QtPlacementWindow p(d);
  EXPECT_EQ((std::vector<float>{p.Left(), p.Top(), p.Width(), p.Height()}),
            (std::vector<float>{1500, 1200, 9000, 6000}));

  const std::weak_ptr<IHostGrid> grid = Shared().goSSDBGrid;
  EXPECT_EQ(grid.use_count(), 2);  // the host's and the form's
  ASSERT_TRUE(Shared().goResStrs);
  d.show();
  d.move(d.pos() + QPoint(30, 0));
  d.close();
  EXPECT_FALSE(d.RetVal());
  EXPECT_EQ(grid.use_count(), 1);
  EXPECT_FALSE(Shared().goResStrs);
  const std::string ini = GetAddInIniFile().str();
  // The base folder not expanded; the same outer size, not grown by the frame.
  for (const auto& [key, value] : {std::pair{"Text2(0).Text", "$(AppPath)\\Jobs"},
                                   {"Left", "1950"},
                                   {"WindowState", "0"},
                                   {"Top", "1200"},
                                   {"Width", "9000"},
                                   {"Height", "6000"}})
    EXPECT_EQ(ReadIniValue(ini, "frmMain", key), value) << key;
}

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
    // A copy shows its progress under a wait cursor.
    IImportProgress* copy = view.CopyProgress();
    copy->ImportStarted(2, 10);
    copy->FileHandled("D:\\a.job", "D:\\b.job", 5, ImportOutcome::Copied);
    EXPECT_EQ(StatusText(Find<QStatusBar>(d, "StatusBar1")), "1 / 2");
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
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
  QTest::keyClick(&Find<QLineEdit>(d, "Text1(1)"), Qt::Key_Return);  // Enter confirms
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(d.isVisible());
  EXPECT_FALSE(d.RetVal());
  EXPECT_EQ(StatusText(Find<QStatusBar>(d, "StatusBar1")), "checked");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(env.AddInIniText(), "");  // not unloaded

  QTest::keyClick(ListOf(d, "SSDBCombo1(3)").lineEdit(), Qt::Key_Return);  // also in a list; the hook raises
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(env.Shown(), std::vector<std::string>{"Kestrafix / DAO / Command3_Click: 3022 [critical]"});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
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
  QTest::keyClick(ListOf(d, "SSDBCombo1(3)").lineEdit(), Qt::Key_Escape);  // Escape cancels
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

// In German and English every caption fits its control. With KX_SCREENSHOT_DIR set, the
// rendered dialog is written there as frmMain-<language>.png.
struct Language {
  const char* code;     // file name part
  const char* country;  // message file extension
  const char* ini;      // add-in INI [frmMain]
};

const Language kLanguages[] = {
    {"de", "049",
     "[frmMain]\r\nCaption=Neuer Auftrag\r\nLabel2(0).Caption=Verzeichnis...\r\n"
     "Check2(3).Caption=Auftragsdateien kopieren\r\nText2(0).Text=D:\\Auftraege\r\n"},
    {"en", "044",
     "[frmMain]\r\nCaption=New job\r\nLabel2(0).Caption=Folder...\r\n"
     "Check2(3).Caption=Copy job files\r\nText2(0).Text=D:\\Auftraege\r\n"},
};

class FrmMainLook : public FrmMainTest, public ::testing::WithParamInterface<Language> {};

TEST_P(FrmMainLook, CaptionsFitTheirControls) {
  const Language& lang = GetParam();
  WriteHostConfig(std::string("Country=") + lang.country + "\r\nShowElectrode=1\r\n");
  env.InstallMessages(lang.country);
  env.WriteAddInIni(lang.ini);
  env.MakeDir("data/Auftraege/Kunde A/4711");
  env.MakeDir("data/Auftraege/Kunde B");
  db.AddJob({{"Filename", "W1000"}, {"ProgramNumber", "1000"}, {"DataType", "1"}, {"Machine", "M1"}});
  // The host titles its columns with the message table, as the shipped host does.
  clsResStrs captions;
  captions.Load((env / "host/ResStr" / (std::string("torvel.") + lang.country)).string());
  UseGrid(0, "", [&](std::string_view column) {
    return captions.Msg("NcData." + std::string(column) + ".Caption");
  });

  frmMain d;
  ASSERT_TRUE(env.Ui().shown.empty()) << env.Ui().shown.front().text;
  ListOf(d, "SSDBCombo2(1)").SetValue("Kunde A");
  Find<QCheckBox>(d, "Check2(3)").setChecked(true);
  ASSERT_TRUE(ShowActive(d));
  d.ShowStatus(lang.code == std::string("de") ? "Bereit" : "Ready");
  ExpectCaptionsFit(d, QString("frmMain-") + lang.code);
  d.close();
}

INSTANTIATE_TEST_SUITE_P(Languages, FrmMainLook, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& p) {
                           return std::string(p.param.code);
                         });

}  // namespace
}  // namespace kx::test
