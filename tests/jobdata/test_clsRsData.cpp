// The job record: loading the job row, reference electrodes, machine settings and directories;
// file names that depend on the files present; column placeholders, program calls and special
// folders.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "case_table.h"
#include "config/shared_state.h"
#include "core/error.h"
#include "fs/native_path.h"
#include "job_database.h"
#include "jobdata/clsRsData.h"
#include "jobdata/mdlString.h"

namespace kx::test {
namespace {

// The job world and a helper to load a job.
class JobRecordTest : public JobWorldTest {
 protected:
  clsRsData Load(const std::string& job, const std::string& sMachine = "") const {
    clsRsData rs;
    rs.Initialize(db.Path(), job, sMachine);
    return rs;
  }
};

using RsDataLoad = OnEachEngine<JobRecordTest>;

// "DirJobBase|DirJob|DirNcBase|DirNc" of a job on each machine of the job world: a folder per
// job and the machine set, or the bare directories; native directories in Windows form; a
// placeholder for the file name in capitals not appended twice; cutting forms and columns (an
// empty column gives its name, a machine column is found after the job row); broken forms as
// written; special folders; quotes in names. An empty directory gets no folder at all.
TEST_P(RsDataLoad, MachineDirectoriesGiveTheJobDirectories) {
  db.AddMachine({{"Machine", "MN"},
                 {"DirectoryType", 1},
                 {"KelbDirectory", env.Data("Jobs").string() + "/"},
                 {"NcDirectory", env.Data("Nc").string()}});
  const struct {
    const char* job;
    const char* machine;
    const char* set;
    const char* dirs;
  } cases[] = {
      {"A100", "M1", "S1", "D:\\Jobs\\A100|D:\\Jobs\\A100\\S1|D:\\Nc\\A100|D:\\Nc\\A100\\S1"},
      {"A101", "M0", "", "D:\\Jobs|D:\\Jobs|D:\\Nc|D:\\Nc"},
      {"A102", "MN", "S1", "D:\\Jobs\\A102|D:\\Jobs\\A102\\S1|D:\\Nc\\A102|D:\\Nc\\A102\\S1"},
      {"A103", "MF", "S1", "D:\\Jobs\\A103\\cam|D:\\Jobs\\A103\\cam\\S1||"},
      {"A12345", "MC", "",
       "D:\\A1\\45\\123\\1Chr(47)2|D:\\A1\\45\\123\\1Chr(47)2|D:\\Nc\\Customer\\nc|D:\\Nc\\Customer\\nc"},
      {"A104", "MB", "",
       "D:\\J\\A104\\$(Mid(a,b))\\$(NoSuchColumn)\\))\\$(Material|D:\\J\\A104\\$(Mid(a,b))\\$(NoSuchColumn)"
       "\\))\\$(Material||"},
      {"A105", "MS", "", "C:\\documents\\Jobs|C:\\documents\\Jobs|C:\\programs\\Nc|C:\\programs\\Nc"},
      {"O'Brien", "Bob's", "", "D:\\Q\\it's|D:\\Q\\it's||"},
  };
  for (const auto& c : cases) {
    db.AddJob({{"Filename", c.job},
               {"Machine", c.machine},
               {"Machineset", *c.set ? Variant(c.set) : kNull},
               {"Material", "1/2"},
               {"Customer", kNull},
               {"Name", "it's"}});
    const clsRsData rs = Load(c.job);
    EXPECT_EQ(rs.DirJobBase() + "|" + rs.DirJob() + "|" + rs.DirNcBase() + "|" + rs.DirNc(), c.dirs)
        << c.machine;
  }
  EXPECT_EQ(Load("A100").DirType(), 1);
  EXPECT_EQ(Load("A100").FullFileJob(), "D:\\Jobs\\A100\\S1\\A100.job");
  env.Put("Jobs\\A100\\S1\\A100.job");  // through the drive map
  EXPECT_TRUE(Fso().FileExists(Load("A100").FullFileJob()));
  const clsRsData flat = Load("A101");
  EXPECT_EQ(
      flat.FullFileJobBak() + "|" + flat.FullFilePic() + "|" + flat.FullFileNc() + "|" + flat.FullFileSet(),
      "D:\\Jobs\\A101.bak|D:\\Jobs\\A101.jpg|D:\\Nc\\A101.nc|D:\\Nc\\A101.set");
  EXPECT_EQ(Load("A105").TemplateFile(), "C:\\host\\tpl\\$(Filename).tpl");  // only the folders are expanded
  EXPECT_EQ(Load("O'Brien").Machine(), "Bob's");
}

TEST_P(RsDataLoad, JobColumnsAndOwner) {
  db.Execute(
      "insert into NcData (Filename, Machine, Machineset, MachinesetMax, Programmer, Author, DataArchive, "
      "NestStatus, Released, OrderNumber, Material, Materialthickness, Name) values "
      "('J1', 'M0', 'S', 'S9', '', 'U1', 2, 3, 1, 'O-7', 'Steel', 2.5, 'Bracket')");
  db.AddJob({{"Filename", "J2"}, {"Programmer", "P"}, {"Author", "U1"}});
  db.AddJob({{"Filename", "J3"}, {"Programmer", Variant::Null()}, {"Author", Variant::Null()}});
  const clsRsData j = Load("J1");
  EXPECT_EQ(fmt::format("{}|{}|{}|{}|{}|{}|{}|{}|{}|{}", j.Owner(), j.Machineset(), j.MachinesetMax(),
                        j.DataArchive(), j.NestStatus(), j.Released(), j.Ordernumber(), j.Material(),
                        j.Materialthickness(), j.Name()),
            "U1|S|S9|2|3|1|O-7|Steel|2.5|Bracket");
  EXPECT_EQ(Load("J2").Owner(), "P");
  EXPECT_EQ(Load("J3").Owner(), "");
}

TEST_P(RsDataLoad, ReferenceElectrodeTakesItsDataFromTheReferencedJob) {
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

TEST_P(RsDataLoad, GivenMachineOverridesTheJobsMachine) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}});
  clsRsData rs = Load("A1", "M1");
  EXPECT_EQ(rs.Machine(), "M1");
  EXPECT_EQ(rs.DirJob(), "D:\\Jobs\\A1");
  rs.Requery();  // without a machine: the job's own again
  EXPECT_EQ(rs.Machine(), "M0");
  EXPECT_EQ(rs.DirJob(), "D:\\Jobs");
}

TEST_P(RsDataLoad, ExportDirectoriesAndPresetSurvives) {
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

TEST_P(RsDataLoad, MissingDatabaseOrNameLeavesAClearedObject) {
  clsRsData rs;
  EXPECT_NO_THROW(rs.Initialize("D:\\nothing.db", "A1"));
  EXPECT_EQ(fmt::format("{}|{}|{}|{}|{}|{}|{}", rs.DbName(), rs.OrgFilename(), rs.filename(), rs.Machine(),
                        rs.DirJob(), rs.NcDataType(), rs.FullFileJob()),
            "D:\\nothing.db|A1|A1|||0|\\A1.");
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}});
  EXPECT_EQ(Load("").DirJob(), "");
}

TEST_P(RsDataLoad, ResetKeepsExactlyTheDocumentedProperties) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "M0"}, {"NestStatus", 4}, {"Material", "St"}});
  clsRsData rs = Load("A1");
  rs.ExtsNcExport("nc");
  rs.DirExport("D:\\E");
  rs.DirNcExport("D:\\N");
  rs.DfltNestGap("5");
  rs.Initialize("D:\\nothing.db", "B1");
  EXPECT_EQ(fmt::format("{}|{}|{}|{}|{}|{}|{}|{}|{}", rs.NestStatus(), rs.ExtOpt(), rs.ExtsNcExport(),
                        rs.DirExport(), rs.DirNcExport(), rs.DfltNestGap(), rs.Material(), rs.ExtJob(),
                        rs.DirJob()),
            "4|opt|nc|D:\\E|D:\\N||||");
}

TEST_P(RsDataLoad, ValueOutOfRangeEndsTheLoadWithAnError) {
  if (OnServer()) GTEST_SKIP() << "a server's number column holds only values that fit";
  db.DropNumberGuards();
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

// A job A1 on machine MD: data file, set-up sheet and optimised files beside the NC file.
class RsDataFilesWorld : public JobRecordTest {
 protected:
  RsDataFilesWorld() { db.AddJob({{"Filename", "A1"}, {"Machine", "MD"}}); }
};
using RsDataFiles = OnEachEngine<RsDataFilesWorld>;

TEST_P(RsDataFiles, DataFileReplacesTheNcFileWhenPresent) {
  clsRsData rs = Load("A1");
  EXPECT_FALSE(rs.IsDatFile());
  EXPECT_EQ(rs.FullFileNc(), "D:\\Nc\\A1.nc");
  EXPECT_EQ(rs.FullFileDat(), "D:\\Nc\\A1.txt");
  env.Write("data/Nc/A1.txt", "data");
  EXPECT_TRUE(rs.IsDatFile());
  EXPECT_EQ(rs.FullFileNc(), "D:\\Nc\\A1.txt");
  rs.ExtDat("");
  EXPECT_FALSE(rs.IsDatFile());
  EXPECT_EQ(rs.FullFileNc(), "D:\\Nc\\A1.nc");
}

TEST_P(RsDataFiles, PdfSetUpSheetFallsBackToThePresentDataFile) {
  clsRsData rs = Load("A1");
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.PDF");  // neither present
  env.Write("data/Nc/A1.txt", "data");
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.txt");
  env.Write("data/Nc/A1.PDF", "%PDF");
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.PDF");
  std::filesystem::remove(env / "data/Nc/A1.PDF");
  rs.ExtDat("");
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.PDF");
  rs.ExtDat("txt");
  rs.ExtSet("set");  // not a PDF: always its own name
  EXPECT_EQ(rs.FullFileSet(), "D:\\Nc\\A1.set");
}

TEST_P(RsDataFiles, OptimisedFileAbsoluteRelativeOrBeside) {
  clsRsData rs = Load("A1");
  EXPECT_EQ(rs.GetFullFileOpt("D:\\Nc\\A1.nc"), "D:\\Nc\\A1.opt");
  rs.DirOpt("Opt");
  EXPECT_EQ(rs.GetFullFileOpt("D:\\Nc\\A1.nc"), "D:\\Nc\\Opt\\A1.opt");
  rs.DirOpt("D:\\Optimised\\");
  EXPECT_EQ(rs.GetFullFileOpt("D:\\Nc\\A1.nc"), "D:\\Optimised\\A1.opt");
  rs.DirOpt("Q:\\Opt");  // a drive that does not exist counts as relative
  EXPECT_EQ(rs.GetFullFileOpt("D:\\Nc\\A1.nc"), "D:\\Nc\\Q:\\Opt\\A1.opt");
}

using RsDataColumns = OnEachEngine<JobRecordTest>;

// The cases of tests/data/cases/placeholders.txt on the jobs of placeholder_jobs.sql.
TEST_P(RsDataColumns, PlaceholdersAndProgramCalls) {
  db.Seed("placeholder_jobs.sql");
  Shared().gsCountry = "049";
  for (const Case& c : Cases("placeholders.txt")) {
    clsRsData rs = Load(c.in[1]);
    EXPECT_EQ(c.in[0] == "ReplaceDbParams" ? rs.ReplaceDbParams(c.in[2], c.in[3] == "1", c.in[4] == "1")
                                           : rs.GetProgramCall(c.in[2], c.in[3], c.in[4] == "1"),
              c.out)
        << c.line;
  }
}

TEST_P(RsDataColumns, NoDatabaseNeededWithoutPlaceholder) {
  clsRsData rs;
  rs.Initialize("D:\\nothing.db", "A1");
  EXPECT_EQ(rs.ReplaceDbParams("D:\\plain\\dir", true, true), "D:\\plain\\dir");
  EXPECT_THROW(rs.ReplaceDbParams("D:\\$(Material)", true, true), KxError);
}

TEST_P(RsDataColumns, MissingRowsLeavePlaceholders) {
  db.AddJob({{"Filename", "A1"}, {"Machine", "NoMachine"}});
  clsRsData rs = Load("A1");
  EXPECT_EQ(rs.ReplaceDbParams("$(NcFileExtension)", true, true), "$(NcFileExtension)");
  rs.filename("NoJob");
  EXPECT_EQ(rs.ReplaceDbParams("$(Material)", true, true), "$(Material)");
}

TEST_F(EnvTest, EachSpecialFolderAnywhereAndRepeated) {
  EXPECT_EQ(ReplacePathParams("$(apppath);$(AppPath)"), "C:\\host;C:\\host");
  EXPECT_EQ(ReplacePathParams("$(ComDocsPath)|$(PfPath)|$(ComAppDataPath)"),
            "C:\\documents|C:\\programs|C:\\appdata");
  EXPECT_EQ(ReplacePathParams("$(ComDocsAppPath)"), "C:\\documents\\host");
  EXPECT_EQ(ReplacePathParams("$(Unknown)\\$(Filename)"), "$(Unknown)\\$(Filename)");
}

KX_ON_EACH_ENGINE(RsDataLoad);
KX_ON_EACH_ENGINE(RsDataFiles);
KX_ON_EACH_ENGINE(RsDataColumns);

}  // namespace
}  // namespace kx::test
