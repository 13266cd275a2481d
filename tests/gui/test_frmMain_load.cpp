// The new-job dialog opening: settings, lists, proposals from the selected job, captions,
// placement, focus, the error report of loading, and what closing leaves behind.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QStatusBar>

#include "config/mdlIniFile.h"
#include "dialog_fixture.h"
#include "gui/frmMain.h"
#include "gui/qt_placement_window.h"
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

  EXPECT_EQ(d.Caption("Command1(0)"), "Cap ProgramNumber");
  EXPECT_EQ(d.Caption("Command1(1)"), "Cap Filename");
  EXPECT_EQ(d.Caption("Label1(2)"), "Cap DataType");
  EXPECT_EQ(d.Caption("Label1(3)"), "Cap Machine");
  EXPECT_EQ(d.Caption("Label2(1)"), "Cap Adresstext");
  EXPECT_EQ(d.Caption("Label2(2)"), "Cap OrderNumber");
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
  EXPECT_EQ(p.Left(), 1500.0f);
  EXPECT_EQ(p.Top(), 1200.0f);
  EXPECT_EQ(p.Width(), 9000.0f);
  EXPECT_EQ(p.Height(), 6000.0f);

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
  EXPECT_EQ(ReadIniValue(ini, "frmMain", "Text2(0).Text"), "$(AppPath)\\Jobs");  // not expanded
  EXPECT_EQ(ReadIniValue(ini, "frmMain", "Left"), "1950");
  EXPECT_EQ(ReadIniValue(ini, "frmMain", "WindowState"), "0");
  EXPECT_EQ(ReadIniValue(ini, "frmMain", "Top"), "1200");
  EXPECT_EQ(ReadIniValue(ini, "frmMain", "Width"), "9000");  // the same outer size, not grown by the frame
  EXPECT_EQ(ReadIniValue(ini, "frmMain", "Height"), "6000");
}

}  // namespace
}  // namespace kx::test
