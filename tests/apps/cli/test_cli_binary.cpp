// The installed road: the real kestrafix binary, its exit status and output.
#include <gmock/gmock.h>
#include <sys/wait.h>

#include <cstdlib>

#include "cli_fixture.h"

namespace kx::test {
namespace {

class CliBinaryTest : public CliTest {
 protected:
  // Runs a shell line; stdout and stderr land in files of the temp folder.
  CliResult Shell(const std::string& line) const {
    const std::string cmd =
        "(" + line + ") >" + (env / "out.txt").string() + " 2>" + (env / "err.txt").string();
    const int status = std::system(cmd.c_str());
    CliResult r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadAll(env / "out.txt");
    r.err = ReadAll(env / "err.txt");
    return r;
  }
  static std::string Q(const std::string& s) { return "'" + s + "'"; }
  const std::string bin_ = Q(KX_CLI_BINARY);
};

TEST_F(CliBinaryTest, RunsTheDemoRoadAndReportsThroughItsExitStatus) {
  const CliResult usage = Shell(bin_ + " propose");
  EXPECT_EQ(usage.code, 2);
  EXPECT_THAT(usage.err, ::testing::StartsWith("kestrafix: "));

  const std::string demo = (env / "bin-demo").string();
  const CliResult made = Shell(bin_ + " demo " + Q(demo) + " --jobs 5");
  ASSERT_EQ(made.code, 0) << made.err;
  // The environment the demo printed is what the next command needs.
  const CliResult proposed = Shell(". " + Q(demo + "/kestrafix.env") + " && " + bin_ + " propose --config " +
                                   Q(demo + "/torvel.cfg"));
  EXPECT_EQ(proposed.code, 0) << proposed.err;
  EXPECT_EQ(proposed.out, "Proposed file name (start \"700004\"): 700005\n");
}

}  // namespace
}  // namespace kx::test
