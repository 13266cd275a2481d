// Folder functions and the [FSO] start-up settings.
#include <gtest/gtest.h>

#include "config/mdlIniFile.h"
#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "fs/clsFso.h"
#include "fs/native_path.h"
#include "test_environment.h"

namespace kx {
namespace {

using test::EnvTest;
namespace fs = std::filesystem;

using Folders = test::EnvTest;

TEST_F(Folders, AddInBelowHostAddInsFolderMirrorsItUnderCommonDocuments) {
  EXPECT_EQ(GetAddInPath(), "C:\\host\\AddIns\\Kestrafix");
  EXPECT_EQ(GetAppPath(), "C:\\host");
  EXPECT_EQ(GetComDocsPath(), "C:\\documents");
  EXPECT_FALSE(fs::exists(env / "documents/host"));
  EXPECT_EQ(GetComDocsAddInPath(), "C:\\documents\\host\\AddIns\\Kestrafix");
  EXPECT_TRUE(fs::is_directory(env / "documents/host/AddIns/Kestrafix"));  // created with its parents
  EXPECT_EQ(GetComDocsAppPath(), "C:\\documents\\host");
  EXPECT_EQ(GetComDocsHostConfigFile(), "C:\\documents\\host\\torvel.cfg");
  EXPECT_EQ(GetAddInIniFile().str(), "C:\\documents\\host\\AddIns\\Kestrafix\\Kestrafix.ini");
  EXPECT_EQ(GetPfPath(), "C:\\programs");
  EXPECT_EQ(GetComAppDataPath(), "C:\\appdata");
}

TEST_F(Folders, TheLastAddInsFolderWithoutCaseMarksTheHost) {
  const struct {
    const char* addIn;
    const char* app;
    const char* mirror;
  } cases[] = {
      {"C:\\Programs\\Host\\addins\\Tools", "C:\\Programs\\Host", "C:\\documents\\Host\\addins\\Tools"},
      {"C:\\AddIns\\Outer\\AddIns\\Tools", "C:\\AddIns\\Outer", "C:\\documents\\Outer\\AddIns\\Tools"},
      {"C:\\Programs\\Tools", "C:\\Programs\\Tools", "C:\\documents\\Tools"},  // no AddIns: its own name
      {"C:\\Programs\\Host\\AddIns", "C:\\Programs\\Host\\AddIns", "C:\\documents\\AddIns"},  // no marker
  };
  for (const auto& c : cases) {
    SetAddInPathForTests(std::string(c.addIn));
    EXPECT_EQ(GetAppPath(), c.app) << c.addIn;
    EXPECT_EQ(GetComDocsAddInPath(), c.mirror) << c.addIn;
    EXPECT_TRUE(fs::is_directory(ToNative(c.mirror))) << c.addIn;
  }
  EXPECT_EQ(GetComDocsAppPath(), "C:\\documents\\AddIns");
}

TEST_F(Folders, NativeOverridesComeBackInWindowsForm) {
  SetAddInPathForTests((env / "Programs/Host/AddIns/Tools").string());
  EXPECT_EQ(GetAddInPath(), "C:\\Programs\\Host\\AddIns\\Tools");
  SetAddInPathForTests(std::nullopt);
  env.Set("KESTRAFIX_ADDIN_PATH", "C:\\Elsewhere\\AddIns\\X");
  EXPECT_EQ(GetAppPath(), "C:\\Elsewhere");
  env.Set("KESTRAFIX_ADDIN_PATH", "C:\\Elsewhere\\AddIns\\X\\");  // the same folder
  EXPECT_EQ(GetAddInPath(), "C:\\Elsewhere\\AddIns\\X");
  EXPECT_EQ(GetComDocsAddInPath(), "C:\\documents\\Elsewhere\\AddIns\\X");
}

TEST_F(Folders, WithoutOverrideTheLoadedObjectsFolderIsUsed) {
  env.Unset("KESTRAFIX_ADDIN_PATH");
  const std::string p = GetAddInPath();
  ASSERT_FALSE(p.empty());
  // Statically linked into this test program: the folder of the program itself.
  EXPECT_EQ(ToNative(p), fs::read_symlink("/proc/self/exe").parent_path());
}

TEST_F(Folders, UncreatableDocumentsFolderLeavesFsoDefaults) {
  // The documents folder cannot be created: a file stands where its parent should be.
  env.Write("Blocked", "x");
  env.Set("KESTRAFIX_COMMON_DOCUMENTS", (env / "Blocked/Docs").string());
  const std::string mirror = GetComDocsAddInPath();  // must not throw
  EXPECT_FALSE(fs::is_directory(ToNative(mirror)));
  clsFso fso;
  InitConfiguration(fso);
  EXPECT_TRUE(fso.FsoActive());
  EXPECT_TRUE(fso.FsoFoldersActive());
}

// [FSO] of the documents copy of the host configuration, then of the add-in INI, key by key.
TEST_F(Folders, FsoSettingsAddInIniWinsKeyByKey) {
  const struct {
    const char* docsCopy;
    const char* addInIni;
    bool active, foldersActive;
  } cases[] = {
      {nullptr, nullptr, true, true},
      {"[FSO]\r\nActive=False\r\n", "[frmMain]\r\nCaption=x\r\n", false, true},
      {"[FSO]\r\nActive=False\r\nFoldersActive=False\r\n", "[FSO]\r\nActive=True\r\n", true, false},
      {"[FSO]\r\nActive=maybe\r\n", "[FSO]\r\nFoldersActive=0\r\n", true, false},  // a bad copy stops nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.docsCopy ? c.docsCopy : "no files");
    if (c.docsCopy) env.Write("documents/host/torvel.cfg", c.docsCopy);
    if (c.addInIni) env.WriteAddInIni(c.addInIni);
    clsFso fso;
    InitConfiguration(fso);
    EXPECT_EQ(fso.FsoActive(), c.active);
    EXPECT_EQ(fso.FsoFoldersActive(), c.foldersActive);
  }
}

TEST(ValueHelpers, IfNullReplacesOnlyNull) {
  EXPECT_EQ(IfNull(Variant::Null(), Variant("d")), Variant("d"));
  EXPECT_EQ(IfNull(Variant(""), Variant("d")), Variant(""));
  EXPECT_EQ(IfNull(Variant(), Variant(5)), Variant());
  EXPECT_EQ(IfNull(Variant(0), Variant(5)), Variant(0));
}

}  // namespace
}  // namespace kx
