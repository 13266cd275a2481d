// End to end on a generated demo: the installation it lays out, then proposals, a new job
// copied from another, refused input, replace, placeholders and the job's files, through the
// commands.
#include <gmock/gmock.h>

#include <filesystem>

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

  // The last job has real files.
  EXPECT_NE(Run({"files", "--config", vars["cfg"], "A10039", "--json"}).out.find("\"typeName\":\"nc\""),
            std::string::npos);
  EXPECT_TRUE(Run({"files", "--config", vars["cfg"], "A10039"}).out.starts_with("Job A10039: "));
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
  env.Write("demo/data/Jobs/Laser1/N102", "a file where the job folder goes");
  vars["set"] = Col("A10039", "Machineset");
  vars["jobfile"] = "D:\\Jobs\\" + vars["machine"] + "\\" + vars["set"] + "\\A10039." + vars["ext"];
  vars["size"] = std::to_string(std::filesystem::file_size(ToNative(vars["jobfile"])));
  // A folder where the copy of N105 wants to write its job file.
  std::filesystem::create_directories(
      ToNative("D:\\Jobs\\Laser1\\N105\\" + vars["set"] + "\\N105." + vars["ext"]));
  // Of the demo's own jobs (the scenario adds N100, N102 and N105).
  const std::string nullComments =
      "select Count(*) from NcData where Comment Is Null and Filename not like 'N10#'";
  const long nullCommentsBefore = db.Count(nullComments);
  RunScenario("demo.txt");

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
  EXPECT_FALSE(std::filesystem::exists(ToNative("D:\\Jobs\\Laser1\\N101")));  // refused: nothing stored
  EXPECT_EQ(Col("N102", "ProgramNumber"), "99003");
  // The replace: none left; the comments cleared to Null and set back by the undo.
  EXPECT_EQ(db.Count("select Count(*) from NcData where Material = 'ST37'"), 0);
  EXPECT_EQ(db.Count(nullComments), nullCommentsBefore);
  EXPECT_EQ(db.Count("select Count(*) from NcData where ProgramNumber = '1'"), 0);
}

// Without the host's message file the built-in copy gives the same texts, after a warning that
// names the file.
TEST_F(CliDemoTest, BuiltInMessagesWithoutTheHostsFileAndAWarning) {
  std::filesystem::remove(env / "demo/host/ResStr/torvel.049");
  const CliResult r = Run({"new-job", "--config", vars["cfg"], "--program-number", "", "--filename", "N101",
                           "--type", "0", "--machine", "Laser1", "--address", "Becker GmbH", "--order",
                           "2024-001", "--base-folder", vars["demo"] + "/data/Kunden"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "kestrafix: warning: the message file " + vars["demo"] +
                       "/host/ResStr/torvel.049 is missing; the built-in texts of torvel.049 are used\n"
                       "kestrafix: Bitte Programmnummer eingeben.\n");
}

}  // namespace
}  // namespace kx::test
