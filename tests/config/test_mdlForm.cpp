// Window placement kept in the add-in INI.
#include <gtest/gtest.h>

#include "config/mdlForm.h"
#include "config/mdlIniFile.h"
#include "config/shared_state.h"
#include "test_environment.h"

namespace kx {
namespace {

using test::ReadAll;

class FakeWindow : public IPlacementWindow {
 public:
  explicit FakeWindow(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }
  int WindowState() const override { return state; }
  void WindowState(int s) override { state = s; }
  float Top() const override { return top; }
  void Top(float v) override { top = v; }
  float Left() const override { return left; }
  void Left(float v) override { left = v; }
  float Height() const override { return height; }
  void Height(float v) override { height = v; }
  float Width() const override { return width; }
  void Width(float v) override { width = v; }

  int state = 0;
  float top = 1000, left = 2000, height = 5000, width = 7000;  // design placement

 private:
  std::string name_;
};

class Placement : public test::EnvTest {
 protected:
  std::filesystem::path IniNative() const { return env.AddInIni(); }
  std::string Read(std::string_view section, std::string_view key) {
    return ReadIniValue(GetAddInIniFile(), section, key);
  }
};

TEST_F(Placement, FirstRunKeepsDesignAndClosingWritesAllFiveKeys) {
  FakeWindow w("frmMain");
  LoadFormPlacement(w);
  EXPECT_EQ(w.state, 0);
  EXPECT_EQ(w.top, 1000);
  EXPECT_EQ(w.width, 7000);
  EXPECT_FALSE(std::filesystem::exists(IniNative()));

  w.top = 1200;
  w.left = 345.5f;
  w.height = 6000;
  w.width = 8000;
  SaveFormPlacement(w);
  EXPECT_EQ(Read("frmMain", "WindowState"), "0");
  EXPECT_EQ(Read("frmMain", "Top"), "1200");
  EXPECT_EQ(Read("frmMain", "Left"), "345.5");
  EXPECT_EQ(Read("frmMain", "Height"), "6000");
  EXPECT_EQ(Read("frmMain", "Width"), "8000");

  FakeWindow again("frmMain");
  LoadFormPlacement(again);
  EXPECT_EQ(again.top, 1200);
  EXPECT_EQ(again.left, 345.5f);
  EXPECT_EQ(again.height, 6000);
  EXPECT_EQ(again.width, 8000);
}

TEST_F(Placement, OddCoordinatesReadBackExactly) {
  FakeWindow w("frmMain");
  w.top = 0.1f;
  w.left = 123456.78f;
  w.height = 1e7f;
  SaveFormPlacement(w);
  FakeWindow again("frmMain");
  LoadFormPlacement(again);
  EXPECT_EQ(again.top, 0.1f);
  EXPECT_EQ(again.left, 123456.78f);
  EXPECT_EQ(again.height, 1e7f);
}

TEST_F(Placement, MaximisedOrMinimisedCloseWritesOnlyTheState) {
  FakeWindow w("frmMain");
  w.top = 1500;
  SaveFormPlacement(w);  // normal bounds saved once
  for (int state : {2, 1}) {
    SCOPED_TRACE(state);
    w.state = state;
    w.top = 0;  // a maximised window's own bounds: not to be stored
    w.width = 99999;
    SaveFormPlacement(w);
    EXPECT_EQ(Read("frmMain", "WindowState"), std::to_string(state));
    EXPECT_EQ(Read("frmMain", "Top"), "1500");
    EXPECT_EQ(Read("frmMain", "Width"), "7000");

    FakeWindow reopened("frmMain");
    reopened.top = 11;  // a design value the restore must not touch in this state
    LoadFormPlacement(reopened);
    EXPECT_EQ(reopened.state, state);
    EXPECT_EQ(reopened.top, 11);
    EXPECT_EQ(reopened.width, 7000);
  }
}

TEST_F(Placement, NonPositiveMissingOrBadValuesKeepTheDesign) {
  env.Write(
      "documents/host/AddIns/Kestrafix/Kestrafix.ini",
      "[frmMain]\r\nWindowState=0\r\nTop=0\r\nLeft=-300\r\nHeight=abc\r\n[frmReplace]\r\nWindowState=7\r\n"
      "Top=50\r\nWidth= 4200twips\r\n");
  FakeWindow w("frmMain");
  LoadFormPlacement(w);
  EXPECT_EQ(w.top, 1000);
  EXPECT_EQ(w.left, 2000);
  EXPECT_EQ(w.height, 5000);
  EXPECT_EQ(w.width, 7000);

  FakeWindow r("frmReplace");
  r.state = 0;
  LoadFormPlacement(r);
  EXPECT_EQ(r.state, 0);  // 7 is no window state
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.width, 4200);
  EXPECT_EQ(r.left, 2000);
}

TEST_F(Placement, TwoDialogsKeepSeparateSections) {
  FakeWindow main("frmMain");
  FakeWindow replace("frmReplace");
  main.top = 111;
  replace.top = 222;
  replace.state = 2;
  SaveFormPlacement(main);
  SaveFormPlacement(replace);
  FakeWindow m2("frmMain");
  FakeWindow r2("frmReplace");
  LoadFormPlacement(m2);
  LoadFormPlacement(r2);
  EXPECT_EQ(m2.top, 111);
  EXPECT_EQ(m2.state, 0);
  EXPECT_EQ(r2.state, 2);
  EXPECT_EQ(Read("frmReplace", "Top"), "");
}

TEST_F(Placement, HostConfigurationIsNeverWritten) {
  const auto ini = env.Write("documents/host/AddIns/Kestrafix/Kestrafix.ini", "[frmMain]\r\nTop=10\r\n");
  Shared().gsIniFile = "C:\\documents\\host\\AddIns\\Kestrafix\\Kestrafix.ini";
  FakeWindow w("frmMain");
  w.top = 999;
  SaveFormPlacement(w);
  EXPECT_EQ(ReadAll(ini), "[frmMain]\r\nTop=10\r\n");
}

}  // namespace
}  // namespace kx
