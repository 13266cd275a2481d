#include "fs/ini_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "case_table.h"
#include "fs_fixture.h"

namespace kx::test {
namespace {

class IniTest : public FsTest {
 protected:
  std::string Read(const std::string& file, const char* section, const char* key, const char* deflt = "",
                   std::size_t buffer = 600) {
    return GetPrivateProfileString(file, section, key, deflt, buffer);
  }
};

// The cases of tests/data/cases/ini_lookup.txt on tests/data/ini/lookup.ini.
TEST_F(IniTest, LookupRulesNamesCaseBlanksQuotesCommentsDefaultsAndBuffer) {
  const std::string file = TestData("ini/lookup.ini").string();
  for (const Case& c : Cases("ini_lookup.txt"))
    EXPECT_EQ(Read(file, c.in[0].c_str(), c.in[1].c_str(), c.in[2].c_str(), std::stoul(c.in[3])), c.out)
        << c.line;
  EXPECT_EQ(Read(file, "s", "k").size(), 599u);
  EXPECT_EQ(Read((tmp / "none.ini").string(), "s", "k", "x"), "x");
}

TEST_F(IniTest, LineEndsAndEncodings) {
  EXPECT_EQ(Read(tmp.Write("cr.ini", "[s]\rk=cr\r").string(), "s", "k"), "cr");
  EXPECT_EQ(Read(tmp.Write("lf.ini", "[s]\nk=lf").string(), "s", "k"), "lf");
  EXPECT_EQ(Read(tmp.Write("bom.ini", "\xEF\xBB\xBF[s]\r\nk=bom\r\n").string(), "s", "k"), "bom");
  // Windows-1252 "Grün" is not UTF-8 and is read through the code page.
  EXPECT_EQ(Read(tmp.Write("ansi.ini", "[s]\r\nk=Gr\xFCn\r\n").string(), "s", "k"), "Gr\xC3\xBCn");
  std::string le("\xFF\xFE", 2), be("\xFE\xFF", 2);
  for (char c : std::string("[s]\r\nk=w\xE4\r\n")) {
    le += c;
    le += '\0';
    be += '\0';
    be += c;
  }
  EXPECT_EQ(Read(tmp.Write("le.ini", le).string(), "s", "k"), "w\xC3\xA4");
  EXPECT_EQ(Read(tmp.Write("be.ini", be).string(), "s", "k"), "w\xC3\xA4");
}

TEST_F(IniTest, BrokenOrBinaryFileReadsAsMissingKeys) {
  std::string binary("[s]\nk=v\n\0\x01\x02\xFF", 12);
  EXPECT_EQ(Read(tmp.Write("bin.ini", binary).string(), "s", "k", "d"), "d");
  EXPECT_EQ(Read(tmp.Write("odd.ini", std::string("\xFF\xFE[\0s", 5)).string(), "s", "k", "d"), "d");
  EXPECT_EQ(Read(tmp.MakeDir("folder.ini").string(), "s", "k", "d"), "d");
  EXPECT_FALSE(WritePrivateProfileString(tmp.Write("bin2.ini", binary).string(), "s", "k", "v"));
  EXPECT_EQ(ReadAll(tmp / "bin2.ini"), binary);
}

TEST_F(IniTest, WriteCreatesFileAndSectionsInWindowsLayout) {
  const std::string f = (tmp / "new.ini").string();
  ASSERT_TRUE(WritePrivateProfileString(f, "A", "k1", "v1"));
  ASSERT_TRUE(WritePrivateProfileString(f, "A", "k2", ""));
  ASSERT_TRUE(WritePrivateProfileString(f, "B", "k3", "v3"));
  ASSERT_TRUE(WritePrivateProfileString(f, "a", "k4", "v4"));
  EXPECT_EQ(ReadAll(f), "[A]\r\nk1=v1\r\nk2=\r\nk4=v4\r\n[B]\r\nk3=v3\r\n");
  EXPECT_EQ(Read(f, "A", "k2", "d"), "");
  EXPECT_FALSE(WritePrivateProfileString((tmp / "missing-folder" / "x.ini").string(), "A", "k", "v"));
}

TEST_F(IniTest, RewriteChangesOneLineAndKeepsTheRest) {
  const std::string original =
      "; header comment\n"
      "[First]\n"
      "Alpha = 1\n"
      "; note\n"
      "\n"
      "[Second]\n"
      "Beta=2\n"
      "  gamma  =  old\n"
      "trailing comment line\n";
  auto f = tmp.Write("keep.ini", original).string();
  ASSERT_TRUE(WritePrivateProfileString(f, "second", "GAMMA", "new"));
  EXPECT_EQ(ReadAll(f),
            "; header comment\n[First]\nAlpha = 1\n; note\n\n[Second]\nBeta=2\n  gamma  =  new\n"
            "trailing comment line\n");
  ASSERT_TRUE(WritePrivateProfileString(f, "First", "Delta", "4"));
  EXPECT_EQ(ReadAll(f),
            "; header comment\n[First]\nAlpha = 1\nDelta=4\n; note\n\n[Second]\nBeta=2\n"
            "  gamma  =  new\ntrailing comment line\n");
  ASSERT_TRUE(WritePrivateProfileString(f, "second", "GAMMA", ""));  // empty: "key=", as Windows writes it
  EXPECT_NE(ReadAll(f).find("\n  gamma=\n"), std::string::npos) << ReadAll(f);
  ASSERT_TRUE(WritePrivateProfileString(f, "second", "GAMMA", "new"));
  ASSERT_TRUE(WritePrivateProfileString(f, "First", "alpha", std::nullopt));
  ASSERT_TRUE(WritePrivateProfileString(f, "First", "alpha", std::nullopt));  // again: still true
  EXPECT_EQ(Read(f, "First", "Alpha", "gone"), "gone");
  ASSERT_TRUE(WritePrivateProfileString(f, "Second", std::nullopt, std::nullopt));
  EXPECT_EQ(ReadAll(f), "; header comment\n[First]\nDelta=4\n; note\n\n");
}

TEST_F(IniTest, QuotedValuesSurviveWriteAndRead) {
  const std::string f = (tmp / "q.ini").string();
  ASSERT_TRUE(WritePrivateProfileString(f, "s", "k", "\"\"quoted\"\""));
  EXPECT_EQ(Read(f, "s", "k"), "\"quoted\"");
}

TEST_F(IniTest, RewriteKeepsEncodingAndLineEnds) {
  // UTF-16 LE stays UTF-16 LE.
  std::string le("\xFF\xFE", 2);
  for (char c : std::string("[s]\r\nk=old\r\n")) {
    le += c;
    le += '\0';
  }
  auto f = tmp.Write("le.ini", le).string();
  ASSERT_TRUE(WritePrivateProfileString(f, "s", "k", "n\xC3\xA4"));
  std::string expect("\xFF\xFE", 2);
  for (char c : std::string("[s]\r\nk=n\xE4\r\n")) {
    expect += c;
    expect += '\0';
  }
  EXPECT_EQ(ReadAll(f), expect);
  // A Windows-1252 file stays Windows-1252; untouched bytes stay as they were.
  auto ansi = tmp.Write("ansi.ini", "[s]\rc=\xE9t\xE9\rk=x\r").string();
  ASSERT_TRUE(WritePrivateProfileString(ansi, "s", "k", "\xC3\xBC"));
  ASSERT_TRUE(WritePrivateProfileString(ansi, "t", "n", "1"));
  EXPECT_EQ(ReadAll(ansi), "[s]\rc=\xE9t\xE9\rk=\xFC\r[t]\rn=1\r");
  // A UTF-16 file cut after an odd byte: writes read back and the file does not grow.
  auto odd = tmp.Write("odd.ini", le + 'x').string();
  for (const char* v : {"1", "22", "1"}) {
    ASSERT_TRUE(WritePrivateProfileString(odd, "t", "n", v));
    EXPECT_EQ(Read(odd, "t", "n"), v);
  }
  EXPECT_EQ(ReadAll(odd).size(), le.size() + 2 * std::string("[t]\r\nn=1\r\n").size());
  // A file without a final line end gets one before the new line.
  auto open = tmp.Write("open.ini", "[s]\nk=1").string();
  ASSERT_TRUE(WritePrivateProfileString(open, "s", "j", "2"));
  EXPECT_EQ(ReadAll(open), "[s]\nk=1\nj=2");
}

TEST_F(IniTest, AtomicRewriteLeavesNoTempFilesAndKeepsMode) {
  auto f = tmp.Write("m.ini", "[s]\nk=1\n");
  ::chmod(f.c_str(), 0640);
  ASSERT_TRUE(WritePrivateProfileString(f.string(), "s", "k", "2"));
  struct stat st {};
  ASSERT_EQ(::stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(tmp.Path()))
    entries += e.path().filename() != "xdg-data";
  EXPECT_EQ(entries, 1);
}

TEST_F(IniTest, BadNamesAreRefusedWithoutTouchingTheFile) {
  auto f = tmp.Write("b.ini", "[s]\nk=1\n").string();
  EXPECT_FALSE(WritePrivateProfileString(f, "s", "k", "two\nlines"));
  EXPECT_FALSE(WritePrivateProfileString(f, "s", "a=b", "1"));
  EXPECT_FALSE(WritePrivateProfileString(f, "s]", "k", "1"));
  EXPECT_EQ(ReadAll(f), "[s]\nk=1\n");
}

TEST_F(IniTest, WindowsFormPathsGoThroughTheDriveMap) {
  tmp.Write("Cfg/Kestrafix.ini", "[FSO]\nActive=0\n");
  EXPECT_EQ(Read("T:\\cfg\\KESTRAFIX.INI", "fso", "active"), "0");
  ASSERT_TRUE(WritePrivateProfileString("T:\\cfg\\kestrafix.ini", "FSO", "Active", "1"));
  EXPECT_EQ(ReadAll(tmp / "Cfg/Kestrafix.ini"), "[FSO]\nActive=1\n");
}

}  // namespace
}  // namespace kx::test
