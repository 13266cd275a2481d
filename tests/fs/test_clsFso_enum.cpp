// Folder and file enumeration: sorted, without duplicates, levels, limits and the two modes.
#include <gtest/gtest.h>

#include "core/error.h"
#include "fs_fixture.h"

namespace kx::test {
namespace {

std::vector<std::string> Items(const PathList& list) {
  std::vector<std::string> out;
  for (const std::string& s : list) out.push_back(s);
  return out;
}

bool fsoIs(const clsFso* f) { return f->FsoFoldersActive(); }

class EnumTest : public FsTest {
 protected:
  void SetUp() override {
    tmp.Write("Jobs/b.nc", "");
    tmp.Write("Jobs/A.NC", "");
    tmp.Write("Jobs/c.txt", "");
    tmp.Write("Jobs/readme", "");
    tmp.Write("Jobs/A100/p.nc", "");
    tmp.Write("Jobs/A100/deep/q.nc", "");
    tmp.Write("Jobs/a200/r.nc", "");
    tmp.Write("Jobs/A100.old/s.nc", "");
  }
};

TEST_F(EnumTest, GetFilesFiltersSortsAndDedups) {
  EXPECT_EQ(fso.GetFiles("T:\\Jobs").Count(), 0);  // no filter, no file
  EXPECT_EQ(Items(fso.GetFiles("T:\\Jobs\\", "*.nc;*.txt")),
            (std::vector<std::string>{"T:\\Jobs\\A.NC", "T:\\Jobs\\b.nc", "T:\\Jobs\\c.txt"}));
  EXPECT_EQ(fso.GetFiles("T:\\Jobs", "*.nc;A*;;*.NC").Count(), 2);  // each file once
  EXPECT_EQ(Items(fso.GetFiles("T:\\jobs", "*.")), (std::vector<std::string>{"T:\\jobs\\readme"}));
  EXPECT_EQ(fso.GetFiles("T:\\Jobs", "*.*", 1).Count(), 1);
  EXPECT_EQ(fso.GetFiles("T:\\Jobs", "*.*").Count(), 4);  // folders are not files
  EXPECT_EQ(fso.GetFiles("T:\\Missing", "*.*").Count(), 0);
}

TEST_F(EnumTest, GetFoldersDottedNamesOnlyInObjectMode) {
  EXPECT_EQ(Items(fso.GetFolders("T:\\Jobs")),
            (std::vector<std::string>{"T:\\Jobs\\A100", "T:\\Jobs\\A100.old", "T:\\Jobs\\a200"}));
  EXPECT_EQ(Items(fallback.GetFolders("T:\\Jobs")),
            (std::vector<std::string>{"T:\\Jobs\\A100", "T:\\Jobs\\a200"}));
  EXPECT_EQ(fso.GetFolders("T:\\Jobs", 1).Count(), 1);
  EXPECT_EQ(fallback.GetFolders("T:\\Missing").Count(), 0);
  EXPECT_EQ(ErrorOf([&] { fso.GetFolders("T:\\Missing"); }).Number(), err::PathNotFound);
}

TEST_F(EnumTest, GetAllFoldersLevelsAndOverlappingRoots) {
  for (clsFso* f : {&fso, &fallback}) {
    EXPECT_EQ(Items(f->GetAllFolders("T:\\Jobs;T:\\Jobs\\A100", 0)),
              (std::vector<std::string>{"T:\\Jobs", "T:\\Jobs\\A100"}));
    EXPECT_EQ(f->GetAllFolders("T:\\Jobs;T:\\Jobs\\A100", 1).Count(), fsoIs(f) ? 5 : 4);
    EXPECT_EQ(f->GetAllFolders("T:\\Jobs", -1).Count(), fsoIs(f) ? 5 : 4);
  }
  EXPECT_EQ(
      Items(fallback.GetAllFolders("T:\\Jobs", -1)),
      (std::vector<std::string>{"T:\\Jobs", "T:\\Jobs\\A100", "T:\\Jobs\\A100\\deep", "T:\\Jobs\\a200"}));
  EXPECT_EQ(Items(fso.GetAllFolders("T:\\Jobs", 1)),
            (std::vector<std::string>{"T:\\Jobs", "T:\\Jobs\\A100", "T:\\Jobs\\A100.old", "T:\\Jobs\\a200"}));
  EXPECT_THROW(fso.GetAllFolders("T:\\Missing", 1), KxError);
  EXPECT_EQ(Items(fallback.GetAllFolders("T:\\Missing", 1)), (std::vector<std::string>{"T:\\Missing"}));
}

TEST_F(EnumTest, GetAllFilesOverTheTree) {
  EXPECT_EQ(fso.GetAllFiles("T:\\Jobs", "", -1).Count(), 0);
  EXPECT_EQ(Items(fallback.GetAllFiles("T:\\Jobs", "*.nc", -1)),
            (std::vector<std::string>{"T:\\Jobs\\A.NC", "T:\\Jobs\\A100\\deep\\q.nc", "T:\\Jobs\\A100\\p.nc",
                                      "T:\\Jobs\\a200\\r.nc", "T:\\Jobs\\b.nc"}));
  EXPECT_EQ(fso.GetAllFiles("T:\\Jobs", "*.nc", -1).Count(), 6);  // with A100.old
  EXPECT_EQ(fso.GetAllFiles("T:\\Jobs", "*.nc", 0).Count(), 2);
}

TEST_F(EnumTest, LinkLoopsEndTheWalk) {
  std::filesystem::create_directory_symlink(tmp.Path() / "Jobs", tmp.Path() / "Jobs/A100/loop");
  EXPECT_EQ(fso.GetAllFolders("T:\\Jobs", -1).Count(), 6);
  EXPECT_EQ(fallback.GetAllFolders("T:\\Jobs", -1).Count(), 5);
}

TEST_F(EnumTest, GetDrivesListsMappedLetters) {
  env.MapDrive("E:", tmp.Path());
  for (clsFso* f : {&fso, &fallback})
    EXPECT_EQ(Items(f->GetDrives()), (std::vector<std::string>{"C:", "D:", "E:", "T:", "Z:"}));
}

}  // namespace
}  // namespace kx::test
