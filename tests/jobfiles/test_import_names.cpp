// Job file names may hold "*" and "?" on Linux: the import takes such a file as itself.
#include "config/shared_state.h"
#include "jobfiles/mdlTorvel.h"
#include "jobfiles_fixture.h"

namespace kx::test {
namespace {

TEST_F(JobFilesTest, WildcardCharactersInNamesAreNoPattern) {
  AddStandardMachines();
  AddJobOn("A100", "Own");
  AddJobOn("A101", "Own");
  Put("Jobs\\A100\\A100*old.cam", "star");
  Put("Jobs\\A100\\A100xold.cam", "x");
  for (bool objectMode : {true, false}) {
    SCOPED_TRACE(objectMode ? "object" : "fallback");
    Fso().FsoActive(objectMode);
    std::filesystem::remove_all(Native("Jobs\\A101"));
    ImportJobFiles(path_, "A100", path_, "A101", true, false, false, 1, 2, "", 0);
    EXPECT_EQ(Read("Jobs\\A101\\A101*old.cam"), "star");
    EXPECT_EQ(Read("Jobs\\A101\\A101xold.cam"), "x");
    // An existing target of that name is seen, and kept when asked to keep.
    Put("Jobs\\A101\\A101*old.cam", "kept");
    ImportJobFiles(path_, "A100", path_, "A101", true, false, false, 0, 2, "", 0);
    EXPECT_EQ(Read("Jobs\\A101\\A101*old.cam"), "kept");
  }
  Fso().FsoActive(true);
}

}  // namespace
}  // namespace kx::test
