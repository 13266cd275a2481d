// Folder functions and the [FSO] start-up settings.
#include <gtest/gtest.h>

#include "config/mdlIniFile.h"
#include "config/mdlPublic.h"
#include "config_fixture.h"
#include "fs/clsFso.h"

namespace kx {
namespace {

using test::ConfigWorld;
namespace fs = std::filesystem;

TEST_F(ConfigWorld, AddInBelowHostAddInsFolderMirrorsItUnderCommonDocuments) {
  EXPECT_EQ(GetAddInPath(), "C:\\Programs\\Host\\AddIns\\Tools");
  EXPECT_EQ(GetAppPath(), "C:\\Programs\\Host");
  EXPECT_EQ(GetComDocsPath(), "D:\\Docs");
  EXPECT_FALSE(fs::exists(Native("D/Docs/Host")));
  EXPECT_EQ(GetComDocsAddInPath(), "D:\\Docs\\Host\\AddIns\\Tools");
  EXPECT_TRUE(fs::is_directory(Native("D/Docs/Host/AddIns/Tools")));  // created with its parents
  EXPECT_EQ(GetComDocsAppPath(), "D:\\Docs\\Host");
  EXPECT_EQ(GetComDocsHostConfigFile(), "D:\\Docs\\Host\\torvel.cfg");
  EXPECT_EQ(GetAddInIniFile().str(), "D:\\Docs\\Host\\AddIns\\Tools\\Kestrafix.ini");
  EXPECT_EQ(GetPfPath(), "P:\\Program Files");
  EXPECT_EQ(GetComAppDataPath(), "P:\\ProgramData");
}

TEST_F(ConfigWorld, AddInsMarkerFoundWithoutCaseAndFromTheEnd) {
  SetAddInPathForTests(std::string("C:\\Programs\\Host\\addins\\Tools"));
  EXPECT_EQ(GetAppPath(), "C:\\Programs\\Host");
  EXPECT_EQ(GetComDocsAddInPath(), "D:\\Docs\\Host\\addins\\Tools");
  EXPECT_EQ(GetComDocsAppPath(), "D:\\Docs\\Host");

  // The last "\AddIns\" counts: the host folder is the one right before it.
  SetAddInPathForTests(std::string("C:\\AddIns\\Outer\\AddIns\\Tools"));
  EXPECT_EQ(GetAppPath(), "C:\\AddIns\\Outer");
  EXPECT_EQ(GetComDocsAddInPath(), "D:\\Docs\\Outer\\AddIns\\Tools");
}

TEST_F(ConfigWorld, AddInOutsideAnyAddInsFolderUsesItsOwnName) {
  SetAddInPathForTests(std::string("C:\\Programs\\Tools"));
  EXPECT_EQ(GetAppPath(), "C:\\Programs\\Tools");
  EXPECT_EQ(GetComDocsAddInPath(), "D:\\Docs\\Tools");
  EXPECT_EQ(GetComDocsAppPath(), "D:\\Docs\\Tools");
  EXPECT_TRUE(fs::is_directory(Native("D/Docs/Tools")));

  // "\AddIns" without a following backslash is no marker.
  SetAddInPathForTests(std::string("C:\\Programs\\Host\\AddIns"));
  EXPECT_EQ(GetAppPath(), "C:\\Programs\\Host\\AddIns");
  EXPECT_EQ(GetComDocsAddInPath(), "D:\\Docs\\AddIns");
}

TEST_F(ConfigWorld, NativeOverridesComeBackInWindowsForm) {
  SetAddInPathForTests((Native("C") / "Programs/Host/AddIns/Tools").string());
  EXPECT_EQ(GetAddInPath(), "C:\\Programs\\Host\\AddIns\\Tools");
  SetAddInPathForTests(std::nullopt);
  setenv("KESTRAFIX_ADDIN_PATH", "C:\\Elsewhere\\AddIns\\X", 1);
  EXPECT_EQ(GetAppPath(), "C:\\Elsewhere");
  unsetenv("KESTRAFIX_ADDIN_PATH");
}

TEST_F(ConfigWorld, WithoutOverrideTheLoadedObjectsFolderIsUsed) {
  SetAddInPathForTests(std::nullopt);
  const std::string p = GetAddInPath();
  ASSERT_FALSE(p.empty());
  // Statically linked into this test program: the folder of the program itself.
  EXPECT_TRUE(fs::exists(fs::read_symlink("/proc/self/exe")));
  EXPECT_EQ(ToNative(p), fs::read_symlink("/proc/self/exe").parent_path());
}

TEST_F(ConfigWorld, UncreatableDocumentsFolderLeavesFsoDefaults) {
  // The documents folder cannot be created: a file stands where its parent should be.
  tmp.Write("D/Blocked", "x");
  setenv("KESTRAFIX_COMMON_DOCUMENTS", (tmp / "D/Blocked/Docs").c_str(), 1);
  const std::string mirror = GetComDocsAddInPath();  // must not throw
  EXPECT_FALSE(fs::is_directory(ToNative(mirror)));
  clsFso fso;
  InitConfiguration(fso);
  EXPECT_TRUE(fso.FsoActive());
  EXPECT_TRUE(fso.FsoFoldersActive());
}

class FsoPrecedence : public ConfigWorld {
 protected:
  void DocsCopy(std::string_view content) { tmp.Write("D/Docs/Host/torvel.cfg", content); }
  void AddInIni(std::string_view content) { tmp.Write("D/Docs/Host/AddIns/Tools/Kestrafix.ini", content); }
};

TEST_F(FsoPrecedence, NoFilesKeepDefaults) {
  clsFso fso;
  InitConfiguration(fso);
  EXPECT_TRUE(fso.FsoActive());
  EXPECT_TRUE(fso.FsoFoldersActive());
}

TEST_F(FsoPrecedence, DocumentsCopyAppliesWhenAddInIniIsSilent) {
  DocsCopy("[FSO]\r\nActive=False\r\n");
  AddInIni("[frmMain]\r\nCaption=x\r\n");
  clsFso fso;
  InitConfiguration(fso);
  EXPECT_FALSE(fso.FsoActive());
  EXPECT_TRUE(fso.FsoFoldersActive());
}

TEST_F(FsoPrecedence, AddInIniWinsKeyByKey) {
  DocsCopy("[FSO]\r\nActive=False\r\nFoldersActive=False\r\n");
  AddInIni("[FSO]\r\nActive=True\r\n");
  clsFso fso;
  InitConfiguration(fso);
  EXPECT_TRUE(fso.FsoActive());
  EXPECT_FALSE(fso.FsoFoldersActive());
}

TEST_F(FsoPrecedence, BadDocumentsCopyDoesNotStopTheAddInIni) {
  DocsCopy("[FSO]\r\nActive=maybe\r\n");
  AddInIni("[FSO]\r\nFoldersActive=0\r\n");
  clsFso fso;
  InitConfiguration(fso);
  EXPECT_TRUE(fso.FsoActive());
  EXPECT_FALSE(fso.FsoFoldersActive());
}

TEST(ValueHelpers, IfNullReplacesOnlyNull) {
  EXPECT_EQ(IfNull(Variant::Null(), Variant("d")), Variant("d"));
  EXPECT_EQ(IfNull(Variant(""), Variant("d")), Variant(""));
  EXPECT_EQ(IfNull(Variant(), Variant(5)), Variant());
  EXPECT_EQ(IfNull(Variant(0), Variant(5)), Variant(0));
}

TEST(ValueHelpers, TrimBackslashes) {
  EXPECT_EQ(TrimBackslashes("\\dir\\sub\\\\"), "dir\\sub");
  EXPECT_EQ(TrimBackslashes("\\\\srv\\share\\"), "\\\\srv\\share");
  EXPECT_EQ(TrimBackslashes("\\\\\\x"), "\\\\\\x");
  EXPECT_EQ(TrimBackslashes("C:\\dir\\"), "C:\\dir");
  EXPECT_EQ(TrimBackslashes("\\"), "");
  EXPECT_EQ(TrimBackslashes(""), "");
  EXPECT_EQ(TrimBackslashes("a\\b"), "a\\b");
}

TEST(ValueHelpers, EncodeFileNameChars) {
  EXPECT_EQ(EncodeFileNameChars("  a/b  "), "aChr(47)b");
  EXPECT_EQ(EncodeFileNameChars("\\/:*?\"<>|"),
            "Chr(92)Chr(47)Chr(58)Chr(42)Chr(63)Chr(34)Chr(60)Chr(62)Chr(124)");
  EXPECT_EQ(EncodeFileNameChars("Ä-1 (x).nc"), "Ä-1 (x).nc");
  EXPECT_EQ(EncodeFileNameChars("\ta\t"), "\ta\t");  // only blanks are trimmed
}

}  // namespace
}  // namespace kx
