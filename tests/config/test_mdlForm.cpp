// Window placement kept in the add-in INI.
#include <gtest/gtest.h>

#include <sstream>

#include "config/mdlForm.h"
#include "config/mdlIniFile.h"
#include "config/shared_state.h"
#include "test_environment.h"

namespace kx {
namespace {

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

  // "state top left height width".
  std::string Bounds() const {
    std::ostringstream out;
    out << state << " " << top << " " << left << " " << height << " " << width;
    return out.str();
  }

  int state = 0;
  float top = 1000, left = 2000, height = 5000, width = 7000;  // design placement

 private:
  std::string name_;
};

class Placement : public test::EnvTest {
 protected:
  // The placement a new window of that name gets.
  static std::string Loaded(const std::string& name, int state = 0) {
    FakeWindow w(name);
    w.state = state;
    LoadFormPlacement(w);
    return w.Bounds();
  }
  // The five keys of the section as written.
  static std::string Stored(std::string_view section) {
    std::string out;
    for (const char* key : {"WindowState", "Top", "Left", "Height", "Width"})
      out += (out.empty() ? "" : " ") + ReadIniValue(GetAddInIniFile(), section, key);
    return out;
  }
};

TEST_F(Placement, FirstRunKeepsDesignAndClosingWritesAllFiveKeysExactly) {
  EXPECT_EQ(Loaded("frmMain"), "0 1000 2000 5000 7000");
  EXPECT_FALSE(std::filesystem::exists(env.AddInIni()));
  FakeWindow w("frmMain");
  w.top = 1200;
  w.left = 345.5f;
  w.height = 6000;
  w.width = 8000;
  SaveFormPlacement(w);
  EXPECT_EQ(Stored("frmMain"), "0 1200 345.5 6000 8000");
  EXPECT_EQ(Loaded("frmMain"), w.Bounds());
  // Odd coordinates read back exactly.
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
    w.state = state;
    w.top = 0;  // a maximised window's own bounds: not to be stored
    w.width = 99999;
    SaveFormPlacement(w);
    EXPECT_EQ(Stored("frmMain"), std::to_string(state) + " 1500 2000 5000 7000");
    // The restore touches no bound in this state.
    EXPECT_EQ(Loaded("frmMain"), std::to_string(state) + " 1000 2000 5000 7000");
  }
}

TEST_F(Placement, NonPositiveMissingOrBadValuesKeepTheDesignAndSectionsAreSeparate) {
  env.WriteAddInIni(
      "[frmMain]\r\nWindowState=0\r\nTop=0\r\nLeft=-300\r\nHeight=abc\r\n[frmReplace]\r\nWindowState=7\r\n"
      "Top=50\r\nWidth= 4200twips\r\n");
  EXPECT_EQ(Loaded("frmMain"), "0 1000 2000 5000 7000");
  EXPECT_EQ(Loaded("frmReplace"), "0 50 2000 5000 4200");  // 7 is no window state
  FakeWindow replace("frmReplace");
  replace.top = 222;
  replace.state = 2;
  SaveFormPlacement(replace);
  EXPECT_EQ(Loaded("frmMain"), "0 1000 2000 5000 7000");
  EXPECT_EQ(Loaded("frmReplace"), "2 1000 2000 5000 7000");
}

TEST_F(Placement, HostConfigurationIsNeverWritten) {
  env.WriteAddInIni("[frmMain]\r\nTop=10\r\n");
  Shared().gsIniFile = "C:\\documents\\host\\AddIns\\Kestrafix\\Kestrafix.ini";
  FakeWindow w("frmMain");
  w.top = 999;
  SaveFormPlacement(w);
  EXPECT_EQ(test::ReadAll(env.AddInIni()), "[frmMain]\r\nTop=10\r\n");
}

}  // namespace
}  // namespace kx
