// End to end on a generated demo: the installation it lays out, then proposals, a new job
// copied from another, refused input, replace and the job's files, through the commands.
#include <gmock/gmock.h>

#include "cli_fixture.h"
#include "config/config_keys.h"
#include "embedded_messages.h"
#include "json_writer.h"

namespace kx::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class CliDemoTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    demo_ = dir_ / "demo";
    const CliResult r = Run({"demo", demo_.string(), "--jobs", "40"});
    ASSERT_EQ(r.code, 0) << r.err;
    demoOut_ = r.out;
    config_ = (demo_ / "torvel.cfg").string();
    db_ = demo_ / "data" / "jobs.db";
  }
  std::string Col(const std::string& job, const std::string& column) const {
    return One(db_, "select [" + column + "] from NcData where [Filename]='" + job + "'");
  }
  long Jobs() const { return std::stol(One(db_, "select Count(*) from NcData")); }
  // Native path of a Windows-form path of the demo (D: = demo/data).
  static std::filesystem::path Native(const std::string& windowsPath) { return ToNative(windowsPath); }

  std::filesystem::path demo_;
  std::string demoOut_;
  std::string config_;
  std::filesystem::path db_;
};

TEST_F(CliDemoTest, LaysOutACompleteInstallation) {
  for (const char* line : {"export KESTRAFIX_DRIVE_MAP='", "export KESTRAFIX_ADDIN_PATH='",
                           "export KESTRAFIX_COMMON_DOCUMENTS='"})
    EXPECT_THAT(demoOut_, HasSubstr(line));
  EXPECT_THAT(demoOut_, HasSubstr("export KESTRAFIX_DRIVE_MAP='" + (demo_ / "drives.ini").string() + "'\n"));
  EXPECT_EQ(ReadAll(demo_ / "kestrafix.env").find("export KESTRAFIX_DRIVE_MAP="),
            ReadAll(demo_ / "kestrafix.env").find("export"));

  const TorvelSettings t = ReadTorvelSettings(config_);
  EXPECT_EQ(t.DbName, "D:\\jobs.db");
  EXPECT_EQ(t.Country, "049");
  EXPECT_EQ(t.SubFolderCount, 2);
  EXPECT_EQ(t.UserId, "demo");
  EXPECT_FALSE(t.Synchron);
  EXPECT_TRUE(t.ShowElectrode);
  EXPECT_EQ(NativeDbPath(t.DbName), db_.string());  // through the demo's drive map

  // The shipped message files, byte for byte, where the add-in looks for them.
  ASSERT_FALSE(cli::EmbeddedMessageFiles().empty());
  for (const auto& f : cli::EmbeddedMessageFiles())
    EXPECT_EQ(ReadAll(demo_ / "host" / "ResStr" / std::string(f.name)), std::string(f.bytes)) << f.name;

  // The add-in INI lies where the add-in finds it with the demo's environment.
  EXPECT_EQ(ReadFrmMainTexts().BaseFolder, "D:\\Kunden");
  EXPECT_EQ(ReadFrmReplaceTexts().Question, "Rückfrage");
  EXPECT_TRUE(std::filesystem::is_directory(demo_ / "data" / "Kunden" / "Kunze AG" / "2024-003"));

  EXPECT_EQ(Jobs(), 40);
  EXPECT_EQ(One(db_, "select Count(*) from Machine"), "3");
  EXPECT_EQ(One(db_, "select Count(*) from Machine where DirectoryType = 1"), "1");
  EXPECT_EQ(One(db_, "select Count(Distinct DataType) from NcData"), "5");  // 0-4; no electrode yet
  EXPECT_EQ(Col("A10039", "ProgramNumber"), "P2039");
  EXPECT_EQ(Col("700001", "ProgramNumber"), "10002");

  // The last job has real files, each one where the job's record says.
  const CliResult files = Run({"files", "--config", config_, "A10039", "--json"});
  ASSERT_EQ(files.code, 0) << files.err;
  EXPECT_THAT(files.out, HasSubstr("\"typeName\":\"job\""));
  EXPECT_THAT(files.out, HasSubstr("\"typeName\":\"nc\""));
  const CliResult text = Run({"files", "--config", config_, "A10039"});
  EXPECT_THAT(text.out, StartsWith("Job A10039: "));

  // A second demo into the same folder is refused and changes nothing.
  const CliResult again = Run({"demo", demo_.string()});
  EXPECT_EQ(again.code, cli::kExitError);
  EXPECT_EQ(again.err, "kestrafix: error 58 (kestrafix demo): '" + demo_.string() +
                           "' already holds a demo; remove it or choose another folder.\n");
  EXPECT_EQ(Jobs(), 40);
}

TEST_F(CliDemoTest, ProposesFromTheLastJobOrTheStartGiven) {
  EXPECT_EQ(Run({"propose", "--config", config_}).out, "Proposed file name (start \"A10039\"): A10040\n");
  EXPECT_EQ(Run({"propose", "--config", config_, "--for", "program", "--json"}).out,
            "{\"for\":\"program\",\"start\":\"P2039\",\"value\":\"P2040\"}\n");
  // Next free value: 700002 is free in the pool of both keys, 10001 among program numbers.
  EXPECT_EQ(Run({"propose", "--config", config_, "--for", "both", "--start", "700001", "--json"}).out,
            "{\"for\":\"both\",\"start\":\"700001\",\"value\":\"700002\"}\n");
  EXPECT_EQ(Run({"propose", "--config", config_, "--for", "program", "--start", "10000", "--json"}).out,
            "{\"for\":\"program\",\"start\":\"10000\",\"value\":\"10001\"}\n");
}

TEST_F(CliDemoTest, NewJobCopiedFromAnotherThenReplace) {
  const std::string sourceVersion = Col("A10039", "Version");
  const std::string sourceMaterial = Col("A10039", "Material");
  const CliResult before = Run({"files", "--config", config_, "A10039"});

  // Machine, address and order as typed without case: the lists' rows are taken.
  const CliResult created = Run({"new-job", "--config", config_, "--program-number", "99001", "--filename",
                                 "N100", "--type", "2", "--machine", "laser1", "--address", "kunze ag",
                                 "--order", "2024-003", "--copy-from", "a10039", "--json"});
  ASSERT_EQ(created.code, 0) << created.err;
  EXPECT_THAT(created.out, StartsWith("{\"filename\":\"N100\",\"programNumber\":\"99001\",\"dataType\":2,"
                                      "\"machine\":\"Laser1\","));
  EXPECT_EQ(Jobs(), 41);
  EXPECT_EQ(Col("N100", "ProgramNumber"), "99001");
  EXPECT_EQ(Col("N100", "DataType"), "2");
  EXPECT_EQ(Col("N100", "Machine"), "Laser1");
  EXPECT_EQ(Col("N100", "Author"), "demo");
  EXPECT_EQ(Col("N100", "Adresstext"), "Kunze AG");
  EXPECT_EQ(Col("N100", "OrderNumber"), "2024-003");
  EXPECT_EQ(Col("N100", "Material"), sourceMaterial);  // copied from the source row
  EXPECT_EQ(std::stol(Col("N100", "Version")), std::stol(sourceVersion) + 1);
  EXPECT_EQ(Col("N100", "Text10"), "<Null>");  // the first write's marker was cleared again

  // Its files exist under its own name, and the source kept all of its own.
  const CliResult files = Run({"files", "--config", config_, "N100", "--json"});
  ASSERT_EQ(files.code, 0) << files.err;
  // The job file keeps its extension and takes the new name.
  const std::string sourceExt =
      One(db_, "select KelbFileExtension from Machine where Machine='" + Col("A10039", "Machine") + "'");
  const std::string jobFile = "D:\\Jobs\\Laser1\\N100\\" + Col("N100", "Machineset") + "\\N100." + sourceExt;
  EXPECT_THAT(files.out, HasSubstr("\"path\":" + cli::JsonQuote(jobFile)));
  EXPECT_TRUE(std::filesystem::is_regular_file(Native(jobFile)));
  EXPECT_EQ(Run({"files", "--config", config_, "A10039"}).out, before.out);

  // Refused input: the message table's text, exit 2, nothing stored.
  struct Case {
    std::pair<std::string, std::string> change;
    std::string err;
  };
  const Case cases[] = {
      {{"--filename", "n100"},
       "kestrafix: Dateiname \"n100\" ist bereits vergeben. Bitte einen anderen Wert eingeben.\n"},
      {{"--program-number", ""}, "kestrafix: Bitte Programmnummer eingeben.\n"},
      {{"--address", "Nobody"}, "kestrafix: Adresse?\n"},
      {{"--order", "2030-001"}, "kestrafix: Auftragsnummer?\n"},
      {{"--copy-from", "ZZZ"}, "kestrafix: no job 'ZZZ' in the job table\n"},
  };
  for (const Case& c : cases) {
    const std::pair<std::string, std::string> options[] = {
        {"--config", config_},   {"--program-number", "99002"}, {"--filename", "N101"},
        {"--type", "0"},         {"--machine", "Laser1"},       {"--address", "Becker GmbH"},
        {"--order", "2024-001"}, {"--copy-from", "A10000"}};
    std::vector<std::string> args = {"new-job"};
    for (const auto& [name, value] : options) {
      args.push_back(name);
      args.push_back(name == c.change.first ? c.change.second : value);
    }
    const CliResult r = Run(args);
    EXPECT_EQ(r.code, cli::kExitUsage) << c.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(Jobs(), 41);
  EXPECT_FALSE(std::filesystem::exists(Native("D:\\Jobs\\Laser1\\N101")));

  // Replace: dry run, a No, then --yes.
  const long st37 = std::stol(One(db_, "select Count(*) from NcData where Material = 'ST37'"));
  ASSERT_GT(st37, 0);
  const CliResult dry = Run({"replace", "--config", config_, "--column", "material", "--like", " ST37 ",
                             "--value", "ST52", "--dry-run"});
  ASSERT_EQ(dry.code, 0) << dry.err;
  EXPECT_THAT(dry.out, StartsWith(std::to_string(st37) +
                                  " jobs with [Material] like \"ST37\" (dry run, nothing changed):\n"));
  EXPECT_EQ(static_cast<long>(std::count(dry.out.begin(), dry.out.end(), '\n')), st37 + 1);

  const CliResult no = Run(
      {"replace", "--config", config_, "--column", "Material", "--like", "ST37", "--value", "ST52"}, "n\n");
  ASSERT_EQ(no.code, 0) << no.err;
  EXPECT_THAT(no.out, HasSubstr("Rückfrage: " + std::to_string(st37) +
                                " Aufträge werden geändert. Fortfahren? [y/N] "));
  EXPECT_THAT(no.out, HasSubstr("Nothing changed.\n"));
  EXPECT_EQ(One(db_, "select Count(*) from NcData where Material = 'ST37'"), std::to_string(st37));

  const CliResult yes = Run({"replace", "--config", config_, "--column", "Material", "--like", "ST3?",
                             "--value", "ST52", "--yes", "--json"});
  ASSERT_EQ(yes.code, 0) << yes.err;
  EXPECT_EQ(yes.out, "{\"column\":\"Material\",\"pattern\":\"ST3?\",\"value\":\"ST52\",\"count\":" +
                         std::to_string(st37) + ",\"updated\":" + std::to_string(st37) + "}\n");
  EXPECT_EQ(One(db_, "select Count(*) from NcData where Material = 'ST37'"), "0");
  EXPECT_EQ(One(db_, "select Count(*) from NcData where Material = 'ST52'"), std::to_string(st37));

  // An empty value clears to Null.
  const long rush = std::stol(One(db_, "select Count(*) from NcData where Comment = 'Eilauftrag'"));
  const CliResult clear =
      Run({"replace", "--config", config_, "--column", "Comment", "--like", "Eil*", "--value", "", "--yes"});
  ASSERT_EQ(clear.code, 0) << clear.err;
  EXPECT_EQ(One(db_, "select Count(*) from NcData where Comment = 'Eilauftrag'"), "0");
  EXPECT_EQ(One(db_, "select Count(*) from NcData where Comment Is Null"), std::to_string(41));
  (void)rush;

  // Columns the dialog does not offer.
  const CliResult key = Run(
      {"replace", "--config", config_, "--column", "programnumber", "--like", "*", "--value", "1", "--yes"});
  EXPECT_EQ(key.code, cli::kExitUsage);
  EXPECT_EQ(key.err, "kestrafix: column 'ProgramNumber' is a key of the job and is never replaced\n");
  const CliResult none =
      Run({"replace", "--config", config_, "--column", "Nope", "--like", "*", "--value", "1", "--yes"});
  EXPECT_EQ(none.code, cli::kExitUsage);
  EXPECT_EQ(none.err, "kestrafix: 'Nope' is no column of the job table\n");
  EXPECT_EQ(One(db_, "select Count(*) from NcData where ProgramNumber = '1'"), "0");

  // Without the host's message files (and add-in INI) the built-in copy gives the same texts.
  unsetenv("KESTRAFIX_ADDIN_PATH");
  EXPECT_EQ(Run({"new-job", "--config", config_, "--program-number", "", "--filename", "N101", "--type", "0",
                 "--machine", "Laser1", "--address", "Becker GmbH", "--order", "2024-001", "--base-folder",
                 (demo_ / "data" / "Kunden").string()})
                .err,
            "kestrafix: Bitte Programmnummer eingeben.\n");
}

TEST_F(CliDemoTest, ExpandsProgramCallsForAJob) {
  const CliResult r = Run({"expand", "--config", config_, "--job", "A10039",
                           "$(FileName)|$(Material)|$(Country)|$(Machine)|$(ExtJob)"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string machine = Col("A10039", "Machine");
  const std::string ext = One(db_, "select KelbFileExtension from Machine where Machine='" + machine + "'");
  EXPECT_EQ(r.out, "A10039|" + Col("A10039", "Material") + "|049|" + machine + "|" + ext + "\n");

  const CliResult file = Run({"expand", "--config", config_, "--job", "A10039", "--file", "D:\\x\\My Part.nc",
                              "--kelb-call", "cam $(FileName) $(DirNc)", "--json"});
  EXPECT_EQ(file.out,
            "{\"job\":\"A10039\",\"template\":\"cam $(FileName) $(DirNc)\",\"value\":\"cam \\\"My Part\\\" "
            "D:\\\\x\"}\n");

  const CliResult missing = Run({"expand", "--config", config_, "--job", "NOPE", "$(FileName)"});
  EXPECT_EQ(missing.code, cli::kExitUsage);
  EXPECT_EQ(missing.err, "kestrafix: no job 'NOPE' in the job table\n");
}

}  // namespace
}  // namespace kx::test
