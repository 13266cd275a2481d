// The host's own reading of its configuration file.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "demo_environment.h"
#include "ini_file.h"
#include "test_environment.h"

namespace kxhost {
namespace {

TEST(HostIni, KeysAndSectionsWithoutCaseFirstWinsQuotesAndBlanksGo) {
  kx::test::TempDir tmp;
  const auto f = tmp.Write(
      "a.cfg",
      "; comment\r\n[Other]\r\nDbName=wrong\r\n[ torvel ]\r\n  dbname =  \"D:\\Jobs\\jobs.db\"  \r\n"
      "DbName=second\r\nCountry=49\r\nEmpty=\r\n");
  const QString file = QString::fromStdString(f.string());
  EXPECT_EQ(ReadIniValue(file, "TORVEL", "DbName").toStdString(), "D:\\Jobs\\jobs.db");
  EXPECT_EQ(ReadIniValue(file, "Torvel", "COUNTRY").toStdString(), "49");
  EXPECT_EQ(ReadIniValue(file, "TORVEL", "Empty").toStdString(), "");
  EXPECT_EQ(ReadIniValue(file, "TORVEL", "Missing").toStdString(), "");
  EXPECT_EQ(ReadIniValue(file, "Nope", "DbName").toStdString(), "");
  EXPECT_EQ(
      ReadIniValue(QString::fromStdString((tmp / "none.cfg").string()), "TORVEL", "DbName").toStdString(),
      "");
}

TEST(HostIni, Utf16FilesFromWindows) {
  kx::test::TempDir tmp;
  const std::u16string text = u"\uFEFF[TORVEL]\r\nDbName=C:\\Aufträge\\jobs.db\r\n";
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  const auto f = tmp.Write("w.cfg", bytes);
  EXPECT_EQ(ReadIniValue(QString::fromStdString(f.string()), "TORVEL", "DbName"),
            QString::fromUtf8("C:\\Aufträge\\jobs.db"));
}

TEST(HostDemoEnvironment, UnsetVariablesComeFromTheFileSetOnesStay) {
  kx::test::TestEnvironment tmp;
  tmp.Set("KX_HOST_T_SET", "mine");
  tmp.Unset("KX_HOST_T_NEW");
  tmp.Unset("KX_HOST_T_QUOTE");
  const auto f = tmp.Write("kestrafix.env",
                           "export KX_HOST_T_SET='/demo/a'\n"
                           "export KX_HOST_T_NEW='/demo/b c'\n"
                           "# comment\nnot an export line\n"
                           "export KX_HOST_T_QUOTE='it'\\''s'\n");
  const QStringList set = ApplyEnvironmentFile(QString::fromStdString(f.string()));
  EXPECT_EQ(set, QStringList({"KX_HOST_T_NEW", "KX_HOST_T_QUOTE"}));
  EXPECT_STREQ(getenv("KX_HOST_T_SET"), "mine");
  EXPECT_STREQ(getenv("KX_HOST_T_NEW"), "/demo/b c");
  EXPECT_STREQ(getenv("KX_HOST_T_QUOTE"), "it's");
  EXPECT_TRUE(ApplyEnvironmentFile(QString::fromStdString((tmp / "none.env").string())).isEmpty());
}

}  // namespace
}  // namespace kxhost
