// The loadable extension in the sqlite3 shell: a job database is read and written there
// exactly as through the engine.
#include <cstdio>
#include <fstream>
#include <string>

#include "job_database.h"
#include "platform/replace_history.h"

#include "kx_sqlite_ext_path.h"

namespace kx::test {
namespace {

// The shell on the test's job database (D:\jobs.db).
std::string RunShell(const TestEnvironment& env, const std::string& script) {
  const auto scriptFile = env.Write("script.sql", script);
  const std::string cmd =
      "sqlite3 -batch '" + (env / "data/jobs.db").string() + "' < '" + scriptFile.string() + "' 2>&1";
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

class ExtensionTest : public JobDbTest {
 protected:
  void SetUp() override {
    if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "sqlite3 shell not installed";
  }
  // The shell cannot load a module built with the address sanitizer.
  static bool ExtensionLoadable() {
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
  }
  static std::string LoadCommand() { return std::string(".load ") + KX_SQLITE_EXT_PATH + "\n"; }
};

TEST_F(ExtensionTest, ShellWritesAndReadsWithTheDialect) {
  if (!ExtensionLoadable()) GTEST_SKIP() << "the extension cannot be loaded into the shell in this build";
  const std::string load = LoadCommand();
  db.AddKeys("ab12", "100");
  const std::string out =
      RunShell(env, load +
                        "INSERT INTO NCDATA (Filename, ProgramNumber) VALUES ('AB13', '0042');\n"
                        "INSERT INTO NCDATA (Filename, ProgramNumber) VALUES ('AB12', 'x');\n"
                        "SELECT count(*) FROM NCDATA WHERE Filename = 'AB12';\n"
                        "SELECT Filename FROM NCDATA WHERE Filename MATCH 'AB##' ORDER BY Filename;\n"
                        "SELECT ProgramNumber FROM NCDATA WHERE IsNumeric(ProgramNumber) "
                        "ORDER BY CDbl(ProgramNumber) DESC LIMIT 1;\n");
  EXPECT_NE(out.find("UNIQUE constraint failed"), std::string::npos) << out;  // AB12 exists as ab12
  EXPECT_NE(out.find("1\nab12\nAB13\n100\n"), std::string::npos) << out;
  EXPECT_EQ(db.Rows("select ProgramNumber from data where Filename = 'ab13'"),
            (std::vector<std::string>{"0042"}));
}

TEST_F(ExtensionTest, ShellListsTheJobsARecordedReplaceKeptPacked) {
  if (!ExtensionLoadable()) GTEST_SKIP() << "the extension cannot be loaded into the shell in this build";
  db.AddKeys("A1", "1");
  db.AddKeys("A2", "2");
  db.Execute("update data set Comment = 'old' where Filename = 'A2'");
  ReplaceRecord r{"Comment", "[Comment] is null or [Comment] = 'old'", "'new'", "", "new", "tester"};
  ASSERT_EQ(RecordedReplace(*db.Open(), r), 2);
  EXPECT_EQ(RunShell(env, LoadCommand() +
                              "SELECT n.Filename, quote(OldValue) FROM \"KX_REPLACE_1\", "
                              "kx_replace_jobs(\"Packed\") JOIN NCDATA n ON n.ID = JobID ORDER BY 1;\n"),
            "A1|NULL\nA2|'old'\n");
}

TEST_F(ExtensionTest, WithoutTheExtensionTheShellCannotBreakTheIndexes) {
  const std::string out = RunShell(env, "INSERT INTO NCDATA (Filename) VALUES ('x');\n");
  EXPECT_NE(out.find("rror"), std::string::npos) << out;
  EXPECT_TRUE(db.Rows("select Filename from data").empty());
}

}  // namespace
}  // namespace kx::test
