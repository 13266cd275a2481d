// The command line's contract: exit codes, one-line errors, --help, --version, and the
// database and registry commands by their output and the state they leave.
#include <gmock/gmock.h>

#include <filesystem>

#include "addin_loader.h"
#include "cli_fixture.h"
#include "fs/ini_profile.h"
#include "kx_version.h"

namespace kx::test {
namespace {

// Library= of the add-in's registry entry ("" when there is none).
std::string RegisteredLibrary(const std::filesystem::path& registry) {
  for (const auto& [key, value] : GetPrivateProfileSectionNative(registry, "Kestrafix.IFace"))
    if (key == "Library") return value;
  return {};
}

TEST_F(CliTest, VersionHelpAndUsageErrors) {
  std::vector<CliStep> steps = {
      {{"--version"}, 0, std::string("kestrafix ") + KX_VERSION_TEXT + "\n"},
      {{}, 2, "", "kestrafix: A subcommand is required\n"},
      {{"frobnicate"}, 2, "", "kestrafix: ..."},
      {{"propose"}, 2, "", "kestrafix: --config is required\n"},
      {{"propose", "--config", "x.cfg", "--for", "nothing"}, 2, "", "kestrafix: ..."},
      {{"db"}, 2, "", "kestrafix: ..."},
      {{"demo", "--jobs", "0"}, 2, "", "kestrafix: ..."},
      {{"files", "--config", "x.cfg", "A", "B"}, 2, "", "kestrafix: ..."},
      {{"new-job", "--help"}, 0, "~--copy-from"},
      {{"expand", "--help"}, 0, "~GetProgramCall"},
  };
  for (const char* command : {"demo", "propose", "replace", "files", "register", "unregister"})
    steps.push_back({{command, "--help"}, 0, "~Usage: kestrafix " + std::string(command)});
  steps.push_back({{"--help"}, 0, "~Usage: kestrafix [OPTIONS] SUBCOMMAND"});
  steps.push_back({{"db", "init", "--help"}, 0, "~Usage: kestrafix db init"});
  steps.push_back({{"db", "sql", "--help"}, 0, "~Usage: kestrafix db sql"});
  RunSteps(steps);
}

TEST_F(CliTest, ConfigurationProblemsAreRefused) {
  env.Write("host.cfg", "[TORVEL]\r\nCountry=49\r\n");
  env.Write("gone.cfg", "[TORVEL]\r\nDbName=C:\\gone.db\r\n");
  RunSteps({
      {{"propose", "--config", "%dir%/none.cfg"},
       2,
       "",
       "kestrafix: configuration file '%dir%/none.cfg' not found\n"},
      {{"files", "--config", "%dir%/host.cfg", "A1"},
       2,
       "",
       "kestrafix: configuration file '%dir%/host.cfg' names no job database ([TORVEL] DbName)\n"},
      // A database that is not there: the engine's error, exit 1.
      {{"propose", "--config", "%dir%/gone.cfg"}, 1, "", "kestrafix: error 3024 (DAO.DBEngine): ..."},
  });
}

TEST_F(CliTest, DbInitCreatesOnceAndSqlSpeaksTheDialect) {
  RunSteps({
      {{"db", "init", "%dir%/jobs.db"}, 0, "Created job database C:\\jobs.db\n"},
      {{"db", "init", "%dir%/jobs.db", "--json"}, 1, "", "kestrafix: error 3204 (DAO.DBEngine): ..."},
      // Double-quoted literals, bracketed names and the Data alias of the job table.
      {{"db", "sql", "%dir%/jobs.db",
        "insert into Data ([Filename], [ProgramNumber], [Material], [Version]) values "
        "(\"A1\", \"100\", \"O'Brien\", 2), (\"b2\", \"101\", Null, 3)"},
       0,
       "2 rows affected\n"},
      {{"db", "sql", "%dir%/jobs.db",
        "select Filename, Material, Version from NcData where Filename like \"?*\" order by Filename"},
       0,
       "Filename\tMaterial\tVersion\nA1\tO'Brien\t2\nb2\tNull\t3\n(2 rows)\n"},
      {{"db", "sql", "%dir%/jobs.db",
        "select Filename, Material, Version from NcData where [Filename] = \"a1\"", "--json"},
       0,
       "{\"columns\":[\"Filename\",\"Material\",\"Version\"],\"rows\":[[\"A1\",\"O'Brien\",2]]}\n"},
      // The unique key without case: the engine's refusal, nothing stored.
      {{"db", "sql", "%dir%/jobs.db",
        "insert into NcData ([Filename], [ProgramNumber]) values (\"a1\", \"9\")"},
       1,
       "",
       "kestrafix: error 3022 ..."},
      {{"db", "sql", "%dir%/jobs.db", "select from where"}, 1, "", "kestrafix: ..."},
      {{"db", "sql", "%dir%/none.db", "select 1"}, 1, "", "kestrafix: error 3024 ..."},
  });
  EXPECT_EQ(JobDatabase("C:\\jobs.db", false).Count("select Count(*) from NcData"), 2);
  EXPECT_FALSE(std::filesystem::exists(env / "none.db"));
}

TEST_F(CliTest, RegisterWritesTheLibraryEntryAndUnregisterRemovesIt) {
  const std::filesystem::path registry = env / "xdg-config/kestrafix/addins.ini";
  vars["lib"] = AddinLibraryFile();
  vars["libn"] = std::filesystem::path(AddinLibraryFile()).lexically_normal().string();
  env.Write("libfake.so", "not an ELF file");
  RunSteps({{{"register", "--library", "%lib%"},
             0,
             "Registered %libn% as Kestrafix.IFace in %dir%/xdg-config/kestrafix/addins.ini\n"}});
  EXPECT_EQ(RegisteredLibrary(registry), vars["libn"]);
  RunSteps({
      {{"unregister", "--library", "%lib%", "--json"},
       0,
       "{\"action\":\"unregister\",\"library\":\"%libn%\",\"registry\":\"%dir%/xdg-config/kestrafix/"
       "addins.ini\"}\n"},
      {{"register", "--library", "%dir%/libnone.so"}, 2, "", "kestrafix: ..."},
      {{"register", "--library", "%dir%/libfake.so"}, 1, "", "kestrafix: ..."},  // loading fails
  });
  EXPECT_EQ(RegisteredLibrary(registry), "");
}

}  // namespace
}  // namespace kx::test
