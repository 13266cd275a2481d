// Loading a job record: job row, reference electrodes, machine settings and directories.
#include <gtest/gtest.h>

#include "core/error.h"
#include "fs/native_path.h"
#include "job_record_test.h"

namespace kx::test {
namespace {

using RsDataLoad = JobRecordTest;

TEST_F(RsDataLoad, PerJobFolderAndMachineSetGiveTheJobDirectories) {
  db.AddJob({{"Filename", "A100"}, {"Machine", "M1"}, {"Machineset", "S1"}});
  const clsRsData rs = Load("A100");
  EXPECT_EQ(rs.DirType(), 1);
  EXPECT_EQ(rs.DirJobBase(), "D:\\Jobs\\A100");
  EXPECT_EQ(rs.DirJob(), "D:\\Jobs\\A100\\S1");
  EXPECT_EQ(rs.DirNcBase(), "D:\\Nc\\A100");
  EXPECT_EQ(rs.DirNc(), "D:\\Nc\\A100\\S1");
  EXPECT_EQ(rs.FullFileJob(), "D:\\Jobs\\A100\\S1\\A100.job");
  // The drive map puts the job's folder under the temp folder.
  env.Write("data/Jobs/A100/S1/A100.job", "x");
  EXPECT_TRUE(Fso().FileExists(rs.FullFileJob()));
}

TEST_F(RsDataLoad, WithoutPerJobFolderOrMachineSetTheBaseIsTheJobDirectory) {
  db.AddJob({{"Filename", "A100"}, {"Machine", "M0"}});
  const clsRsData rs = Load("A100");
  EXPECT_EQ(rs.DirJobBase(), "D:\\Jobs");
  EXPECT_EQ(rs.DirJob(), "D:\\Jobs");
  EXPECT_EQ(rs.DirNc(), "D:\\Nc");
  EXPECT_EQ(rs.FullFileJobBak(), "D:\\Jobs\\A100.bak");
  EXPECT_EQ(rs.FullFilePic(), "D:\\Jobs\\A100.jpg");
  EXPECT_EQ(rs.FullFileNc(), "D:\\Nc\\A100.nc");
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A100.set");
}

TEST_F(RsDataLoad, NativeMachineDirectoriesGiveTheSameJobDirectories) {
  db.AddMachine({{"Machine", "MN"},
                 {"DirectoryType", 1},
                 {"KelbDirectory", (env.Data("Jobs")).string() + "/"},
                 {"NcDirectory", (env.Data("Nc")).string()}});
  db.AddJob({{"Filename", "A100"}, {"Machine", "MN"}, {"Machineset", "S1"}});
  const clsRsData rs = Load("A100");
  EXPECT_EQ(rs.DirJob(), "D:\\Jobs\\A100\\S1");
  EXPECT_EQ(rs.DirNc(), "D:\\Nc\\A100\\S1");
}

TEST_F(RsDataLoad, FilenamePlaceholderInCapitalsIsNotAppendedTwice) {
  db.AddMachine({{"Machine", "MF"}, {"DirectoryType", 1}, {"KelbDirectory", "D:\\Jobs\\$(FILENAME)\\cam\\"}});
  db.AddJob({{"Filename", "A100"}, {"Machine", "MF"}, {"Machineset", "S1"}});
  const clsRsData rs = Load("A100");
  EXPECT_EQ(rs.DirJobBase(), "D:\\Jobs\\A100\\cam");
  EXPECT_EQ(rs.DirJob(), "D:\\Jobs\\A100\\cam\\S1");
  // An empty directory gets neither a per-job folder nor the machine-set folder.
  EXPECT_EQ(rs.DirNcBase(), "");
  EXPECT_EQ(rs.DirNc(), "");
}

TEST_F(RsDataLoad, CuttingFormsAndColumnsInMachineDirectories) {
  db.AddMachine({{"Machine", "MC"},
                 {"KelbDirectory", "D:\\$(Left(2))\\$(right(2))\\$(Mid(2,3))\\$(Material)"},
                 {"NcDirectory", "D:\\Nc\\$(Customer)\\$(NcFileExtension)"},
                 {"NcFileExtension", "nc"}});
  db.AddJob({{"Filename", "A12345"}, {"Machine", "MC"}, {"Material", "1/2"}, {"Customer", Variant::Null()}});
  const clsRsData rs = Load("A12345");
  EXPECT_EQ(rs.DirJobBase(), "D:\\A1\\45\\123\\1Chr(47)2");
  // An empty column gives its own name; a machine column is found after the job row.
  EXPECT_EQ(rs.DirNcBase(), "D:\\Nc\\Customer\\nc");
}

TEST_F(RsDataLoad, BrokenTemplatesStayAsWritten) {
  db.AddMachine(
      {{"Machine", "MB"},
       {"KelbDirectory", "D:\\J\\$(Left(99999999999))\\$(Mid(a,b))\\$(NoSuchColumn)\\))\\$(Material"}});
  db.AddJob({{"Filename", "A100"}, {"Machine", "MB"}, {"Material", "St"}});
  const clsRsData rs = Load("A100");
  EXPECT_EQ(rs.DirJobBase(), "D:\\J\\A100\\$(Mid(a,b))\\$(NoSuchColumn)\\))\\$(Material");
}

TEST_F(RsDataLoad, SpecialFoldersInDirectoriesAndTemplateFile) {
  db.AddMachine({{"Machine", "MS"},
                 {"KelbDirectory", "$(ComDocsPath)\\Jobs"},
                 {"NcDirectory", "$(PfPath)\\Nc"},
                 {"TemplateFile", "$(AppPath)\\tpl\\$(Filename).tpl"}});
  db.AddJob({{"Filename", "A100"}, {"Machine", "MS"}});
  const clsRsData rs = Load("A100");
  EXPECT_EQ(rs.DirJob(), "C:\\documents\\Jobs");
  EXPECT_EQ(rs.DirNc(), "C:\\programs\\Nc");
  EXPECT_EQ(rs.TemplateFile(), "C:\\host\\tpl\\$(Filename).tpl");  // only the folders are expanded
}

TEST_F(RsDataLoad, JobColumnsAndOwner) {
  db.AddJob({{"Filename", "J1"},
             {"Machine", "M0"},
             {"Machineset", "S"},
             {"MachinesetMax", "S9"},
             {"Programmer", ""},
             {"Author", "U1"},
             {"DataArchive", 2},
             {"NestStatus", 3},
             {"Released", 1},
             {"OrderNumber", "O-7"},
             {"Material", "Steel"},
             {"Materialthickness", 2.5},
             {"Name", "Bracket"}});
  db.AddJob({{"Filename", "J2"}, {"Programmer", "P"}, {"Author", "U1"}});
  db.AddJob({{"Filename", "J3"}, {"Programmer", Variant::Null()}, {"Author", Variant::Null()}});
  const clsRsData j1 = Load("J1");
  EXPECT_EQ(j1.Owner(), "U1");
  EXPECT_EQ(j1.Machineset(), "S");
  EXPECT_EQ(j1.MachinesetMax(), "S9");
  EXPECT_EQ(j1.DataArchive(), 2);
  EXPECT_EQ(j1.NestStatus(), 3);
  EXPECT_EQ(j1.Released(), 1);
  EXPECT_EQ(j1.Ordernumber(), "O-7");
  EXPECT_EQ(j1.Material(), "Steel");
  EXPECT_DOUBLE_EQ(j1.Materialthickness(), 2.5);
  EXPECT_EQ(j1.Name(), "Bracket");
  EXPECT_EQ(Load("J2").Owner(), "P");
  EXPECT_EQ(Load("J3").Owner(), "");
}

TEST_F(RsDataLoad, ReferenceElectrodeTakesItsDataFromTheReferencedJob) {
  db.AddJob({{"Filename", "B200"}, {"Machine", "M0"}, {"Material", "Cu"}, {"DataType", 1}});
  db.AddJob({{"Filename", "E1"}, {"DataType", 5}, {"ElecRefFilename", "B200"}, {"Material", "own"}});
  db.AddJob({{"Filename", "E2"}, {"DataType", 5}, {"ElecRefFilename", Variant::Null()}, {"Machine", "M0"}});
  db.AddJob({{"Filename", "E3"}, {"DataType", 5}, {"ElecRefFilename", "GONE"}, {"Material", "own"}});

  const clsRsData e1 = Load("E1");
  EXPECT_EQ(e1.filename(), "B200");
  EXPECT_EQ(e1.OrgFilename(), "E1");
  EXPECT_EQ(e1.NcDataType(), 5);
  EXPECT_EQ(e1.Material(), "Cu");
  EXPECT_TRUE(e1.IsRefElectrode());
  EXPECT_EQ(e1.FullFileJob(), "D:\\Jobs\\B200.job");

  const clsRsData e2 = Load("E2");
  EXPECT_EQ(e2.filename(), "E2");
  EXPECT_FALSE(e2.IsRefElectrode());
  EXPECT_EQ(e2.DirJob(), "D:\\Jobs");

  const clsRsData e3 = Load("E3");
  EXPECT_EQ(e3.filename(), "GONE");
  EXPECT_EQ(e3.NcDataType(), 5);
  EXPECT_EQ(e3.Material(), "");
  EXPECT_EQ(e3.DirJob(), "");
  EXPECT_EQ(Load("E3", "M1").DirJob(), "D:\\Jobs\\GONE");  // only the machine can still be given
}

TEST_F(RsDataLoad, GivenMachineOverridesTheJobsMachine) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}});
  clsRsData rs = Load("A1", "M1");
  EXPECT_EQ(rs.Machine(), "M1");
  EXPECT_EQ(rs.DirJob(), "D:\\Jobs\\A1");
  rs.Requery();  // without a machine: the job's own again
  EXPECT_EQ(rs.Machine(), "M0");
  EXPECT_EQ(rs.DirJob(), "D:\\Jobs");
}

TEST_F(RsDataLoad, ExportDirectoriesAndPresetSurvives) {
  db.AddMachine({{"Machine", "ME"},
                 {"NCExportDirectory", "D:\\Exp\\$(Left(1))"},
                 {"ExportDirectory", "D:\\X\\$(filename)\\$(Material)"},
                 {"NCExportFileExtensions", "nc;txt"}});
  db.AddJob({{"Filename", "A100"}, {"Machine", "ME"}, {"Material", "St"}});
  clsRsData fresh = Load("A100");
  EXPECT_EQ(fresh.DirNcExport(), "D:\\Exp\\A");
  EXPECT_EQ(fresh.DirExport(), "D:\\X\\A100\\$(Material)");  // no column expansion here
  EXPECT_EQ(fresh.ExtsNcExport(), "nc;txt");

  clsRsData preset;
  preset.DirNcExport("E:\\Out\\$(Filename)");
  preset.Initialize(db.Path(), "A100");
  EXPECT_EQ(preset.DirNcExport(), "E:\\Out\\A100");
}

TEST_F(RsDataLoad, NameWithSingleQuote) {
  db.AddMachine({{"Machine", "Bob's"}, {"KelbDirectory", "D:\\Q\\$(Name)"}});
  db.AddJob({{"Filename", "O'Brien"}, {"Machine", "Bob's"}, {"Name", "it's"}});
  const clsRsData rs = Load("O'Brien");
  EXPECT_EQ(rs.Machine(), "Bob's");
  EXPECT_EQ(rs.DirJob(), "D:\\Q\\it's");
}

TEST_F(RsDataLoad, MissingDatabaseOrNameLeavesAClearedObject) {
  clsRsData rs;
  EXPECT_NO_THROW(rs.Initialize("D:\\nothing.db", "A1"));
  EXPECT_EQ(rs.DbName(), "D:\\nothing.db");
  EXPECT_EQ(rs.OrgFilename(), "A1");
  EXPECT_EQ(rs.filename(), "A1");
  EXPECT_EQ(rs.Machine(), "");
  EXPECT_EQ(rs.DirJob(), "");
  EXPECT_EQ(rs.NcDataType(), 0);
  EXPECT_EQ(rs.FullFileJob(), "\\A1.");
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}});
  EXPECT_EQ(Load("").DirJob(), "");
}

TEST_F(RsDataLoad, ResetKeepsExactlyTheDocumentedProperties) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}, {"NestStatus", 4}, {"Material", "St"}});
  clsRsData rs = Load("A1");
  rs.ExtsNcExport("nc");
  rs.DirExport("D:\\E");
  rs.DirNcExport("D:\\N");
  rs.DfltNestGap("5");
  rs.Initialize("D:\\nothing.db", "B1");
  EXPECT_EQ(rs.NestStatus(), 4);
  EXPECT_EQ(rs.ExtOpt(), "opt");
  EXPECT_EQ(rs.ExtsNcExport(), "nc");
  EXPECT_EQ(rs.DirExport(), "D:\\E");
  EXPECT_EQ(rs.DirNcExport(), "D:\\N");
  EXPECT_EQ(rs.DfltNestGap(), "");
  EXPECT_EQ(rs.Material(), "");
  EXPECT_EQ(rs.ExtJob(), "");
  EXPECT_EQ(rs.DirJob(), "");
}

TEST_F(RsDataLoad, ValueOutOfRangeEndsTheLoadWithAnError) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}, {"Released", 70000}});
  clsRsData rs;
  EXPECT_THROW(rs.Initialize(db.Path(), "A1"), KxError);
  EXPECT_EQ(rs.Machine(), "M0");  // what was read before the failing column stays
}

TEST(RsDataProperties, DirectoriesDropBackslashesOnSet) {
  clsRsData rs;
  rs.DirJob("\\\\srv\\share\\x\\\\");
  EXPECT_EQ(rs.DirJob(), "\\\\srv\\share\\x");
  rs.DirNc("\\a\\\\");
  EXPECT_EQ(rs.DirNc(), "a");
  rs.DirOpt("Opt\\");
  EXPECT_EQ(rs.DirOpt(), "Opt");
  rs.DirNcExport("\\x\\");  // not a trimmed property
  EXPECT_EQ(rs.DirNcExport(), "\\x\\");
}

}  // namespace
}  // namespace kx::test
