// The command line's contract: exit codes, one-line errors, --help, --version, and the
// database and registry commands by their output and the state they leave.
#include <gmock/gmock.h>

#include "cli_fixture.h"
#include "fs/ini_profile.h"
#include "kx_version.h"

namespace kx::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Library= of the add-in's registry entry ("" when there is none).
std::string RegisteredLibrary(const std::filesystem::path& registry) {
  for (const auto& [key, value] : GetPrivateProfileSectionNative(registry, "Kestrafix.IFace"))
    if (key == "Library") return value;
  return {};
}

// Exactly one line "kestrafix: ..." on the error stream.
void ExpectOneErrorLine(const CliResult& r) {
  EXPECT_THAT(r.err, StartsWith("kestrafix: "));
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

TEST_F(CliTest, VersionAndUsageErrors) {
  const CliResult v = Run({"--version"});
  EXPECT_EQ(v.code, 0);
  EXPECT_EQ(v.out, std::string("kestrafix ") + KX_VERSION_TEXT + "\n");

  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},                                                    // no command
           {"frobnicate"},                                        // unknown command
           {"propose"},                                           // --config missing
           {"propose", "--config", "x.cfg", "--for", "nothing"},  // not one of the choices
           {"db"},                                                // db without init/sql
           {"demo", "--jobs", "0"},                               // out of range
           {"files", "--config", "x.cfg", "A", "B"}}) {           // extra argument
    SCOPED_TRACE(::testing::PrintToString(args));
    const CliResult r = Run(args);
    EXPECT_EQ(r.code, cli::kExitUsage);
    EXPECT_EQ(r.out, "");
    ExpectOneErrorLine(r);
  }
}

TEST_F(CliTest, EveryCommandHasHelp) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--help"},
                                             {"demo", "--help"},
                                             {"propose", "--help"},
                                             {"new-job", "--help"},
                                             {"replace", "--help"},
                                             {"files", "--help"},
                                             {"expand", "--help"},
                                             {"db", "init", "--help"},
                                             {"db", "sql", "--help"},
                                             {"register", "--help"},
                                             {"unregister", "--help"}}) {
    SCOPED_TRACE(args.front());
    const CliResult r = Run(args);
    EXPECT_EQ(r.code, 0);
    EXPECT_THAT(r.out, HasSubstr("Usage: kestrafix"));
    EXPECT_EQ(r.err, "");
  }
  EXPECT_THAT(Run({"new-job", "--help"}).out, HasSubstr("--copy-from"));
  EXPECT_THAT(Run({"expand", "--help"}).out, HasSubstr("GetProgramCall"));
}

TEST_F(CliTest, ConfigurationProblemsAreRefused) {
  const CliResult missing = Run({"propose", "--config", (dir_ / "none.cfg").string()});
  EXPECT_EQ(missing.code, cli::kExitUsage);
  EXPECT_EQ(missing.err, "kestrafix: configuration file '" + (dir_ / "none.cfg").string() + "' not found\n");

  const auto cfg = dir_.Write("host.cfg", "[TORVEL]\r\nCountry=49\r\n");
  const CliResult noDb = Run({"files", "--config", cfg.string(), "A1"});
  EXPECT_EQ(noDb.code, cli::kExitUsage);
  EXPECT_EQ(noDb.err,
            "kestrafix: configuration file '" + cfg.string() + "' names no job database ([TORVEL] DbName)\n");

  // A configuration naming a database that is not there: the engine's error, exit 1.
  const auto gone = dir_.Write("gone.cfg", "[TORVEL]\r\nDbName=" + (dir_ / "gone.db").string() + "\r\n");
  const CliResult engine = Run({"propose", "--config", gone.string()});
  EXPECT_EQ(engine.code, cli::kExitError);
  EXPECT_THAT(engine.err, StartsWith("kestrafix: error 3024 (DAO.DBEngine): "));
  ExpectOneErrorLine(engine);
}

TEST_F(CliTest, DbInitCreatesOnceAndSqlSpeaksTheDialect) {
  const std::string db = (dir_ / "jobs.db").string();
  const CliResult init = Run({"db", "init", db});
  ASSERT_EQ(init.code, 0) << init.err;
  EXPECT_EQ(init.out, "Created job database " + NormalizeInputPath(db) + "\n");
  EXPECT_EQ(One(db, "select Count(*) from NcData"), "0");

  const CliResult again = Run({"db", "init", db, "--json"});
  EXPECT_EQ(again.code, cli::kExitError);
  EXPECT_THAT(again.err, StartsWith("kestrafix: error 3204 (DAO.DBEngine): "));
  EXPECT_EQ(again.out, "");

  // Double-quoted literals, bracketed names and the Data alias of the job table.
  const CliResult insert =
      Run({"db", "sql", db,
           "insert into Data ([Filename], [ProgramNumber], [Material], [Version]) values "
           "(\"A1\", \"100\", \"O'Brien\", 2), (\"b2\", \"101\", Null, 3)"});
  ASSERT_EQ(insert.code, 0) << insert.err;
  EXPECT_EQ(insert.out, "2 rows affected\n");

  const CliResult select =
      Run({"db", "sql", db,
           "select Filename, Material, Version from NcData where Filename like \"?*\" order by Filename"});
  ASSERT_EQ(select.code, 0) << select.err;
  EXPECT_EQ(select.out, "Filename\tMaterial\tVersion\nA1\tO'Brien\t2\nb2\tNull\t3\n(2 rows)\n");

  const CliResult json =
      Run({"db", "sql", db, "select Filename, Material, Version from NcData where [Filename] = \"a1\"",
           "--json"});
  ASSERT_EQ(json.code, 0) << json.err;
  EXPECT_EQ(json.out,
            "{\"columns\":[\"Filename\",\"Material\",\"Version\"],\"rows\":[[\"A1\",\"O'Brien\",2]]}\n");

  // A bare table name opens the table.
  EXPECT_EQ(Run({"db", "sql", db, "Machine"}).out, Run({"db", "sql", db, "select * from MACHINE"}).out);

  // The unique key without case: the engine's refusal, nothing stored.
  const CliResult dup =
      Run({"db", "sql", db, "insert into NcData ([Filename], [ProgramNumber]) values (\"a1\", \"9\")"});
  EXPECT_EQ(dup.code, cli::kExitError);
  EXPECT_THAT(dup.err, StartsWith("kestrafix: error 3022 "));
  EXPECT_EQ(One(db, "select Count(*) from NcData"), "2");

  const CliResult bad = Run({"db", "sql", db, "select from where"});
  EXPECT_EQ(bad.code, cli::kExitError);
  ExpectOneErrorLine(bad);
  const CliResult missing = Run({"db", "sql", (dir_ / "none.db").string(), "select 1"});
  EXPECT_EQ(missing.code, cli::kExitError);
  EXPECT_THAT(missing.err, StartsWith("kestrafix: error 3024 "));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "none.db"));
}

TEST_F(CliTest, RegisterWritesTheLibraryEntryAndUnregisterRemovesIt) {
  const std::filesystem::path registry = dir_ / "xdg-config" / "kestrafix" / "addins.ini";
  const std::string library = std::filesystem::path(KX_ADDIN_LIBRARY).lexically_normal().string();
  const CliResult reg = Run({"register", "--library", KX_ADDIN_LIBRARY});
  ASSERT_EQ(reg.code, 0) << reg.err;
  EXPECT_EQ(reg.out, "Registered " + library + " as Kestrafix.IFace in " + registry.string() + "\n");
  EXPECT_EQ(RegisteredLibrary(registry), library);

  const CliResult unreg = Run({"unregister", "--library", KX_ADDIN_LIBRARY, "--json"});
  ASSERT_EQ(unreg.code, 0) << unreg.err;
  EXPECT_EQ(unreg.out, "{\"action\":\"unregister\",\"library\":\"" + library + "\",\"registry\":\"" +
                           registry.string() + "\"}\n");
  EXPECT_EQ(RegisteredLibrary(registry), "");

  const CliResult wrong = Run({"register", "--library", (dir_ / "libnone.so").string()});
  EXPECT_EQ(wrong.code, cli::kExitUsage);
  ExpectOneErrorLine(wrong);
  // Not a library at all: loading fails, nothing is registered.
  const auto notLib = dir_.Write("libfake.so", "not an ELF file");
  const CliResult fake = Run({"register", "--library", notLib.string()});
  EXPECT_EQ(fake.code, cli::kExitError);
  ExpectOneErrorLine(fake);
  EXPECT_EQ(RegisteredLibrary(registry), "");
}

}  // namespace
}  // namespace kx::test
