// Column placeholders, program calls and special folders on a loaded job record.
#include <gtest/gtest.h>

#include "core/error.h"
#include "job_record_test.h"
#include "jobdata/mdlString.h"

namespace kx::test {
namespace {

using RsDataColumns = JobRecordTest;

TEST_F(RsDataColumns, DefaultAndFolderEscaping) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}, {"Material", "  1/2 "}, {"Customer", ""}});
  const clsRsData rs = Load("A1");
  EXPECT_EQ(rs.ReplaceDbParams("$(material)", false, true), "1Chr(47)2");
  EXPECT_EQ(rs.ReplaceDbParams("$(Material)", false, false), "1/2");
  EXPECT_EQ(rs.ReplaceDbParams("x\\$(Customer)", true, true), "x\\Customer");
  EXPECT_EQ(rs.ReplaceDbParams("x\\$(Customer)", false, true), "x\\");
}

TEST_F(RsDataColumns, JobRowBeforeMachineRow) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "m0"}});
  const clsRsData rs = Load("A1");
  // The machine row is found without regard to case; Machine is taken from the job row.
  EXPECT_EQ(rs.ReplaceDbParams("$(Machine)-$(KelbFileExtension)", false, false), "m0-job");
}

TEST_F(RsDataColumns, NonTextValuesAndUnknownNames) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}, {"Materialthickness", 1.5}, {"Version", 3}});
  const clsRsData rs = Load("A1");
  EXPECT_EQ(rs.ReplaceDbParams("$(Materialthickness)/$(Version)/$(DirectoryType)", false, false), "1.5/3/0");
  EXPECT_EQ(rs.ReplaceDbParams("$(Nope) $(Version", true, true), "$(Nope) $(Version");
  EXPECT_EQ(rs.ReplaceDbParams("$(x' OR 1=1 --)", true, true), "$(x' OR 1=1 --)");
}

TEST_F(RsDataColumns, SequenceColumnIsNeverReplaced) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}, {"VEMIX_SEQUENCE", 7}});
  const clsRsData rs = Load("A1");
  EXPECT_EQ(rs.ReplaceDbParams("$(VEMIX_SEQUENCE)$(vemix_sequence)", true, false),
            "$(VEMIX_SEQUENCE)$(vemix_sequence)");
}

TEST_F(RsDataColumns, ShopColumnsOfEitherTable) {
  db.AddColumn("MACHINE", "Postprocessor");
  db.AddMachine({{"Machine", "MP"}, {"Postprocessor", "pp5"}});
  db.AddJob({{"Filename", "A1"}, {"Machine", "MP"}});
  const clsRsData rs = Load("A1");
  EXPECT_EQ(rs.ReplaceDbParams("$(POSTPROCESSOR)", false, false), "pp5");
}

TEST_F(RsDataColumns, NoDatabaseNeededWithoutPlaceholder) {
  clsRsData rs;
  rs.Initialize("D:\\nothing.db", "A1");
  EXPECT_EQ(rs.ReplaceDbParams("D:\\plain\\dir", true, true), "D:\\plain\\dir");
  EXPECT_THROW(rs.ReplaceDbParams("D:\\$(Material)", true, true), KxError);
}

TEST_F(RsDataColumns, MissingRowsLeavePlaceholders) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "NoMachine"}});
  clsRsData rs = Load("A1");
  EXPECT_EQ(rs.ReplaceDbParams("$(NcFileExtension)", true, true), "$(NcFileExtension)");
  rs.filename("NoJob");
  EXPECT_EQ(rs.ReplaceDbParams("$(Material)", true, true), "$(Material)");
}

using ProgramCall = JobRecordTest;

TEST_F(ProgramCall, KelbCallQuotesANameWithBlanksOnce) {
  db.AddJob({{"Filename", "A 100"}, {"Machine", "M0"}});
  clsRsData rs = Load("A 100");
  EXPECT_EQ(rs.GetProgramCall("cam \"$(FileName)\" $(FullFileJob)", "", true),
            "cam \"A 100\" \"D:\\Jobs\\A 100.job\"");
  EXPECT_EQ(rs.GetProgramCall("cam $(filename) $(FullFileJob)", "", true),
            "cam \"A 100\" \"D:\\Jobs\\A 100.job\"");
  EXPECT_EQ(rs.GetProgramCall("cam $(FileName) $(FullFileNc)", "", false), "cam A 100 D:\\Nc\\A 100.nc");
  EXPECT_EQ(rs.GetProgramCall("cam $(FullFileNc)", "", true), "cam D:\\Nc\\A 100.nc");  // only two are quoted
}

TEST_F(ProgramCall, NameWithoutBlankStaysUnquoted) {
  db.AddJob({{"Filename", "A100"}, {"Machine", "M0"}});
  clsRsData rs = Load("A100");
  EXPECT_EQ(rs.GetProgramCall("cam $(FileName)", "", true), "cam A100");
}

TEST_F(ProgramCall, JobPlaceholdersWithoutFile) {
  Shared().gsCountry = "049";
  db.AddJob({{"Filename", "A100"}, {"Machine", "M1"}, {"Machineset", "S1"}, {"Material", ""}});
  clsRsData rs = Load("A100");
  EXPECT_EQ(rs.GetProgramCall("$(DriveJob)|$(DriveNc)|$(DirJob)|$(DirNc)|$(ExtJob)|$(ExtNc)", "", false),
            "D:|D:|D:\\Jobs\\A100\\S1|D:\\Nc\\A100\\S1|job|nc");
  EXPECT_EQ(rs.GetProgramCall("$(DirJobBase)|$(DirNcBase)|$(Country)|$(Material)|$(Machine)", "", false),
            "D:\\Jobs\\A100|D:\\Nc\\A100|049||M1");
  EXPECT_EQ(rs.GetProgramCall("", "", true), "");
}

TEST_F(ProgramCall, GivenFileNamesTheFilePlaceholders) {
  db.AddJob({{"Filename", "A100"}, {"Machine", "M0"}});
  clsRsData rs = Load("A100");
  EXPECT_EQ(
      rs.GetProgramCall("$(DirNc)|$(DirJob)|$(FileName)|$(ExtNc)|$(DriveNc)|$(FullFileJob)|$(FullFileNc)",
                        "E:\\Other\\X 1.nc", false),
      "E:\\Other|E:\\Other|X 1|nc|E:|E:\\Other\\X 1.nc|E:\\Other\\X 1.nc");
  EXPECT_EQ(rs.GetProgramCall("$(FileName) $(FullFileJob)", "E:\\Other\\X 1.nc", true),
            "\"X 1\" \"E:\\Other\\X 1.nc\"");
  EXPECT_EQ(rs.GetProgramCall("$(DirJobBase)", "E:\\Other\\X 1.nc", false), "D:\\Jobs");
}

TEST_F(ProgramCall, SpecialFoldersInCalls) {
  db.AddJob({{"Filename", "A100"}, {"Machine", "M0"}});
  clsRsData rs = Load("A100");
  EXPECT_EQ(rs.GetProgramCall("$(AppPath)\\cam.exe $(ComAppDataPath) $(ComDocsAppPath)", "", false),
            "C:\\host\\cam.exe C:\\appdata C:\\documents\\host");
}

TEST_F(EnvTest, EachSpecialFolderAnywhereAndRepeated) {
  EXPECT_EQ(ReplacePathParams("$(apppath);$(AppPath)"), "C:\\host;C:\\host");
  EXPECT_EQ(ReplacePathParams("$(ComDocsPath)|$(PfPath)|$(ComAppDataPath)"),
            "C:\\documents|C:\\programs|C:\\appdata");
  EXPECT_EQ(ReplacePathParams("$(ComDocsAppPath)"), "C:\\documents\\host");
  EXPECT_EQ(ReplacePathParams("$(Unknown)\\$(Filename)"), "$(Unknown)\\$(Filename)");
}

}  // namespace
}  // namespace kx::test
