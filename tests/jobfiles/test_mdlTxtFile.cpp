// Reading the fields of a data file and writing text files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_table.h"
#include "core/error.h"
#include "core/text.h"
#include "jobfiles/delimited_input.h"
#include "jobfiles/mdlTxtFile.h"
#include "jobfiles_fixture.h"

namespace kx::test {
namespace {

// The cases of tests/data/cases/data_file_fields.txt.
TEST(DelimitedInput, FieldsOfADataFile) {
  for (const Case& c : Cases("data_file_fields.txt"))
    EXPECT_EQ(Join(ReadDelimitedFields(c.in[0]), "\n"), c.out) << c.line;
}

class TextFileTest : public JobFilesTest {};

TEST_F(TextFileTest, AppendCreatesAndAppendsLinesWithCrLf) {
  AppendTextLine("D:\\new.dat", "first");
  AppendTextLine("D:\\new.dat", "zweite Zeile \xC3\xA4");
  EXPECT_EQ(Read("new.dat"), "first\r\nzweite Zeile \xC3\xA4\r\n");
}

TEST_F(TextFileTest, AppendKeepsTheFilesEncodingAndTurnsWindows1252IntoUtf8OnlyWhenItMust) {
  const TextFormat ansi{TextFormat::Encoding::Cp1252, "\n"};
  AppendTextLine("D:\\a.dat", "€1", ansi);  // "€" has a byte there
  EXPECT_EQ(Read("a.dat"),
            "\x80"
            "1\n");
  AppendTextLine("D:\\a.dat", "\xCE\xA9", {});  // "Ω" has none: the whole file becomes UTF-8
  EXPECT_EQ(Read("a.dat"),
            "\xE2\x82\xAC"
            "1\n\xCE\xA9\n");
}

TEST_F(TextFileTest, WriteReplacesTheWholeContent) {
  env.Put("old.dat", "a long old content that must go\r\n");
  WriteTextFile("D:\\old.dat", "new");
  EXPECT_EQ(Read("old.dat"), "new\r\n");
  WriteTextFile("D:\\old.dat", "");
  EXPECT_EQ(Read("old.dat"), "\r\n");
}

TEST_F(TextFileTest, MissingFolderRaisesAndCreatesNothing) {
  KxError a = ErrorOf([] { AppendTextLine("D:\\no\\such\\x.dat", "t"); });
  EXPECT_EQ(a.Number(), err::PathNotFound);
  ErrorOf([] { WriteTextFile("D:\\no\\such\\x.dat", "t"); });
  EXPECT_FALSE(Exists("no"));
}

}  // namespace
}  // namespace kx::test
