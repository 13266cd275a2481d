// End to end on a generated demo: the installation it lays out, then proposals, a new job
// copied from another, refused input, replace, placeholders and the job's files, through the
// commands.
#include <gmock/gmock.h>

#include "cli_fixture.h"
#include "config/config_keys.h"
#include "embedded_messages.h"
#include "fs/native_path.h"

namespace kx::test {
namespace {

using ::testing::HasSubstr;

class CliDemoTest : public CliTest {
 protected:
  void SetUp() override {
    const CliResult r = Run({"demo", (env / "demo").string(), "--jobs", "40"});
    ASSERT_EQ(r.code, 0) << r.err;
    demoOut = r.out;
    vars["demo"] = (env / "demo").string();
    vars["cfg"] = (env / "demo/torvel.cfg").string();
  }
  // A column of the demo's job.
  std::string Col(const std::string& job, const std::string& column) const {
    return db.One("select [" + column + "] from NcData where [Filename]='" + job + "'");
  }

  std::string demoOut;
  JobDatabase db{(env / "demo/data/jobs.db").string(), false};
};

TEST_F(CliDemoTest, LaysOutACompleteInstallation) {
  EXPECT_THAT(demoOut, HasSubstr("export KESTRAFIX_DRIVE_MAP='" + vars["demo"] + "/drives.ini'\n"));
  EXPECT_THAT(demoOut, HasSubstr("export KESTRAFIX_ADDIN_PATH='"));
  EXPECT_THAT(demoOut, HasSubstr("export KESTRAFIX_COMMON_DOCUMENTS='"));
  const std::string envFile = ReadAll(env / "demo/kestrafix.env");
  EXPECT_EQ(envFile.find("export KESTRAFIX_DRIVE_MAP="), envFile.find("export"));  // the first

  const TorvelSettings t = ReadTorvelSettings(vars["cfg"]);
  EXPECT_EQ(t.DbName, "D:\\jobs.db");
  EXPECT_EQ(t.Country, "049");
  EXPECT_EQ(t.SubFolderCount, 2);
  EXPECT_EQ(t.UserId, "demo");
  EXPECT_FALSE(t.Synchron);
  EXPECT_TRUE(t.ShowElectrode);
  EXPECT_EQ(NativeDbPath(t.DbName), db.Path());  // through the demo's drive map

  // The shipped message files, byte for byte, where the add-in looks for them.
  ASSERT_FALSE(cli::EmbeddedMessageFiles().empty());
  for (const auto& f : cli::EmbeddedMessageFiles())
    EXPECT_EQ(ReadAll(env / "demo/host/ResStr" / std::string(f.name)), std::string(f.bytes)) << f.name;
  // The add-in INI lies where the add-in finds it with the demo's environment.
  EXPECT_EQ(ReadFrmMainTexts().BaseFolder, "D:\\Kunden");
  EXPECT_EQ(ReadFrmReplaceTexts().Question, "Rückfrage");
  EXPECT_TRUE(std::filesystem::is_directory(env / "demo/data/Kunden/Kunze AG/2024-003"));

  EXPECT_EQ(db.Rows("select Count(*), Count(Distinct DataType) from NcData"),
            std::vector<std::string>{"40|5"});
  EXPECT_EQ(db.Rows("select Count(*), Sum(DirectoryType) from Machine"), std::vector<std::string>{"3|1"});
  EXPECT_EQ(Col("A10039", "ProgramNumber"), "P2039");
  EXPECT_EQ(Col("700001", "ProgramNumber"), "10002");

  // The last job has real files; a second demo into the same folder is refused.
  RunSteps({
      {{"files", "--config", "%cfg%", "A10039", "--json"}, 0, "~\"typeName\":\"nc\""},
      {{"files", "--config", "%cfg%", "A10039"}, 0, "Job A10039: ..."},
      {{"demo", "%demo%"},
       1,
       "",
       "kestrafix: error 58 (kestrafix demo): '%demo%' already holds a demo; remove it or choose another "
       "folder.\n"},
  });
  EXPECT_EQ(db.Count("select Count(*) from NcData"), 40);
}

// Every road once through the command line, on the demo's data.
TEST_F(CliDemoTest, RoadsThroughTheCommands) {
  const std::string filesBefore = Run({"files", "--config", vars["cfg"], "A10039"}).out;
  const std::string version = Col("A10039", "Version");
  const std::string material = Col("A10039", "Material");
  vars["st37"] = db.One("select Count(*) from NcData where Material = 'ST37'");
  ASSERT_NE(vars["st37"], "0");
  vars["machine"] = Col("A10039", "Machine");
  vars["ext"] = db.One("select KelbFileExtension from Machine where Machine='" + vars["machine"] + "'");
  vars["material"] = material;
  RunSteps({
      {{"propose", "--config", "%cfg%"}, 0, "Proposed file name (start \"A10039\"): A10040\n"},
      {{"propose", "--config", "%cfg%", "--for", "program", "--json"},
       0,
       "{\"for\":\"program\",\"start\":\"P2039\",\"value\":\"P2040\"}\n"},
      // Next free value: 700002 is free in the pool of both keys, 10001 among program numbers.
      {{"propose", "--config", "%cfg%", "--for", "both", "--start", "700001", "--json"},
       0,
       "{\"for\":\"both\",\"start\":\"700001\",\"value\":\"700002\"}\n"},
      {{"propose", "--config", "%cfg%", "--for", "program", "--start", "10000", "--json"},
       0,
       "{\"for\":\"program\",\"start\":\"10000\",\"value\":\"10001\"}\n"},
      // Machine, address and order typed without case: the lists' rows are taken.
      {{"new-job", "--config", "%cfg%", "--program-number", "99001", "--filename", "N100", "--type", "2",
        "--machine", "laser1", "--address", "kunze ag", "--order", "2024-003", "--copy-from", "a10039",
        "--json"},
       0,
       "{\"filename\":\"N100\",\"programNumber\":\"99001\",\"dataType\":2,\"machine\":\"Laser1\",..."},
      {{"expand", "--config", "%cfg%", "--job", "A10039",
        "$(FileName)|$(Material)|$(Country)|$(Machine)|$(ExtJob)"},
       0,
       "A10039|%material%|049|%machine%|%ext%\n"},
      {{"expand", "--config", "%cfg%", "--job", "A10039", "--file", "D:\\x\\My Part.nc", "--kelb-call",
        "cam $(FileName) $(DirNc)", "--json"},
       0,
       "{\"job\":\"A10039\",\"template\":\"cam $(FileName) $(DirNc)\",\"value\":\"cam \\\"My Part\\\" "
       "D:\\\\x\"}\n"},
      {{"expand", "--config", "%cfg%", "--job", "NOPE", "$(FileName)"},
       2,
       "",
       "kestrafix: no job 'NOPE' in the job table\n"},
      // Replace: dry run, a No, then --yes.
      {{"replace", "--config", "%cfg%", "--column", "material", "--like", " ST37 ", "--value", "ST52",
        "--dry-run"},
       0,
       "%st37% jobs with [Material] like \"ST37\" (dry run, nothing changed):\n..."},
      {{"replace", "--config", "%cfg%", "--column", "Material", "--like", "ST37", "--value", "ST52"},
       0,
       "~Rückfrage: %st37% Aufträge werden geändert. Fortfahren? [y/N] Nothing changed.\n",
       "",
       "n\n"},
      {{"replace", "--config", "%cfg%", "--column", "Material", "--like", "ST3?", "--value", "ST52", "--yes",
        "--json"},
       0,
       "{\"column\":\"Material\",\"pattern\":\"ST3?\",\"value\":\"ST52\",\"count\":%st37%,\"updated\":%st37%}"
       "\n"},
      {{"replace", "--config", "%cfg%", "--column", "Comment", "--like", "Eil*", "--value", "", "--yes"},
       0,
       "..."},
      // Columns the dialog does not offer.
      {{"replace", "--config", "%cfg%", "--column", "programnumber", "--like", "*", "--value", "1", "--yes"},
       2,
       "",
       "kestrafix: column 'ProgramNumber' is a key of the job and is never replaced\n"},
      {{"replace", "--config", "%cfg%", "--column", "Nope", "--like", "*", "--value", "1", "--yes"},
       2,
       "",
       "kestrafix: 'Nope' is no column of the job table\n"},
  });
  // The copy: its own values and the source's other columns, its files under its own name.
  EXPECT_EQ(Col("N100", "Author"), "demo");
  EXPECT_EQ(Col("N100", "Adresstext"), "Kunze AG");
  EXPECT_EQ(Col("N100", "OrderNumber"), "2024-003");
  EXPECT_EQ(Col("N100", "Material"), material == "ST37" ? "ST52" : material);
  EXPECT_EQ(std::stol(Col("N100", "Version")), std::stol(version) + 1);
  EXPECT_EQ(Col("N100", "Text10"), "<Null>");  // the first write's marker was cleared again
  const std::string jobFile =
      "D:\\Jobs\\Laser1\\N100\\" + Col("N100", "Machineset") + "\\N100." + vars["ext"];
  EXPECT_TRUE(std::filesystem::is_regular_file(ToNative(jobFile))) << jobFile;
  EXPECT_EQ(Run({"files", "--config", vars["cfg"], "A10039"}).out, filesBefore);
  // The replace: none left, the empty value cleared to Null.
  EXPECT_EQ(db.Count("select Count(*) from NcData where Material = 'ST37'"), 0);
  EXPECT_EQ(db.Count("select Count(*) from NcData where Comment Is Null"), 41);
  EXPECT_EQ(db.Count("select Count(*) from NcData where ProgramNumber = '1'"), 0);
}

// Refused input: the message table's text, exit 2, nothing stored.
TEST_F(CliDemoTest, RefusedNewJobsStoreNothing) {
  const auto newJob = [](const std::string& option, const std::string& value) {
    std::vector<std::string> args = {"new-job"};
    for (const auto& [name, given] :
         std::vector<std::pair<std::string, std::string>>{{"--config", "%cfg%"},
                                                          {"--program-number", "99002"},
                                                          {"--filename", "N101"},
                                                          {"--type", "0"},
                                                          {"--machine", "Laser1"},
                                                          {"--address", "Becker GmbH"},
                                                          {"--order", "2024-001"},
                                                          {"--copy-from", "A10000"}}) {
      args.push_back(name);
      args.push_back(name == option ? value : given);
    }
    return args;
  };
  RunSteps({
      {newJob("--filename", "a10039"), 2, "",
       "kestrafix: Dateiname \"a10039\" ist bereits vergeben. Bitte einen anderen Wert eingeben.\n"},
      {newJob("--program-number", ""), 2, "", "kestrafix: Bitte Programmnummer eingeben.\n"},
      {newJob("--address", "Nobody"), 2, "", "kestrafix: Adresse?\n"},
      {newJob("--order", "2030-001"), 2, "", "kestrafix: Auftragsnummer?\n"},
      {newJob("--copy-from", "ZZZ"), 2, "", "kestrafix: no job 'ZZZ' in the job table\n"},
  });
  // Without the host's message files (and add-in INI) the built-in copy gives the same texts.
  env.Unset("KESTRAFIX_ADDIN_PATH");
  std::vector<std::string> args = newJob("--program-number", "");
  args.insert(args.end(), {"--base-folder", "%demo%/data/Kunden"});
  RunSteps({{args, 2, "", "kestrafix: Bitte Programmnummer eingeben.\n"}});
  EXPECT_EQ(db.Count("select Count(*) from NcData"), 40);
  EXPECT_FALSE(std::filesystem::exists(ToNative("D:\\Jobs\\Laser1\\N101")));
}

}  // namespace
}  // namespace kx::test
