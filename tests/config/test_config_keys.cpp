// The key table: every reader returns its documented value, whatever the file holds.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "case_table.h"
#include "config/config_keys.h"
#include "config/mdlIniFile.h"
#include "config/mdlPublic.h"
#include "config/shared_state.h"
#include "test_environment.h"

namespace kx {
namespace {

using test::EnvTest;
using test::ReadAll;

// The cases of tests/data/cases/config_values.txt.
TEST(IniConversions, ValuesOfTheConfigurationFiles) {
  const std::map<std::string, std::function<std::string(const std::string&)>> rules = {
      {"IniLong", [](const std::string& s) { return std::to_string(IniLong(s)); }},
      {"IniInt", [](const std::string& s) { return std::to_string(IniInt(s)); }},
      {"IniFlag", [](const std::string& s) { return std::to_string(IniFlag(s)); }},
      {"CountryCode", [](const std::string& s) { return CountryCode(s); }},
      {"CountryFileExtension", [](const std::string& s) { return CountryFileExtension(s); }},
      {"TrimBackslashes", [](const std::string& s) { return TrimBackslashes(s); }},
      {"EncodeFileNameChars", [](const std::string& s) { return EncodeFileNameChars(s); }},
      {"QuoteIniValue", [](const std::string& s) { return QuoteIniValue(s); }}};
  for (const test::Case& c : test::Cases("config_values.txt"))
    EXPECT_EQ(rules.at(c.in[0])(c.in[1]), c.out) << c.line;
}

class TorvelKeys : public EnvTest {
 protected:
  // The host configuration with exactly this content.
  void Host(std::string_view content) {
    env.WriteHostConfig();
    hostFile = env.Write("torvel.cfg", content);
  }
  std::filesystem::path hostFile;
};

// Every key of the section in one line: Synchron ShowElectrode DbName OpenRecordsetOptions
// OpenRecordsetOptions16 UserId Country CountryExtension SubFolderCount AutoValueType
// AutoValueNumericLength KeyValueUpperAndLowerCase ReplaceHistory.
std::string Keys(const TorvelSettings& s) {
  std::ostringstream out;
  out << s.Synchron << ' ' << s.ShowElectrode << " '" << s.DbName << "' " << s.OpenRecordsetOptions << ' '
      << s.OpenRecordsetOptions16 << " '" << s.UserId << "' " << s.Country << ' ' << s.CountryExtension << ' '
      << s.SubFolderCount << ' ' << s.AutoValueType << ' ' << s.AutoValueNumericLength << ' '
      << s.KeyValueUpperAndLowerCase << ' ' << s.ReplaceHistory;
  return out.str();
}
constexpr const char* kMissing = "0 0 '' 0 0 '' 000 000 0 0 0 0 50";

// Typed, with the documented values for odd numbers; options too wide for a data source's are
// 0 there.
TEST_F(TorvelKeys, KeysReadTypedOddNumbersAsDocumented) {
  Host(
      "[TORVEL]\r\nSynchron=1\r\nShowElectrode=-1\r\nDbName=\"D:\\Jobs\\nc.mdb\"\r\nOpenRecordsetOptions="
      "70000\r\n"
      "UserId= mk \r\nCountry=49\r\nSubFolderCount=2.5\r\nAutoValueType=3\r\nAutoValueNumericLength=6\r\n"
      "KeyValueUpperAndLowerCase=1\r\nReplaceHistory=7.5\r\n");
  const TorvelSettings s = ReadTorvelSettings();
  EXPECT_EQ(Keys(s), "1 1 'D:\\Jobs\\nc.mdb' 70000 0 'mk' 049 049 2 3 6 1 8");
  EXPECT_EQ(s.CountryText, "49");
  ApplyToSharedState(s);
  EXPECT_EQ(Shared().glOpenRecordsetOptions, 70000);
  EXPECT_EQ(Shared().gsCountry, "049");
  EXPECT_EQ(Shared().glSubFolderCount, 2);
  Host(
      "[TORVEL]\r\nSynchron=abc\r\nOpenRecordsetOptions=1e3\r\nSubFolderCount= "
      "42abc\r\nAutoValueType=-0.5\r\n"
      "AutoValueNumericLength=99999\r\nCountry=de\r\nKeyValueUpperAndLowerCase=1.5\r\nReplaceHistory=-3\r\n");
  EXPECT_EQ(Keys(ReadTorvelSettings()), "0 0 '' 1000 1000 '' 000 de 42 0 0 2 0");
}

// How a broken file parses is the profile reader's; the keys are read from [TORVEL] only.
TEST_F(TorvelKeys, MissingFilesAndSectionsReadAsMissing) {
  for (const char* file : {"C:\\none.cfg", ""}) {
    Shared().gsIniFile = file;
    EXPECT_EQ(Keys(ReadTorvelSettings()), kMissing);
  }
  for (const std::string content :
       {"", "Synchron=1\r\nDbName=x\r\nCountry=49\r\n", "[TORVELX]\r\nSynchron=1\r\n"}) {
    Host(content);
    EXPECT_EQ(Keys(ReadTorvelSettings()), kMissing);
    EXPECT_EQ(ReadAll(hostFile), content);
  }
}

TEST_F(TorvelKeys, NothingTheAddInDoesWritesTheHostConfiguration) {
  const std::string content = "[TORVEL]\r\nCountry=49\r\n[frmMain]\r\nCaption=host\r\n";
  Host(content);
  // The add-in INI lives elsewhere; reading everything and writing the add-in's keys must
  // leave the host's bytes alone.
  ReadTorvelSettings();
  ReadFrmMainTexts();
  ReadFrmReplaceTexts();
  EXPECT_TRUE(WriteFrmMainBaseFolder("C:\\Jobs"));
  EXPECT_EQ(ReadAll(hostFile), content);
  EXPECT_EQ(ReadFrmMainTexts().BaseFolder, "C:\\Jobs");
}

TEST_F(EnvTest, AddInTextsComeFromTheAddInIni) {
  env.WriteAddInIni(
      "[frmMain]\r\nCaption=Neuer "
      "Job\r\nLabel2(0).Caption=Basis\r\nText2(0).Text=\"$(ComDocsPath)\\Jobs\"\r\n"
      "Check2(3).Caption=Dateien kopieren\r\n[frmReplace]\r\nCaption=Ersetzen\r\nLabel1(0).Caption=Spalte\r\n"
      "Label1(2).Caption=Neu\r\n[MSG]\r\nQuestion=Frage\r\nUpdate=/1 Jobs aendern?\r\n");
  const FrmMainTexts m = ReadFrmMainTexts();
  EXPECT_EQ(m.Caption, "Neuer Job");
  EXPECT_EQ(m.BaseFolderLabel, "Basis");
  EXPECT_EQ(m.BaseFolder, "$(ComDocsPath)\\Jobs");
  EXPECT_EQ(m.CopyFilesLabel, "Dateien kopieren");
  const FrmReplaceTexts r = ReadFrmReplaceTexts();
  EXPECT_EQ(r.Caption, "Ersetzen");
  EXPECT_EQ(r.Labels[0], "Spalte");
  EXPECT_EQ(r.Labels[1], "");
  EXPECT_EQ(r.Labels[2], "Neu");
  EXPECT_EQ(r.Question, "Frage");
  EXPECT_EQ(r.Update, "/1 Jobs aendern?");
}

}  // namespace
}  // namespace kx
