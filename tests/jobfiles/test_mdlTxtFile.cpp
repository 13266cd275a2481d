// Reading the fields of a data file and writing text files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error.h"
#include "jobfiles/delimited_input.h"
#include "jobfiles/mdlTxtFile.h"
#include "jobfiles_fixture.h"

namespace kx::test {
namespace {

using Fields = std::vector<std::string>;

TEST(DelimitedInput, FieldsEndAtCommasAndLineEnds) {
  EXPECT_EQ(ReadDelimitedFields("a,b\r\nc\nd\re"), (Fields{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(ReadDelimitedFields("a\r\n\r\nb\r\n"), (Fields{"a", "", "b"}));
  EXPECT_EQ(ReadDelimitedFields("a,,b"), (Fields{"a", "", "b"}));
  EXPECT_EQ(ReadDelimitedFields(""), Fields{});
}

TEST(DelimitedInput, BlanksAroundUnquotedFieldsAreDropped) {
  EXPECT_EQ(ReadDelimitedFields("  sub\\a b.nc \t, \tc  \r\n"), (Fields{"sub\\a b.nc", "c"}));
}

TEST(DelimitedInput, QuotedFieldsKeepCommasAndBlanksAndLoseTheirQuotes) {
  EXPECT_EQ(ReadDelimitedFields("\"D:\\x\\a,b.nc\",\" c \"\r\nd"), (Fields{"D:\\x\\a,b.nc", " c ", "d"}));
  EXPECT_EQ(ReadDelimitedFields("  \"q\"  ,r"), (Fields{"q", "r"}));
  // A quote does not escape a quote: two fields.
  EXPECT_EQ(ReadDelimitedFields("\"1,2\"\"X\""), (Fields{"1,2", "X"}));
  // An unclosed quote ends at its line end; the next line is read normally.
  EXPECT_EQ(ReadDelimitedFields("\"open,still\r\nnext"), (Fields{"open,still", "next"}));
}

class TextFileTest : public JobFilesTest {};

TEST_F(TextFileTest, AppendCreatesAndAppendsLinesWithCrLf) {
  AppendTextLine("D:\\new.dat", "first");
  AppendTextLine("D:\\new.dat", "zweite Zeile \xC3\xA4");
  EXPECT_EQ(Read("new.dat"), "first\r\nzweite Zeile \xC3\xA4\r\n");
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
