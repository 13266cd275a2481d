// Reading and writing INI values, and the guard that keeps the host's configuration unwritten.
#include <gtest/gtest.h>

#include <type_traits>

#include "config/config_keys.h"
#include "config/mdlIniFile.h"
#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "test_environment.h"

namespace kx {
namespace {

using test::EnvTest;
using test::ReadAll;
namespace fs = std::filesystem;

// Only GetAddInIniFile() makes the path the writer takes.
static_assert(!std::is_constructible_v<AddInIniPath, std::string>);
static_assert(!std::is_constructible_v<AddInIniPath, const char*>);
static_assert(!std::is_convertible_v<std::string, AddInIniPath>);
static_assert(!std::is_default_constructible_v<AddInIniPath>);

// The profile reader's rules are the fs layer's; here: without case, "" for whatever is
// missing, and at most 599 characters (not bytes).
TEST_F(EnvTest, ReadGivesEmptyForMissingThingsAndAtMost599Characters) {
  std::string umlauts;
  for (int i = 0; i < 650; ++i) umlauts += "ä";
  const auto f =
      env.Write("a.ini", "[S]\r\nk=v\r\nlong=" + std::string(700, 'x') + "\r\nu=" + umlauts + "\r\n")
          .string();
  EXPECT_EQ(ReadIniValue(f, "s", "K"), "v");
  EXPECT_EQ(ReadIniValue(f, "T", "k"), "");
  EXPECT_EQ(ReadIniValue(f, "S", "x"), "");
  EXPECT_EQ(ReadIniValue((env / "none.ini").string(), "S", "k"), "");
  EXPECT_EQ(ReadIniValue("", "S", "k"), "");
  EXPECT_EQ(ReadIniValue(f, "S", "long"), std::string(599, 'x'));
  EXPECT_EQ(ReadIniValue(f, "S", "u").size(), 599u * 2);
}

TEST_F(EnvTest, WrittenValuesReadBackUnchanged) {
  const AddInIniPath f = GetAddInIniFile();
  for (const std::string v :
       {"\"quoted\"", "\"left", "right\"", "plain text", "in\"side", "", "C:\\x\\y", "\xC3\x84rger"}) {
    ASSERT_TRUE(WriteIniValue(f, "frmMain", "Text2(0).Text", v)) << v;
    EXPECT_EQ(ReadIniValue(f, "frmMain", "Text2(0).Text"), v);
  }
  // An empty value writes the key with nothing after "=".
  ASSERT_TRUE(WriteIniValue(f, "frmMain", "Text2(0).Text", ""));
  EXPECT_NE(ReadAll(env.AddInIni()).find("Text2(0).Text=\r\n"), std::string::npos);
}

TEST_F(EnvTest, WriteRefusesTheHostConfigurationFile) {
  // A host that hands over the add-in INI as its configuration: the add-in must not write it.
  const AddInIniPath f = GetAddInIniFile();
  const auto native =
      env.Write("documents/host/AddIns/Kestrafix/Kestrafix.ini", "[TORVEL]\r\nDbName=x.mdb\r\n");
  const std::string before = ReadAll(native);
  for (const std::string& host :
       {std::string("C:\\documents\\host\\AddIns\\Kestrafix\\Kestrafix.ini"),
        std::string("c:\\DOCUMENTS\\HOST\\addins\\kestrafix\\KESTRAFIX.INI"), native.string()}) {
    Shared().gsIniFile = host;
    EXPECT_FALSE(WriteIniValue(f, "frmMain", "Caption", "x")) << host;
    EXPECT_FALSE(WriteFrmMainBaseFolder("C:\\Jobs"));
    EXPECT_EQ(ReadAll(native), before);
  }
  Shared().gsIniFile = "C:\\torvel.cfg";
  EXPECT_TRUE(WriteIniValue(f, "frmMain", "Caption", "x"));
}

TEST_F(EnvTest, WriteRefusesTheDocumentsCopyReachedThroughALink) {
  // The add-in folder's INI is a symbolic link to the documents copy of the host configuration.
  const auto copy = env.Write("documents/host/torvel.cfg", "[FSO]\r\nActive=1\r\n");
  env.MakeDir("documents/host/AddIns/Kestrafix");
  fs::create_symlink(copy, env.AddInIni());
  EXPECT_FALSE(WriteIniValue(GetAddInIniFile(), "frmMain", "Caption", "x"));
  EXPECT_EQ(ReadAll(copy), "[FSO]\r\nActive=1\r\n");
}

TEST_F(EnvTest, WriteRefusesAPathWithoutFolder) {
  // The documents folder is unknown: the INI path degenerates to "\Kestrafix.ini".
  SetAddInPathForTests(std::string(""));
  const AddInIniPath f = GetAddInIniFile();
  EXPECT_EQ(f.str(), "\\Kestrafix.ini");
  EXPECT_FALSE(WriteIniValue(f, "frmMain", "Caption", "x"));
}

}  // namespace
}  // namespace kx
