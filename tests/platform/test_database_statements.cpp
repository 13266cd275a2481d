// The statements the dialogs and the job record run, verbatim, against a real job database.
#include <algorithm>
#include <string>
#include <vector>

#include "job_db_fixture.h"

namespace kx::test {
namespace {

using Strings = std::vector<std::string>;

// The two list sources of the new-job dialog.
class ListSources : public JobDbTest {};

TEST_F(ListSources, MachineListIsDistinctAndSortedWithoutCase) {
  AddMachine("Trumpf");
  AddMachine("amada");
  AddMachine("Bystronic");
  EXPECT_EQ(Rows("select Distinct [Machine] from machine order by [Machine] ASC"),
            (Strings{"amada", "Bystronic", "Trumpf"}));
}

TEST_F(ListSources, MachineSetListMergesCaseVariantsAndKeepsNull) {
  AddJob({{"Filename", "A1"}, {"Machineset", "S2"}});
  AddJob({{"Filename", "A2"}, {"Machineset", "s1"}});
  AddJob({{"Filename", "A3"}, {"Machineset", "S1"}});
  AddJob({{"Filename", "A4"}, {"Machineset", kNull}});
  const Strings rows = Rows("select Distinct [Machineset] from data order by [Machineset] ASC");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], "<Null>");
  EXPECT_TRUE(rows[1] == "S1" || rows[1] == "s1") << rows[1];
  EXPECT_EQ(rows[2], "S2");
}

// Largest stored value (strategies 1 and 2): only the first row is read.
class MaxValueStatements : public JobDbTest {};

TEST_F(MaxValueStatements, AlphanumericPerColumnIgnoresNumbersAndCase) {
  AddKeys("AB", "P100");
  AddKeys("ac", "p200");
  AddKeys("100", "999");
  AddKeys(kNull, "P150");
  EXPECT_EQ(First("SELECT Filename FROM DATA WHERE Not IsNumeric(Filename) Order By Filename DESC"), "ac");
  EXPECT_EQ(
      First("SELECT Programnumber FROM DATA WHERE Not IsNumeric(Programnumber) Order By Programnumber DESC"),
      "p200");
}

TEST_F(MaxValueStatements, AlphanumericOverBothColumnsHasNoNumericFilter) {
  const std::string sql =
      "SELECT V FROM (SELECT Filename as V FROM DATA UNION SELECT Programnumber as V FROM DATA) Order By [V] "
      "DESC";
  AddKeys("AB", "100");
  EXPECT_EQ(First(sql), "AB");
  // Only numbers stored: text order, so 99 is above 100.
  Open()->Execute("DELETE FROM NCDATA");
  AddKeys("100", "99");
  EXPECT_EQ(First(sql), "99");
}

TEST_F(MaxValueStatements, UnionRemovesValuesDifferingOnlyInCase) {
  AddKeys("ab12", "AB12");
  AddKeys("X1", "x2");
  const Strings rows = Rows(
      "SELECT V FROM (SELECT Filename as V FROM DATA UNION SELECT Programnumber as V FROM DATA) Order By [V] "
      "DESC");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], "x2");
  EXPECT_EQ(rows[1], "X1");
  EXPECT_TRUE(rows[2] == "ab12" || rows[2] == "AB12");
}

TEST_F(MaxValueStatements, NumericPerColumnOrdersByValueAndSkipsTexts) {
  AddKeys("9", "0042");
  AddKeys("12", "7");
  AddKeys("AB", "P1");
  AddKeys("1e1", " 8 ");
  EXPECT_EQ(First("SELECT Filename FROM DATA WHERE IsNumeric(Filename) Order By CDbl(Filename) DESC"), "12");
  EXPECT_EQ(
      Rows("SELECT Programnumber FROM DATA WHERE IsNumeric(Programnumber) Order By CDbl(Programnumber) DESC"),
      (Strings{"0042", " 8 ", "7"}));
}

TEST_F(MaxValueStatements, NumericOverBothColumns) {
  AddKeys("9", "150");
  AddKeys("AB", "XY");
  AddKeys("200", kNull);
  EXPECT_EQ(Rows("SELECT V FROM (SELECT Filename as V FROM DATA WHERE IsNumeric(Filename) UNION SELECT "
                 "Programnumber as V FROM DATA WHERE IsNumeric(Programnumber)) Order By CDbl([V]) DESC"),
            (Strings{"200", "150", "9"}));
}

TEST_F(MaxValueStatements, EmptyTableGivesNoRow) {
  EXPECT_EQ(First("SELECT Filename FROM DATA WHERE IsNumeric(Filename) Order By CDbl(Filename) DESC"), "");
  EXPECT_EQ(First("SELECT Filename FROM DATA WHERE Not IsNumeric(Filename) Order By Filename DESC"), "");
}

// Taken values above a start value (strategy 0).
class NextValueStatements : public JobDbTest {
 protected:
  static std::string Numeric(const std::string& col, const std::string& bound) {
    return "SELECT " + col + " FROM Data Where IsNumeric(" + col + ") and IIF(IsNumeric(" + col + "), CDbl(" +
           col + "),-1) > " + bound;
  }
  static std::string Text(const std::string& col, const std::string& bound, const std::string& pattern) {
    return "SELECT " + col + " FROM Data Where Not IsNumeric(" + col + ") and " + col + " > \"" + bound +
           "\" And " + col + " like \"" + pattern + "\"";
  }
  void SetUp() override {
    AddKeys("AB13", "0012");
    AddKeys("ab14", "13");
    AddKeys("AB16", "5");
    AddKeys("AB", "AB15");
    AddKeys("AC1", "ab17");
    AddKeys("11", "aa9");
    AddKeys(kNull, "x");
  }
};

TEST_F(NextValueStatements, EmptyBoundReadsTheWholeColumn) {
  EXPECT_EQ(Rows("SELECT Filename FROM Data").size(), 7u);
  EXPECT_EQ(Rows("SELECT ProgramNumber FROM Data").size(), 7u);
  // Both columns as one pool; Null comes back and must be tolerated by the reader.
  const Strings both = Rows(
      "SELECT Filename FROM (SELECT Filename FROM Data union SELECT ProgramNumber as Filename FROM Data)");
  EXPECT_EQ(both.size(), 14u);
  EXPECT_EQ(std::count(both.begin(), both.end(), "<Null>"), 1);
}

TEST_F(NextValueStatements, NumericBoundComparesValues) {
  EXPECT_EQ(Rows(Numeric("Filename", "10")), (Strings{"11"}));
  EXPECT_EQ(Rows(Numeric("ProgramNumber", "11") + " Order By ProgramNumber"), (Strings{"0012", "13"}));
  const std::string both =
      "SELECT Filename FROM (" + Numeric("Filename", "4") + " union " + Numeric("ProgramNumber", "4") + " )";
  EXPECT_EQ(Rows(both + " Order By CDbl(Filename)"), (Strings{"5", "11", "0012", "13"}));
}

TEST_F(NextValueStatements, TextBoundTakesValuesAboveWithTheSamePrefixWithoutCase) {
  EXPECT_EQ(Rows(Text("Filename", "AB", "AB*") + " Order By Filename"), (Strings{"AB13", "ab14", "AB16"}));
  EXPECT_EQ(Rows(Text("ProgramNumber", "AB", "AB*") + " Order By ProgramNumber"), (Strings{"AB15", "ab17"}));
  const std::string both =
      "SELECT Filename FROM (" + Text("Filename", "AB", "AB*") + " union " +
      "SELECT ProgramNumber as Filename FROM Data Where Not IsNumeric(ProgramNumber) and "
      "ProgramNumber > \"AB\" And ProgramNumber like \"AB*\"" +
      " )";
  EXPECT_EQ(Rows(both + " Order By Filename"), (Strings{"AB13", "ab14", "AB15", "AB16", "ab17"}));
}

TEST_F(NextValueStatements, DoubledDoubleQuotesInsideLiterals) {
  AddKeys("A\"B2", "q1");
  AddKeys("A\"C2", "q2");
  // Start value A"B1: the bound A"B and the pattern A"B* go into the literals doubled.
  EXPECT_EQ(Rows(Text("Filename", "A\"\"B", "A\"\"B*")), (Strings{"A\"B2"}));
}

// Uniqueness counts of the input check.
class CountStatements : public JobDbTest {};

TEST_F(CountStatements, CountsKeysWithoutCase) {
  AddKeys("f-ab12", "ab12");
  AddKeys("F-2", "   ");
  EXPECT_EQ(Count("select Count(*) from data where [ProgramNumber]='AB12'"), 1);
  EXPECT_EQ(Count("select Count(*) from data where [Filename]='F-AB12'"), 1);
  EXPECT_EQ(Count("select Count(*) from data where [ProgramNumber]='AB13'"), 0);
  // Blanks are a value like any other.
  EXPECT_EQ(Count("select Count(*) from data where [ProgramNumber]='   '"), 1);
  EXPECT_EQ(Count("select Count(*) from data where [ProgramNumber]=''"), 0);
}

TEST_F(CountStatements, QuoteInsideAValueBreaksTheStatementUnlessQuoted) {
  AddKeys("O'Brien", "1");
  const KxError e = ErrorOf([&] { Count("select Count(*) from data where [Filename]='O'Brien'"); });
  EXPECT_GE(e.Number(), 3000);
  EXPECT_EQ(Count("select Count(*) from data where [Filename]=" + QuoteSqlText("o'brien", '\'')), 1);
}

// Count and update of the replace dialog.
class ReplaceStatements : public JobDbTest {
 protected:
  void SetUp() override {
    AddJob({{"Filename", "J1"}, {"Material", "ST37"}});
    AddJob({{"Filename", "J2"}, {"Material", "st52"}});
    AddJob({{"Filename", "J3"}, {"Material", "Alu"}});
    AddJob({{"Filename", "J4"}, {"Material", ""}});
    AddJob({{"Filename", "J5"}, {"Material", kNull}});
    AddJob({{"Filename", "J6"}, {"Material", "S7"}});
  }
  std::string MaterialOf(const std::string& job) const {
    return First("select [Material] from NCDATA where [Filename]='" + job + "'");
  }
};

TEST_F(ReplaceStatements, PatternCountThenUpdate) {
  EXPECT_EQ(Count("select count(*) from NcData where [Material] like \"ST*\""), 2);
  auto db = Open();
  EXPECT_EQ(db->Execute("Update NcData SET [Material] = \"ST37\" where [Material] like \"ST*\""), 2);
  db->Close();
  EXPECT_EQ(MaterialOf("J2"), "ST37");
  EXPECT_EQ(MaterialOf("J6"), "S7");
  EXPECT_EQ(MaterialOf("J5"), "<Null>");
}

TEST_F(ReplaceStatements, EmptyPatternSelectsEmptyAndNull) {
  const std::string w = "[Material] = \"\" or [Material] Is Null";
  EXPECT_EQ(Count("select count(*) from NcData where " + w), 2);
  auto db = Open();
  EXPECT_EQ(db->Execute("Update NcData SET [Material] = \"none\" where " + w), 2);
  db->Close();
  EXPECT_EQ(MaterialOf("J4"), "none");
  EXPECT_EQ(MaterialOf("J5"), "none");
}

TEST_F(ReplaceStatements, EmptyNewValueSetsNull) {
  auto db = Open();
  EXPECT_EQ(db->Execute("Update NcData SET [Material] = Null where [Material] like \"alu\""), 1);
  db->Close();
  EXPECT_EQ(MaterialOf("J3"), "<Null>");
}

TEST_F(ReplaceStatements, DialectWildcards) {
  EXPECT_EQ(Count("select count(*) from NcData where [Material] like \"ST##\""), 2);
  EXPECT_EQ(Count("select count(*) from NcData where [Material] like \"S?\""), 1);
  EXPECT_EQ(Count("select count(*) from NcData where [Material] like \"[a-c]*\""), 1);
  EXPECT_EQ(Count("select count(*) from NcData where [Material] like \"[!s]*\""), 1);
  // SQL wildcards are plain characters in the dialect.
  EXPECT_EQ(Count("select count(*) from NcData where [Material] like \"ST%\""), 0);
  EXPECT_EQ(Count("select count(*) from NcData where [Material] like \"S_\""), 0);
  EXPECT_EQ(Count("select count(*) from NcData where not [Material] like \"ST*\""), 3);
}

TEST_F(ReplaceStatements, DoubleQuoteInPatternBreaksTheStatement) {
  const KxError e = ErrorOf([&] { Count("select count(*) from NcData where [Material] like \"a\"b\""); });
  EXPECT_GE(e.Number(), 3000);
  EXPECT_EQ(MaterialOf("J1"), "ST37");
}

// The job record's and the placeholder expansion's lookups.
class JobLookups : public JobDbTest {};

TEST_F(JobLookups, JobRowByNameWithNullsAndTypes) {
  AddJob({{"Filename", "A100"},
          {"ProgramNumber", "100"},
          {"DataType", "5"},
          {"ElecRefFilename", kNull},
          {"Machine", "M1"},
          {"Materialthickness", "2.5"},
          {"Createdate", "2024-03-01 10:20:30"}});
  auto db = Open();
  auto rs = db->OpenRecordset("select * from NCDATA where filename='a100'", dbOpenForwardOnly, 512);
  ASSERT_GT(rs->RecordCount(), 0);
  EXPECT_EQ(rs->Fields("datatype").Value(), Variant(5LL));
  EXPECT_TRUE(rs->Fields("ElecRefFilename").Value().IsNull());
  EXPECT_TRUE(rs->Fields("Programmer").Value().IsNull());
  EXPECT_EQ(rs->Fields("MACHINE").Value().ToText(), "M1");
  EXPECT_EQ(rs->Fields("Materialthickness").Value(), Variant(2.5));
  EXPECT_EQ(rs->Fields("Createdate").Value().GetKind(), Variant::Kind::Date);
  EXPECT_EQ(rs->Fields("Createdate").Value().ToText(), "2024-03-01 10:20:30");
  rs->Close();
  auto none = db->OpenRecordset("select * from NCDATA where filename='B200'", dbOpenForwardOnly, 512);
  EXPECT_EQ(none->RecordCount(), 0);
  EXPECT_TRUE(none->Eof());
}

TEST_F(JobLookups, MachineRowHasEveryColumnTheJobRecordReads) {
  AddMachine("M1", {{"DirectoryType", "1"}, {"KelbDirectory", "D:\\Jobs\\"}, {"NcFileExtension", "nc"}});
  auto db = Open();
  auto rs = db->OpenRecordset("select * from Machine where machine='m1'", dbOpenForwardOnly);
  ASSERT_GT(rs->RecordCount(), 0);
  for (const char* column :
       {"DirectoryType", "KelbDirectory", "NcDirectory", "OptNcDirectory", "DatFileExtension",
        "KelbFileExtension", "KelbBakFileExtension", "NcFileExtension", "SetFileExtension",
        "OptNcFileExtension", "KelbCall", "NCExportDirectory", "NCExportFileExtensions", "DncCall",
        "TemplateFile", "ExportDirectory"}) {
    EXPECT_GE(rs->FieldIndex(column), 0) << column;
  }
  EXPECT_EQ(rs->Fields("DirectoryType").Value(), Variant(1LL));
  EXPECT_EQ(rs->Fields("KelbDirectory").Value().ToText(), "D:\\Jobs\\");
  EXPECT_TRUE(rs->Fields("DncCall").Value().IsNull());
}

TEST_F(JobLookups, BuiltStatementsEnumerateColumnsInTableOrder) {
  AddJob({{"Filename", "A100"}, {"Machine", "M1"}, {"Material", "1/2"}});
  AddMachine("M1", {{"NcDirectory", "E:\\Nc"}});
  auto db = Open();
  auto job = db->OpenRecordset("SELECT * FROM NCDATA WHERE filename='A100'", dbOpenForwardOnly);
  ASSERT_FALSE(job->Eof());
  const auto fields = job->AllFields();
  ASSERT_GE(fields.size(), 3u);
  EXPECT_EQ(fields[1].Name(), "Filename");
  EXPECT_EQ(fields[2].Name(), "ProgramNumber");
  EXPECT_EQ(fields.back().Name(), "VEMIX_SEQUENCE");
  auto machine = db->OpenRecordset("SELECT * FROM MACHINE WHERE Machine='M1'", dbOpenForwardOnly);
  const auto mfields = machine->AllFields();
  ASSERT_FALSE(mfields.empty());
  EXPECT_EQ(mfields.front().Name(), "Machine");
  EXPECT_EQ(mfields[3].Name(), "NcDirectory");
  EXPECT_EQ(mfields[3].Value().ToText(), "E:\\Nc");
}

}  // namespace
}  // namespace kx::test
