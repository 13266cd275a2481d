// Reading and writing INI values, and the guard that keeps the host's configuration unwritten.
#include <gtest/gtest.h>

#include <type_traits>

#include "config/config_keys.h"
#include "config/mdlIniFile.h"
#include "config_fixture.h"

namespace kx {
namespace {

using test::ConfigWorld;
using test::ReadAll;
namespace fs = std::filesystem;

// Only GetAddInIniFile() makes the path the writer takes.
static_assert(!std::is_constructible_v<AddInIniPath, std::string>);
static_assert(!std::is_constructible_v<AddInIniPath, const char*>);
static_assert(!std::is_convertible_v<std::string, AddInIniPath>);
static_assert(!std::is_default_constructible_v<AddInIniPath>);

TEST_F(ConfigWorld, ReadGivesEmptyForMissingFileSectionOrKey) {
  const auto f = tmp.Write("a.ini", "[S]\r\nk=v\r\n").string();
  EXPECT_EQ(ReadIniValue(f, "S", "k"), "v");
  EXPECT_EQ(ReadIniValue(f, "s", "K"), "v");
  EXPECT_EQ(ReadIniValue(f, "T", "k"), "");
  EXPECT_EQ(ReadIniValue(f, "S", "x"), "");
  EXPECT_EQ(ReadIniValue((tmp / "none.ini").string(), "S", "k"), "");
  EXPECT_EQ(ReadIniValue("", "S", "k"), "");
}

TEST_F(ConfigWorld, ReadReturnsAtMost599Characters) {
  const std::string longValue(700, 'x');
  const auto f =
      tmp.Write("a.ini", "[S]\r\nk=" + longValue + "\r\nu=" + std::string(650, 'a') + "\xC3\xA4\r\n")
          .string();
  EXPECT_EQ(ReadIniValue(f, "S", "k"), std::string(599, 'x'));
  // Characters, not bytes: 599 letters of a multi-byte value come back whole.
  const auto f2 = tmp.Write(
                         "b.ini", "[S]\r\nk=" +
                                      [] {
                                        std::string s;
                                        for (int i = 0; i < 650; ++i) s += "\xC3\xA4";
                                        return s;
                                      }() +
                                      "\r\n")
                      .string();
  const std::string v = ReadIniValue(f2, "S", "k");
  EXPECT_EQ(v.size(), 599u * 2);
  const auto f3 = tmp.Write("c.ini", "[S]\r\nk=" + std::string(599, 'y') + "\r\n").string();
  EXPECT_EQ(ReadIniValue(f3, "S", "k"), std::string(599, 'y'));
}

TEST(QuoteIniValue, WrapsOnlyValuesWithAQuoteAtAnEnd) {
  EXPECT_EQ(QuoteIniValue(""), "");
  EXPECT_EQ(QuoteIniValue("plain"), "plain");
  EXPECT_EQ(QuoteIniValue("in\"side"), "in\"side");
  EXPECT_EQ(QuoteIniValue("\"both\""), "\"\"both\"\"");
  EXPECT_EQ(QuoteIniValue("\"left"), "\"\"left\"");
  EXPECT_EQ(QuoteIniValue("right\""), "\"right\"\"");
}

TEST_F(ConfigWorld, WrittenValuesReadBackUnchanged) {
  const AddInIniPath f = GetAddInIniFile();
  for (const std::string v :
       {"\"quoted\"", "\"left", "right\"", "plain text", "in\"side", "", "C:\\x\\y", "\xC3\x84rger"}) {
    ASSERT_TRUE(WriteIniValue(f, "frmMain", "Text2(0).Text", v)) << v;
    EXPECT_EQ(ReadIniValue(f, "frmMain", "Text2(0).Text"), v);
  }
  // An empty value writes the key with nothing after "=".
  ASSERT_TRUE(WriteIniValue(f, "frmMain", "Text2(0).Text", ""));
  EXPECT_NE(ReadAll(Native("D/Docs/Host/AddIns/Tools/Kestrafix.ini")).find("Text2(0).Text=\r\n"),
            std::string::npos);
}

TEST_F(ConfigWorld, WriteRefusesTheHostConfigurationFile) {
  // A host that hands over the add-in INI as its configuration: the add-in must not write it.
  const AddInIniPath f = GetAddInIniFile();
  const auto native = tmp.Write("D/Docs/Host/AddIns/Tools/Kestrafix.ini", "[TORVEL]\r\nDbName=x.mdb\r\n");
  const std::string before = ReadAll(native);
  for (const std::string& host :
       {std::string("D:\\Docs\\Host\\AddIns\\Tools\\Kestrafix.ini"),
        std::string("d:\\DOCS\\host\\addins\\tools\\KESTRAFIX.INI"), native.string()}) {
    Shared().gsIniFile = host;
    EXPECT_FALSE(WriteIniValue(f, "frmMain", "Caption", "x")) << host;
    EXPECT_FALSE(WriteFrmMainBaseFolder("C:\\Jobs"));
    EXPECT_EQ(ReadAll(native), before);
  }
  Shared().gsIniFile = "C:\\Programs\\Host\\torvel.cfg";
  EXPECT_TRUE(WriteIniValue(f, "frmMain", "Caption", "x"));
}

TEST_F(ConfigWorld, WriteRefusesTheDocumentsCopyReachedThroughALink) {
  // The add-in folder's INI is a symbolic link to the documents copy of the host configuration.
  const auto copy = tmp.Write("D/Docs/Host/torvel.cfg", "[FSO]\r\nActive=1\r\n");
  tmp.MakeDir("D/Docs/Host/AddIns/Tools");
  fs::create_symlink(copy, Native("D/Docs/Host/AddIns/Tools/Kestrafix.ini"));
  EXPECT_FALSE(WriteIniValue(GetAddInIniFile(), "frmMain", "Caption", "x"));
  EXPECT_EQ(ReadAll(copy), "[FSO]\r\nActive=1\r\n");
}

TEST_F(ConfigWorld, WriteRefusesAPathWithoutFolder) {
  // The documents folder is unknown: the INI path degenerates to "\Kestrafix.ini".
  SetAddInPathForTests(std::string(""));
  const AddInIniPath f = GetAddInIniFile();
  EXPECT_EQ(f.str(), "\\Kestrafix.ini");
  EXPECT_FALSE(WriteIniValue(f, "frmMain", "Caption", "x"));
}

}  // namespace
}  // namespace kx
